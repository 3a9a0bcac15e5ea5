// The key-condition matcher against frame-by-frame inputs; every expectation is worked out by
// hand from the change logs the inputs leave.
#include "script/key_cond.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <utility>
#include <vector>

#include "engine/stage_chara.h"
#include "project/global_data.h"
#include "project/system_data.h"

namespace {

constexpr WORD L = INPUT_LEFT, R = INPUT_RIGHT, D = INPUT_DOWN;
constexpr WORD B1 = 1, B2 = 2;

// One frame: direction word, button word.
struct Frame {
  WORD dir = 0;
  WORD button = 0;
};

void Feed(cInput& input, const Frame& f) {
  input.SetWords(f.dir, f.button);
  input.LogChanges();
}

cInput Fed(const std::vector<Frame>& frames) {
  cInput input;
  input.ResetLogs();
  for (const Frame& f : frames) Feed(input, f);
  return input;
}

// An entry requiring the given positions held (or released), with a length range.
cKeyList Entry(std::initializer_list<std::pair<int, int>> states, int minFrames, int maxFrames, int any = 0,
               int mode = 0, int follow = 0) {
  cKeyList e;
  for (const auto& [pos, state] : states) e.m_vKeyState.CheckedAt(pos) = static_cast<uint8_t>(state);
  e.m_wMinFrames = static_cast<uint16_t>(minFrames);
  e.m_wMaxFrames = static_cast<uint16_t>(maxFrames);
  e.m_bAnyLength = static_cast<uint8_t>(any);
  e.m_byMode = static_cast<uint8_t>(mode);
  e.m_bFollowFacing = static_cast<uint8_t>(follow);
  return e;
}
cKeyList Held(std::initializer_list<int> positions, int mode = 0) {
  cKeyList e;
  for (int p : positions) e.m_vKeyState.CheckedAt(p) = KEYSTATE_HELD;
  e.m_bAnyLength = 1;
  e.m_byMode = static_cast<uint8_t>(mode);
  return e;
}

cSafeVector<cKeyList*> Ptrs(std::vector<cKeyList>& entries) {
  cSafeVector<cKeyList*> v;
  for (cKeyList& e : entries) v.push_back(&e);
  return v;
}

std::vector<Frame> Repeat(Frame f, int n) { return std::vector<Frame>(static_cast<size_t>(n), f); }
std::vector<Frame> Join(std::initializer_list<std::vector<Frame>> parts) {
  std::vector<Frame> all;
  for (const auto& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

int Match(const std::vector<Frame>& frames, std::vector<cKeyList> entries, int slack, int facingLeft = 0,
          int legacy = 0) {
  cInput input = Fed(frames);
  return MatchKeySequence(input, Ptrs(entries), slack, 0, facingLeft, legacy);
}

TEST(KeyCondMatch, HeldRunLengthIsCheckedAtBothEndsOfItsRange) {
  // Right held from frame 1 on; the entry accepts a run of 3..5 frames.
  std::vector<cKeyList> entries = {Entry({{KEYPOS_DIR_RIGHT, KEYSTATE_HELD}}, 3, 5)};
  cInput input = Fed({});
  const int expected[] = {0, 0, 1, 1, 1, 0, 0};
  for (int f = 1; f <= 7; ++f) {
    Feed(input, {R, 0});
    EXPECT_EQ(MatchKeySequence(input, Ptrs(entries), 0, 0, 0, 0), expected[f - 1]) << "frame " << f;
  }
  // Released: a held entry no longer matches, a released one does from the first frame.
  Feed(input, {0, 0});
  EXPECT_EQ(MatchKeySequence(input, Ptrs(entries), 0, 0, 0, 0), 0);
  std::vector<cKeyList> released = {Entry({{KEYPOS_DIR_RIGHT, KEYSTATE_RELEASED}}, 0, 0)};
  EXPECT_EQ(MatchKeySequence(input, Ptrs(released), 0, 0, 0, 0), 1);
}

TEST(KeyCondMatch, SequencesWithAndWithoutSlack) {
  const Frame down{D, 0}, downRight{D | R, 0}, right{R, 0}, none{0, 0};
  auto seq = [] {
    return std::vector<cKeyList>{Held({KEYPOS_DIR_DOWN}), Held({KEYPOS_DIR_DOWN_RIGHT}), Held({KEYPOS_DIR_RIGHT})};
  };
  struct Case {
    const char* name;
    std::vector<Frame> frames;
    int slack;
    int expected;
  };
  const Case cases[] = {
      {"back to back, slack 0", Join({Repeat(down, 3), Repeat(downRight, 2), Repeat(right, 1)}), 0, 1},
      {"one neutral frame, slack 0", Join({Repeat(down, 3), {none}, Repeat(downRight, 2), {right}}), 0, 0},
      {"one neutral frame, slack 2", Join({Repeat(down, 3), {none}, Repeat(downRight, 2), {right}}), 2, 1},
      {"two neutral frames, slack 2", Join({Repeat(down, 3), Repeat(none, 2), Repeat(downRight, 2), {right}}), 2, 1},
      {"three neutral frames, slack 2", Join({Repeat(down, 3), Repeat(none, 3), Repeat(downRight, 2), {right}}), 2, 0},
      {"gap before the last entry, slack 0", Join({Repeat(down, 3), Repeat(downRight, 2), {none}, {right}}), 0, 0},
      {"gap before the last entry, slack 2", Join({Repeat(down, 3), Repeat(downRight, 2), {none}, {right}}), 2, 1},
      {"order reversed", Join({Repeat(right, 2), Repeat(downRight, 2), {down}}), 2, 0},
      {"last entry not held now", Join({Repeat(down, 3), Repeat(downRight, 2), {right}, {none}}), 2, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(Match(c.frames, seq(), c.slack), c.expected) << c.name;
}

TEST(KeyCondMatch, OverlapIntoTheNextEntryFailsOnlyWhenTheNextEntryAlsoHolds) {
  // Button 1 held frames 1..2, button 2 frames 2..3. Looking back from the start of the
  // button-2 run, button 1's run has lasted 1 frame; only one frame later has it lasted the
  // required 2, and at that moment button 2 is already held.
  const std::vector<Frame> frames = {{0, B1}, {0, B1 | B2}, {0, B2}};
  auto seq = [](int laterMin, int laterMax, int laterAny) {
    return std::vector<cKeyList>{Entry({{KEYPOS_BUTTON_1, KEYSTATE_HELD}}, 2, 2),
                                 Entry({{KEYPOS_BUTTON_2, KEYSTATE_HELD}}, laterMin, laterMax, laterAny)};
  };
  // The later entry (button 2 for any length) holds at the overlapping frame too.
  EXPECT_EQ(Match(frames, seq(0, 0, 1), 1, 0, 0), 0);
  EXPECT_EQ(Match(frames, seq(0, 0, 1), 1, 0, 1), 1);
  // A later entry of exactly 2 frames does not hold one frame into its run.
  EXPECT_EQ(Match(frames, seq(2, 2, 0), 1, 0, 0), 1);
  // Without slack there is no search at all.
  EXPECT_EQ(Match(frames, seq(2, 2, 0), 0, 0, 1), 0);
}

TEST(KeyCondMatch, MatchedLengthFollowsTheEntryMode) {
  // Down, then button 1 for 3 frames of which button 2 joins in the last. Mode 0 steps back by
  // the shortest matched run (1 frame: button 1 still held there, no down); mode 1 by the
  // longest (3 frames: down held just before).
  const std::vector<Frame> frames = {{D, 0}, {0, B1}, {0, B1}, {0, B1 | B2}};
  EXPECT_EQ(Match(frames, {Held({KEYPOS_DIR_DOWN}), Held({KEYPOS_BUTTON_1, KEYPOS_BUTTON_2}, 0)}, 0), 0);
  EXPECT_EQ(Match(frames, {Held({KEYPOS_DIR_DOWN}), Held({KEYPOS_BUTTON_1, KEYPOS_BUTTON_2}, 1)}, 0), 1);
}

TEST(KeyCondMatch, ModesCountTheRequiredKeys) {
  struct Case {
    int mode;
    WORD buttons;
    int expected;
  };
  const Case cases[] = {
      {0, B1 | B2, 1}, {0, B1, 0}, {1, B1, 1}, {1, 0, 0}, {2, B1, 1}, {2, B2, 1}, {2, B1 | B2, 0}, {2, 0, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Match({{0, c.buttons}}, {Held({KEYPOS_BUTTON_1, KEYPOS_BUTTON_2}, c.mode)}, 0), c.expected)
        << "mode " << c.mode << " buttons " << c.buttons;
  }
}

TEST(KeyCondMatch, FollowFacingExchangesLeftAndRightForACharacterFacingLeft) {
  struct Case {
    WORD dir;
    int follow;
    int facingLeft;
    int expected;
  };
  const Case cases[] = {
      {R, 1, 0, 1}, {L, 1, 0, 0}, {L, 1, 1, 1}, {R, 1, 1, 0}, {R, 0, 1, 1}, {L, 0, 1, 0},
  };
  for (const Case& c : cases) {
    std::vector<cKeyList> entries = {Entry({{KEYPOS_DIR_RIGHT, KEYSTATE_HELD}}, 0, 0, 1, 0, c.follow)};
    EXPECT_EQ(Match({{c.dir, 0}}, entries, 0, c.facingLeft), c.expected)
        << "dir " << c.dir << " follow " << c.follow << " facing left " << c.facingLeft;
  }
  // Down-right mirrors to down-left.
  std::vector<cKeyList> dr = {Entry({{KEYPOS_DIR_DOWN_RIGHT, KEYSTATE_HELD}}, 0, 0, 1, 0, 1)};
  EXPECT_EQ(Match({{D | L, 0}}, dr, 0, 1), 1);
}

TEST(KeyCondMatch, RepeatingSequenceHoldsWhileItsLastEntryStillMatches) {
  // Down then right: once matched, a later test only asks the last entry.
  std::vector<cKeyList> entries = {Held({KEYPOS_DIR_DOWN}), Held({KEYPOS_DIR_RIGHT})};
  cInput input = Fed({{D, 0}, {R, 0}, {R, 0}, {R, 0}, {R, 0}, {R, 0}});
  // Right for any length right after down: a fresh match. A last entry of 1..2 frames no
  // longer holds after 5, whether or not the sequence matched before.
  EXPECT_EQ(MatchKeySequence(input, Ptrs(entries), 0, 0, 0, 0), 1);
  std::vector<cKeyList> shortRight = {Held({KEYPOS_DIR_DOWN}), Entry({{KEYPOS_DIR_RIGHT, KEYSTATE_HELD}}, 1, 2)};
  EXPECT_EQ(MatchKeySequence(input, Ptrs(shortRight), 0, 0, 0, 0), 0);
  EXPECT_EQ(MatchKeySequence(input, Ptrs(shortRight), 0, 1, 0, 0), 0);
  // Right after left is no fresh match, but a sequence matched before holds at once while
  // right is held, and not once it is released.
  cInput neutral = Fed({{L, 0}, {R, 0}});
  EXPECT_EQ(MatchKeySequence(neutral, Ptrs(entries), 0, 0, 0, 0), 0);
  EXPECT_EQ(MatchKeySequence(neutral, Ptrs(entries), 0, 1, 0, 0), 1);
  cInput released = Fed({{D, 0}, {R, 0}, {0, 0}});
  EXPECT_EQ(MatchKeySequence(released, Ptrs(entries), 0, 1, 0, 0), 0);
}

TEST(KeyCondCurrent, TestKeyEntryAndHeldDirectionReadOnlyTheNewestRuns) {
  cKeyList e = Entry({{KEYPOS_DIR_RIGHT, KEYSTATE_HELD}, {KEYPOS_BUTTON_1, KEYSTATE_RELEASED}}, 5, 5);
  // Lengths do not count here: right held 1 frame passes a 5..5 entry.
  EXPECT_EQ(TestKeyEntry(Fed({{R, 0}}), e), 1);
  EXPECT_EQ(TestKeyEntry(Fed({{R, B1}}), e), 0);
  EXPECT_EQ(TestKeyEntry(Fed({{L, 0}}), e), 0);
  e.m_byMode = 2;
  EXPECT_EQ(TestKeyEntry(Fed({{R, B1}}), e), 1);
  EXPECT_EQ(TestKeyEntry(Fed({{R, 0}}), e), 0);

  EXPECT_EQ(GetHeldDirection(Fed({{0, 0}})), 0);
  EXPECT_EQ(GetHeldDirection(Fed({{L, 0}})), 1);
  EXPECT_EQ(GetHeldDirection(Fed({{D | R, 0}})), 8);
  EXPECT_EQ(GetHeldDirection(Fed({{D | R, 0}, {0, B1}})), 0);
}

// CheckKeyConds on a run of a character, against player 1's record.
class KeyCondRun : public ::testing::Test {
 protected:
  void SetUp() override {
    savedInput_ = g_vInput;
    savedSystem_ = g_SystemData;
    g_vInput.assign(1, cInput());
    g_vInput.CheckedAt(0).ResetLogs();
    g_SystemData = cSystemData();
    flow_.m_vKeyList.push_back(Entry({{KEYPOS_DIR_RIGHT, KEYSTATE_HELD}}, 1, 10));
    run_.m_pFlow = &flow_;
    run_.m_vKeyList.push_back(&flow_.m_vKeyList.CheckedAt(0));
    chara_.m_nDir = 1;
  }
  void TearDown() override {
    g_vInput = savedInput_;
    g_SystemData = savedSystem_;
  }
  // Feeds the frames and records CheckKeyConds after each.
  std::vector<int> Run(const std::vector<Frame>& frames) {
    std::vector<int> out;
    for (const Frame& f : frames) {
      Feed(g_vInput.CheckedAt(0), f);
      out.push_back(CheckKeyConds(chara_, run_));
    }
    return out;
  }
  cSafeVector<cInput> savedInput_;
  cSystemData savedSystem_;
  cFlow flow_;
  cFlowRun run_;
  cStageChara chara_;
};

TEST_F(KeyCondRun, WithoutRepeatAPressFiresOnceAndMustBeReleased) {
  const std::vector<Frame> frames = Join({Repeat({R, 0}, 12), {{0, 0}}, Repeat({R, 0}, 2)});
  const std::vector<int> expected = {1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0};
  EXPECT_EQ(Run(frames), expected);
  EXPECT_EQ(run_.m_bKeyMatched, 0);
}

TEST_F(KeyCondRun, WithRepeatEveryTestWhileHeldInRangeFires) {
  flow_.m_bKeyRepeat = 1;
  const std::vector<Frame> frames = Join({Repeat({R, 0}, 12), {{0, 0}}, {{R, 0}}});
  const std::vector<int> expected = {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0, 1};
  EXPECT_EQ(Run(frames), expected);
  EXPECT_EQ(run_.m_bKeyMatched, 1);
}

TEST_F(KeyCondRun, AHeldMatchOccupiesTheGroupOfAnAlwaysFlow) {
  flow_.m_byTrigger = 0;
  flow_.m_byGroup = 3;
  EXPECT_EQ(Run({{R, 0}}), std::vector<int>{1});
  EXPECT_EQ(chara_.m_vGroupRunning.CheckedAt(3), 0);
  EXPECT_EQ(Run({{R, 0}}), std::vector<int>{0});
  EXPECT_EQ(chara_.m_vGroupRunning.CheckedAt(3), 1);
  EXPECT_EQ(chara_.m_vGroupStopped.CheckedAt(3), 1);
  EXPECT_EQ(chara_.m_bAnyGroupStopped, 1);
  // Another trigger leaves the group alone.
  cStageChara other;
  flow_.m_byTrigger = 1;
  Feed(g_vInput.CheckedAt(0), {R, 0});
  EXPECT_EQ(CheckKeyConds(other, run_), 0);
  EXPECT_EQ(other.m_vGroupRunning.CheckedAt(3), 0);
}

TEST_F(KeyCondRun, FollowFacingUsesTheCharactersFacing) {
  flow_.m_vKeyList.CheckedAt(0).m_bFollowFacing = 1;
  flow_.m_bKeyRepeat = 1;
  chara_.m_nDir = 0;
  EXPECT_EQ(Run({{R, 0}, {L, 0}}), (std::vector<int>{0, 1}));
}

TEST_F(KeyCondRun, NoEntriesAlwaysHold) {
  run_.m_vKeyList.clear();
  EXPECT_EQ(Run({{0, 0}, {R, 0}}), (std::vector<int>{1, 1}));
}

TEST_F(KeyCondRun, TheRunOwningACommandStateAnswersWithItsLastEntry) {
  // Down then right: only the last entry (right) is asked, as it stands now.
  flow_.m_vKeyList.clear();
  flow_.m_vKeyList.push_back(Held({KEYPOS_DIR_DOWN}));
  flow_.m_vKeyList.push_back(Held({KEYPOS_DIR_RIGHT}));
  chara_.m_vFlowRun.resize(1);
  cFlowRun& run = chara_.m_vFlowRun.CheckedAt(0);
  run.m_pFlow = &flow_;
  for (cKeyList& e : flow_.m_vKeyList) run.m_vKeyList.push_back(&e);
  run.m_vCmdState.resize(2);
  Feed(g_vInput.CheckedAt(0), {R, 0});
  EXPECT_EQ(RunKeysHeld(chara_, run.m_vCmdState.CheckedAt(1)), 1);
  Feed(g_vInput.CheckedAt(0), {D, 0});
  EXPECT_EQ(RunKeysHeld(chara_, run.m_vCmdState.CheckedAt(0)), 0);
  // A state of no run of the character, and a run without key entries.
  cCmdState stray;
  EXPECT_EQ(RunKeysHeld(chara_, stray), -1);
  run.m_vKeyList.clear();
  EXPECT_EQ(RunKeysHeld(chara_, run.m_vCmdState.CheckedAt(0)), -1);
}

}  // namespace
