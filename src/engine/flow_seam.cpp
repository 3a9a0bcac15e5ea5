#include "engine/flow_seam.h"

int (*g_lpfnRunFlows)(cChara& chara, int bDying) = nullptr;
void (*g_lpfnRemoveDeletedFlows)(cChara& chara) = nullptr;
void (*g_lpfnBuildFlows)(cChara& chara, int first, int group) = nullptr;
int (*g_lpfnJumpKeyHeld)(cPlayer& hero, cCmdState& state) = nullptr;
void (*g_lpfnChangeFlow)(cPlayer& hero, const cFlowCmd& cmd) = nullptr;
int (*g_lpfnRunCommandList)(cPlayer& hero, const cSafeVector<cFlowCmd>& cmds) = nullptr;
void (*g_lpfnExpandLoops)(cSafeVector<cFlowCmd>& cmds) = nullptr;
void (*g_lpfnShowItemPopup)(cPlayer& hero, int kind, int graphic, int sub) = nullptr;
