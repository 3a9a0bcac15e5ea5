// A character placed on the stage or summoned during play. Its placement, stepping and
// actions come with the stage characters; the list of them is walked by the play scene.
#pragma once

#include "engine/chara.h"
#include "engine/object_list.h"

class cStageChara : public cChara {};

// An item in play. Its set-up, stepping and pick-up come with the items.
class cItem : public cObject {};

// The stage characters and the items of the running stage.
extern cObjectList<cStageChara> g_lChara;
extern cObjectList<cItem> g_lItem;
