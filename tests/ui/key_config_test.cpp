// Reading "user_data\KeyConfig.dat": files built byte by byte, whole, short and with counts no
// editor writes.
#include <gtest/gtest.h>

#include <cstring>

#include "fake_devices.h"
#include "support/bytes.h"
#include "support/temp_dir.h"
#include "ui/input.h"
#include "ui/key_config.h"

namespace {

constexpr const char* kPath = "user_data\\KeyConfig.dat";

class KeyConfigFile : public InputTestBase {
 protected:
  void SetUp() override {
    InputTestBase::SetUp();
    dir_.MakeDir("user_data");
  }
  // Writes the bytes as the configuration file and loads it over the default record.
  int Load(const std::string& bytes, KEYCONFIG* config) {
    WriteFileBytes(dir_ / "user_data/KeyConfig.dat", bytes);
    SetDefaultKeyConfig(config);
    ScopedChdir cd(dir_.path());
    return LoadKeyConfig(kPath, config);
  }
  // Twelve entries: joystick 1's X axis for left and right, the keyboard for the rest.
  static ByteWriter Entries() {
    ByteWriter w;
    w.I32(1).U16(JOYCODE_X_LOW).U16(0xEEEE);
    w.I32(1).U16(JOYCODE_X_HIGH).U16(0xEEEE);
    const uint16_t keys[10] = {'W', 'S', 'J', 'K', 'L', 'U', 'I', 'O', VK_SPACE, VK_RETURN};
    for (uint16_t k : keys) w.I32(KEYCONFIG_KEYBOARD).U16(k).U16(0);
    return w;
  }

  TempDir dir_;
};

TEST_F(KeyConfigFile, AWholeFileIsTheRecord) {
  ByteWriter w = Entries();
  w.I32(10).I32(2).I32(1);
  ASSERT_EQ(w.size(), 108u);
  KEYCONFIG config{};
  ASSERT_EQ(Load(w.str(), &config), 1);
  EXPECT_EQ(config.Entry[0].nDevice, 1);
  EXPECT_EQ(config.Entry[1].wCode, JOYCODE_X_HIGH);
  EXPECT_EQ(config.Entry[11].wCode, VK_RETURN);
  EXPECT_EQ(config.nCount, 10);
  EXPECT_EQ(config.nJoyCount, 2);
  EXPECT_EQ(config.bUse, 1);

  // Polled through it: joystick 1 right, W for up, I and O for buttons 5 and 6; Space would
  // be button 7, which ten entries leave out.
  g_KeyConfig = config;
  dev.joys[1] = FakeDevices::Joy{true, 60000, 32768, 0};
  dev.keys = {'W', 'I', 'O', VK_SPACE};
  cInput in;
  ASSERT_EQ(in.PollKeyConfig(1, 60), 1);
  EXPECT_EQ(in.m_wDir, INPUT_RIGHT | INPUT_UP);
  EXPECT_EQ(in.m_nDirCode, 3);
  EXPECT_EQ(in.m_wButton, 0x30);
}

TEST_F(KeyConfigFile, AShortFileKeepsWhatItLacks) {
  // 50 bytes: entries 0..5 and the low half of entry 6's device.
  ByteWriter w = Entries();
  const std::string bytes = w.str().substr(0, 50);
  KEYCONFIG config{};
  ASSERT_EQ(Load(bytes, &config), 1);
  KEYCONFIG want{};
  SetDefaultKeyConfig(&want);
  memcpy(&want, w.str().data(), 50);
  EXPECT_EQ(memcmp(&config, &want, sizeof config), 0);
  EXPECT_EQ(config.Entry[5].wCode, 'K');
  EXPECT_EQ(config.Entry[6].nDevice, KEYCONFIG_KEYBOARD);
  EXPECT_EQ(config.Entry[6].wCode, 'C');
  EXPECT_EQ(config.nCount, 12);
  EXPECT_EQ(config.bUse, 0);

  KEYCONFIG untouched{};
  ASSERT_EQ(Load("", &untouched), 1);
  KEYCONFIG defaults{};
  SetDefaultKeyConfig(&defaults);
  EXPECT_EQ(memcmp(&untouched, &defaults, sizeof defaults), 0);
}

TEST(KeyConfigDefault, ArrowKeysThenZXCVASDFOnTheKeyboard) {
  KEYCONFIG config;
  memset(&config, 0xEE, sizeof config);
  SetDefaultKeyConfig(&config);
  // VK_LEFT, VK_RIGHT, VK_UP, VK_DOWN, then 'Z' 'X' 'C' 'V' 'A' 'S' 'D' 'F'.
  const uint16_t codes[12] = {37, 39, 38, 40, 90, 88, 67, 86, 65, 83, 68, 70};
  for (int i = 0; i < 12; ++i) {
    EXPECT_EQ(config.Entry[i].nDevice, 8) << i;
    EXPECT_EQ(config.Entry[i].wCode, codes[i]) << i;
  }
  EXPECT_EQ(config.nCount, 12);
  EXPECT_EQ(config.nJoyCount, 1);
  EXPECT_EQ(config.bUse, 0);
}

TEST_F(KeyConfigFile, AMissingFileIsNotRead) {
  KEYCONFIG config{};
  config.nCount = 77;
  ScopedChdir cd(dir_.path());
  EXPECT_EQ(LoadKeyConfig(kPath, &config), 0);
  EXPECT_EQ(config.nCount, 77);
}

TEST_F(KeyConfigFile, CountsAreBroughtIntoRange) {
  struct Row {
    int32_t count;
    int32_t joys;
    int32_t wantCount;
    int32_t wantJoys;
  };
  const Row rows[] = {
      {12, 16, 12, 16},       {4, 0, 4, 0},          {13, 17, 12, 16}, {3, -1, 4, 0},
      {INT32_MAX, INT32_MIN, 12, 0}, {INT32_MIN, INT32_MAX, 4, 16},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << r.count << " " << r.joys);
    ByteWriter w = Entries();
    w.I32(r.count).I32(r.joys).I32(1);
    KEYCONFIG config{};
    ASSERT_EQ(Load(w.str(), &config), 1);
    EXPECT_EQ(config.nCount, r.wantCount);
    EXPECT_EQ(config.nJoyCount, r.wantJoys);
  }
}

TEST_F(KeyConfigFile, HostileDevicesAreNeverPressed) {
  ByteWriter w;
  w.I32(-1).U16(1).U16(0);                  // left: no device
  w.I32(INT32_MAX).U16(1).U16(0);           // right: no device
  w.I32(3).U16(1).U16(0);                   // up: joystick 3, not polled
  w.I32(KEYCONFIG_KEYBOARD).U16(0x125).U16(0);  // down: a key code past the table
  w.I32(0).U16(1).U16(0);                   // button 1: joystick 0, button 1
  for (int i = 5; i < 12; ++i) w.I32(KEYCONFIG_KEYBOARD).U16(0xFFFF).U16(0);
  w.I32(100).I32(1).I32(1);
  ASSERT_EQ(w.size(), 108u);
  ASSERT_EQ(Load(w.str(), &g_KeyConfig), 1);
  for (auto& j : dev.joys) j = FakeDevices::Joy{true, 0, 0, 0xFFFFFFFF};
  dev.keys = {VK_DOWN, 0x125, 0xFF};
  cInput in;
  ASSERT_EQ(in.PollKeyConfig(1, 60), 1);
  EXPECT_EQ(in.m_wDir, 0);
  EXPECT_EQ(in.m_wButton, 1);
  EXPECT_EQ(dev.queries, std::vector<int>{0});
}

}  // namespace
