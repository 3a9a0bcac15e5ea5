#include "script/cmd_dispatch.h"

#include "core/log.h"
#include "core/sound_request.h"
#include "defs/flow_cmd.h"
#include "engine/chara.h"
#include "engine/play_scene.h"
#include "script/arrange.h"
#include "script/cmd_effect.h"
#include "script/cmd_graphic.h"
#include "script/cmd_target.h"
#include "script/cmd_vanish.h"
#include "script/cmd_warp.h"
#include "script/cmd_chase.h"
#include "script/cmd_flow_op.h"
#include "script/cmd_message.h"
#include "script/cmd_move.h"
#include "script/cmd_shot.h"
#include "script/cmd_sound.h"
#include "script/status_op.h"

CmdImpl g_apfnCmdImpl[CMD_KIND_COUNT] = {};

namespace {
// The implementations built so far, put in place at start.
struct ImplTableSetUp {
  ImplTableSetUp() {
    g_apfnCmdImpl[CMD_STATUS] = CmdStatusOperation;
    g_apfnCmdImpl[CMD_ARRANGE] = CmdArrange;
    g_apfnCmdImpl[CMD_WARP] = CmdWarp;
    g_apfnCmdImpl[CMD_SET_TARGET] = CmdSetTarget;
    g_apfnCmdImpl[CMD_STATUS2] = CmdStatusOperation2;
    g_apfnCmdImpl[CMD_VANISH] = CmdVanish;
    g_apfnCmdImpl[CMD_TAKE_ITEM] = CmdTakeItem;
    g_apfnCmdImpl[CMD_CHANGE_GRAPHIC] = CmdChangeGraphic;
    g_apfnCmdImpl[CMD_CHANGE_ANIMESET] = CmdChangeAnimSet;
    g_apfnCmdImpl[CMD_PLAY_ANIME] = CmdPlayAnim;
    g_apfnCmdImpl[CMD_SWORD] = CmdSwordImpl;
    g_apfnCmdImpl[CMD_FLOW_OPERATION] = CmdFlowOperation;
    g_apfnCmdImpl[CMD_STAGE_CLEAR] = CmdStageClear;
    g_apfnCmdImpl[CMD_GAME_WAIT] = CmdGameWait;
    g_apfnCmdImpl[CMD_MESSAGE] = CmdMessageEntry;
    g_apfnCmdImpl[CMD_EFFECT] = CmdPlayEffect;
    g_apfnCmdImpl[CMD_CHARA_EFFECT] = CmdCharaEffect;
    g_apfnCmdImpl[CMD_PICTURE] = CmdShowPicture;
    g_apfnCmdImpl[CMD_SCREEN_EFFECT] = CmdScreenEffect;
    g_apfnCmdImpl[CMD_SCREEN_COLOR] = CmdScreenColor;
    g_apfnCmdImpl[CMD_CHANGE_BACK] = CmdChangeBack;
    g_apfnCmdImpl[CMD_SOUND] = CmdPlaySound;
    g_apfnCmdImpl[CMD_BGM] = CmdPlayBgm;
    g_apfnCmdImpl[CMD_CODE] = CmdRunCode;
  }
} s_implTableSetUp;
}  // namespace
void (*g_lpfnPeriodicAct)(cChara& chara, cCmdState& state, int kind) = RunShotPeriodic;

void RunCmdNone(cChara&, cCmdState&) {}

void RunCmdPeriodic(cChara& chara, cCmdState& state) {
  cFlowCmd& cmd = *state.m_pCmd;
  if (state.m_nCounter == 0) {
    if (cmd.m_bSoundOnScreen == 0 || chara.IsOnScreen()) PlayUserSe(cmd.m_sSound);
    if (g_lpfnPeriodicAct) g_lpfnPeriodicAct(chara, state, DispatchKind(cmd));
  }
  if (++state.m_nCounter == SubSteps() * 6) state.m_nCounter = 0;
}

void RunCmdForward(cChara& chara, cCmdState& state) {
  CmdImpl impl = g_apfnCmdImpl[DispatchKind(*state.m_pCmd)];
  if (impl) impl(chara, *state.m_pCmd);
}

void RunCmdStageClear(cChara& chara, cCmdState& state) {
  CmdImpl impl = g_apfnCmdImpl[CMD_STAGE_CLEAR];
  if (!impl) return;
  int r = impl(chara, *state.m_pCmd);
  if (g_lpPlayScene) g_lpPlayScene->m_nStageResult = r;
}

// The movement kinds have entries of their own, which work on the command state; the other
// kinds forward to their implementations.
CmdHandler g_apfnCmdHandler[CMD_KIND_COUNT] = {
    RunCmdNone,        // 0 (empty)
    RunCmdNone,        // 1 ウエイト
    CmdStraightMove,   // 2 直線移動
    CmdGroundTurnMove, // 3 地上折り返し移動
    CmdCircleMove,     // 4 円移動
    CmdChargeMove,     // 5 突撃移動
    CmdHomingMove,     // 6 誘導移動
    CmdAvoidOffscreenMove,  // 7 画面外回避移動
    CmdStopMove,       // 8 移動の無効化
    CmdTurn,           // 9 向き変更
    CmdJump,           // 10 ジャンプ
    RunCmdPeriodic,    // 11 ショット
    RunCmdForward,     // 12 ソード
    RunCmdPeriodic,    // 13 ブロック召喚
    RunCmdPeriodic,    // 14 キャラ召喚
    RunCmdPeriodic,    // 15 アイテム召喚
    RunCmdForward,     // 16 フローの操作
    RunCmdStageClear,  // 17 ステージクリア
    RunCmdForward,     // 18 ゲームウエイト
    RunCmdForward,     // 19 メッセージ
    RunCmdForward,     // 20 ワープ
    RunCmdForward,     // 21 ターゲットの設定
    RunCmdForward,     // 22 ステータスの操作
    RunCmdForward,     // 23 ステータスの操作2
    RunCmdForward,     // 24 消滅
    RunCmdForward,     // 25 アイテムの取得
    RunCmdForward,     // 26 グラフィックの変更
    RunCmdForward,     // 27 基本アニメセットの変更
    RunCmdForward,     // 28 アニメの実行
    RunCmdForward,     // 29 エフェクトの実行
    RunCmdForward,     // 30 キャラエフェクトの実行
    RunCmdForward,     // 31 画面エフェクトの実行
    RunCmdForward,     // 32 ピクチャーの表示
    RunCmdForward,     // 33 画面の色を変更
    RunCmdForward,     // 34 背景の変更
    RunCmdForward,     // 35 効果音の再生
    RunCmdForward,     // 36 BGMの再生
    RunCmdForward,     // 37 コードの実行
    RunCmdForward,     // 38 アレンジ
    RunCmdNone,        // 39 ループ: loops are expanded when the runs are built
};

int DispatchKind(const cFlowCmd& cmd) {
  int kind = cmd.m_byKind;
  if (kind >= 0 && kind < CMD_KIND_COUNT) return kind;
  static bool reported = false;
  if (!reported) {
    reported = true;
    ReportLog("Command kind %d outside the command table: run as the empty kind", kind);
  }
  return CMD_NONE;
}

void cChara::ExecCommand(cCmdState& state) {
  if (!state.m_pCmd) return;
  g_apfnCmdHandler[DispatchKind(*state.m_pCmd)](*this, state);
}
