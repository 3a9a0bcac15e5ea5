// What characters' flows change on stages run by the real play frame: a stopping ease stored by
// the code language that a condition takes up. Positions in stage dots; the hero stands apart on
// a block of its own.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "defs/cmd_kind.h"
#include "defs/ed_move.h"
#include "fixture/fixture.h"
#include "play_scene_kit.h"

namespace {

using playscene::PlaySceneTest;

// A command lasting a number of tenths of a second.
cFlowCmd Timed(int kind, int tenths) {
  cFlowCmd c = fixture::Command(kind);
  c.m_bZeroTime = 0;
  c.m_sTime = static_cast<int16_t>(tenths);
  return c;
}

cFlow Always(const std::vector<cFlowCmd>& cmds) {
  cFlow f;
  f.m_byTrigger = TRIGGER_ALWAYS;
  f.m_vCmd.assign(cmds.begin(), cmds.end());
  return f;
}

// A 20 × 15 stage at k sub-steps a frame with the hero on a block at the right (columns 15..19,
// rows 12..14), and the given characters placed.
cStage ScriptStage(int k, const std::vector<std::pair<cCharaData, std::pair<int, int>>>& charas) {
  cStage s = fixture::Stage(20, 15);
  fixture::Fill(s, fixture::Block(1), 15, 12, 19, 14);
  fixture::Place(s, fixture::Hero(1), 17, 11);
  for (const auto& c : charas) fixture::Place(s, c.first, c.second.first, c.second.second);
  s.m_nSpeedLevel = k;
  s.m_bShowStartBanner = 0;
  s.m_bShowStageBanner = 0;
  fixture::EncloseGrid(s);
  return s;
}

// A flying character that touches nothing it meets.
cCharaData Flyer(int id) {
  cCharaData d = fixture::Chara(2);
  d.m_byFlying = 1;
  d.m_nPower = 0;
  d.m_byCharaId = static_cast<uint8_t>(id);
  return d;
}

// The stage set up and in play, its flows started by their events.
class ScriptPlay {
 public:
  explicit ScriptPlay(const cStage& stage) : t(stage) {
    ok = t.Scene().SetStage(0, 1) == 1;
    t.Scene().m_nState = 2;
    g_lpfnFireEventEx = nullptr;
  }
  cStageChara* ById(int charaId) {
    return g_lChara.Find([charaId](cStageChara& c) { return c.m_Data.m_byCharaId == charaId; });
  }

  PlaySceneTest t;
  bool ok = false;
};

// ---- Stopping ease ----

// The glider sets its stopping ease to 200 with the code language and then pushes itself right
// with inertia for 3 tenths: an acceleration of 600 / 60 = 10 dots a frame, held at its limit of
// 1 dot a frame, so it moves 1 dot in each of frames 1..18 with the friction off. Then it waits,
// and the pushed speed is braked by the stopping figure each sub-step before it moves the
// glider. With the reader, a second flow whose condition reads the stopping ease every frame,
// the figure is 200 × 0.01 = 2 from frame 2 on: the glide ends at once. Without it the figure
// keeps the definition's 10 × 0.01: the glider glides 0.9, 0.8, .. 0.1 dots in frames 19..27.
cCharaData Glider(bool withReader) {
  cCharaData d = Flyer(1);
  d.m_sStop = 10;
  cFlowCmd code = fixture::Command(CMD_CODE);
  code.m_strText = "my.stop = 200";
  cFlowCmd push = Timed(CMD_MOVE_LINE, 3);
  CreateEdMove(push.m_pMove);
  push.m_pMove->m_byDirection = 3;  // right
  push.m_pMove->m_sSpeed = 600;
  push.m_pMove->m_bInertia = 1;
  push.m_pMove->m_sMaxSpeed = 10;
  d.m_vFlow.assign(1, Always({code, push, Timed(CMD_WAIT, 100)}));
  if (withReader) {
    cFlow reader = Always({fixture::Command(CMD_WAIT)});
    cCond stop;
    stop.m_byKind = 4;
    stop.m_byLeftStatus = 13;  // 止まりやすさ of the character itself
    stop.m_byOp = 2;           // at least 0
    reader.m_vCond.assign(1, stop);
    d.m_vFlow.push_back(reader);
  }
  return d;
}

TEST(StopEaseScenario, AStoppingEaseSetInCodeTakesEffectOnceAConditionReadsIt) {
  for (bool reader : {true, false}) {
    SCOPED_TRACE(reader ? "read by a condition" : "never read");
    ScriptPlay play(ScriptStage(1, {{Glider(reader), {2, 4}}}));
    ASSERT_TRUE(play.ok);
    cStageChara* glider = play.ById(1);
    ASSERT_NE(glider, nullptr);
    const double x0 = glider->m_dX;
    double glide = 0;
    for (int frame = 1; frame <= 30; ++frame) {
      play.t.Frames(1);
      if (frame > 18 && !reader) glide += std::max(0.0, 1 - 0.1 * (frame - 18));
      EXPECT_NEAR(glider->m_dX, x0 + std::min(frame, 18) + glide, 1e-9) << "frame " << frame;
    }
    EXPECT_EQ(glider->m_Data.m_sStop, 200);
  }
}

}  // namespace
