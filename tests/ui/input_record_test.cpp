// What an input record keeps on top of the polled words: the history rings, the change logs
// the key conditions read, the menu auto-repeat and the button latch, and copies of it.
#include <gtest/gtest.h>

#include <climits>
#include <set>
#include <string>
#include <vector>

#include "defs/key_history.h"
#include "support/temp_dir.h"
#include "ui/input.h"

namespace {

// A log as {on, frames} pairs, newest first, up to the first entry {0, 0}.
std::vector<std::pair<int, int>> Runs(const cInputLog& log) {
  std::vector<std::pair<int, int>> out;
  for (const INPUTLOGENTRY& e : log) {
    if (e.bOn == 0 && e.nFrames == 0) break;
    out.push_back({e.bOn, e.nFrames});
  }
  return out;
}
using RunList = std::vector<std::pair<int, int>>;

TEST(InputHistory, AgesWalkBackOverTheRuns) {
  cInput in;
  // Button word: 5 for 3 frames, 0 for 1 frame, 6 for 1 frame, 2 for 2 frames.
  for (WORD b : {5, 5, 5, 0, 6, 2, 2}) {
    in.SetWords(static_cast<WORD>(b & 3), b);
    in.PushHistory();
  }
  const WORD want[] = {2, 2, 6, 0, 5, 5, 5};
  for (int age = 0; age < 7; ++age) {
    SCOPED_TRACE(age);
    EXPECT_EQ(in.GetHistoryValue(1, age), want[age]);
    EXPECT_EQ(in.GetHistoryValue(0, age), want[age] & 3);
  }
  // Older than all the ring holds: the current value.
  EXPECT_EQ(in.GetHistoryValue(1, 7), 2);
  EXPECT_EQ(in.GetHistoryValue(1, 1000000), 2);
  EXPECT_EQ(in.GetHistoryValue(1, INT_MAX), 2);

  in.ClearHistory();
  EXPECT_EQ(in.GetHistoryValue(1, 0), 0);
  in.SetWords(0, 3);
  in.PushHistory();
  EXPECT_EQ(in.GetHistoryValue(1, 0), 3);
  EXPECT_EQ(in.GetHistoryValue(1, 1), 3);  // the cleared runs hold no frames
}

TEST(InputHistory, TheRingKeepsTheLatest32Runs) {
  cInput in;
  for (int i = 1; i <= 40; ++i) {
    in.SetWords(0, static_cast<WORD>(i));
    in.PushHistory();
  }
  EXPECT_EQ(in.GetHistoryValue(1, 0), 40);
  EXPECT_EQ(in.GetHistoryValue(1, 31), 9);
  EXPECT_EQ(in.GetHistoryValue(1, 32), 40);  // run 8 was overwritten: the ring holds 32 frames
}

TEST(InputHistory, RunLengthsStopAtTheLargestCount) {
  cInput in;
  in.SetWords(1, 1);
  in.PushHistory();
  in.m_History[0][in.m_nHistoryHead[0]].nFrames = INT_MAX - 1;
  in.m_History[1][in.m_nHistoryHead[1]].nFrames = INT_MAX - 1;
  in.PushHistory();
  in.PushHistory();
  EXPECT_EQ(in.m_History[0][in.m_nHistoryHead[0]].nFrames, INT_MAX);
  EXPECT_EQ(in.m_History[1][in.m_nHistoryHead[1]].nFrames, INT_MAX);
  EXPECT_EQ(in.GetHistoryValue(1, INT_MAX - 1), 1);

  in.ResetLogs();
  in.LogChanges();
  in.m_vDirLog[9][0].nFrames = INT_MAX;
  in.LogChanges();
  EXPECT_EQ(in.m_vDirLog[9][0].nFrames, INT_MAX);
  EXPECT_EQ(in.m_vDirLog[9][0].bOn, 1);
}

TEST(InputLogs, TheFirstFrameAfterAReset) {
  cInput in;
  in.ResetLogs();
  in.LogChanges();
  ASSERT_EQ(in.m_vDirLog.size(), 10u);
  ASSERT_EQ(in.m_vButtonLog.size(), 9u);
  for (int pos = 0; pos < INPUT_LOGS; ++pos) {
    SCOPED_TRACE(pos);
    const cInputLog& log = in.GetLog(pos);
    ASSERT_EQ(log.size(), 32u);
    const bool noneState = pos == 0 || pos == INPUT_DIR_LOGS;
    EXPECT_EQ(Runs(log), (noneState ? RunList{{1, 1}} : RunList{{0, 1}}));
    EXPECT_EQ(log[1].bOn, 0);
    EXPECT_EQ(log[1].nFrames, 0);
  }
}

TEST(InputLogs, RunsOfEachStateNewestFirst) {
  cInput in;
  in.ResetLogs();
  // Left twice, up-left once, left three times, holding buttons 1 and 3, then 1 alone.
  const WORD dirs[] = {1, 1, 5, 1, 1, 1};
  const WORD buttons[] = {5, 5, 5, 1, 1, 1};
  for (int f = 0; f < 6; ++f) {
    in.SetWords(dirs[f], buttons[f]);
    in.LogChanges();
  }
  EXPECT_EQ(Runs(in.GetLog(0)), (RunList{{0, 6}}));
  EXPECT_EQ(Runs(in.GetLog(1)), (RunList{{1, 3}, {0, 1}, {1, 2}}));          // left alone
  EXPECT_EQ(Runs(in.GetLog(3)), (RunList{{0, 6}}));                          // up alone: equality
  EXPECT_EQ(Runs(in.GetLog(5)), (RunList{{0, 3}, {1, 1}, {0, 2}}));          // up-left
  EXPECT_EQ(Runs(in.GetLog(9)), (RunList{{1, 6}}));                          // any direction
  EXPECT_EQ(Runs(in.GetLog(10)), (RunList{{0, 6}}));                         // no button
  EXPECT_EQ(Runs(in.GetLog(11)), (RunList{{1, 6}}));                         // button 1, whatever else
  EXPECT_EQ(Runs(in.GetLog(13)), (RunList{{0, 3}, {1, 3}}));                 // button 3
  EXPECT_EQ(Runs(in.GetLog(12)), (RunList{{0, 6}}));

  // Each change pushes a run; the log stays 32 long and drops the oldest.
  for (int f = 0; f < 40; ++f) {
    in.SetWords(static_cast<WORD>(f % 2), 0);
    in.LogChanges();
  }
  const cInputLog& left = in.GetLog(1);
  ASSERT_EQ(left.size(), 32u);
  EXPECT_EQ(left[0].bOn, 1);
  EXPECT_EQ(left[31].nFrames, 1);
}

TEST(InputLogs, ALogOutOfRangeGoesThroughTheCheckedAccess) {
  CoreTestEnv env;
  cInput in;
  in.ResetLogs();
  in.SetWords(0, 1);
  in.LogChanges();
  // Position 19 is past the button logs: the first button log stands in for it.
  EXPECT_EQ(&in.GetLog(INPUT_LOGS), &in.GetLog(INPUT_DIR_LOGS));
  EXPECT_EQ(env.TakeCloseRequests(), 1);
  cInputLog empty;
  cInput::LogChange(empty, 1, 1, FALSE);  // no run to count into: nothing is written
  EXPECT_TRUE(empty.empty());
  EXPECT_EQ(env.TakeCloseRequests(), 1);
}

// The key conditions of flows read log n for key position n: the logs must follow the
// positions' states in the positions' order, and the mirrored positions must be the mirrored
// directions.
TEST(InputLogs, LogOrderIsTheKeyPositionOrder) {
  static_assert(INPUT_LOGS == KEYPOS_COUNT);
  static_assert(INPUT_DIR_LOGS == KEY_DIR_LOG_COUNT);
  static_assert(INPUT_BUTTON_LOGS == KEY_BUTTON_LOG_COUNT);
  struct Row {
    WORD dir;
    WORD buttons;
    std::set<int> on;
  };
  const Row rows[] = {
      {0, 0, {KEYPOS_DIR_NONE, KEYPOS_BUTTON_NONE}},
      {INPUT_LEFT, 0, {KEYPOS_DIR_LEFT, KEYPOS_DIR_ANY, KEYPOS_BUTTON_NONE}},
      {INPUT_RIGHT, 0, {KEYPOS_DIR_RIGHT, KEYPOS_DIR_ANY, KEYPOS_BUTTON_NONE}},
      {INPUT_UP, 0, {KEYPOS_DIR_UP, KEYPOS_DIR_ANY, KEYPOS_BUTTON_NONE}},
      {INPUT_DOWN, 0, {KEYPOS_DIR_DOWN, KEYPOS_DIR_ANY, KEYPOS_BUTTON_NONE}},
      {INPUT_UP | INPUT_LEFT, 0, {KEYPOS_DIR_UP_LEFT, KEYPOS_DIR_ANY, KEYPOS_BUTTON_NONE}},
      {INPUT_DOWN | INPUT_LEFT, 0, {KEYPOS_DIR_DOWN_LEFT, KEYPOS_DIR_ANY, KEYPOS_BUTTON_NONE}},
      {INPUT_UP | INPUT_RIGHT, 0, {KEYPOS_DIR_UP_RIGHT, KEYPOS_DIR_ANY, KEYPOS_BUTTON_NONE}},
      {INPUT_DOWN | INPUT_RIGHT, 0, {KEYPOS_DIR_DOWN_RIGHT, KEYPOS_DIR_ANY, KEYPOS_BUTTON_NONE}},
      {INPUT_LEFT | INPUT_RIGHT, 0, {KEYPOS_DIR_ANY, KEYPOS_BUTTON_NONE}},
      {0, 0x01, {KEYPOS_DIR_NONE, KEYPOS_BUTTON_1}},
      {0, 0x06, {KEYPOS_DIR_NONE, KEYPOS_BUTTON_2, KEYPOS_BUTTON_3}},
      {0, 0x18, {KEYPOS_DIR_NONE, KEYPOS_BUTTON_4, KEYPOS_BUTTON_5}},
      {0, 0xE0, {KEYPOS_DIR_NONE, KEYPOS_BUTTON_6, KEYPOS_BUTTON_7, KEYPOS_BUTTON_8}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << "dir " << r.dir << " buttons " << r.buttons);
    cInput in;
    in.ResetLogs();
    in.SetWords(r.dir, r.buttons);
    in.LogChanges();
    for (int pos = 0; pos < KEYPOS_COUNT; ++pos) {
      EXPECT_EQ(in.GetLog(pos)[0].bOn, r.on.count(pos) ? 1 : 0) << "position " << pos;
    }
  }
  // Mirroring a position exchanges left and right in the state its log follows.
  auto swapLeftRight = [](WORD w) {
    return static_cast<WORD>((w & ~3) | ((w & INPUT_LEFT) ? INPUT_RIGHT : 0) | ((w & INPUT_RIGHT) ? INPUT_LEFT : 0));
  };
  for (int pos = 0; pos < KEYPOS_DIR_ANY; ++pos) {
    SCOPED_TRACE(pos);
    EXPECT_EQ(INPUT_DIR_LOG_STATE[MirrorKeyPosition(pos)], swapLeftRight(INPUT_DIR_LOG_STATE[pos]));
  }
}

// The frames on which the direction bit is reported when the record's direction word is
// dirs[f] on frame f.
std::vector<int> Reported(cInput& in, WORD bit, const std::vector<WORD>& dirs) {
  std::vector<int> out;
  for (size_t f = 0; f < dirs.size(); ++f) {
    in.m_wDir = dirs[f];
    in.m_nDirCode = 77;
    in.AutoRepeat();
    EXPECT_EQ(in.m_nDirCode, 77);
    if (in.m_wDir & bit) out.push_back(static_cast<int>(f));
  }
  return out;
}

// A new record repeats as start-up sets every record: after 18 frames, then every 6.
TEST(InputAutoRepeat, AHeldDirectionRepeatsAfterTheDelayThenEachInterval) {
  cInput in;
  // Right held from frame 0; up added on frame 5; right released on frame 40 and pressed
  // again on frame 41.
  std::vector<WORD> dirs(45, 0);
  for (int f = 0; f < 45; ++f) {
    if (f < 40 || f >= 41) dirs[f] |= INPUT_RIGHT;
    if (f >= 5) dirs[f] |= INPUT_UP;
  }
  cInput copy = in;
  EXPECT_EQ(Reported(in, INPUT_RIGHT, dirs), (std::vector<int>{0, 18, 24, 30, 36, 41}));
  EXPECT_EQ(Reported(copy, INPUT_UP, dirs), (std::vector<int>{5, 23, 29, 35, 41}));

  // With every frame a multiple of the interval, the default delay alone decides the first
  // repeat (with 6, a delay of 13 to 18 would all repeat first on frame 18).
  cInput everyFrame;
  everyFrame.m_nRepeatInterval = 1;
  EXPECT_EQ(Reported(everyFrame, INPUT_LEFT, std::vector<WORD>(21, INPUT_LEFT)), (std::vector<int>{0, 18, 19, 20}));
}

TEST(InputRecord, ANewRecordStartsNeutralWithTheDefaultButtonMap) {
  cInput in;
  EXPECT_EQ(in.m_wDir, 0);
  EXPECT_EQ(in.m_wButton, 0);
  EXPECT_EQ(in.m_nDirCode, 5);
  EXPECT_EQ(in.m_nRepeatDelay, 18u);
  EXPECT_EQ(in.m_nRepeatInterval, 6u);
  EXPECT_EQ(in.m_bLatch, 0);
  const WORD buttons[8] = {1, 2, 4, 8, 16, 32, 64, 128};
  for (int i = 0; i < 8; ++i) EXPECT_EQ(in.m_wJoyButton[i], buttons[i]) << i;
  for (int j = 0; j < INPUT_JOYSTICKS; ++j) EXPECT_EQ(in.m_nJoyWait[j], 0) << j;
  EXPECT_EQ(in.m_nHistoryHead[0], 0);
  EXPECT_EQ(in.m_nHistoryHead[1], 0);
}

TEST(InputAutoRepeat, TheIntervalStaysAtLeastOne) {
  cInput in;
  in.SetRepeat(3, 0);
  EXPECT_EQ(in.m_nRepeatInterval, 1u);
  EXPECT_EQ(Reported(in, INPUT_DOWN, std::vector<WORD>(6, INPUT_DOWN)), (std::vector<int>{0, 3, 4, 5}));
}

TEST(InputLatch, OneReportPerPress) {
  struct Frame {
    WORD held;
    WORD reported;
  };
  // Mask 3: button 1 held for ten frames, button 2 joins on frame 4, button 3 is not latched.
  const Frame frames[] = {
      {0x1, 0x1}, {0x1, 0x0}, {0x1, 0x0}, {0x5, 0x4}, {0x3, 0x0}, {0x3, 0x0}, {0x7, 0x4},
      {0x2, 0x0}, {0x0, 0x0}, {0x2, 0x2}, {0x2, 0x0}, {0x0, 0x0},
      {0x3, 0x3},  // both pressed at once: the frame reports them together
      {0x3, 0x0}, {0x0, 0x0},
  };
  cInput in;
  for (size_t f = 0; f < sizeof frames / sizeof frames[0]; ++f) {
    SCOPED_TRACE(f);
    in.m_wButton = frames[f].held;
    in.LatchButtons(3);
    EXPECT_EQ(in.m_wButton, frames[f].reported);
  }
}

TEST(InputLatch, MaskZeroLatchesAllEightButtons) {
  cInput in;
  in.m_wButton = 0x80;
  in.LatchButtons(0);
  EXPECT_EQ(in.m_wButton, 0x80);
  in.m_wButton = 0x81;
  in.LatchButtons(0);
  EXPECT_EQ(in.m_wButton, 0);
  in.m_wButton = 0;
  in.LatchButtons(0);
  in.m_wButton = 0x01;
  in.LatchButtons(0);
  EXPECT_EQ(in.m_wButton, 0x01);
}

TEST(InputRecord, ACopyOwnsItsOwnLogsAndRings) {
  cInput in;
  in.ResetLogs();
  in.SetWords(INPUT_LEFT, 1);
  in.PushHistory();
  in.LogChanges();
  cInput copy = in;
  in.SetWords(0, 0);
  in.PushHistory();
  in.LogChanges();
  in.ResetLogs();
  EXPECT_EQ(copy.GetHistoryValue(1, 0), 1);
  EXPECT_EQ(Runs(copy.GetLog(KEYPOS_DIR_LEFT)), (RunList{{1, 1}}));
  EXPECT_EQ(Runs(copy.GetLog(KEYPOS_BUTTON_1)), (RunList{{1, 1}}));
  copy = in;
  EXPECT_EQ(Runs(copy.GetLog(KEYPOS_DIR_LEFT)), RunList{});
}

}  // namespace
