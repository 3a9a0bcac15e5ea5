// Polling the keyboard and joysticks into an input record: the fixed mapping, the configured
// mapping, and the gate that keeps a failed joystick from being asked every frame.
#include <gtest/gtest.h>

#include <initializer_list>
#include <ostream>
#include <string>

#include "fake_devices.h"
#include "ui/input.h"

namespace {

using Joy = FakeDevices::Joy;
constexpr Joy kNoJoy{};
constexpr Joy kCentred{true};

// What one poll leaves in the record.
struct Result {
  WORD dir;
  int code;
  WORD buttons;
  bool operator==(const Result&) const = default;
};
std::ostream& operator<<(std::ostream& os, const Result& r) {
  return os << "{dir " << r.dir << ", code " << r.code << ", buttons " << r.buttons << "}";
}

class PollTest : public InputTestBase {
 protected:
  // Keys held and joystick 0 as given, then one poll of a record whose words hold a mark.
  Result PollFixed(std::initializer_list<int> keys, const Joy& joy, int flags = 3) {
    dev.keys = keys;
    dev.joys[0] = joy;
    cInput in;
    in.SetWords(0xAA, 0xBB);
    in.m_nDirCode = 77;
    EXPECT_EQ(in.Poll(0, flags, 60), 1);
    return Result{in.m_wDir, in.m_nDirCode, in.m_wButton};
  }
  Result PollConfigured(std::initializer_list<int> keys) {
    dev.keys = keys;
    cInput in;
    EXPECT_EQ(in.PollKeyConfig(1, 60), 1);
    return Result{in.m_wDir, in.m_nDirCode, in.m_wButton};
  }
  static Joy Stick(DWORD x, DWORD y, DWORD buttons = 0) { return Joy{true, x, y, buttons}; }
};

TEST_F(PollTest, FixedMappingOfKeysAndJoystick) {
  struct Row {
    const char* what;
    std::initializer_list<int> keys;
    Joy joy;
    int flags;
    Result want;
  };
  const Row rows[] = {
      {"nothing held", {}, kNoJoy, 3, {0, 5, 0}},
      {"opposite arrows cancel in the code", {VK_LEFT, VK_RIGHT}, kNoJoy, 3, {3, 5, 0}},
      {"opposite arrows and up", {VK_LEFT, VK_RIGHT, VK_UP}, kNoJoy, 3, {7, 2, 0}},
      {"down-right", {VK_DOWN, VK_RIGHT}, kNoJoy, 3, {10, 9, 0}},
      {"buttons 1 and 8", {'Z', 'F'}, kNoJoy, 3, {0, 5, 0x81}},
      {"every button key", {'Z', 'X', 'C', 'V', 'A', 'S', 'D', 'F'}, kNoJoy, 3, {0, 5, 0xFF}},
      {"X at 10000 is left", {}, Stick(10000, 32768), 3, {1, 4, 0}},
      {"X at 10001 is neutral", {}, Stick(10001, 32768), 3, {0, 5, 0}},
      {"X at 55534 is neutral", {}, Stick(55534, 32768), 3, {0, 5, 0}},
      {"X at 55535 is right", {}, Stick(55535, 32768), 3, {2, 6, 0}},
      {"Y at 10000 is up", {}, Stick(32768, 10000), 3, {4, 2, 0}},
      {"Y at 55535 is down", {}, Stick(32768, 55535), 3, {8, 8, 0}},
      {"joystick down-left", {}, Stick(0, 65535), 3, {9, 7, 0}},
      {"a joystick direction hides the arrows", {VK_RIGHT, VK_DOWN}, Stick(0, 32768), 3, {1, 4, 0}},
      {"a centred joystick leaves the arrows", {VK_RIGHT}, kCentred, 3, {2, 6, 0}},
      {"a joystick button hides every button key, not the arrows",
       {'X', 'C', 'F', VK_LEFT},
       Stick(32768, 32768, 1),
       3,
       {1, 4, 1}},
      {"joystick buttons 1 and 8", {}, Stick(32768, 32768, 0x81), 3, {0, 5, 0x81}},
      {"joystick button 9 is no button", {'Z'}, Stick(32768, 32768, 0x100), 3, {0, 5, 1}},
      {"without the joystick flag its data is not used", {VK_RIGHT}, Stick(0, 32768, 1), 2, {2, 6, 0}},
      {"without the keyboard flag the keys are not read", {VK_RIGHT, 'Z'}, kCentred, 1, {0, 5, 0}},
      {"without the keyboard flag and joystick nothing changes", {VK_RIGHT}, kNoJoy, 1, {0xAA, 77, 0xBB}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    EXPECT_EQ(PollFixed(r.keys, r.joy, r.flags), r.want);
  }
}

TEST_F(PollTest, JoystickButtonMapOfTheFixedMapping) {
  dev.joys[0] = Stick(32768, 32768, 0x30);
  cInput in;
  for (WORD& m : in.m_wJoyButton) m = 0;
  in.m_wJoyButton[0] = 0x20;  // button 1 on joystick button 6
  in.m_wJoyButton[7] = 0x10;  // button 8 on joystick button 5
  in.Poll(0, 3, 60);
  EXPECT_EQ(in.m_wButton, 0x81);
  in.SetDefaultButtonMap();
  in.Poll(0, 3, 60);
  EXPECT_EQ(in.m_wButton, 0x30);
}

TEST_F(PollTest, EachMappingAnswersOnlyWhileItIsInUse) {
  dev.keys = {VK_LEFT, 'Z'};
  cInput in;
  in.SetWords(0xAA, 0xBB);
  g_KeyConfig.bUse = 1;
  EXPECT_EQ(in.Poll(0, 3, 60), 0);
  EXPECT_EQ(in.m_wDir, 0xAA);
  EXPECT_EQ(in.m_wButton, 0xBB);
  EXPECT_TRUE(dev.queries.empty());
  g_KeyConfig.bUse = 0;
  EXPECT_EQ(in.PollKeyConfig(1, 60), 0);
  EXPECT_EQ(in.m_wDir, 0xAA);
  EXPECT_EQ(in.m_wButton, 0xBB);
  EXPECT_TRUE(dev.queries.empty());
}

TEST_F(PollTest, ConfiguredKeyboard) {
  g_KeyConfig.bUse = 1;
  struct Row {
    const char* what;
    int count;
    std::initializer_list<int> keys;
    Result want;
  };
  const Row rows[] = {
      {"left wins over right", 12, {VK_LEFT, VK_RIGHT}, {1, 4, 0}},
      {"up wins over down", 12, {VK_UP, VK_DOWN}, {4, 2, 0}},
      {"right and down", 12, {VK_RIGHT, VK_DOWN}, {10, 9, 0}},
      {"all eight buttons", 12, {'Z', 'X', 'C', 'V', 'A', 'S', 'D', 'F'}, {0, 5, 0xFF}},
      {"six entries give buttons 1 and 2 only", 6, {'Z', 'X', 'C', 'F'}, {0, 5, 3}},
      {"four entries give directions only", 4, {VK_UP, 'Z'}, {4, 2, 0}},
      {"a count below four still reads the directions", -3, {VK_DOWN, 'Z'}, {8, 8, 0}},
      {"a count above twelve reads the twelve entries", 1000, {'Z', 'X', 'C', 'V', 'A', 'S', 'D', 'F'}, {0, 5, 0xFF}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    g_KeyConfig.nCount = r.count;
    EXPECT_EQ(PollConfigured(r.keys), r.want);
  }
}

TEST_F(PollTest, ConfiguredEntriesThatAreNeverPressed) {
  g_KeyConfig.bUse = 1;
  g_KeyConfig.nJoyCount = 2;
  dev.joys[0] = Stick(0, 0, 0xFFFFFFFF);
  dev.joys[1] = Stick(0, 0, 0xFFFFFFFF);
  dev.joys[2] = Stick(0, 0, 0xFFFFFFFF);
  // A key code past the key table, also where its low byte names a held key.
  g_KeyConfig.Entry[0] = KEYCONFIGENTRY{KEYCONFIG_KEYBOARD, 0x100 + VK_LEFT, 0};
  g_KeyConfig.Entry[1] = KEYCONFIGENTRY{2, 1, 0};    // joystick 2 is not polled
  g_KeyConfig.Entry[2] = KEYCONFIGENTRY{-1, 1, 0};   // no device
  g_KeyConfig.Entry[3] = KEYCONFIGENTRY{9, 1, 0};    // no device
  g_KeyConfig.Entry[4] = KEYCONFIGENTRY{1, 4, 0};    // joystick 1 button 3: pressed
  g_KeyConfig.Entry[5] = KEYCONFIGENTRY{100000, 1, 0};
  g_KeyConfig.Entry[6] = KEYCONFIGENTRY{KEYCONFIG_KEYBOARD, 0xFFFF, 0};
  g_KeyConfig.Entry[7] = KEYCONFIGENTRY{KEYCONFIG_KEYBOARD, VK_UP, 0};  // pressed
  EXPECT_EQ(PollConfigured({VK_LEFT, 0x100 + VK_LEFT, VK_UP}), (Result{0, 5, 0x9}));
  EXPECT_EQ(dev.TakeQueries(2), 0);
}

TEST_F(PollTest, ConfiguredJoystickAxesAndButtons) {
  g_KeyConfig.bUse = 1;
  g_KeyConfig.nJoyCount = 2;
  g_KeyConfig.nCount = 8;
  g_KeyConfig.Entry[0] = KEYCONFIGENTRY{0, JOYCODE_X_LOW, 0};
  g_KeyConfig.Entry[1] = KEYCONFIGENTRY{0, JOYCODE_X_HIGH, 0};
  g_KeyConfig.Entry[2] = KEYCONFIGENTRY{1, JOYCODE_Y_LOW, 0};
  g_KeyConfig.Entry[3] = KEYCONFIGENTRY{1, JOYCODE_Y_HIGH, 0};
  g_KeyConfig.Entry[4] = KEYCONFIGENTRY{0, 0x1, 0};
  g_KeyConfig.Entry[5] = KEYCONFIGENTRY{1, 0x6, 0};  // either of joystick 1's buttons 2 and 3
  g_KeyConfig.Entry[6] = KEYCONFIGENTRY{KEYCONFIG_KEYBOARD, 'Q', 0};
  g_KeyConfig.Entry[7] = KEYCONFIGENTRY{0, JOYCODE_Y_HIGH, 0};
  struct Row {
    const char* what;
    Joy joy0;
    Joy joy1;
    std::initializer_list<int> keys;
    Result want;
  };
  const Row rows[] = {
      {"all centred", kCentred, kCentred, {}, {0, 5, 0}},
      {"X at 10000 of joystick 0", Stick(10000, 32768), kCentred, {}, {1, 4, 0}},
      {"X at 10001", Stick(10001, 32768), kCentred, {}, {0, 5, 0}},
      {"X at 55534", Stick(55534, 32768), kCentred, {}, {0, 5, 0}},
      {"X at 55535", Stick(55535, 32768), kCentred, {}, {2, 6, 0}},
      {"Y of joystick 1 down, Y of joystick 0 as a button", Stick(32768, 65535), Stick(32768, 55535), {}, {8, 8, 8}},
      {"Y of joystick 1 up", kCentred, Stick(40000, 0), {}, {4, 2, 0}},
      {"an axis code also answers to buttons 9 to 12", Stick(32768, 32768, 0x100 | 0x200), kCentred, {}, {1, 4, 0}},
      {"button masks", Stick(32768, 32768, 1), Stick(32768, 32768, 4), {'Q'}, {0, 5, 7}},
      {"a missing joystick 0 leaves joystick 1 and the keys", kNoJoy, Stick(32768, 0, 2), {'Q'}, {4, 2, 6}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    dev.joys[0] = r.joy0;
    dev.joys[1] = r.joy1;
    EXPECT_EQ(PollConfigured(r.keys), r.want);
  }
}

TEST_F(PollTest, JoystickCountsOfTheConfigurationAreBounded) {
  g_KeyConfig.bUse = 1;
  for (int i = 0; i < 16; ++i) dev.joys[i] = kCentred;
  struct Row {
    int count;
    int asked;
  };
  for (const Row& r : {Row{0, 0}, Row{-5, 0}, Row{3, 3}, Row{16, 16}, Row{17, 16}, Row{0x7FFFFFFF, 16}}) {
    SCOPED_TRACE(r.count);
    g_KeyConfig.nJoyCount = r.count;
    cInput in;
    in.PollKeyConfig(1, 60);
    std::set<int> ids(dev.queries.begin(), dev.queries.end());
    EXPECT_EQ(dev.queries.size(), static_cast<size_t>(r.asked));
    EXPECT_EQ(ids.size(), static_cast<size_t>(r.asked));
    if (!ids.empty()) {
      EXPECT_EQ(*ids.rbegin(), r.asked - 1);
    }
    dev.queries.clear();
  }
}

TEST_F(PollTest, AFailedJoystickIsAskedAgainAfterTwiceTheRetryFrames) {
  cInput in;
  in.Poll(0, 3, 60);
  EXPECT_EQ(dev.TakeQueries(0), 1);
  // It comes back at once, but the gate holds for 120 polls.
  dev.joys[0] = Stick(0, 32768);
  dev.keys = {VK_RIGHT};
  for (int i = 0; i < 120; ++i) {
    in.Poll(0, 3, 60);
    ASSERT_EQ(in.m_wDir, INPUT_RIGHT) << "poll " << i;  // the keyboard decides alone
  }
  EXPECT_EQ(dev.TakeQueries(0), 0);
  in.Poll(0, 3, 60);
  EXPECT_EQ(dev.TakeQueries(0), 1);
  EXPECT_EQ(in.m_wDir, INPUT_LEFT);
  for (int i = 0; i < 10; ++i) in.Poll(0, 3, 60);
  EXPECT_EQ(dev.TakeQueries(0), 10);
}

TEST_F(PollTest, AMissingJoystickDoesNotHoldBackOneThatWorks) {
  g_KeyConfig.bUse = 1;
  g_KeyConfig.nJoyCount = 2;
  g_KeyConfig.Entry[0] = KEYCONFIGENTRY{0, JOYCODE_X_LOW, 0};
  dev.joys[0] = Stick(0, 32768);
  cInput in;
  int asked0 = 0, asked1 = 0, left = 0;
  for (int frame = 0; frame < 243; ++frame) {
    in.PollKeyConfig(1, 60);
    for (int q : dev.queries) (q == 0 ? asked0 : asked1) += 1;
    dev.queries.clear();
    left += in.m_wDir == INPUT_LEFT;
  }
  EXPECT_EQ(asked0, 243);
  EXPECT_EQ(left, 243);
  EXPECT_EQ(asked1, 3);  // frames 0, 121 and 242
}

TEST(DirCode, KeypadCodeOfADirectionWord) {
  // Left wins over right and up over down, as a replayed word may hold both.
  const int want[16] = {5, 4, 6, 4, 2, 1, 3, 1, 8, 7, 9, 7, 2, 1, 3, 1};
  for (WORD w = 0; w < 16; ++w) {
    SCOPED_TRACE(w);
    EXPECT_EQ(cInput::GetDirCode(&w), want[w]);
  }
  cInput in;
  in.SetWords(INPUT_UP | INPUT_RIGHT, 0x12);
  EXPECT_EQ(in.DirWord(), 6);
  EXPECT_EQ(in.ButtonWord(), 0x12);
  EXPECT_EQ(in.m_nDirCode, 5);  // the words alone; the code is the caller's to recompute
  in.m_nDirCode = cInput::GetDirCode(&in.m_wDir);
  EXPECT_EQ(in.m_nDirCode, 3);
  in.ClearDir();
  in.ClearButtons();
  EXPECT_EQ(in.m_wDir, 0);
  EXPECT_EQ(in.m_nDirCode, 5);
  EXPECT_EQ(in.m_wButton, 0);
}

}  // namespace
