// Every command kind of the flows played through the frame: a small stage built in code, whose
// flows use the kind, set up as a stage start and played frame by frame with the events
// starting the flows, the flows stepping the commands and the frame moving, hitting and taking
// out the objects. Each case checks what the command is there for: a value, a position, an
// object in play or gone, a message, a request to the window. Where a kind acts on another
// character (a target slot, a side, the hero), the case with that character, and with one that
// is out of reach or does not appear, is in the table too.
//
// Positions are stage dots: the 10-cell margin adds 320 to x and y, and the view stands at
// (320, 320) (the stages are 15 cells high and the hero stands near the left edge). k = 1: one
// sub-step a frame, a tenth of a second is 6 ticks. A flying character on cell (c, r) has its
// 16 × 16 body at x = (c + 10) × 32 + 8.5, y = (r + 10) × 32 + 8 and its screen rectangle at
// left c × 32, top r × 32, 32 × 32 (centre c × 32 + 16, r × 32 + 16); one walking on the floor
// (row 13) has its 16 × 24 body at x = (c + 10) × 32 + 8.5, y = 744 when placed (744 ≤ y < 745
// while it stands, see ExpectStanding) and its screen rectangle at left c × 32, top 416.
//
// The start-up steps that derive tables from the database (the arrangeable parameters, the
// animation and effect steps, the effect templates) run before each stage, as the program's
// start-up runs them; the pause loop's frame services (a platform stand-in) are scripted.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <initializer_list>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "../draw/draw_fixture.h"
#include "core/sound_request.h"
#include "defs/cmd_kind.h"
#include "defs/ed_move.h"
#include "defs/ed_shot.h"
#include "draw/font.h"
#include "engine/chara_effect.h"
#include "engine/item.h"
#include "engine/message_window.h"
#include "engine/pause_thread.h"
#include "engine/play_scene.h"
#include "engine/player.h"
#include "engine/scr_effect.h"
#include "engine/shot.h"
#include "engine/stage_chara.h"
#include "fixture/fixture.h"
#include "frame_play.h"
#include "play_kit.h"
#include "play_scene_kit.h"
#include "project/common_palette.h"
#include "project/database.h"
#include "project/save_data.h"
#include "script/cmd_param_def.h"
#include "test_thread.h"
#include "ui/input.h"

namespace {

using namespace frameplay;

// ---- Commands and flows ----

// A command of an item's command list: a list kind and its parameters.
cFlowCmd ListCmd(int listKind, std::initializer_list<int32_t> params) {
  cFlowCmd c;
  c.m_bySelector = 1;
  c.m_byKind = static_cast<int8_t>(listKind);
  if (const cCmdKindInfo* info = GetCmdKindInfo(1, listKind))
    c.m_vParam.assign(static_cast<size_t>(info->m_nParamCount), 0);
  size_t i = 0;
  for (int32_t p : params) c.m_vParam.CheckedAt(i++) = p;
  return c;
}

// The same command run without a time of use ("使用時間0").
cFlowCmd ZeroTime(cFlowCmd c) {
  c.m_bZeroTime = 1;
  return c;
}

// An always-running flow that runs once: its commands, then a wait longer than every case, so
// that the trigger does not start it again.
cFlow Once(const std::vector<cFlowCmd>& cmds) {
  std::vector<cFlowCmd> all = cmds;
  all.push_back(Wait(1000));
  return Flow(TRIGGER_ALWAYS, all);
}

// "ステータスの操作": stage variable n = v.
cFlowCmd SetS(int n, int v) { return Cmd(CMD_STATUS, {1, 1, n, 0, 0, 0, 0, v}); }

// "ターゲットの設定" into a slot (0..3): by a selection [1], with the other parameters given
// from [2] on.
cFlowCmd Target(int slot, int selection, std::initializer_list<int32_t> rest = {}) {
  cFlowCmd c = Cmd(CMD_SET_TARGET, {slot, selection});
  size_t i = 2;
  for (int32_t p : rest) c.m_vParam.CheckedAt(i++) = p;
  return c;
}

// A command of a kind with a movement record: direction code, speed (tenths of a dot a frame),
// time in tenths.
cFlowCmd Move(int kind, int direction, int speed, int time) {
  cFlowCmd c = Cmd(kind, {}, time);
  CreateEdMove(c.m_pMove);
  c.m_pMove->m_byDirection = static_cast<uint8_t>(direction);
  c.m_pMove->m_sSpeed = static_cast<int16_t>(speed);
  return c;
}
// The same aimed through a target slot (0..3).
cFlowCmd MoveAt(int kind, int slot, int speed, int time) {
  cFlowCmd c = Move(kind, 0, speed, time);
  c.m_pMove->m_byTargetSlot = static_cast<uint8_t>(slot);
  return c;
}
// "ワープ": specify mode, direction code, distance in half blocks.
cFlowCmd Warp(int mode, int direction, int distance) {
  cFlowCmd c = Move(CMD_WARP, direction, 0, 0);
  c.m_pMove->m_byGoalMode = static_cast<uint8_t>(mode);
  c.m_pMove->m_sDistance = static_cast<int16_t>(distance);
  return c;
}

// A command of a kind with a shot record of one object a volley in front, at a speed (tenths
// of a dot a frame) for a time in tenths.
cFlowCmd WithShot(int kind, int speed, int time) {
  cFlowCmd c = Cmd(kind, {}, time);
  CreateEdShot(c.m_pShot);
  c.m_pShot->m_byCount = 1;
  c.m_pShot->m_sSpeed = static_cast<int16_t>(speed);
  return c;
}
cFlowCmd Shot(int speed, int time = 0) { return WithShot(CMD_SHOT, speed, time); }
// A summon of entry 1 of the stage's palette in front.
cFlowCmd Summon(int kind) {
  cFlowCmd c = WithShot(kind, 0, 0);
  c.m_pShot->m_bySummonPalette = 1;
  c.m_pShot->m_sSummonIndex = 1;
  return c;
}

// "フローの操作": operation, which flows, flow ID, owner.
cFlowCmd FlowOp(int op, int which, int id = 0, int owner = 0) {
  return Cmd(CMD_FLOW_OPERATION, {op, which, id, owner});
}

// "メッセージ" with a text: placement [0], display mode [6], hold [8], expand [9], ID [12], [13],
// erase [15].
struct MessageSpec {
  int placement = 0;
  int mode = MESSAGE_UNTIL_STAGE_END;
  int hold = 0;
  int expand = 0;
  int id = 0;  // 0: none
  int erase = 0;
};
cFlowCmd Message(const std::string& text, const MessageSpec& m) {
  cFlowCmd c = Cmd(CMD_MESSAGE);
  c.m_strText = text;
  c.m_vParam[0] = m.placement;
  c.m_vParam[6] = m.mode;
  c.m_vParam[8] = m.hold;
  c.m_vParam[9] = m.expand;
  c.m_vParam[12] = m.id ? 1 : 0;
  c.m_vParam[13] = m.id;
  c.m_vParam[15] = m.erase;
  return c;
}

// ---- Stages ----

// A computer character walking on the floor (otherwise as Flyer: HP 10, score 100, facing left).
cCharaData Walker(int cid, int layer, const std::vector<cFlow>& flows = {}) {
  cCharaData c = Flyer(cid, layer, flows);
  c.m_byFlying = 0;
  return c;
}

// An appearance condition that never holds (common variable 0 equal to 5).
cCharaData NeverAppears(cCharaData c) {
  cCond never;
  never.m_byKind = 1;
  never.m_nValue = 5;
  c.m_vCond.push_back(never);
  return c;
}

cCharaData FacingRight(cCharaData c) {
  c.m_byDirection = 1;
  return c;
}

// A stage with the hero and character 1 (flying, side 2) on cell (8, 10) with flows; `shape`
// changes its definition, `more` adds to the stage.
cStage OneFlyer(const std::vector<cFlow>& flows, const std::function<void(cStage&)>& more = nullptr,
                const std::function<cCharaData(cCharaData)>& shape = nullptr) {
  cStage s = FloorStage(40);
  cCharaData one = Flyer(1, 2, flows);
  fixture::Place(s, shape ? shape(one) : one, 8, 10);
  if (more) more(s);
  return s;
}

// The stage at k sub-steps a frame (speed level k).
cStage AtSubSteps(cStage s, int k) {
  s.m_nSpeedLevel = k;
  return s;
}

// Character 2 (flying, side 2) on a cell, appearing or not.
std::function<void(cStage&)> Second(int column, int row, bool appears = true) {
  return [=](cStage& s) {
    cCharaData two = Flyer(2, 2);
    fixture::Place(s, appears ? two : NeverAppears(two), column, row);
  };
}

// ---- Play ----

// The pause loop's frame services: the button word of each poll comes from a script (past its
// end, the last entry); the frames it presents are counted.
struct HeldLoop {
  static std::vector<int> buttons;
  static int polls;
  static int presents;
  static void Poll(cSafeVector<cInput>& v) {
    const size_t i = std::min(static_cast<size_t>(polls), buttons.size() - 1);
    v[0].SetWords(0, static_cast<WORD>(buttons[i]));
    ++polls;
  }
  static void Present() { ++presents; }
};
std::vector<int> HeldLoop::buttons;
int HeldLoop::polls = 0;
int HeldLoop::presents = 0;

// The tables that the program's start-up derives from the database and the command vocabulary:
// the arrangeable parameters, the animation and effect step lists, the effect templates.
void BuildStartUpTables() {
  BuildCommandParamTable();
  BuildAnimeStepTable(g_Database, g_vAnimeSteps);
  BuildEffectStepTable(g_Database, g_vEffectSteps);
  g_Database.CopyEffectLists();
  BuildCharaEffectTables(g_vCharaEffectTemplate, g_vCharaEffectTemplateRev);
  BuildScrEffectTables(g_vScrEffectTemplate, g_vScrEffectTemplateRev);
}

cPlayer& Hero() { return g_vPlayer[0]; }

// The shots (not swords) in play, in list order; and the swords.
std::vector<cShot*> Shots(bool swords = false) {
  std::vector<cShot*> v;
  g_lpPlayScene->m_lShot.ForEach([&](cShot& s) {
    if ((s.m_bShot == 0) == swords) v.push_back(&s);
  });
  return v;
}

void ExpectAt(int cid, double x, double y, double tolerance = 1e-9) {
  cStageChara* c = InPlay(cid);
  ASSERT_NE(c, nullptr) << "character " << cid;
  EXPECT_NEAR(c->m_dX, x, tolerance) << "character " << cid;
  EXPECT_NEAR(c->m_dY, y, tolerance) << "character " << cid;
}

// A walker standing on the floor row 14: falling 0.4 a frame and landing each time its bottom
// reaches the floor cell, which puts it back by the whole dots it entered (its y stays in
// 744 ≤ y < 745).
void ExpectStanding(int cid, double x) {
  cStageChara* c = InPlay(cid);
  ASSERT_NE(c, nullptr) << "character " << cid;
  EXPECT_EQ(c->m_dX, x) << "character " << cid;
  EXPECT_GE(c->m_dY, 744) << "character " << cid;
  EXPECT_LT(c->m_dY, 745) << "character " << cid;
}

// A value noted by one checkpoint for a later one.
double g_mark = 0;

// The body of a flying character on a cell.
constexpr double FlyX(int column) { return (column + 10) * 32 + 8.5; }
constexpr double FlyY(int row) { return (row + 10) * 32 + 8; }

// ---- The table ----

// What to check after a frame (0: before the first).
struct Checkpoint {
  int frame;
  std::function<void(Play&)> check;
};

struct KindCase {
  const char* name;
  std::function<cStage()> stage;
  std::vector<Checkpoint> checks;
  // Database entries the case needs, put in before the stage starts (the database is put back
  // afterwards).
  std::function<void()> database = nullptr;
};

void PrintTo(const KindCase& c, std::ostream* os) { *os << c.name; }

// What a case changes of the program's globals, put back when it ends: the database and the
// common palette, the tables the start-up derives from them, the pause loop's frame services
// (the held frames are scripted and counted) and the message font (8 × 16 dots a character).
class CaseGlobals {
 public:
  CaseGlobals()
      : database_(g_Database),
        palette_(g_CommonPalette),
        steps_(g_vAnimeSteps),
        effectSteps_(g_vEffectSteps),
        scrEffects_(g_vScrEffectTemplate),
        scrEffectsRev_(g_vScrEffectTemplateRev),
        paramDefs_(g_vCmdParamDef),
        link_(g_PauseLink),
        cell_(g_Font[1].nCellWidth),
        line_(g_Font[1].nLineHeight) {
    g_PauseLink = cPauseLink{};
    g_PauseLink.lpfnPollInput = &HeldLoop::Poll;
    g_PauseLink.lpfnPresentFrame = &HeldLoop::Present;
    HeldLoop::buttons.assign(1, 0);
    HeldLoop::polls = HeldLoop::presents = 0;
    g_Font[1].nCellWidth = 8;
    g_Font[1].nLineHeight = 16;
  }
  ~CaseGlobals() {
    g_Font[1].nCellWidth = cell_;
    g_Font[1].nLineHeight = line_;
    g_PauseLink = link_;
    g_Database = database_;
    g_CommonPalette = palette_;
    g_vAnimeSteps = steps_;
    g_vEffectSteps = effectSteps_;
    g_vScrEffectTemplate = scrEffects_;
    g_vScrEffectTemplateRev = scrEffectsRev_;
    g_vCmdParamDef = paramDefs_;
    Off_Msg.clear();
    Off_MsgEntry.clear();
  }
  CaseGlobals(const CaseGlobals&) = delete;
  CaseGlobals& operator=(const CaseGlobals&) = delete;

 private:
  cDatabase database_;
  cCommonPalette palette_;
  cAnimStepTable steps_;
  cAnimStepTable effectSteps_;
  cSafeVector<cScrEffectState> scrEffects_;
  cSafeVector<cScrEffectState> scrEffectsRev_;
  decltype(g_vCmdParamDef) paramDefs_;
  cPauseLink link_;
  int cell_;
  int line_;
};

// The requests to the main window of the running case.
playkit::WindowRequestRecorder* g_requests = nullptr;

// Plays a case: its database entries, its stage from the stage start, its checks after their
// frames.
void PlayCase(const KindCase& c, playkit::WindowRequestRecorder& requests) {
  g_requests = &requests;
  if (c.database) c.database();
  Play play(c.stage(), BuildStartUpTables);
  ASSERT_TRUE(play.ok);
  for (const Checkpoint& cp : c.checks) {
    play.To(cp.frame);
    SCOPED_TRACE("after frame " + std::to_string(cp.frame));
    cp.check(play);
  }
  g_requests = nullptr;
}

class CommandKinds : public ::testing::TestWithParam<KindCase> {
 protected:
  CaseGlobals globals_;
  playkit::WindowRequestRecorder requests_;
};

TEST_P(CommandKinds, PlayThroughTheFrame) { PlayCase(GetParam(), requests_); }

std::string CaseName(const ::testing::TestParamInfo<KindCase>& info) { return info.param.name; }

bool Requested(UINT msg, WPARAM w, LPARAM l) {
  for (const auto& r : g_requests->requests)
    if (r.msg == msg && r.wParam == w && r.lParam == l) return true;
  return false;
}

// ---- 0 (empty), 1 "ウエイト", 39 "ループ" ----

INSTANTIATE_TEST_SUITE_P(
    Timing, CommandKinds,
    ::testing::Values(
        // An empty command of 1 tenth lasts 6 ticks (frames 1..6); the count runs in frame 7.
        KindCase{"EmptyLastsItsTime",
                 [] {
                   return OneFlyer({Once({Cmd(CMD_NONE, {}, 1), CountInS(1)})});
                 },
                 {{6, [](Play& p) { EXPECT_EQ(p.S(1), 0); }}, {7, [](Play& p) { EXPECT_EQ(p.S(1), 1); }}}},
        // A wait of 2 tenths: 12 ticks, the count in frame 13.
        KindCase{"WaitLastsItsTime",
                 [] {
                   return OneFlyer({Once({Wait(2), CountInS(1)})});
                 },
                 {{12, [](Play& p) { EXPECT_EQ(p.S(1), 0); }}, {13, [](Play& p) { EXPECT_EQ(p.S(1), 1); }}}},
        // "ループ" {3, 1}: the count stands three times (one tick each) before the wait.
        KindCase{"LoopRepeatsItsBlock",
                 [] {
                   return OneFlyer({Once({Cmd(CMD_LOOP, {3, 1}), CountInS(1)})});
                 },
                 {{2, [](Play& p) { EXPECT_EQ(p.S(1), 2); }}, {20, [](Play& p) { EXPECT_EQ(p.S(1), 3); }}}},
        // A command without a time of use lets the next one run in the same tick.
        KindCase{"ZeroTimeCommandRunsWithTheNext",
                 [] {
                   return OneFlyer({Once({ZeroTime(SetS(1, 5)), CountInS(2)})});
                 },
                 {{1,
                   [](Play& p) {
                     EXPECT_EQ(p.S(1), 5);
                     EXPECT_EQ(p.S(2), 1);
                   }}}},
        // A "ステージ開始前" flow runs its commands without a time of use of kind 16 and above at
        // the stage's set-up, before the first frame, and passes the others by.
        KindCase{"StageStartFlowRunsItsZeroTimeCommands",
                 [] {
                   return OneFlyer({Flow(TRIGGER_BEFORE_STAGE, {ZeroTime(SetS(1, 5)), CountInS(2)})});
                 },
                 {{0,
                   [](Play& p) {
                     EXPECT_EQ(p.S(1), 5);
                     EXPECT_EQ(p.S(2), 0);
                   }}}},
        // At 3 sub-steps a frame a wait of 2 tenths is 36 ticks (frames 1..12); the count runs
        // in the first sub-step of frame 13.
        KindCase{"WaitLastsItsTimeAtThreeSubSteps",
                 [] {
                   return AtSubSteps(OneFlyer({Once({Wait(2), CountInS(1)})}), 3);
                 },
                 {{12, [](Play& p) { EXPECT_EQ(p.S(1), 0); }}, {13, [](Play& p) { EXPECT_EQ(p.S(1), 1); }}}}),
    CaseName);

// ---- Movement: 2 "直線移動" .. 10 "ジャンプ" ----

// A straight move of 1 tick (2 dots to the right) and then a move of a kind, for a character
// that must first stand one step further.
cFlowCmd StepRight() { return Move(CMD_MOVE_LINE, 3, 20, 0); }

cFlowCmd CircleMove() {
  // Radius 2 half blocks (32 dots), from 0° to 360° in 6 tenths (36 ticks): 10° a tick.
  cFlowCmd c = Move(CMD_MOVE_CIRCLE, 0, 0, 6);
  c.m_pMove->m_sRadius = 2;
  c.m_pMove->m_sAngle = 0;
  c.m_pMove->m_sDistance = 360;
  return c;
}

cFlowCmd MoveToPoint(int dx) {
  // To a point dx dots away (coordinates relative to the character), the time taken from the
  // distance.
  cFlowCmd c = Move(CMD_MOVE_LINE, 0, 20, 0);
  c.m_pMove->m_byGoalMode = 1;
  c.m_pMove->m_byCoordMode = 1;
  c.m_pMove->m_sGoalXDots = static_cast<int16_t>(dx);
  return c;
}

cCharaData FreeFacing(cCharaData c) {
  c.m_bFixedFacing = 0;
  return c;
}

INSTANTIATE_TEST_SUITE_P(
    Movement, CommandKinds,
    ::testing::Values(
        // "直線移動" to the right at 20 tenths a frame: 2 dots a frame; the facing is fixed.
        KindCase{"StraightMoveByDirection",
                 [] { return OneFlyer({Once({Move(CMD_MOVE_LINE, 3, 20, 100)})}); },
                 {{10,
                   [](Play&) {
                     ExpectAt(1, FlyX(8) + 20, FlyY(10));
                     EXPECT_EQ(InPlay(1)->m_nDir, 0);
                   }}}},
        // "前" of a character facing left whose facing is free: to the left, facing left.
        KindCase{"StraightMoveForwardKeepsAFreeFacing",
                 [] { return OneFlyer({Once({Move(CMD_MOVE_LINE, 0, 20, 100)})}, nullptr, FreeFacing); },
                 {{10,
                   [](Play&) {
                     ExpectAt(1, FlyX(8) - 20, FlyY(10));
                     EXPECT_EQ(InPlay(1)->m_nDir, 0);
                   }}}},
        // "右" turns a free facing to the right.
        KindCase{"StraightMoveTurnsAFreeFacing",
                 [] { return OneFlyer({Once({Move(CMD_MOVE_LINE, 3, 20, 100)})}, nullptr, FreeFacing); },
                 {{1, [](Play&) { EXPECT_EQ(InPlay(1)->m_nDir, 1); }}}},
        // "上" for a walker: no motion at all.
        KindCase{"StraightMoveUpDoesNotLiftAWalker",
                 [] {
                   cStage s = FloorStage(40);
                   fixture::Place(s, Walker(1, 2, {Once({Move(CMD_MOVE_LINE, 6, 20, 100)})}), 8, 13);
                   return s;
                 },
                 {{10, [](Play&) { ExpectStanding(1, FlyX(8)); }}}},
        // To a point 64 dots to the right at 2 dots a tick: 64 / 2 = 32 ticks, frames 1..32.
        KindCase{"StraightMoveToAPointTakesItsTimeFromTheDistance",
                 [] { return OneFlyer({Once({MoveToPoint(64)})}); },
                 {{31, [](Play&) { ExpectAt(1, FlyX(8) + 62, FlyY(10)); }},
                  {32, [](Play&) { ExpectAt(1, FlyX(8) + 64, FlyY(10)); }},
                  {40, [](Play&) { ExpectAt(1, FlyX(8) + 64, FlyY(10)); }}}},
        // "地上折り返し移動" facing right at 2 dots a frame from x 648.5 on a floor that ends
        // at column 12 (x 736). The tick of frame n sees x = 648.5 + 2 (n - 1): its right column
        // (x + 15) first lies over the gap in frame 38 (663.5 + 74 = 737.5); the walk turns it to
        // the left and still adds the step taken before the turn (x 724.5), then walks back.
        KindCase{"GroundTurnMoveTurnsAtTheFloorEdge",
                 [] {
                   cStage s = FloorStage(40, {}, 12);
                   cFlowCmd walk = Move(CMD_MOVE_GROUND_TURN, 0, 20, 100);
                   fixture::Place(s, FacingRight(Walker(1, 2, {Once({walk})})), 10, 13);
                   return s;
                 },
                 {{37,
                   [](Play&) {
                     ExpectStanding(1, 722.5);
                     EXPECT_EQ(InPlay(1)->m_nDir, 1);
                   }},
                  {38,
                   [](Play&) {
                     ExpectStanding(1, 724.5);
                     EXPECT_EQ(InPlay(1)->m_nDir, 0);
                   }},
                  {48, [](Play&) { ExpectStanding(1, 704.5); }}}},
        // "円移動" of radius 32, 10° a tick, rotation 0: the tick at phase p adds
        // vx = -(π / 180) × 32 × 10 × cos p, vy = -(π / 180) × 32 × 10 × sin p. After 18 ticks
        // (p = 0..170°): Σ cos = sin 90° cos 85° / sin 5° = 1, Σ sin = sin 90° sin 85° / sin 5°
        // = 11.430052; with (π / 18) × 32 = 5.5850536: dx = -5.585054, dy = -63.837455. After 36
        // ticks the circle is closed.
        KindCase{"CircleMoveGoesRoundAndBack",
                 [] { return OneFlyer({Once({CircleMove()})}); },
                 {{18, [](Play&) { ExpectAt(1, FlyX(8) - 5.585054, FlyY(10) - 63.837455, 1e-5); }},
                  {36, [](Play&) { ExpectAt(1, FlyX(8), FlyY(10), 1e-9); }}}},
        // "突撃移動" at the target of slot 1 (character 2 on cell (12, 6)), set in frame 1: from
        // the centre (272, 336) toward (400, 208), 2 dots a tick: √2 on each axis, from frame 2
        // on, along the first direction.
        KindCase{
            "ChargeMoveDashesAtItsTarget",
            [] {
              return OneFlyer({Once({TargetById(2), MoveAt(CMD_MOVE_CHARGE, 0, 20, 100)})}, Second(12, 6));
            },
            {{11, [](Play&) { ExpectAt(1, FlyX(8) + 10 * std::sqrt(2.0), FlyY(10) - 10 * std::sqrt(2.0), 1e-9); }}}},
        // The same at a character that does not appear: the target still stands there.
        KindCase{
            "ChargeMoveDashesAtATargetThatDoesNotAppear",
            [] {
              return OneFlyer({Once({TargetById(2), MoveAt(CMD_MOVE_CHARGE, 0, 20, 100)})}, Second(12, 6, false));
            },
            {{11, [](Play&) { ExpectAt(1, FlyX(8) + 10 * std::sqrt(2.0), FlyY(10) - 10 * std::sqrt(2.0), 1e-9); }}}},
        // At the empty slot 2: no motion.
        KindCase{"ChargeMoveWithAnEmptySlotStandsStill",
                 [] { return OneFlyer({Once({MoveAt(CMD_MOVE_CHARGE, 1, 20, 100)})}); },
                 {{10, [](Play&) { ExpectAt(1, FlyX(8), FlyY(10)); }}}},
        // "誘導移動" without delay at character 2 on cell (12, 10): 2 dots a tick to the right
        // from frame 2 until the centres meet (272 + 128 = 400: x 712.5 after frame 65), then
        // still.
        KindCase{"HomingMoveFollowsItsTarget",
                 [] {
                   return OneFlyer({Once({TargetById(2), MoveAt(CMD_MOVE_HOMING, 0, 20, 100)})}, Second(12, 10));
                 },
                 {{30, [](Play&) { ExpectAt(1, FlyX(8) + 58, FlyY(10)); }},
                  {80, [](Play&) { ExpectAt(1, FlyX(8) + 128, FlyY(10)); }}}},
        // At a character on cell (12, 10) that does not appear: toward it all the same.
        KindCase{"HomingMoveFollowsATargetThatDoesNotAppear",
                 [] {
                   return OneFlyer({Once({TargetById(2), MoveAt(CMD_MOVE_HOMING, 0, 20, 100)})}, Second(12, 10, false));
                 },
                 {{30, [](Play&) { ExpectAt(1, FlyX(8) + 58, FlyY(10)); }}}},
        KindCase{"HomingMoveWithAnEmptySlotStandsStill",
                 [] { return OneFlyer({Once({MoveAt(CMD_MOVE_HOMING, 1, 20, 100)})}); },
                 {{10, [](Play&) { ExpectAt(1, FlyX(8), FlyY(10)); }}}},
        // "画面外回避移動" watching the right edge ("左") for a character on column 19 (screen
        // left 608): one step right in frame 1 (left 610 > 608), back by 2 in frame 2, and at
        // 608 it stays.
        KindCase{"AvoidEdgeMoveBringsItBackFromTheRightEdge",
                 [] {
                   cStage s = FloorStage(40);
                   fixture::Place(s, Flyer(1, 2, {Once({StepRight(), Move(CMD_MOVE_AVOID_EDGE, 2, 20, 100)})}), 19, 10);
                   return s;
                 },
                 {{1, [](Play&) { ExpectAt(1, FlyX(19) + 2, FlyY(10)); }},
                  {2, [](Play&) { ExpectAt(1, FlyX(19), FlyY(10)); }},
                  {10, [](Play&) { ExpectAt(1, FlyX(19), FlyY(10)); }}}},
        // "移動の無効化" for 1 tenth holds a walker in the air (row 5: y 488) for frames 1..6;
        // gravity 0.4 a frame then pulls it: 488.4 after frame 7.
        KindCase{
            "StopMoveHoldsAWalkerInTheAir",
            [] {
              cStage s = FloorStage(40);
              fixture::Place(s, Walker(1, 2, {Once({Cmd(CMD_MOVE_CANCEL, {}, 1)})}), 8, 5);
              return s;
            },
            {{6, [](Play&) { ExpectAt(1, FlyX(8), 488); }}, {7, [](Play&) { ExpectAt(1, FlyX(8), 488.4, 1e-9); }}}},
        // "向き変更" toward target 1 (character 2 on its right): a fixed facing turns right.
        KindCase{
            "TurnFacesItsTarget",
            [] {
              return OneFlyer({Once({TargetById(2), Cmd(CMD_TURN, {2})})}, Second(12, 10));
            },
            {{1, [](Play&) { EXPECT_EQ(InPlay(1)->m_nDir, 0); }}, {2, [](Play&) { EXPECT_EQ(InPlay(1)->m_nDir, 1); }}}},
        // Toward a target that does not appear: it stands where it was placed.
        KindCase{"TurnFacesATargetThatDoesNotAppear",
                 [] {
                   return OneFlyer({Once({TargetById(2), Cmd(CMD_TURN, {2})})}, Second(12, 10, false));
                 },
                 {{2, [](Play&) { EXPECT_EQ(InPlay(1)->m_nDir, 1); }}}},
        // Away from target 1 (on its right) for one facing right: it turns left.
        KindCase{"TurnAwayFromItsTarget",
                 [] {
                   return OneFlyer({Once({TargetById(2), Cmd(CMD_TURN, {3})})}, Second(12, 10), FacingRight);
                 },
                 {{2, [](Play&) { EXPECT_EQ(InPlay(1)->m_nDir, 0); }}}},
        // Slot 1 holds the hero from the stage start: the hero stands on its left.
        KindCase{"TurnFacesTheHeroOfItsFirstSlot",
                 [] { return OneFlyer({Once({Cmd(CMD_TURN, {2})})}, nullptr, FacingRight); },
                 {{1, [](Play&) { EXPECT_EQ(InPlay(1)->m_nDir, 0); }}}},
        // Toward the empty slot 2: unchanged.
        KindCase{"TurnWithAnEmptySlotKeepsTheFacing",
                 [] { return OneFlyer({Once({Cmd(CMD_TURN, {4})})}, nullptr, FacingRight); },
                 {{3, [](Play&) { EXPECT_EQ(InPlay(1)->m_nDir, 1); }}}},
        // A facing that is not fixed does not take the command.
        KindCase{"TurnLeavesAFreeFacing",
                 [] { return OneFlyer({Once({Cmd(CMD_TURN, {1})})}, nullptr, FreeFacing); },
                 {{3, [](Play&) { EXPECT_EQ(InPlay(1)->m_nDir, 0); }}}},
        // "ジャンプ" of 2 half blocks after a wait of 1 tenth (frames 1..6), for a walker placed
        // on the floor at y 744: gravity 0.4 a frame and the landings (back by the whole dots
        // its bottom entered the floor cell) take it through 744.4, 744.2 (landed), 744.6, 744.4
        // (landed), 744.8, 744.6 (landed) by frame 6. vs = (-g - √(g (8 × 32 + g))) / 2 =
        // -5.2635955; the jump time is trunc(1 - vs / g) = 14 ticks → 14 / 6 + 1 = 3 tenths (18
        // ticks, frames 7..24); the count follows in frame 25. Jump frame j (= n - 6): y = 744.6 +
        // j vs + 0.2 j (j + 1): 712.63685, 712.57326 (the top) and 712.90966 at j = 12..14, 743.01011 at j = 25; at j =
        // 26 its bottom reaches 771.14652 and the landing takes it back by 4: 744.14652.
        KindCase{
            "JumpRisesItsHeightAndLands",
            [] {
              cStage s = FloorStage(40);
              fixture::Place(s, Walker(1, 2, {Once({Wait(1), Cmd(CMD_JUMP, {0, 0, 2, 0, 0}), CountInS(1)})}), 8, 13);
              return s;
            },
            {{6, [](Play&) { ExpectAt(1, FlyX(8), 744.6, 1e-9); }},
             {18, [](Play&) { ExpectAt(1, FlyX(8), 712.63685, 1e-5); }},
             {19, [](Play&) { ExpectAt(1, FlyX(8), 712.57326, 1e-5); }},
             {20, [](Play&) { ExpectAt(1, FlyX(8), 712.90966, 1e-5); }},
             {24, [](Play& p) { EXPECT_EQ(p.S(1), 0); }},
             {25, [](Play& p) { EXPECT_EQ(p.S(1), 1); }},
             {31, [](Play&) { ExpectAt(1, FlyX(8), 743.01011, 1e-5); }},
             {32, [](Play&) { ExpectAt(1, FlyX(8), 744.14652, 1e-5); }}}},
        // The hero's own "直線移動" to the right: 2 dots a frame from where it stood.
        KindCase{"StraightMoveMovesTheHero",
                 [] { return FloorStage(40, {Once({Move(CMD_MOVE_LINE, 3, 20, 100)})}); },
                 {{0, [](Play&) { g_mark = Hero().m_dX; }}, {10, [](Play&) { EXPECT_EQ(Hero().m_dX, g_mark + 20); }}}},
        // The hero's own "ジャンプ" of 2 half blocks, without key conditions ("高さがキーで調節できな
        // い"), after a wait of 1 tenth: standing like the walker above, it is at y 744.6 after
        // frame 6. The hero's start speed is vs × (0.99 - 0.025 × 0.4) = -5.1583236; jump frame
        // j (= n - 6): y = 744.6 + j v + 0.2 j (j + 1): 714.25844, 713.90012 (the top) and
        // 713.94179 at j = 11..13. Its time: trunc(1 - v / g) = 13 ticks → 13 / 6 + 1 = 3
        // tenths, so the count follows in frame 25.
        KindCase{"JumpLiftsTheHero",
                 [] {
                   return FloorStage(40, {Once({Wait(1), Cmd(CMD_JUMP, {0, 0, 2, 0, 0}), CountInS(1)})});
                 },
                 {{6, [](Play&) { EXPECT_NEAR(Hero().m_dY, 744.6, 1e-9); }},
                  {17, [](Play&) { EXPECT_NEAR(Hero().m_dY, 714.25844, 1e-5); }},
                  {18, [](Play&) { EXPECT_NEAR(Hero().m_dY, 713.90012, 1e-5); }},
                  {19, [](Play&) { EXPECT_NEAR(Hero().m_dY, 713.94179, 1e-5); }},
                  {24, [](Play& p) { EXPECT_EQ(p.S(1), 0); }},
                  {25, [](Play& p) { EXPECT_EQ(p.S(1), 1); }}}}),
    CaseName);

// ---- Objects: 11 "ショット", 12 "ソード", 13 "ブロック召喚", 14 "キャラ召喚",
// 15 "アイテム召喚" ----

// A shot of trajectory 3 ("ターゲットを狙う") at the target of a slot, aimed at once.
cFlowCmd ShotAtTarget(int slot) {
  cFlowCmd c = Shot(60);
  c.m_pShot->m_byTrajectory = 3;
  c.m_pShot->m_byTargetSlot = static_cast<uint8_t>(slot);
  return c;
}

cFlowCmd Sword() {
  cFlowCmd c = WithShot(CMD_SWORD, 0, 0);
  c.m_pShot->m_byTrajectory = 1;
  return c;
}

// Item 1 of the stage palette with a command list.
std::function<void(cStage&)> StageItem(const std::vector<cFlowCmd>& list) {
  return [=](cStage& s) {
    cItemData item = fixture::Item(1);
    item.m_vCmd.assign(list.begin(), list.end());
    s.m_vItem.resize(1);
    s.m_vItem.push_back(item);
  };
}

// Entry 1 of the stage's palettes: a solid block, flying character 9 of side 3, an item.
void SummonPalette(cStage& s) {
  s.m_vBlock.resize(1);
  s.m_vBlock.push_back(fixture::Block(1));
  s.m_vChara.resize(1);
  s.m_vChara.push_back(Flyer(9, 3));
  s.m_vItem.resize(1);
  s.m_vItem.push_back(fixture::Item(1));
}
// Character 1 facing right with the flows, and the summon palette.
cStage Summoner(const std::vector<cFlow>& flows) { return OneFlyer(flows, SummonPalette, FacingRight); }

INSTANTIATE_TEST_SUITE_P(
    Objects, CommandKinds,
    ::testing::Values(
        // "ショット" of character 1 facing left at 60 tenths (6 dots a frame): a 16 × 16 shot
        // at (320 + 256 + 1 - 16, 320 + 320 + 16 - 8) = (561, 648), moved in its first frame.
        KindCase{"ShotFliesFromItsOwnersFront",
                 [] { return OneFlyer({Once({Shot(60)})}); },
                 {{1,
                   [](Play&) {
                     ASSERT_EQ(Shots().size(), 1u);
                     EXPECT_EQ(Shots()[0]->m_dX, 555);
                     EXPECT_EQ(Shots()[0]->m_dY, 648);
                     EXPECT_EQ(Shots()[0]->m_nLayer, 2);
                   }},
                  {3,
                   [](Play&) {
                     ASSERT_EQ(Shots().size(), 1u);
                     EXPECT_EQ(Shots()[0]->m_dX, 543);
                   }}}},
        // A shot command of 2 tenths (12 ticks) fires on its first tick and on tick 7.
        KindCase{"ShotFiresEveryTenthItRuns",
                 [] { return OneFlyer({Once({Shot(10, 2)})}); },
                 {{6, [](Play&) { EXPECT_EQ(Shots().size(), 1u); }},
                  {7, [](Play&) { EXPECT_EQ(Shots().size(), 2u); }},
                  {20, [](Play&) { EXPECT_EQ(Shots().size(), 2u); }}}},
        // A walker on (8, 13) facing left fires a shot of power 3 along the floor row (y 744) at
        // the hero on (3, 13): the hero's HP 10 becomes 7 and the shot goes with its hit.
        KindCase{"ShotHitsTheHero",
                 [] {
                   cStage s = FloorStage(40);
                   cFlowCmd shot = Shot(60);
                   shot.m_pShot->m_nPower = 3;
                   fixture::Place(s, Walker(1, 2, {Once({shot})}), 8, 13);
                   return s;
                 },
                 {{0, [](Play&) { EXPECT_EQ(Hero().m_nHp, 10); }},
                  {30,
                   [](Play&) {
                     EXPECT_EQ(Hero().m_nHp, 7);
                     EXPECT_TRUE(Shots().empty());
                   }}}},
        // Aimed at target 1 (character 2 on (12, 6), set in frame 1) on its first move: from the
        // shot's centre (249, 336) to (400, 208): d = √(151² + 128²) = 197.95202, 6 dots a
        // frame: (4.576866, -3.879728).
        KindCase{"ShotAimsAtItsTarget",
                 [] {
                   return OneFlyer({Once({TargetById(2), ShotAtTarget(0)})}, Second(12, 6));
                 },
                 {{2,
                   [](Play&) {
                     ASSERT_EQ(Shots().size(), 1u);
                     EXPECT_NEAR(Shots()[0]->m_dX, 561 + 4.576866, 1e-5);
                     EXPECT_NEAR(Shots()[0]->m_dY, 648 - 3.879728, 1e-5);
                   }}}},
        // The same at a character that does not appear: it stands there all the same.
        KindCase{"ShotAimsAtATargetThatDoesNotAppear",
                 [] {
                   return OneFlyer({Once({TargetById(2), ShotAtTarget(0)})}, Second(12, 6, false));
                 },
                 {{2,
                   [](Play&) {
                     ASSERT_EQ(Shots().size(), 1u);
                     EXPECT_NEAR(Shots()[0]->m_dX, 561 + 4.576866, 1e-5);
                     EXPECT_NEAR(Shots()[0]->m_dY, 648 - 3.879728, 1e-5);
                   }}}},
        // At the empty slot 2: the shot keeps its course to the left.
        KindCase{"ShotAtAnEmptySlotKeepsItsCourse",
                 [] { return OneFlyer({Once({ShotAtTarget(1)})}); },
                 {{1,
                   [](Play&) {
                     ASSERT_EQ(Shots().size(), 1u);
                     EXPECT_EQ(Shots()[0]->m_dX, 555);
                     EXPECT_EQ(Shots()[0]->m_dY, 648);
                   }}}},
        // "ソード" of character 1 facing left: in front x = 320 + 256 - 24 = 552, y = 320 + 320 +
        // 16 - 4 = 652 while the first frame holds (its clock at most 12: frames 1..13); above,
        // x = 320 + 256 + 16 - 8 = 584, y = 320 + 320 - 16 = 624 (frames 14..19); gone in 20.
        KindCase{"SwordStandsInFrontOfItsOwnerAndEnds",
                 [] { return OneFlyer({Once({Sword()})}); },
                 {{1,
                   [](Play&) {
                     ASSERT_EQ(Shots(true).size(), 1u);
                     EXPECT_EQ(Shots(true)[0]->m_dX, 552);
                     EXPECT_EQ(Shots(true)[0]->m_dY, 652);
                     EXPECT_EQ(Shots(true)[0]->m_nDir, 0);
                   }},
                  {14,
                   [](Play&) {
                     ASSERT_EQ(Shots(true).size(), 1u);
                     EXPECT_EQ(Shots(true)[0]->m_dX, 584);
                     EXPECT_EQ(Shots(true)[0]->m_dY, 624);
                   }},
                  {20, [](Play&) { EXPECT_TRUE(Shots(true).empty()); }}},
                 PutSwordType1},
        // "ブロック召喚" of the stage palette's block in front of character 1 facing right:
        // (320 + 287 + 1, 320 + 320 + 16 - 16) = (608, 640), the cell (19, 20) of the grid.
        KindCase{"SummonBlockPutsABlockInFront",
                 [] { return Summoner({Once({Summon(CMD_SUMMON_BLOCK)})}); },
                 {{0, [](Play& p) { EXPECT_EQ(p.Scene().HitType(p.Scene().CellIndex(19, 20), 2), 0); }},
                  {1, [](Play& p) { EXPECT_NE(p.Scene().HitType(p.Scene().CellIndex(19, 20), 2), 0); }}}},
        // "キャラ召喚": character 9 at (608, 640), its body at (616.5, 648), with character 1 as
        // its summoner.
        KindCase{"SummonCharaPlacesItsChildInFront",
                 [] { return Summoner({Once({Summon(CMD_SUMMON_CHARA)})}); },
                 {{1,
                   [](Play&) {
                     ExpectAt(9, 616.5, 648);
                     EXPECT_EQ(InPlay(9)->m_lpSummoner, InPlay(1));
                     EXPECT_EQ(InPlay(9)->m_nLayer, 3);
                   }}}},
        // The child is found again as "子キャラ（最後に召喚したキャラ）" and read by the code.
        KindCase{"SummonedChildBecomesTheTarget",
                 [] {
                   return Summoner({Once({Summon(CMD_SUMMON_CHARA), Target(1, 5), Code("S1 = tg2.cid")})});
                 },
                 {{3, [](Play& p) { EXPECT_EQ(p.S(1), 9); }}}},
        // "アイテム召喚": a 28 × 28 item at (608, 640), its body at (610.5, 642).
        KindCase{"SummonItemPlacesAnItemInFront",
                 [] { return Summoner({Once({Summon(CMD_SUMMON_ITEM)})}); },
                 {{0, [](Play&) { EXPECT_EQ(g_lItem.Count(), 0u); }},
                  {1,
                   [](Play&) {
                     ASSERT_EQ(g_lItem.Count(), 1u);
                     cItem* item = g_lItem.Find([](cItem&) { return true; });
                     EXPECT_EQ(item->m_dX, 610.5);
                     EXPECT_EQ(item->m_dY, 642);
                   }}}},
        // A shot of the hero that gives stage item 1 on its hit (power 0: the item makes it
        // powered) meets the walker on (8, 13): the item's list runs for the hero once.
        KindCase{"ShotGivesItsItemOnAHit",
                 [] {
                   cFlowCmd shot = Shot(60);
                   shot.m_pShot->m_byItemPalette = 2;
                   shot.m_pShot->m_sItem = 1;
                   cStage s = FloorStage(40, {Once({shot})});
                   fixture::Place(s, Walker(1, 2), 8, 13);
                   StageItem({ListCmd(7, {1, 1, 4, 0, 0, 1, 0, 1})})(s);
                   return s;
                 },
                 {{30,
                   [](Play& p) {
                     EXPECT_EQ(p.S(4), 1);
                     EXPECT_TRUE(Shots().empty());
                   }}}},
        // The summoned character's own flow finds its summoner as "親キャラ".
        KindCase{"SummonedCharaFindsItsParent",
                 [] {
                   cStage s = Summoner({Once({Summon(CMD_SUMMON_CHARA)})});
                   s.m_vChara[1].m_vFlow.assign(1, Once({Target(1, 4), Code("S2 = tg2.cid")}));
                   return s;
                 },
                 {{5, [](Play& p) { EXPECT_EQ(p.S(2), 1); }}}},
        // A character summon of 2 tenths summons on its first tick and on tick 7: two children.
        KindCase{
            "SummonCharaEveryTenthItRuns",
            [] {
              cFlowCmd summon = Summon(CMD_SUMMON_CHARA);
              summon.m_sTime = 2;
              summon.m_pShot->m_sOffsetX = 0;
              return Summoner({Once({summon})});
            },
            {{6, [](Play&) { EXPECT_EQ(g_lChara.Count(), 2u); }}, {7, [](Play&) { EXPECT_EQ(g_lChara.Count(), 3u); }}}},
        // At 3 sub-steps a frame a tenth is 18 ticks: the second volley on tick 19, in frame 7.
        KindCase{
            "ShotFiresEveryTenthAtThreeSubSteps",
            [] { return AtSubSteps(OneFlyer({Once({Shot(10, 2)})}), 3); },
            {{6, [](Play&) { EXPECT_EQ(Shots().size(), 1u); }}, {7, [](Play&) { EXPECT_EQ(Shots().size(), 2u); }}}}),
    CaseName);

// ---- Flows and the game: 16 "フローの操作", 17 "ステージクリア", 18 "ゲームウエイト",
// 19 "メッセージ" ----

// Character 2 on (12, 10), appearing or not, whose flow A (started only by the flow operation)
// counts in S1 and whose always-running flow B counts in S2.
std::function<void(cStage&)> SecondWithFlows(bool appears) {
  return [=](cStage& s) {
    cCharaData two = Flyer(2, 2, {Flow(TRIGGER_NONE, {CountInS(1)}, 1), Flow(TRIGGER_ALWAYS, {CountInS(2)}, 2)});
    fixture::Place(s, appears ? two : NeverAppears(two), 12, 10);
  };
}

cSafeList<cMessageWindow>& Windows() { return g_lpPlayScene->m_lMessage; }

INSTANTIATE_TEST_SUITE_P(
    FlowsAndGame, CommandKinds,
    ::testing::Values(
        // "終了" of "このフロー" ends the flow before its count, every time it starts.
        KindCase{"FlowOperationEndsThisFlow",
                 [] {
                   return OneFlyer({Flow(TRIGGER_ALWAYS, {FlowOp(1, 0), CountInS(1)})});
                 },
                 {{5, [](Play& p) { EXPECT_EQ(p.S(1), 0); }}}},
        // "永久停止" of "このフロー以外全て": the counting flow (first in the list) counted once in
        // frame 1 and never starts again.
        KindCase{"FlowOperationStopsTheOtherFlowsForever",
                 [] {
                   return OneFlyer({Flow(TRIGGER_ALWAYS, {CountInS(1)}), Once({FlowOp(5, 1)})});
                 },
                 {{1, [](Play& p) { EXPECT_EQ(p.S(1), 1); }}, {5, [](Play& p) { EXPECT_EQ(p.S(1), 1); }}}},
        // "開始" of flow A of target 1 (character 2, which acts after character 1): its count
        // runs in the same frame 2, once.
        KindCase{"FlowOperationStartsAFlowOfItsTarget",
                 [] {
                   return OneFlyer({Once({TargetById(2), FlowOp(0, 2, 1, 1)})}, SecondWithFlows(true));
                 },
                 {{1, [](Play& p) { EXPECT_EQ(p.S(1), 0); }},
                  {2, [](Play& p) { EXPECT_EQ(p.S(1), 1); }},
                  {10, [](Play& p) { EXPECT_EQ(p.S(1), 1); }}}},
        // The same flow of a character that does not appear: started, never stepped.
        KindCase{"FlowOperationOnATargetThatDoesNotAppear",
                 [] {
                   return OneFlyer({Once({TargetById(2), FlowOp(0, 2, 1, 1)})}, SecondWithFlows(false));
                 },
                 {{10,
                   [](Play& p) {
                     EXPECT_EQ(p.S(1), 0);
                     ASSERT_NE(InPlay(2), nullptr);
                     EXPECT_EQ(InPlay(2)->m_vFlowRun[0].m_bRunning, 1);
                   }}}},
        // "削除" of flow B of target 1 in frame 2: it counted in frame 1 only.
        KindCase{"FlowOperationDeletesAFlowOfItsTarget",
                 [] {
                   return OneFlyer({Once({TargetById(2), FlowOp(4, 2, 2, 1)})}, SecondWithFlows(true));
                 },
                 {{1, [](Play& p) { EXPECT_EQ(p.S(2), 1); }},
                  {5,
                   [](Play& p) {
                     EXPECT_EQ(p.S(2), 1);
                     ASSERT_NE(InPlay(2), nullptr);
                     EXPECT_EQ(InPlay(2)->m_vFlowRun.size(), 1u);
                   }}}},
        // With an empty owner slot (target 2) nothing is started.
        KindCase{"FlowOperationWithAnEmptySlotDoesNothing",
                 [] { return OneFlyer({Once({FlowOp(0, 2, 1, 2)})}, SecondWithFlows(true)); },
                 {{5, [](Play& p) { EXPECT_EQ(p.S(1), 0); }}}},
        // "ステージクリア" by the hero, "番号で指定" 5: the play ends in frame 1.
        KindCase{"StageClearByTheHeroEndsThePlay",
                 [] {
                   return FloorStage(40, {Once({Cmd(CMD_STAGE_CLEAR, {1, 5})})});
                 },
                 {{1,
                   [](Play& p) {
                     EXPECT_EQ(p.Scene().m_nState, 4);
                     EXPECT_EQ(p.Scene().m_nNextStage, 5);
                   }}}},
        // By a character, "ワールドクリア": it acts after the hero, so the hero's turn of frame 2
        // ends the play.
        KindCase{"StageClearByACharacterEndsThePlayAtTheHerosTurn",
                 [] { return OneFlyer({Once({Cmd(CMD_STAGE_CLEAR, {3})})}); },
                 {{1,
                   [](Play& p) {
                     EXPECT_EQ(p.Scene().m_nState, 2);
                     EXPECT_EQ(p.Scene().m_nStageResult, 1);
                   }},
                  {2,
                   [](Play& p) {
                     EXPECT_EQ(p.Scene().m_nState, 4);
                     EXPECT_EQ(p.Scene().m_nNextStage, 0);
                   }}}},
        // "ゲームウエイト" of 1 tenth: the held loop draws 6 frames (6 → 0 counted, the seventh
        // poll ends it) and its timer window goes; the count follows in frame 2.
        KindCase{"GameWaitHoldsTheGame",
                 [] {
                   return OneFlyer({Once({Cmd(CMD_GAME_WAIT, {1}), CountInS(1)})});
                 },
                 {{1,
                   [](Play& p) {
                     EXPECT_EQ(HeldLoop::presents, 6);
                     EXPECT_TRUE(Windows().empty());
                     EXPECT_EQ(p.S(1), 0);
                   }},
                  {2, [](Play& p) { EXPECT_EQ(p.S(1), 1); }}}},
        // "メッセージ" above its character with S1 = 42 expanded, shown until the stage ends.
        KindCase{"MessageShowsItsTextAboveItsCharacter",
                 [] {
                   MessageSpec m;
                   m.placement = 1;
                   m.expand = 1;
                   return OneFlyer({Once({SetS(1, 42), Message("S=#S1", m)})});
                 },
                 {{1, [](Play&) { EXPECT_TRUE(Windows().empty()); }},
                  {2,
                   [](Play&) {
                     ASSERT_EQ(Windows().size(), 1u);
                     EXPECT_EQ(Windows().front().m_strText, "S=42");
                     EXPECT_EQ(Windows().front().m_nAnchorId, InPlay(1)->m_nId);
                   }},
                  {20, [](Play&) { EXPECT_EQ(Windows().size(), 1u); }}}},
        // Above the hero: the hero is its anchor.
        KindCase{"MessageAboveTheHero",
                 [] {
                   MessageSpec m;
                   m.placement = 4;
                   return OneFlyer({Once({Message("hello", m)})});
                 },
                 {{1,
                   [](Play&) {
                     ASSERT_EQ(Windows().size(), 1u);
                     EXPECT_EQ(Windows().front().m_nAnchorId, Hero().m_nId);
                   }}}},
        // A message with ID 3, then its erase.
        KindCase{
            "MessageErasedById",
            [] {
              MessageSpec show;
              show.id = 3;
              MessageSpec erase = show;
              erase.erase = 1;
              return OneFlyer({Once({Message("a", show), Message("", erase)})});
            },
            {{1, [](Play&) { EXPECT_EQ(Windows().size(), 1u); }}, {2, [](Play&) { EXPECT_TRUE(Windows().empty()); }}}},
        // Holding the game until the key: the message sound (11) first; the first 10 held frames
        // ignore the key, the press at the 12th poll ends the hold with sound 12; the window
        // goes, and the count runs in frame 2.
        KindCase{"MessageHoldsTheGameUntilTheKey",
                 [] {
                   HeldLoop::buttons.assign(11, 0);
                   HeldLoop::buttons.push_back(1);
                   MessageSpec m;
                   m.mode = MESSAGE_UNTIL_KEY;
                   m.hold = 1;
                   return FloorStage(40, {Once({Message("wait", m), CountInS(1)})});
                 },
                 {{1,
                   [](Play& p) {
                     EXPECT_EQ(g_requests->Sounds(), (std::vector<int>{11, 12}));
                     EXPECT_EQ(HeldLoop::presents, 11);
                     EXPECT_TRUE(Windows().empty());
                     EXPECT_EQ(p.S(1), 0);
                   }},
                  {2, [](Play& p) { EXPECT_EQ(p.S(1), 1); }}}},
        // Shown for 1 tenth without holding the game: drawn in 6 frames (1..6), gone in frame 7.
        KindCase{
            "MessageShownForItsTime",
            [] {
              MessageSpec m;
              m.mode = MESSAGE_TIMED;
              cFlowCmd c = Message("timed", m);
              c.m_vParam[7] = 1;
              return OneFlyer({Once({c})});
            },
            {{6, [](Play&) { EXPECT_EQ(Windows().size(), 1u); }}, {7, [](Play&) { EXPECT_TRUE(Windows().empty()); }}}}),
    CaseName);

// ---- Characters: 20 "ワープ", 21 "ターゲットの設定", 22 "ステータスの操作",
// 23 "ステータスの操作2", 24 "消滅" ----

// The character in target slot `slot` of character `cid`.
cChara* TargetOf(int cid, int slot) {
  cStageChara* c = InPlay(cid);
  return c ? c->Target(slot) : nullptr;
}

// Flying character `cid` of side 3 on a cell.
std::function<void(cStage&)> OfSide3(int cid, int column) {
  return [=](cStage& s) { fixture::Place(s, Flyer(cid, 3), column, 10); };
}

INSTANTIATE_TEST_SUITE_P(
    Characters, CommandKinds,
    ::testing::Values(
        // "ワープ" "上" by 2 half blocks: 32 dots up.
        KindCase{"WarpUpByItsDistance",
                 [] { return OneFlyer({Once({Warp(0, 6, 2)})}); },
                 {{1, [](Play&) { ExpectAt(1, FlyX(8), FlyY(10) - 32); }}}},
        // 8 half blocks down would put a flyer that meets blocks (flying mode 2) into the floor
        // (row 14): it stays.
        KindCase{"WarpIntoTheFloorIsUndone",
                 [] {
                   return OneFlyer({Once({Warp(0, 7, 8)})}, nullptr, [](cCharaData c) {
                     c.m_byFlying = 2;
                     return c;
                   });
                 },
                 {{1, [](Play&) { ExpectAt(1, FlyX(8), FlyY(10)); }}}},
        // "右" of target 1 (character 2 on (12, 10)) by 2 half blocks: the base point centres
        // its cell on the target's, x - 8 + 32 / 2 + 8 - 32 / 2 = the target's x (712.5), then 32
        // to the right.
        KindCase{"WarpBesideItsTarget",
                 [] {
                   return OneFlyer({Once({TargetById(2), Warp(1, 3, 2)})}, Second(12, 10));
                 },
                 {{2, [](Play&) { ExpectAt(1, FlyX(12) + 32, FlyY(10)); }}}},
        KindCase{"WarpBesideATargetThatDoesNotAppear",
                 [] {
                   return OneFlyer({Once({TargetById(2), Warp(1, 3, 2)})}, Second(12, 10, false));
                 },
                 {{2, [](Play&) { ExpectAt(1, FlyX(12) + 32, FlyY(10)); }}}},
        // Beside the hero of slot 1: the two 32 × 32 cells are centred on each other (the hero's
        // body lies at (8, 8) in its cell, the flyer's at (8, 8) in its own), 32 to the right.
        KindCase{"WarpBesideTheHero",
                 [] { return OneFlyer({Once({Warp(1, 3, 2)})}); },
                 {{1, [](Play&) { ExpectAt(1, Hero().m_dX + 32, Hero().m_dY); }}}},
        // Relative to the empty slot 2: nothing.
        KindCase{"WarpFromAnEmptySlotDoesNothing",
                 [] { return OneFlyer({Once({Warp(2, 3, 2)})}); },
                 {{1, [](Play&) { ExpectAt(1, FlyX(8), FlyY(10)); }}}},
        // "ターゲットの設定" "最も近いキャラ" of side 3 on screen only: character 2 on column 35
        // is off screen, the slot stays empty; over the whole range it is found.
        KindCase{"TargetNearestOnScreenMissesOneOffScreen",
                 [] {
                   return OneFlyer({Once({Target(1, 2, {3, 0, 2})})}, OfSide3(2, 35));
                 },
                 {{1, [](Play&) { EXPECT_EQ(TargetOf(1, 1), nullptr); }}}},
        KindCase{"TargetNearestOverTheWholeRange",
                 [] {
                   return OneFlyer({Once({Target(1, 2, {3, 0, 1})})}, OfSide3(2, 35));
                 },
                 {{1, [](Play&) { EXPECT_EQ(TargetOf(1, 1), InPlay(2)); }}}},
        // Range 0 prefers the one on screen (column 2, 192 dots off) to the nearer one off
        // screen (column 21, 128 dots off) for character 1 on column 17.
        KindCase{"TargetNearestPrefersOneOnScreen",
                 [] {
                   cStage s = FloorStage(40);
                   fixture::Place(s, Flyer(1, 2, {Once({Target(1, 2, {3, 0, 0})})}), 17, 10);
                   OfSide3(2, 21)(s);
                   OfSide3(3, 2)(s);
                   return s;
                 },
                 {{1, [](Play&) { EXPECT_EQ(TargetOf(1, 1), InPlay(3)); }}}},
        // "主人公" into slot 2.
        KindCase{"TargetTheHero",
                 [] { return OneFlyer({Once({Target(1, 0)})}); },
                 {{1, [](Play&) { EXPECT_EQ(TargetOf(1, 1), &Hero()); }}}},
        // By character ID, one that does not appear is found too.
        KindCase{"TargetByIdFindsOneThatDoesNotAppear",
                 [] { return OneFlyer({Once({TargetById(2, 1)})}, Second(12, 10, false)); },
                 {{1, [](Play&) { EXPECT_EQ(TargetOf(1, 1), InPlay(2)); }}}},
        // Nothing found, "ターゲット無し": the hero leaves slot 1.
        KindCase{"TargetNotFoundClearsTheSlot",
                 [] { return OneFlyer({Once({TargetById(5, 0)})}); },
                 {{0, [](Play&) { EXPECT_EQ(TargetOf(1, 0), &Hero()); }},
                  {1, [](Play&) { EXPECT_EQ(TargetOf(1, 0), nullptr); }}}},
        // "ステータスの操作" on target 1, the hero from the stage start: HP 10 - 3.
        KindCase{"StatusOperationOnTheHeroOfItsFirstSlot",
                 [] {
                   return OneFlyer({Once({Cmd(CMD_STATUS, {0, 0, 0, 1, 1, 2, 0, 3})})});
                 },
                 {{1, [](Play&) { EXPECT_EQ(Hero().m_nHp, 7); }}}},
        // Character variable 1 of target 1 (character 2) = 9.
        KindCase{"StatusOperationOnItsTarget",
                 [] {
                   return OneFlyer({Once({TargetById(2), Cmd(CMD_STATUS, {0, 0, 1, 1, 0, 0, 0, 9})})}, Second(12, 10));
                 },
                 {{2, [](Play&) { EXPECT_EQ(InPlay(2)->m_vVar[1], 9); }}}},
        // S1 = the HP of the empty slot 2: the command does nothing (S1 stays 5).
        KindCase{"StatusOperationFromAnEmptySlotDoesNothing",
                 [] {
                   return OneFlyer({Once({SetS(1, 5), Cmd(CMD_STATUS, {1, 1, 1, 0, 0, 0, 2, 0, 0, 0, 0, 0, 2, 1})})});
                 },
                 {{2, [](Play& p) { EXPECT_EQ(p.S(1), 5); }}}},
        // "ステータスの操作2" "透明" on target 1 (character 2).
        KindCase{"Status2MakesItsTargetTransparent",
                 [] {
                   return OneFlyer({Once({TargetById(2), Cmd(CMD_STATUS2, {1, 1, 1})})}, Second(12, 10));
                 },
                 {{2, [](Play&) { EXPECT_EQ(InPlay(2)->m_Data.m_bTransparent, 1); }}}},
        // "無敵" 2 on the hero of slot 1.
        KindCase{"Status2MakesTheHeroInvincible",
                 [] {
                   return OneFlyer({Once({Cmd(CMD_STATUS2, {1, 4, 2})})});
                 },
                 {{1, [](Play&) { EXPECT_EQ(Hero().m_Data.m_byInvincible, 2); }}}},
        // "飛行" on the hero: free of gravity.
        KindCase{"Status2MakesTheHeroFly",
                 [] {
                   return OneFlyer({Once({Cmd(CMD_STATUS2, {1, 3, 1})})});
                 },
                 {{0, [](Play&) { EXPECT_EQ(Hero().m_bFree, 0); }}, {1, [](Play&) { EXPECT_EQ(Hero().m_bFree, 1); }}}},
        // "巨大化" 2 of itself: its 16 × 16 body and 32 × 32 cell double.
        KindCase{"Status2ZoomsItself",
                 [] {
                   return OneFlyer({Once({Cmd(CMD_STATUS2, {0, 5, 2})})});
                 },
                 {{1,
                   [](Play&) {
                     cStageChara* c = InPlay(1);
                     ASSERT_NE(c, nullptr);
                     EXPECT_EQ(c->m_nZoom, 2);
                     EXPECT_EQ(c->m_nWidth, 32);
                     EXPECT_EQ(c->m_nHeight, 32);
                     EXPECT_EQ(c->m_nGraphicW, 64);
                   }}}},
        // "消滅" state of target 1, which does not appear: it goes with the check after the
        // acting character's turn.
        KindCase{
            "Status2VanishesATargetThatDoesNotAppear",
            [] {
              return OneFlyer({Once({TargetById(2), Cmd(CMD_STATUS2, {1, 0, 0})})}, Second(12, 10, false));
            },
            {{1, [](Play&) { EXPECT_NE(InPlay(2), nullptr); }}, {2, [](Play&) { EXPECT_EQ(InPlay(2), nullptr); }}}},
        // "システム" horizontal auto-scroll on at the stage's speed 10 (1 dot a sub-step): set in
        // frame 1, the view moves from frame 2 on.
        KindCase{"Status2StartsTheAutoScroll",
                 [] {
                   cStage s = OneFlyer({Once({Cmd(CMD_STATUS2, {5, 0, 1})})});
                   s.m_nAutoSpeedX = 10;
                   return s;
                 },
                 {{1, [](Play& p) { EXPECT_EQ(p.Scene().m_ScrollX.m_dPos, 320); }},
                  {5, [](Play& p) { EXPECT_EQ(p.Scene().m_ScrollX.m_dPos, 324); }}}},
        // "消滅" of the shots of side 2 on screen: its own shot of frame 1 goes in frame 2.
        KindCase{"VanishTakesTheShotsOfASide",
                 [] {
                   return OneFlyer({Once({Shot(10), Cmd(CMD_VANISH, {1, 2, 0})})});
                 },
                 {{1, [](Play&) { EXPECT_EQ(Shots().size(), 1u); }}, {2, [](Play&) { EXPECT_TRUE(Shots().empty()); }}}},
        // "子のショット": the same through the shot links.
        KindCase{"VanishTakesItsOwnShots",
                 [] {
                   return OneFlyer({Once({Shot(10), Cmd(CMD_VANISH, {3})})});
                 },
                 {{1, [](Play&) { EXPECT_EQ(Shots().size(), 1u); }}, {2, [](Play&) { EXPECT_TRUE(Shots().empty()); }}}},
        // "子以下のキャラ": the character it summoned in frame 1 goes in frame 2; it stays.
        KindCase{"VanishTakesItsChildren",
                 [] {
                   return Summoner({Once({Summon(CMD_SUMMON_CHARA), Cmd(CMD_VANISH, {2})})});
                 },
                 {{1, [](Play&) { EXPECT_NE(InPlay(9), nullptr); }},
                  {2,
                   [](Play&) {
                     EXPECT_EQ(InPlay(9), nullptr);
                     EXPECT_NE(InPlay(1), nullptr);
                   }}}},
        // The characters of side 2 over the whole range leave one that does not appear.
        KindCase{"VanishOfASideLeavesOneThatDoesNotAppear",
                 [] {
                   cStage s = FloorStage(40, {Once({Cmd(CMD_VANISH, {0, 2, 1})})});
                   fixture::Place(s, NeverAppears(Flyer(1, 2)), 8, 10);
                   fixture::Place(s, Flyer(2, 2), 12, 10);
                   return s;
                 },
                 {{2,
                   [](Play&) {
                     EXPECT_NE(InPlay(1), nullptr);
                     EXPECT_EQ(InPlay(2), nullptr);
                   }}}},
        // "システム" horizontal auto-scroll set by "ステータスの操作" on a stage whose auto-scroll is
        // switched on at speed 0: speed 10 (1 dot a sub-step) from frame 2 on.
        KindCase{"StatusOperationSetsTheScrollSpeed",
                 [] {
                   cStage s = OneFlyer({Once({Cmd(CMD_STATUS, {0, 0, 0, 5, 1, 0, 0, 10})})});
                   s.m_nScrollModeX = 1;
                   return s;
                 },
                 {{1, [](Play& p) { EXPECT_EQ(p.Scene().m_ScrollX.m_dPos, 320); }},
                  {5, [](Play& p) { EXPECT_EQ(p.Scene().m_ScrollX.m_dPos, 324); }}}},
        // "オートスクロールとシンクロ" on itself while the view scrolls 1 dot a sub-step from the
        // stage start: it is carried from frame 2 on (9 dots by frame 10) and keeps its place on
        // the screen.
        KindCase{"Status2SyncsItWithTheAutoScroll",
                 [] {
                   cStage s = OneFlyer({Once({Cmd(CMD_STATUS2, {0, 6, 1})})});
                   s.m_nScrollModeX = 1;
                   s.m_nAutoSpeedX = 10;
                   return s;
                 },
                 {{1, [](Play&) { ExpectAt(1, FlyX(8), FlyY(10)); }},
                  {10,
                   [](Play& p) {
                     ExpectAt(1, FlyX(8) + 9, FlyY(10));
                     EXPECT_EQ(p.Scene().m_ScrollX.m_dPos, 330);
                   }}}}),
    CaseName);

// ---- Items and graphics: 25 "アイテムの取得", 26 "グラフィックの変更",
// 27 "基本アニメセットの変更", 28 "アニメの実行" ----

// An item list command "フローの変更" 追加 of an always-running flow that counts in S3.
cFlowCmd AddFlowToHero() {
  cFlowCmd c = ListCmd(1, {0, 0});
  c.m_vFlow.assign(1, Flow(TRIGGER_ALWAYS, {CountInS(3)}));
  return c;
}

// Animation set 1 of three animations showing patterns 5, 6 and 7.
void AnimeSet() {
  g_Database.m_vAnimeSet.resize(1);
  cAnimeSet set;
  set.m_vAnimation.clear();
  for (int pattern : {5, 6, 7}) set.m_vAnimation.push_back(fixture::Anime("a", {{pattern, 1}}));
  g_Database.m_vAnimeSet.push_back(set);
}
// Animation 2: pattern 7 for 2 tenths, then pattern 8 for 2 tenths.
void Animation() {
  g_Database.m_vAnime.resize(2);
  g_Database.m_vAnime.push_back(fixture::Anime("b", {{7, 2}, {8, 2}}));
}

INSTANTIATE_TEST_SUITE_P(
    ItemsAndGraphics, CommandKinds,
    ::testing::Values(
        // "アイテムの取得" of stage item 1 by character 1: the list runs on the hero (its HP
        // 10 - 2) and sets S2 = 5.
        KindCase{"TakeItemRunsItsListOnTheHero",
                 [] {
                   return OneFlyer(
                       {Once({Cmd(CMD_TAKE_ITEM, {1, 1})})},
                       StageItem({ListCmd(7, {0, 0, 0, 0, 1, 2, 0, 2}), ListCmd(7, {1, 1, 2, 0, 0, 0, 0, 5})}));
                 },
                 {{1,
                   [](Play& p) {
                     EXPECT_EQ(Hero().m_nHp, 8);
                     EXPECT_EQ(p.S(2), 5);
                   }}}},
        // An item whose list clears the stage ("番号で指定" 3): the result waits for the hero's
        // turn of frame 2.
        KindCase{"TakeItemThatClearsTheStage",
                 [] {
                   return OneFlyer({Once({Cmd(CMD_TAKE_ITEM, {1, 1})})}, StageItem({ListCmd(2, {1, 3})}));
                 },
                 {{1,
                   [](Play& p) {
                     EXPECT_EQ(p.Scene().m_nStageResult, 1);
                     EXPECT_EQ(p.Scene().m_nState, 2);
                   }},
                  {2,
                   [](Play& p) {
                     EXPECT_EQ(p.Scene().m_nState, 4);
                     EXPECT_EQ(p.Scene().m_nNextStage, 3);
                   }}}},
        // "グラフィックの変更" to graphic 5 of kind 1.
        KindCase{"ChangeGraphicSetsTheGraphic",
                 [] {
                   return OneFlyer({Once({Cmd(CMD_CHANGE_GRAPHIC, {1, 5, 0})})});
                 },
                 {{1,
                   [](Play&) {
                     EXPECT_EQ(InPlay(1)->m_nGraphic, 5);
                     EXPECT_EQ(InPlay(1)->m_Data.m_wGraphic, 5);
                   }}}},
        // "基本アニメセットの変更" to set 1: a flyer that does not move shows its animation 2,
        // pattern 7.
        KindCase{"ChangeAnimeSetShowsTheNewSet",
                 [] { return OneFlyer({Once({Cmd(CMD_CHANGE_ANIMESET, {1})})}); },
                 {{3,
                   [](Play&) {
                     EXPECT_EQ(InPlay(1)->m_Data.m_wAnimeSet, 1);
                     EXPECT_EQ(InPlay(1)->UpdateAnims(1), 7);
                   }}},
                 AnimeSet},
        // "アニメの実行" of animation 2 (12 frames of pattern 7, 12 of pattern 8) shows over the
        // basic animation and is gone when it has played.
        KindCase{"PlayAnimeShowsItsAnimation",
                 [] { return OneFlyer({Once({Cmd(CMD_PLAY_ANIME, {2})})}); },
                 {{2,
                   [](Play&) {
                     EXPECT_EQ(InPlay(1)->m_lAnime.size(), 1u);
                     EXPECT_EQ(InPlay(1)->UpdateAnims(1), 7);
                   }},
                  {16, [](Play&) { EXPECT_EQ(InPlay(1)->UpdateAnims(1), 8); }},
                  {40, [](Play&) { EXPECT_TRUE(InPlay(1)->m_lAnime.empty()); }}},
                 Animation},
        // An item whose list adds a flow to the hero ("フローの変更" 追加): taken by character 1
        // after the hero's turn, the new flow counts S3 from frame 2 on.
        KindCase{"TakeItemAddsAFlowToTheHero",
                 [] {
                   return OneFlyer({Once({Cmd(CMD_TAKE_ITEM, {1, 1})})}, StageItem({AddFlowToHero()}));
                 },
                 {{1, [](Play& p) { EXPECT_EQ(p.S(3), 0); }}, {2, [](Play& p) { EXPECT_EQ(p.S(3), 1); }}}},
        // Taken by the hero's own flow: the change waits for the end of its turn, and the new flow
        // counts from frame 2 on as well.
        KindCase{"TakeItemByTheHeroAddsAFlowAfterItsTurn",
                 [] {
                   cStage s = FloorStage(40, {Once({Cmd(CMD_TAKE_ITEM, {1, 1})})});
                   StageItem({AddFlowToHero()})(s);
                   return s;
                 },
                 {{1,
                   [](Play& p) {
                     EXPECT_EQ(p.S(3), 0);
                     EXPECT_EQ(Hero().m_vFlowRun.size(), 2u);
                   }},
                  {2, [](Play& p) { EXPECT_EQ(p.S(3), 1); }}}}),
    CaseName);

// ---- Presentation and code: 29 "エフェクトの実行" .. 37 "コードの実行", 38 "アレンジ" ----

// Effect 2: 32 × 16, two frames of 1 tenth.
void EffectEntry() {
  g_Database.m_vEffect.resize(2);
  cEffectData e = fixture::Effect("e", "e.bmp", {{0, 1}, {1, 1}});
  e.m_nWidth = 32;
  e.m_nHeight = 16;
  g_Database.m_vEffect.push_back(e);
}
// "エフェクトの実行" of effect 2 at 100 % by a placement, holding the game or not.
cFlowCmd PlayEffect(int number, int placement, int hold = 0) {
  return Cmd(CMD_EFFECT, {number, placement, 0, 0, 0, 0, 100, hold});
}

// Character effect 1 and screen effect 1: kind 1 over 10 tenths from 0 to 100.
void EffectKinds() {
  // Entry 1 of each list, whatever an earlier test left in the database.
  if (g_Database.m_vCharaEffect.size() < 2) g_Database.m_vCharaEffect.resize(2);
  if (g_Database.m_vScrEffect.size() < 2) g_Database.m_vScrEffect.resize(2);
  g_Database.m_vCharaEffect[1].m_nKind = 1;
  g_Database.m_vScrEffect[1].m_nKind = 1;
  for (int i = 0; i < 3; ++i) {
    const int v[3] = {10, 0, 100};
    g_Database.m_vCharaEffect[1].m_nParam[i] = v[i];
    g_Database.m_vScrEffect[1].m_nParam[i] = v[i];
  }
}

cStage WithBackLayers(const std::vector<cFlowCmd>& cmds) {
  cStage s = OneFlyer({Once(cmds)});
  s.m_vBg.resize(2);
  return s;
}
bool LayerShown(int i) { return g_StageData.m_vBg[static_cast<size_t>(i)].m_bShow != 0; }

// A character off screen (column 35) that is stepped all the same (its activity range free on
// both axes), with flows.
cStage FarFlyer(const std::vector<cFlow>& flows) {
  cStage s = FloorStage(40);
  cCharaData c = Flyer(1, 2, flows);
  c.m_byActRange = 3;
  fixture::Place(s, c, 35, 10);
  return s;
}
cFlowCmd PlaySound(int n, int onScreenOnly) {
  cFlowCmd c = Cmd(CMD_SOUND, {n});
  c.m_bSoundOnScreen = static_cast<uint8_t>(onScreenOnly);
  return c;
}
bool SoundPlayed(int n) {
  const std::vector<int> sounds = g_requests->Sounds();
  return std::find(sounds.begin(), sounds.end(), n + USER_SE_SLOT_OFFSET) != sounds.end();
}

cEffect* TheEffect() { return g_lpPlayScene->m_lEffect.empty() ? nullptr : &g_lpPlayScene->m_lEffect.front(); }

INSTANTIATE_TEST_SUITE_P(
    Presentation, CommandKinds,
    ::testing::Values(
        // "エフェクトの実行" at the character's centre (592, 656): 32 × 16 from (576, 648); it
        // plays its 12 frames and ends.
        KindCase{"EffectPlaysAtItsCharacter",
                 [] { return OneFlyer({Once({PlayEffect(2, 1)})}); },
                 {{1,
                   [](Play&) {
                     ASSERT_NE(TheEffect(), nullptr);
                     EXPECT_EQ(TheEffect()->m_dX, 576);
                     EXPECT_EQ(TheEffect()->m_dY, 648);
                   }},
                  {20, [](Play& p) { EXPECT_TRUE(p.Scene().m_lEffect.empty()); }}},
                 EffectEntry},
        // At the hero's centre.
        KindCase{"EffectPlaysAtTheHero",
                 [] { return OneFlyer({Once({PlayEffect(2, 2)})}); },
                 {{1,
                   [](Play&) {
                     ASSERT_NE(TheEffect(), nullptr);
                     EXPECT_EQ(TheEffect()->m_dX, Hero().CenterX() + 320 - 16);
                     EXPECT_EQ(TheEffect()->m_dY, Hero().CenterY() + 320 - 8);
                   }}},
                 EffectEntry},
        // Effect 0 takes every running effect away.
        KindCase{"EffectZeroRemovesTheEffects",
                 [] {
                   return OneFlyer({Once({PlayEffect(2, 1), PlayEffect(0, 0)})});
                 },
                 {{1, [](Play& p) { EXPECT_EQ(p.Scene().m_lEffect.size(), 1u); }},
                  {2, [](Play& p) { EXPECT_TRUE(p.Scene().m_lEffect.empty()); }}},
                 EffectEntry},
        // Holding the game while it plays: 2 × 6 = 12 held frames.
        KindCase{"EffectHoldsTheGameWhileItPlays",
                 [] { return OneFlyer({Once({PlayEffect(2, 1, 1)})}); },
                 {{1, [](Play&) { EXPECT_EQ(HeldLoop::presents, 12); }}},
                 EffectEntry},
        // "キャラエフェクトの実行" 1 on itself; it runs 10 tenths (60 frames) and ends.
        KindCase{"CharaEffectRunsOnItsCharacter",
                 [] {
                   return OneFlyer({Once({Cmd(CMD_CHARA_EFFECT, {1, 0, 0})})});
                 },
                 {{1, [](Play&) { EXPECT_EQ(InPlay(1)->m_Effect.m_sEffect, 1); }},
                  {100, [](Play&) { EXPECT_EQ(InPlay(1)->m_Effect.m_sEffect, 0); }}},
                 EffectKinds},
        // "画面エフェクトの実行" 1.
        KindCase{"ScreenEffectStarts",
                 [] {
                   return OneFlyer({Once({Cmd(CMD_SCREEN_EFFECT, {1, 0, 0})})});
                 },
                 {{1, [](Play& p) { EXPECT_EQ(p.Scene().m_ScrEffect.m_sEffect, 1); }}},
                 EffectKinds},
        // "画面の色を変更" to red at 50 % over 1 tenth (6 frames).
        KindCase{"ScreenColorStartsAChange",
                 [] {
                   return OneFlyer({Once({Cmd(CMD_SCREEN_COLOR, {255, 0, 0, 50, 0, 1, 0, 0})})});
                 },
                 {{1,
                   [](Play& p) {
                     const cScreenColor& c = p.Scene().m_ScreenColor;
                     EXPECT_EQ(c.m_byRed, 255);
                     EXPECT_EQ(c.m_byGreen, 0);
                     EXPECT_EQ(c.m_nIntensity, 50);
                     EXPECT_EQ(c.m_nDuration, 6);
                   }}}},
        // "背景の変更" "反転" of layer 2, twice: hidden, then shown again.
        KindCase{"ChangeBackTogglesALayer",
                 [] {
                   return WithBackLayers({Cmd(CMD_CHANGE_BACK, {2, 2}), Cmd(CMD_CHANGE_BACK, {2, 2})});
                 },
                 {{1,
                   [](Play&) {
                     EXPECT_FALSE(LayerShown(1));
                     EXPECT_TRUE(LayerShown(0));
                   }},
                  {2, [](Play&) { EXPECT_TRUE(LayerShown(1)); }}}},
        // Layers 0 and 3 do not exist: nothing is hidden.
        KindCase{"ChangeBackOfAMissingLayerDoesNothing",
                 [] {
                   return WithBackLayers({Cmd(CMD_CHANGE_BACK, {0, 1}), Cmd(CMD_CHANGE_BACK, {3, 1})});
                 },
                 {{2,
                   [](Play&) {
                     EXPECT_TRUE(LayerShown(0));
                     EXPECT_TRUE(LayerShown(1));
                   }}}},
        // "効果音の再生" 3 of a character on screen: sound slot 3 + 16.
        KindCase{"PlaySoundOnScreen",
                 [] { return OneFlyer({Once({PlaySound(3, 1)})}); },
                 {{1, [](Play&) { EXPECT_TRUE(SoundPlayed(3)); }}}},
        // Off screen with the on-screen-only flag: nothing (it did run: it counted).
        KindCase{"PlaySoundOffScreenOnlyOnScreen",
                 [] {
                   return FarFlyer({Once({PlaySound(3, 1), CountInS(1)})});
                 },
                 {{2,
                   [](Play& p) {
                     EXPECT_EQ(p.S(1), 1);
                     EXPECT_FALSE(SoundPlayed(3));
                   }}}},
        KindCase{"PlaySoundOffScreen",
                 [] { return FarFlyer({Once({PlaySound(3, 0)})}); },
                 {{1, [](Play&) { EXPECT_TRUE(SoundPlayed(3)); }}}},
        // "BGMの再生" 2 with loop value 1: the music request of the database's music 2.
        KindCase{"PlayBgmAsksForTheMusic",
                 [] {
                   return OneFlyer({Once({Cmd(CMD_BGM, {2, 1})})});
                 },
                 {{1,
                   [](Play&) {
                     EXPECT_TRUE(Requested(WM_USER + 6, 4, 2));
                     EXPECT_EQ(g_SaveData.m_bBgmPlayingLoop, 1);
                   }}}},
        // "コードの実行" reading target 1 (character 2).
        KindCase{"CodeReadsItsTarget",
                 [] {
                   return OneFlyer({Once({TargetById(2), Code("S1 = tg.cid")})}, Second(12, 10));
                 },
                 {{2, [](Play& p) { EXPECT_EQ(p.S(1), 2); }}}},
        // An empty slot ends the statement without an assignment: S1 stays 5.
        KindCase{"CodeWithAnEmptySlotAssignsNothing",
                 [] {
                   return OneFlyer({Once({SetS(1, 5), Code("S1 = tg2.cid")})});
                 },
                 {{2, [](Play& p) { EXPECT_EQ(p.S(1), 5); }}}},
        // The hero's HP through "pl".
        KindCase{"CodeSetsTheHerosHp",
                 [] { return OneFlyer({Once({Code("pl.hp = 4")})}); },
                 {{1, [](Play&) { EXPECT_EQ(Hero().m_nHp, 4); }}}},
        // A variable of a target that does not appear.
        KindCase{"CodeSetsAVariableOfATargetThatDoesNotAppear",
                 [] {
                   return OneFlyer({Once({TargetById(2), Code("tg.v1 = 9")})}, Second(12, 10, false));
                 },
                 {{2, [](Play&) { EXPECT_EQ(InPlay(2)->m_vVar[1], 9); }}}},
        // "アレンジ": the bounds of the next status operation's random operand ([8], [9]) set to
        // the constant 7 (source 9) in frames 1 and 2; S1 = random(7, 7) in frame 3.
        KindCase{"ArrangeChangesTheNextCommand",
                 [] {
                   return OneFlyer({Once({Cmd(CMD_ARRANGE, {22, 0, 0, 9, 7}), Cmd(CMD_ARRANGE, {22, 1, 0, 9, 7}),
                                          Cmd(CMD_STATUS, {1, 1, 1, 0, 0, 0, 1, 0, 0, 0})})});
                 },
                 {{2, [](Play& p) { EXPECT_EQ(p.S(1), 0); }}, {3, [](Play& p) { EXPECT_EQ(p.S(1), 7); }}}},
        // An entry for another kind is dropped: the wait that follows takes nothing, and the
        // status operation after it sets S1 from its own bounds (0..0).
        KindCase{"ArrangeForAnotherKindIsDropped",
                 [] {
                   return OneFlyer({Once({Cmd(CMD_ARRANGE, {22, 0, 0, 9, 7}), Cmd(CMD_ARRANGE, {22, 1, 0, 9, 7}),
                                          Wait(0), Cmd(CMD_STATUS, {1, 1, 1, 0, 0, 0, 1, 0, 0, 0})})});
                 },
                 {{4, [](Play& p) { EXPECT_EQ(p.S(1), 0); }}}},
        // "sys.scrlx" on a stage whose auto-scroll is switched on at speed 0: 1 dot a sub-step from
        // frame 2 on.
        KindCase{"CodeSetsTheScrollSpeed",
                 [] {
                   cStage s = OneFlyer({Once({Code("sys.scrlx = 10")})});
                   s.m_nScrollModeX = 1;
                   return s;
                 },
                 {{1, [](Play& p) { EXPECT_EQ(p.Scene().m_ScrollX.m_dPos, 320); }},
                  {5, [](Play& p) { EXPECT_EQ(p.Scene().m_ScrollX.m_dPos, 324); }}}},
        // With the auto-scroll switched off the view stays.
        KindCase{"CodeSetsTheScrollSpeedOfAStillView",
                 [] { return OneFlyer({Once({Code("sys.scrlx = 10")})}); },
                 {{5, [](Play& p) { EXPECT_EQ(p.Scene().m_ScrollX.m_dPos, 320); }}}},
        // "アレンジ" in an item's list goes to the hero's queue and applies to the list's next
        // command: S5 = random(7, 7).
        KindCase{"ArrangeInAnItemListChangesItsNextCommand",
                 [] {
                   return OneFlyer({Once({Cmd(CMD_TAKE_ITEM, {1, 1})})},
                                   StageItem({ListCmd(23, {22, 0, 0, 9, 7}), ListCmd(23, {22, 1, 0, 9, 7}),
                                              ListCmd(7, {1, 1, 5, 0, 0, 0, 1, 0, 0, 0})}));
                 },
                 {{1, [](Play& p) { EXPECT_EQ(p.S(5), 7); }}}}),
    CaseName);

// ---- Drawn: 32 "ピクチャーの表示", 34 "背景の変更" on the drawing layer ----

// The picture file of the drawn cases: 20 × 10, red with the transparent colour at (0, 0).
std::string g_pictureFile;
void PictureEntry() {
  g_Database.m_vPicture.assign(1, cPictureData());
  g_Database.m_vPicture.push_back(fixture::FileRecord<cPictureData>("p", g_pictureFile));
}
// "ピクチャーの表示" of picture 1 at 100 % on layer 1 (in front): placement, display mode, time,
// hold, ID (0: none; with number 0 an erase).
cFlowCmd Picture(int number, int placement, int display, int tenths, int hold, int id) {
  return Cmd(CMD_PICTURE, {number, placement, 0, 0, 0, 0, 1, 100, display, tenths, hold, 0, id ? 1 : 0, id, 0});
}

class DrawnCommandKinds;
DrawnCommandKinds* g_drawn = nullptr;

class DrawnCommandKinds : public DrawTest, public ::testing::WithParamInterface<KindCase> {
 public:
  // The colour (0xRRGGBB) of a pixel of the frame drawn last.
  uint32_t FramePixel(int x, int y) { return Pixel(&BackBuffer, x, y) & 0xFFFFFFu; }

 protected:
  void SetUp() override {
    g_drawn = this;
    DrawTest::SetUp();
    InitOrFail(0, 32, 1);
    std::vector<uint32_t> px(20 * 10, 1);
    px[0] = 0;
    g_pictureFile = Bmp8("picture.bmp", 20, 10, SheetPalette(), px);
    globals_ = std::make_unique<CaseGlobals>();
    requests_ = std::make_unique<playkit::WindowRequestRecorder>();
  }
  void TearDown() override {
    requests_.reset();
    globals_.reset();
    DrawTest::TearDown();
    g_drawn = nullptr;
  }

  std::unique_ptr<CaseGlobals> globals_;
  std::unique_ptr<playkit::WindowRequestRecorder> requests_;
};

TEST_P(DrawnCommandKinds, PlayThroughTheFrame) { PlayCase(GetParam(), *requests_); }

INSTANTIATE_TEST_SUITE_P(  // shown on the drawing layer
    Drawn, DrawnCommandKinds,
    ::testing::Values(
        // A picture at its character's centre (592, 656): 20 × 10 from (582, 651), drawn red
        // on the screen from (262, 331).
        KindCase{"PictureShowsAtItsCharacter",
                 [] { return OneFlyer({Once({Picture(1, 1, 1, 0, 0, 0)})}); },
                 {{1,
                   [](Play& p) {
                     ASSERT_EQ(p.Scene().m_lPicture.size(), 1u);
                     EXPECT_EQ(p.Scene().m_lPicture.front().m_dX, 582);
                     EXPECT_EQ(p.Scene().m_lPicture.front().m_dY, 651);
                     EXPECT_EQ(g_drawn->FramePixel(262 + 10, 331 + 5), 0xFF0000u);
                     EXPECT_EQ(g_drawn->FramePixel(262 + 19, 331 + 9), 0xFF0000u);
                     EXPECT_NE(g_drawn->FramePixel(262 + 20, 331 + 9), 0xFF0000u);
                   }}},
                 PictureEntry},
        // Shown with ID 5, then erased by that ID with its surface.
        KindCase{"PictureErasedById",
                 [] {
                   return OneFlyer({Once({Picture(1, 1, 1, 0, 0, 5), Picture(0, 0, 0, 0, 0, 5)})});
                 },
                 {{1, [](Play& p) { EXPECT_EQ(p.Scene().m_lPicture.size(), 1u); }},
                  {2,
                   [](Play& p) {
                     EXPECT_TRUE(p.Scene().m_lPicture.empty());
                     EXPECT_TRUE(g_lPictureSurface.empty());
                   }}},
                 PictureEntry},
        // Holding the game for 1 tenth: 6 held frames, and the picture goes with the hold.
        KindCase{"PictureHoldsTheGameForItsTime",
                 [] { return OneFlyer({Once({Picture(1, 1, MESSAGE_TIMED, 1, 1, 0)})}); },
                 {{1,
                   [](Play& p) {
                     EXPECT_EQ(HeldLoop::presents, 6);
                     EXPECT_TRUE(p.Scene().m_lPicture.empty());
                   }}},
                 PictureEntry},
        // "背景の変更" "表示" of layer 1, hidden at the start and filled with colour 1 (red):
        // the frames before it show no red where nothing else is drawn, the frame of it does.
        KindCase{"ChangeBackShowsALayerInTheFrame",
                 [] {
                   cStage s = OneFlyer({Once({Wait(1), Cmd(CMD_CHANGE_BACK, {1, 0})})});
                   cBgData layer;
                   layer.m_bShow = 0;
                   layer.m_bFill = 1;
                   layer.m_nFillColor = 1;
                   s.m_vBg.assign(1, layer);
                   return s;
                 },
                 {{6, [](Play&) { EXPECT_NE(g_drawn->FramePixel(600, 100), 0xFF0000u); }},
                  {7, [](Play&) { EXPECT_EQ(g_drawn->FramePixel(600, 100), 0xFF0000u); }}}}),
    CaseName);

}  // namespace
