// The one mapping between names on the disk and the system's Shift-JIS names: UTF-8 names, raw
// Shift-JIS names and other bytes, each back to the disk unchanged; what a person reads of them;
// the codes shared by threads; a process that runs out of codes.
#include "platform/disk_name.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "platform/sjis.h"

namespace {

std::string U8(const char8_t* s) { return reinterpret_cast<const char*>(s); }

// Whether the two bytes at s[i] are a code of the user-defined area (lead 0xF0-0xF9).
bool UserCodeAt(const std::string& s, size_t i) {
  if (i + 1 >= s.size()) return false;
  const unsigned char lead = static_cast<unsigned char>(s[i]), trail = static_cast<unsigned char>(s[i + 1]);
  return lead >= 0xF0 && lead <= 0xF9 && ((trail >= 0x40 && trail <= 0x7E) || (trail >= 0x80 && trail <= 0xFC));
}

// Runs the checks in a process of their own, whose codes no other test has taken.
template <class F>
void InFreshProcess(F checks) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        checks();
        std::exit(testing::Test::HasFailure() ? 1 : 0);
      },
      testing::ExitedWithCode(0), "");
}

TEST(DiskName, CharactersOfCodePage932TakeTheirCodes) {
  // Narrow literals are compiled to Shift-JIS.
  EXPECT_EQ(DiskNameToSjis(U8(u8"背景その1.bmp")), "背景その1.bmp");
  EXPECT_EQ(DiskNameToSjis(U8(u8"Привет")), "Привет");
  EXPECT_EQ(DiskNameToSjis(U8(u8"ｱｲ")), "\xB1\xB2");  // half-width katakana: one byte each
  EXPECT_EQ(SjisNameToDisk("背景その1.bmp"), U8(u8"背景その1.bmp"));
  EXPECT_EQ(SjisNameToDisk("Привет"), U8(u8"Привет"));
  // Codes that share a character (0x879A, NEC's, and 0x81E6 are both U+2235) write it alike.
  EXPECT_EQ(SjisNameToDisk("\x87\x9A"), U8(u8"∵"));
  EXPECT_EQ(SjisNameToDisk("\x81\xE6"), U8(u8"∵"));
  EXPECT_EQ(FoldedName("\x87\x9A"), FoldedName("\x81\xE6"));
}

// Each character with no code of its own takes one user-defined code: the same one whenever it
// is met, another than any other character's; back on the disk and before a person it is itself.
TEST(DiskName, ACharacterWithoutACodeTakesAUserDefinedCode) {
  struct Case {
    const char* what;
    std::string disk;
  };
  const Case cases[] = {
      {"Latin-1", U8(u8"é")},   {"another Latin-1", U8(u8"ü")},     {"capital", U8(u8"É")},
      {"emoji", U8(u8"🎮")},    {"Chinese outside JIS", U8(u8"这")}, {"Korean", U8(u8"한")},
      {"yen sign (0x5C is the backslash)", U8(u8"¥")},             {"overline (0x7E is the tilde)", U8(u8"‾")},
      {"a C1 control", U8(u8"\u0085")},
  };
  std::set<std::string> codes;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string name = "x" + c.disk + ".stg4";
    const std::string sjis = DiskNameToSjis(name);
    ASSERT_EQ(sjis.size(), 8u) << "one two-byte code in the name";
    EXPECT_EQ(sjis.substr(0, 1), "x");
    EXPECT_TRUE(UserCodeAt(sjis, 1));
    EXPECT_EQ(sjis.substr(3), ".stg4");
    EXPECT_EQ(DiskNameToSjis(name), sjis) << "met again";
    EXPECT_EQ(SjisNameToDisk(sjis), name);
    EXPECT_EQ(SjisToUtf8(sjis), name);
    codes.insert(sjis.substr(1, 2));
  }
  EXPECT_EQ(codes.size(), std::size(cases)) << "each character its own code";
  // Without regard to case, as Windows compares names: É is é.
  EXPECT_EQ(FoldedName(DiskNameToSjis(U8(u8"CAFÉ"))), FoldedName(DiskNameToSjis(U8(u8"café"))));
  EXPECT_NE(FoldedName(DiskNameToSjis(U8(u8"café"))), FoldedName(DiskNameToSjis(U8(u8"cafü"))));
}

// A backslash in a name on the disk is part of the name, never a separator of the system's.
TEST(DiskName, ABackslashInANameTakesACode) {
  const std::string sjis = DiskNameToSjis("a\\b");
  ASSERT_EQ(sjis.size(), 4u);
  EXPECT_TRUE(UserCodeAt(sjis, 1));
  EXPECT_EQ(sjis.find('\\'), std::string::npos);
  EXPECT_EQ(SjisNameToDisk(sjis), "a\\b");
  EXPECT_EQ(SjisToUtf8(sjis), "a\\b");
  // A path of the disk keeps its '/'; one of the command line takes '\' as a separator too.
  EXPECT_EQ(DiskPathToSjis(U8(u8"/tmp/ステージ")), "/tmp/ステージ");
  EXPECT_EQ(ArgumentPathToSjis(U8(u8"data\\stg4/ステージ.stg4")), "data\\stg4/ステージ.stg4");
}

// A name that is not UTF-8 is taken as raw Shift-JIS, as an archive made on Windows unpacks it:
// its characters keep their bytes, and its raw form gives them back.
TEST(DiskName, RawShiftJisNamesKeepTheirBytes) {
  const std::string raw = "\x83\x58\x83\x65\x81\x5B\x83\x57.stg4_000";  // "ステージ"
  EXPECT_EQ(DiskNameToSjis(raw), raw);
  EXPECT_EQ(SjisNameToRawDisk(raw), raw);
  EXPECT_EQ(SjisNameToDisk(raw), U8(u8"ステージ.stg4_000"));
  // "表" ends in the byte of a backslash: still one character, no separator.
  EXPECT_EQ(DiskNameToSjis("\x95\x5C\x81"), std::string("\x95\x5C") + DiskNameToSjis("\x81").substr(0, 2));
}

// Bytes that start no character of code page 932 (0x80, 0xA0, 0xFD-0xFF, a lead byte alone or
// before a byte that cannot follow it) each take a code; the name goes back to the disk whole.
TEST(DiskName, BytesOutsideCodePage932TakeCodesAndGoBackUnchanged) {
  struct Case {
    std::string disk;
    std::string program;  // the name with each code written as "#"
  };
  const Case cases[] = {
      {"ab\x81.stg4_000", "ab#.stg4_000"}, {"\x80", "#"},           {"\xA0", "#"},
      {"\xFD\xFE\xFF", "###"},             {"x\x81", "x#"},          {"\x81 ", "# "},
      {"\x83\x58\xFF", "\x83\x58#"},       {"\xC3", "\xC3"},  // 0xC3 alone: a half-width katakana
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.program);
    const std::string sjis = DiskNameToSjis(c.disk);
    std::string shape;
    for (size_t i = 0; i < sjis.size();) {
      if (UserCodeAt(sjis, i)) {
        shape += '#';
        i += 2;
      } else {
        shape += sjis[i++];
      }
    }
    EXPECT_EQ(shape, c.program);
    EXPECT_EQ(SjisNameToRawDisk(sjis), c.disk);
    // Read by a person: the bytes that are no character show as U+FFFD.
    const std::string shown = SjisToUtf8(sjis);
    size_t replaced = 0;
    for (size_t at = shown.find("\xEF\xBF\xBD"); at != std::string::npos; at = shown.find("\xEF\xBF\xBD", at + 3)) ++replaced;
    EXPECT_EQ(replaced, static_cast<size_t>(std::count(c.program.begin(), c.program.end(), '#')));
  }
  // A stored name with such a byte goes to the disk with the byte, and is the name listed.
  EXPECT_EQ(SjisNameToDisk("ab\x81.stg4"), "ab\x81.stg4");
  EXPECT_EQ(FoldedName("AB\x81.STG4_000"), FoldedName(DiskNameToSjis("ab\x81.stg4_000")));
}

// Every kind of name, back to the disk unchanged: a UTF-8 name in its disk form, any other in its
// raw form (the two the resolver tries).
TEST(DiskName, EveryNameGoesBackToTheDiskUnchanged) {
  struct Case {
    std::string name;
    bool utf8;
  };
  const Case cases[] = {
      {"plain.txt", true},           {U8(u8"Jeux vidéo ü"), true},      {U8(u8"Привет 🎮"), true},
      {U8(u8"背景その1.bmp"), true}, {U8(u8"¥100~‾"), true},            {U8(u8"\uE000\uE757"), true},
      {"a\\b\\\\", true},            {U8(u8"ａｂ∵ⅰ"), true},            {"\xE9\x80\x99", true},
      {"\x83\x58\x83\x65\x81", false}, {"\xF0\x40\x81\x40", false}, {"\xFF\xFE", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string sjis = DiskNameToSjis(c.name);
    EXPECT_EQ(c.utf8 ? SjisNameToDisk(sjis) : SjisNameToRawDisk(sjis), c.name);
    EXPECT_EQ(DiskNameToSjis(c.name), sjis) << "met again";
  }
}

TEST(DiskName, WhatAPersonReadsIsValidUtf8) {
  EXPECT_EQ(SjisToUtf8("a\x81"), "a\xEF\xBF\xBD");  // a lead byte at the end
  EXPECT_EQ(SjisToUtf8("\x81 b"), "\xEF\xBF\xBD b");
  EXPECT_EQ(SjisToUtf8("\x80\xA0\xFD"), "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD");
  EXPECT_EQ(SjisToUtf8("\x85\x40"), "\xEF\xBF\xBD@");  // a pair of no character
  EXPECT_EQ(DiskNameToUtf8("/tmp/\xFF/\x83\x58"), U8(u8"/tmp/\uFFFD/ス"));
}

// A user-defined code no name has taken is its own private-use character, as Windows writes it;
// a character of the area asks for its own code first.
TEST(DiskName, AUserDefinedCodeNoNameTookIsItsOwnCharacter) {
  InFreshProcess([] {
    EXPECT_EQ(SjisToUtf8("\xF0\x41"), U8(u8"\uE001"));
    EXPECT_EQ(SjisNameToDisk("\xF0\x41"), U8(u8"\uE001"));
    EXPECT_EQ(SjisNameToRawDisk("\xF0\x41"), "\xF0\x41");
    EXPECT_EQ(DiskNameToSjis(U8(u8"\uE757")), "\xF9\xFC");
    EXPECT_EQ(DiskNameToSjis("\xF9\xFB"), "\xF9\xFB");  // raw: the code of U+E756
  });
}

// Threads that meet names at once: every character one code, none shared.
TEST(DiskName, ThreadsShareOneTableOfCodes) {
  constexpr int kThreads = 8, kEach = 100;
  std::vector<std::vector<std::string>> got(kThreads);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([t, &got] {
      for (int i = 0; i < kEach; ++i) {
        std::string name;
        AppendUtf8(name, 0xAC00 + static_cast<char32_t>(i * kThreads + t));  // Hangul syllables
        AppendUtf8(name, 0xAC00 + static_cast<char32_t>(i));                 // met by every thread
        got[static_cast<size_t>(t)].push_back(DiskNameToSjis(name));
      }
    });
  }
  for (std::thread& th : threads) th.join();
  std::set<std::string> own;
  for (int t = 0; t < kThreads; ++t)
    for (int i = 0; i < kEach; ++i) {
      const std::string& sjis = got[static_cast<size_t>(t)][static_cast<size_t>(i)];
      ASSERT_EQ(sjis.size(), 4u);
      own.insert(sjis.substr(0, 2));
      EXPECT_EQ(sjis.substr(2), got[0][static_cast<size_t>(i)].substr(2)) << "the shared character's code";
      std::string name;
      AppendUtf8(name, 0xAC00 + static_cast<char32_t>(i * kThreads + t));
      AppendUtf8(name, 0xAC00 + static_cast<char32_t>(i));
      EXPECT_EQ(SjisNameToDisk(sjis), name);
    }
  EXPECT_EQ(own.size(), static_cast<size_t>(kThreads * kEach));
}

// More characters without a code than the area holds: the last ones go in as the codes of their
// UTF-8 bytes, and every name still goes back whole.
TEST(DiskName, APastTheLastCodeNamesStillGoBackWhole) {
  InFreshProcess([] {
    constexpr int kNames = 2000;
    std::vector<std::string> names, sjis;
    for (int i = 0; i < kNames; ++i) {
      std::string name;
      AppendUtf8(name, 0xAC00 + static_cast<char32_t>(i));
      names.push_back(name);
      sjis.push_back(DiskNameToSjis(name));
    }
    EXPECT_EQ(sjis[0].size(), 2u);
    EXPECT_EQ(sjis[1000].size(), 2u);
    EXPECT_EQ(sjis[kNames - 1].size(), 6u) << "three bytes, a code each";
    std::set<std::string> distinct(sjis.begin(), sjis.end());
    EXPECT_EQ(distinct.size(), static_cast<size_t>(kNames));
    for (int i = 0; i < kNames; ++i) ASSERT_EQ(SjisNameToDisk(sjis[static_cast<size_t>(i)]), names[static_cast<size_t>(i)]);
    // A character met again keeps its code.
    EXPECT_EQ(DiskNameToSjis(names[0]), sjis[0]);
  });
}

}  // namespace
