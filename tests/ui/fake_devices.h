// Keyboard and joysticks made up by a test, installed for the input records in place of the
// platform's, and a clean key configuration, for the scope of one test.
#pragma once

#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "ui/input_devices.h"
#include "ui/key_config.h"

class FakeDevices : public cInputDevices {
 public:
  struct Joy {
    bool present = false;
    DWORD x = 32768;
    DWORD y = 32768;
    DWORD buttons = 0;
  };

  SHORT KeyState(int vKey) override { return keys.count(vKey) ? static_cast<SHORT>(0x8000) : 0; }
  MMRESULT JoyPos(UINT uJoyID, JOYINFOEX* pji) override {
    queries.push_back(static_cast<int>(uJoyID));
    EXPECT_EQ(pji->dwSize, 52u);
    EXPECT_EQ(pji->dwFlags, JOY_RETURNX | JOY_RETURNY | JOY_RETURNBUTTONS);
    if (uJoyID >= 16) return JOYERR_PARMS;
    const Joy& j = joys[uJoyID];
    if (!j.present) return JOYERR_UNPLUGGED;
    pji->dwXpos = j.x;
    pji->dwYpos = j.y;
    pji->dwButtons = j.buttons;
    return JOYERR_NOERROR;
  }
  // How many times a joystick was asked since the last call.
  int TakeQueries(int id) {
    int n = 0;
    for (int q : queries) n += q == id;
    queries.clear();
    return n;
  }

  std::set<int> keys;
  Joy joys[16];
  std::vector<int> queries;
};

class InputTestBase : public ::testing::Test {
 protected:
  void SetUp() override {
    savedConfig_ = g_KeyConfig;
    SetDefaultKeyConfig(&g_KeyConfig);
    previous_ = SetInputDevices(&dev);
  }
  void TearDown() override {
    SetInputDevices(previous_);
    g_KeyConfig = savedConfig_;
  }

  FakeDevices dev;

 private:
  KEYCONFIG savedConfig_{};
  cInputDevices* previous_ = nullptr;
};
