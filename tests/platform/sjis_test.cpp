#include "platform/sjis.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>

namespace {

std::string U8(const char8_t* s) { return reinterpret_cast<const char*>(s); }

TEST(Sjis, RoundTripsJapaneseText) {
  // Narrow literals are compiled to Shift-JIS.
  std::string sjis = "背景その1.bmp";
  EXPECT_EQ(SjisToUtf8(sjis), U8(u8"背景その1.bmp"));
  EXPECT_EQ(Utf8ToSjis(U8(u8"背景その1.bmp")), sjis);
}

TEST(Sjis, BackslashTrailByteStaysInsideItsCharacter) {
  // "表" is 0x95 0x5C in Shift-JIS: the second byte is a backslash.
  std::string sjis = "表";
  ASSERT_EQ(sjis, std::string("\x95\x5C"));
  EXPECT_EQ(SjisToUtf8(sjis), U8(u8"表"));
}

TEST(Sjis, BytesOfNoCharacterShowAsReplacementsAndUnmappableCharactersBecomeQuestionMarks) {
  EXPECT_EQ(SjisToUtf8(std::string("a\x81", 2)), "a\xEF\xBF\xBD");
  // Computed outside the test macro: its text is compiled to Shift-JIS, which has no emoji.
  std::string emoji = U8(u8"a\U0001F600b");
  EXPECT_EQ(Utf8ToSjis(emoji), "a?b");
  EXPECT_EQ(Utf8ToSjis("a\xFF" "b"), "a?b");  // a byte of no UTF-8 character
}

// A conversion made while a thread ends, after its thread-local objects are gone (as an exit
// handler of the main thread writes a report line), still converts.
struct ConvertsWhenDestroyed {
  std::string* out = nullptr;
  ~ConvertsWhenDestroyed() {
    if (out) *out = SjisToUtf8("背景") + "|" + Utf8ToSjis(U8(u8"背景"));
  }
};

TEST(Sjis, ConversionsWhileAThreadEndsStillConvert) {
  std::string result;
  std::thread t([&] {
    // Made before the thread's first conversion, so destroyed after what that conversion made.
    thread_local ConvertsWhenDestroyed late;
    late.out = &result;
    EXPECT_EQ(SjisToUtf8("a"), "a");
  });
  t.join();
  EXPECT_EQ(result, U8(u8"背景") + "|" + std::string("背景"));
}

}  // namespace
