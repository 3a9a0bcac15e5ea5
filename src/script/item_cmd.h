// Item command lists: run at once, in order, on the hero that takes the item, through a table
// of the list kinds that reaches the flow commands' implementations.
#pragma once

#include "core/safe_container.h"
#include "defs/cmd_kind.h"

class cChara;
class cFlowCmd;

using ListCmdHandler = int (*)(cChara& chara, cFlowCmd& cmd);
extern const ListCmdHandler g_apfnListCmdHandler[LISTCMD_KIND_COUNT];

// Lists taking items whose lists take items again are cut at this depth.
constexpr int MAX_ITEM_LIST_DEPTH = 16;

// 0, 1 when the stage was cleared, 2 when the hero's hit points are 0.
int RunCommandList(cChara& hero, cSafeVector<cFlowCmd>& cmds);
