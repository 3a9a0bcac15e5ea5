// The file dialogs: flags, hook and buffer split, the palette around the dialog, and the
// chooser driven by keys and typed names over a folder made by the test.
#include <gtest/gtest.h>

#include <SDL.h>

#include <fstream>
#include <string>
#include <vector>

#include "core/shell_link.h"
#include "platform/file.h"
#include "platform/message.h"
#include "platform/msgbox.h"
#include "platform/sjis.h"
#include "platform/window.h"
#include "support/dialog_driver.h"
#include "support/temp_dir.h"
#include "ui/file_dialog.h"
#include "ui/keyboard_hook.h"
#include "ui/windows_version.h"

namespace {

TEST(FileDialogFlags, OpenMultiAndSave) {
  EXPECT_EQ(OPEN_FILE_FLAGS, 0xA100Cu);
  EXPECT_EQ(OPEN_FILES_FLAGS, 0xA120Cu);
  EXPECT_EQ(SAVE_FILE_FLAGS, 0xA120Eu);
}

TEST(FileDialogFlags, HookOnlyInFullScreenWithAContextOnVersion6) {
  for (int bits = 0; bits < 8; ++bits) {
    const bool context = bits & 1, full = bits & 2, v6 = bits & 4;
    EXPECT_EQ(UseFileDialogHook(context, full, v6), bits == 7) << bits;
  }
  // This system counts as 6.2.
  EXPECT_TRUE(IsWindowsAtLeast(6, 0));
  EXPECT_TRUE(IsWindowsAtLeast(6, 2));
  EXPECT_FALSE(IsWindowsAtLeast(6, 3));
  EXPECT_FALSE(IsWindowsAtLeast(7, 0));
  EXPECT_TRUE(IsWindowsAtLeast(5, 1));
}

TEST(FileDialogFlags, MultiSelectBufferSplit) {
  {
    const char buf[] = "\\a\\b\\x.rpl4_790\0\0";
    std::vector<std::string> out;
    SplitMultiSelectBuffer(buf, sizeof buf, out);
    EXPECT_EQ(out, (std::vector<std::string>{"\\a\\b\\x.rpl4_790"}));
  }
  {
    const char buf[] = "\\a\\b\0x.rpl4_790\0y.rpl4_790\0\0";
    std::vector<std::string> out{"kept"};
    SplitMultiSelectBuffer(buf, sizeof buf, out);
    EXPECT_EQ(out, (std::vector<std::string>{"kept", "\\a\\b\\x.rpl4_790", "\\a\\b\\y.rpl4_790"}));
  }
  {
    const char buf[] = "\0\0";
    std::vector<std::string> out;
    SplitMultiSelectBuffer(buf, sizeof buf, out);
    EXPECT_TRUE(out.empty());
  }
}

std::vector<int>* g_paletteCalls = nullptr;

class FileDialogTest : public ::testing::Test {
 protected:
  FileDialogTest() : chdir_(env_.dir().path()) {
    env_.dir().MakeDir("data/stg4/sub");
    env_.dir().MakeDir("user_data/rpl4");
    for (const char* f : {"data/stg4/a.stg4_001", "data/stg4/b.rpl4_790", "data/stg4/c.txt", "data/stg4/D.STG4_002",
                          "data/stg4/\xED\x95\x9C.stg4_001", "data/stg4/sub/z.stg4_001", "user_data/rpl4/old.rpl4_790"}) {
      std::ofstream(env_.dir() / f) << "x";
    }
  }
  ~FileDialogTest() override {
    cHook::UnhookAll();
    g_lpfnFileDialogPalette = nullptr;
    g_paletteCalls = nullptr;
    SetMessageBoxHook(nullptr);
  }

  static std::vector<std::string> Rows(HWND dlg) {
    HWND list = GetDlgItem(dlg, FILE_DIALOG_LIST);
    std::vector<std::string> rows;
    for (LRESULT i = 0; i < SendMessageA(list, LB_GETCOUNT, 0, 0); ++i) {
      char buf[MAX_PATH];
      SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(buf));
      const bool grey = (static_cast<uint32_t>(SendMessageA(list, LB_GETITEMDATA, static_cast<WPARAM>(i), 0)) &
                         0x80000000u) != 0;
      rows.push_back(std::string(grey ? "grey " : "") + buf);
    }
    return rows;
  }
  static std::string Text(HWND dlg, int id) {
    char buf[MAX_PATH];
    GetDlgItemTextA(dlg, id, buf, sizeof buf);
    return buf;
  }

  CoreTestEnv env_;
  ScopedChdir chdir_;
};

TEST_F(FileDialogTest, StageDialogListsStageAndReplayFilesAndReturnsTheProgramPath) {
  std::vector<std::string> rows;
  std::string folder;
  DialogDriver driver([&](DialogDriver& d, HWND dlg) {
    rows = Rows(dlg);
    folder = Text(dlg, FILE_DIALOG_FOLDER);
    d.Key(SDL_SCANCODE_DOWN);
    d.Key(SDL_SCANCODE_DOWN);
    d.Key(SDL_SCANCODE_RETURN);
  });
  char path[MAX_PATH] = "stale";
  EXPECT_EQ(SelectStageFile(nullptr, path, 0), 1);
  EXPECT_STREQ(path, "data\\stg4\\a.stg4_001");
  EXPECT_EQ(folder, "data\\stg4");
  // Folders first, then the files that match without regard to case. A name with a character
  // that code page 932 has no code for ("\uD55C") is listed with a user-defined code that shows
  // as that character.
  ASSERT_EQ(rows.size(), 6u);
  EXPECT_EQ(std::vector<std::string>(rows.begin(), rows.begin() + 5),
            (std::vector<std::string>{"[..]", "[sub]", "a.stg4_001", "b.rpl4_790", "D.STG4_002"}));
  ASSERT_EQ(rows[5].size(), 11u);
  EXPECT_GE(static_cast<unsigned char>(rows[5][0]), 0xF0);
  EXPECT_LE(static_cast<unsigned char>(rows[5][0]), 0xF9);
  EXPECT_EQ(SjisToUtf8(rows[5]), "\xED\x95\x9C.stg4_001");
}

TEST_F(FileDialogTest, JapaneseNameChosenByDoubleClickComesBackInShiftJis) {
  std::ofstream(env_.dir() / "data/stg4/\xE3\x82\xBD\xE3\x83\xBC\xE3\x82\xB9.stg4_001") << "x";
  std::vector<std::string> rows;
  DialogDriver driver([&](DialogDriver&, HWND dlg) {
    rows = Rows(dlg);
    RECT r{};
    GetDlgItemRectForTest(dlg, FILE_DIALOG_LIST, &r);
    SDL_Event e{};
    e.type = SDL_MOUSEBUTTONDOWN;
    e.button.windowID = DialogSdlIdForTest(dlg);
    e.button.button = SDL_BUTTON_LEFT;
    e.button.clicks = 2;
    e.button.x = (r.left + r.right) / 2;
    e.button.y = r.top + 2 + 5 * 16 + 8;  // the sixth row
    SDL_PushEvent(&e);
  });
  char path[MAX_PATH];
  EXPECT_EQ(SelectStageFile(nullptr, path, 0), 1);
  ASSERT_EQ(rows.size(), 7u);
  // "ソ" ends in the byte of a backslash: the path keeps it whole.
  EXPECT_EQ(rows[5], "ソース.stg4_001");
  EXPECT_STREQ(path, "data\\stg4\\ソース.stg4_001");
}

TEST_F(FileDialogTest, FoldersOpenAndANameWithoutCodesIsChosenAndOpens) {
  char path[MAX_PATH];
  {
    DialogDriver driver([&](DialogDriver& d, HWND) {
      d.Key(SDL_SCANCODE_DOWN);  // [sub]
      d.Key(SDL_SCANCODE_RETURN);
      d.Key(SDL_SCANCODE_DOWN);
      d.Key(SDL_SCANCODE_RETURN);
    });
    EXPECT_EQ(SelectStageFile(nullptr, path, 1), 1);
    EXPECT_STREQ(path, "data\\stg4\\sub\\z.stg4_001");
  }
  // The Korean name, last in the list: its path opens that file.
  DialogDriver driver([&](DialogDriver& d, HWND) {
    d.Key(SDL_SCANCODE_END);
    d.Key(SDL_SCANCODE_RETURN);
  });
  EXPECT_EQ(SelectStageFile(nullptr, path, 1), 1);
  EXPECT_EQ(std::string(path).rfind("data\\stg4\\", 0), 0u) << path;
  EXPECT_EQ(ResolvePath(path), "data/stg4/\xED\x95\x9C.stg4_001");
  FILE* fp = FileOpen(path, "rb");
  ASSERT_NE(fp, nullptr);
  EXPECT_EQ(std::fgetc(fp), 'x');
  std::fclose(fp);
}

TEST_F(FileDialogTest, CancelReturnsZeroAndThePaletteComesBack) {
  std::vector<int> calls;
  g_paletteCalls = &calls;
  g_lpfnFileDialogPalette = [](int restore) { g_paletteCalls->push_back(restore); };
  DialogDriver driver([](DialogDriver& d, HWND) { d.Key(SDL_SCANCODE_ESCAPE); });
  char path[MAX_PATH] = "stale";
  EXPECT_EQ(SelectStageFile(nullptr, path, 0), 0);
  EXPECT_EQ(path[0], 0);
  EXPECT_EQ(calls, (std::vector<int>{0, 1}));
}

TEST_F(FileDialogTest, OpenRefusesAMissingFile) {
  int boxes = 0;
  SetMessageBoxHook([&](const char*, const char*, UINT) {
    ++boxes;
    return IDOK;
  });
  DialogDriver driver([](DialogDriver& d, HWND) {
    d.Key(SDL_SCANCODE_TAB);  // to the name field
    d.Text("nothing.stg4_001");
    d.Key(SDL_SCANCODE_RETURN);
    d.Key(SDL_SCANCODE_ESCAPE);
  });
  char path[MAX_PATH];
  EXPECT_EQ(SelectStageFile(nullptr, path, 0), 0);
  EXPECT_EQ(boxes, 1);
}

TEST_F(FileDialogTest, SaveProposesAppendsTheExtensionAndAsksBeforeOverwriting) {
  std::vector<std::string> asked;
  std::vector<int> answers{IDNO, IDYES};
  SetMessageBoxHook([&](const char* text, const char*, UINT type) {
    asked.push_back(text);
    EXPECT_EQ(type & MB_TYPEMASK, MB_YESNO);
    const int a = answers.front();
    answers.erase(answers.begin());
    return a;
  });
  std::string proposed;
  DialogDriver driver([&](DialogDriver& d, HWND dlg) {
    proposed = Text(dlg, FILE_DIALOG_NAME);
    d.Text("old");  // replaces the selected proposal
    d.Key(SDL_SCANCODE_RETURN);  // asked: no
    d.Key(SDL_SCANCODE_RETURN);  // asked: yes
  });
  const std::string filter = MakeFileFilter("ReplayFile ( *.rpl4_790 )", "*.rpl4_790");
  char path[MAX_PATH] = "Stage_00.rpl4_790";
  EXPECT_EQ(SaveFileDialog(nullptr, path, "user_data\\rpl4\\", "Save", filter.c_str(), "rpl4_790", 1), 1);
  EXPECT_EQ(proposed, "Stage_00.rpl4_790");
  EXPECT_STREQ(path, "user_data\\rpl4\\old.rpl4_790");
  ASSERT_EQ(asked.size(), 2u);
  EXPECT_NE(asked[0].find("old.rpl4_790"), std::string::npos);
}

TEST_F(FileDialogTest, SaveOfANewBareNameAsksNothing) {
  int boxes = 0;
  SetMessageBoxHook([&](const char*, const char*, UINT) {
    ++boxes;
    return IDYES;
  });
  DialogDriver driver([](DialogDriver& d, HWND) {
    d.Text("fresh");
    d.Key(SDL_SCANCODE_RETURN);
  });
  const std::string filter = MakeFileFilter("ReplayFile ( *.rpl4_790 )", "*.rpl4_790");
  char path[MAX_PATH] = "whatever";
  EXPECT_EQ(SaveFileDialog(nullptr, path, "user_data\\rpl4\\", "Save", filter.c_str(), "rpl4_790", 0), 1);
  EXPECT_STREQ(path, "user_data\\rpl4\\fresh.rpl4_790");
  EXPECT_EQ(boxes, 0);
}

TEST_F(FileDialogTest, PathOutsideTheWorkingFolderIsAbsolute) {
  ScopedChdir inner((env_.dir() / "user_data").c_str());
  DialogDriver driver([](DialogDriver& d, HWND) {
    d.Key(SDL_SCANCODE_DOWN);
    d.Key(SDL_SCANCODE_DOWN);
    d.Key(SDL_SCANCODE_RETURN);
  });
  std::string folder = env_.dir() / "data/stg4";
  std::string sjisFolder;
  for (char c : folder) sjisFolder += c == '/' ? '\\' : c;
  const std::string filter = MakeFileFilter("StageFile", "*.stg4_*");
  char path[MAX_PATH];
  EXPECT_EQ(OpenFileDialog(nullptr, path, MAX_PATH, sjisFolder.c_str(), "Open", filter.c_str(), nullptr, 0, nullptr), 1);
  EXPECT_EQ(std::string(path), sjisFolder + "\\a.stg4_001");
}

}  // namespace
