#include "platform/msgbox.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> g_logged;
void Logger(const char* text, const char* caption) { g_logged.push_back(std::string(caption) + "|" + text); }

TEST(MessageBox, HeadlessBoxesAreLoggedAndAnswered) {
  // The tests run with SDL's dummy video driver: no display.
  g_logged.clear();
  SetMessageBoxLogger(&Logger);
  EXPECT_EQ(MessageBoxA(nullptr, "text", "cap", MB_OK), IDOK);
  EXPECT_EQ(MessageBoxA(nullptr, "q", "cap", MB_YESNO), IDYES);
  SetHeadlessMessageBoxAnswer(IDNO);
  EXPECT_EQ(MessageBoxA(nullptr, "q", "cap", MB_YESNO), IDNO);
  SetHeadlessMessageBoxAnswer(0);
  SetMessageBoxLogger(nullptr);
  EXPECT_EQ(g_logged, (std::vector<std::string>{"cap|text", "cap|q", "cap|q"}));
}

TEST(MessageBox, HookTakesEveryBox) {
  std::string seen;
  SetMessageBoxHook([&](const char* text, const char* caption, UINT type) {
    seen = std::string(caption) + ":" + text + ":" + std::to_string(type);
    return IDCANCEL;
  });
  EXPECT_EQ(MessageBoxA(nullptr, "t", "c", MB_OKCANCEL), IDCANCEL);
  SetMessageBoxHook(nullptr);
  EXPECT_EQ(seen, "c:t:1");
}

}  // namespace
