// System.ini: defaults from the key table, the reader's rules for keys, values and the end of
// the file, and what a failed read leaves.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "app/system_ini.h"
#include "app_fixture.h"
#include "project/system_data.h"
#include "support/temp_dir.h"

namespace {

// The key table of a new project: names, default numbers and the FreeStage default text.
cSafeVector<IniKeyEntry> KeyTable(const char* freeStageDefault = "") {
  static const char* const names[8] = {"Direct3D",      "WindowMode",   "Bpp",             "VSync",
                                       "D3D_FontCache", "DD_FontCache", "DD_VideoStretch", "ShowFps"};
  static const int values[8] = {2, 0, 0, 2, 0, 1, 0, 1};
  cSafeVector<IniKeyEntry> keys(SYSTEMINI_KEY_COUNT);
  for (int i = 0; i < 8; ++i) keys[i].SetNumberKey(names[i], values[i]);
  keys[SYSTEMINI_KEY_FREESTAGE].SetTextKey("FreeStage", freeStageDefault);
  keys[SYSTEMINI_KEY_ENGLISH].SetNumberKey("English", 1);
  return keys;
}

struct IniCase {
  const char* name;
  std::string text;
  int result;
  std::function<void(const SYSTEMINI&)> check;
};

TEST(SystemIni, DefaultsComeFromTheKeyTableButEnglishStartsOff) {
  SYSTEMINI ini{};
  ini.English = 5;
  SetSystemIniDefaults(&ini, KeyTable("data\\stg4\\x.stg4"));
  EXPECT_EQ(ini.Direct3D, 2);
  EXPECT_EQ(ini.WindowMode, 0);
  EXPECT_EQ(ini.Bpp, 0);
  EXPECT_EQ(ini.VSync, 2);
  EXPECT_EQ(ini.D3D_FontCache, 0);
  EXPECT_EQ(ini.DD_FontCache, 1);
  EXPECT_EQ(ini.DD_VideoStretch, 0);
  EXPECT_EQ(ini.ShowFps, 1);
  EXPECT_EQ(ini.English, 0) << "the table's English default (1 here) is not used";
  EXPECT_STREQ(ini.FreeStage, "data\\stg4\\x.stg4");

  // A project that changed a default or a key name is followed.
  cSafeVector<IniKeyEntry> keys = KeyTable();
  keys[2].SetNumberKey("Depth", 16);
  SetSystemIniDefaults(&ini, keys);
  EXPECT_EQ(ini.Bpp, 16);
}

TEST(SystemIni, ShortKeyTableGivesBuiltInDefaults) {
  cSafeVector<IniKeyEntry> keys = KeyTable();
  keys.resize(3);
  SYSTEMINI ini{};
  SetSystemIniDefaults(&ini, keys);
  EXPECT_EQ(ini.VSync, 2);
  EXPECT_EQ(ini.DD_FontCache, 1);
  EXPECT_EQ(ini.ShowFps, 1);
  EXPECT_STREQ(ini.FreeStage, "");
  SetSystemIniDefaults(&ini, cSafeVector<IniKeyEntry>());
  EXPECT_EQ(ini.Direct3D, 2);
}

TEST(SystemIni, ReaderTable) {
  std::string tenThousand;
  for (int i = 0; i < SYSTEMINI_MAX_ENTRIES; ++i) tenThousand += "x=1\n";
  std::string oneShort;
  for (int i = 0; i < SYSTEMINI_MAX_ENTRIES - 1; ++i) oneShort += "x=1\n";
  const std::string longValue = "FreeStage=" + std::string(5000, 'a') + "\nBpp=16\nExit\n";
  const std::string longKey = std::string(3000, 'k') + "=1\nBpp=16\nExit\n";

  const IniCase cases[] = {
      {"exit line ends with success", "Direct3D=0\nExit\n", 1, [](const SYSTEMINI& i) { EXPECT_EQ(i.Direct3D, 0); }},
      {"end of file without exit fails, values read stay", "Direct3D=0\n", 0,
       [](const SYSTEMINI& i) { EXPECT_EQ(i.Direct3D, 0); }},
      {"NUL byte ends with success", std::string("VSync=1\n\0Bpp=8\n", 15), 1,
       [](const SYSTEMINI& i) {
         EXPECT_EQ(i.VSync, 1);
         EXPECT_EQ(i.Bpp, 0);
       }},
      {"blanks around = leave an empty value", "Bpp = 16\nExit\n", 1, [](const SYSTEMINI& i) { EXPECT_EQ(i.Bpp, 0); }},
      {"plain value", "Bpp=16\nExit\n", 1, [](const SYSTEMINI& i) { EXPECT_EQ(i.Bpp, 16); }},
      {"comment after the value", "Bpp=16//comment\nExit\n", 1, [](const SYSTEMINI& i) { EXPECT_EQ(i.Bpp, 16); }},
      {"names are case-sensitive", "bpp=16\nExit\n", 1, [](const SYSTEMINI& i) { EXPECT_EQ(i.Bpp, 0); }},
      {"CR LF lines", "WindowMode=1\r\nShowFps=2\r\nExit\r\n", 1,
       [](const SYSTEMINI& i) {
         EXPECT_EQ(i.WindowMode, 1);
         EXPECT_EQ(i.ShowFps, 2);
       }},
      {"English is read", "English=1\nExit\n", 1, [](const SYSTEMINI& i) { EXPECT_EQ(i.English, 1); }},
      {"spaced Exit ends with success", "E x i t\nBpp=16\n", 1, [](const SYSTEMINI& i) { EXPECT_EQ(i.Bpp, 0); }},
      {"unknown keys are ignored", "Colour=3\nBpp=32\nExit\n", 1, [](const SYSTEMINI& i) { EXPECT_EQ(i.Bpp, 32); }},
      {"signed and trailing text", "VSync=-3x\nExit\n", 1, [](const SYSTEMINI& i) { EXPECT_EQ(i.VSync, -3); }},
      {"value cut by the end of the file fails", "Bpp=16", 0, [](const SYSTEMINI& i) { EXPECT_EQ(i.Bpp, 0); }},
      {"FreeStage with LF", "FreeStage=data\\stg4\\a.stg4\nExit\n", 1,
       [](const SYSTEMINI& i) { EXPECT_STREQ(i.FreeStage, "data\\stg4\\a.stg4"); }},
      {"FreeStage with CR LF names the same file", "FreeStage=data\\stg4\\a.stg4\r\nExit\r\n", 1,
       [](const SYSTEMINI& i) { EXPECT_STREQ(i.FreeStage, "data\\stg4\\a.stg4"); }},
      {"one-character FreeStage is ignored", "FreeStage=a\nExit\n", 1,
       [](const SYSTEMINI& i) { EXPECT_STREQ(i.FreeStage, "keep"); }},
      {"two-character FreeStage is taken", "FreeStage=ab\nExit\n", 1,
       [](const SYSTEMINI& i) { EXPECT_STREQ(i.FreeStage, "ab"); }},
      {"FreeStage of 259 bytes is taken", "FreeStage=" + std::string(259, 'f') + "\nExit\n", 1,
       [](const SYSTEMINI& i) { EXPECT_EQ(std::string(i.FreeStage), std::string(259, 'f')); }},
      {"FreeStage of 260 bytes is ignored", "FreeStage=" + std::string(260, 'f') + "\nExit\n", 1,
       [](const SYSTEMINI& i) { EXPECT_STREQ(i.FreeStage, "keep"); }},
      {"a value longer than the buffer is cut, the file goes on", longValue, 1,
       [](const SYSTEMINI& i) {
         EXPECT_STREQ(i.FreeStage, "keep");
         EXPECT_EQ(i.Bpp, 16);
       }},
      {"a key longer than the buffer is cut, the file goes on", longKey, 1,
       [](const SYSTEMINI& i) { EXPECT_EQ(i.Bpp, 16); }},
      {"10000 entries end with success", tenThousand, 1, [](const SYSTEMINI&) {}},
      {"9999 entries and the end of the file fail", oneShort, 0, [](const SYSTEMINI&) {}},
      {"the entry after the 10000th is not read", tenThousand + "Bpp=16\n", 1,
       [](const SYSTEMINI& i) { EXPECT_EQ(i.Bpp, 0); }},
  };
  TempDir dir;
  const cSafeVector<IniKeyEntry> keys = KeyTable();
  for (const IniCase& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = dir / "System.ini";
    ASSERT_TRUE(appfixture::WriteText(path, c.text));
    SYSTEMINI ini{};
    SetSystemIniDefaults(&ini, keys);
    ini.Bpp = 0;
    std::snprintf(ini.FreeStage, sizeof(ini.FreeStage), "keep");
    EXPECT_EQ(ReadSystemIni(path.c_str(), &ini, keys), c.result);
    c.check(ini);
  }
}

TEST(SystemIni, MissingFileFails) {
  TempDir dir;
  SYSTEMINI ini{};
  EXPECT_EQ(ReadSystemIni((dir / "none.ini").c_str(), &ini, KeyTable()), 0);
}

}  // namespace
