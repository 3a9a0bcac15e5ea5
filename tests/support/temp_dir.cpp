#include "support/temp_dir.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>

#include "core/log.h"
#include "core/shell_link.h"
#include "platform/message.h"
#include "platform/msgbox.h"
#include "support/bytes.h"

namespace fs = std::filesystem;

namespace {

LRESULT TestMainWindowProc(HWND, UINT, WPARAM, LPARAM) { return 0; }

}  // namespace

TempDir::TempDir() {
  std::string templ = (fs::temp_directory_path() / "twtest-XXXXXX").string();
  std::vector<char> buf(templ.begin(), templ.end());
  buf.push_back('\0');
  if (!mkdtemp(buf.data())) {
    ADD_FAILURE() << "mkdtemp failed";
    return;
  }
  path_ = buf.data();
}

TempDir::~TempDir() {
  if (path_.empty()) return;
  std::error_code ec;
  fs::remove_all(path_, ec);
}

void TempDir::MakeDir(const std::string& rel) const {
  std::error_code ec;
  fs::create_directories(path_ + "/" + rel, ec);
  if (ec) ADD_FAILURE() << "cannot create " << rel << ": " << ec.message();
}

ScopedChdir::ScopedChdir(const std::string& dir) {
  char buf[4096];
  if (getcwd(buf, sizeof buf)) old_ = buf;
  if (chdir(dir.c_str()) != 0) ADD_FAILURE() << "cannot enter " << dir;
}

ScopedChdir::~ScopedChdir() {
  if (!old_.empty() && chdir(old_.c_str()) != 0) ADD_FAILURE() << "cannot return to " << old_;
}

CoreTestEnv::CoreTestEnv(bool errorLogOn) : boxes_(new std::vector<Box>), answer_(new int(0)) {
  std::string report = dir_ / "Report_Game.txt";
  std::string error = dir_ / "EC_Game.txt";
  // The logs take Shift-JIS paths; the temporary folder's name is plain ASCII.
  EXPECT_EQ(SetReportLogPath(report.c_str()), 1);
  SetErrorLogPath(errorLogOn ? 1 : 0, error.c_str());
  g_bErrorLogWritten = 0;
  std::vector<Box>* boxes = boxes_;
  int* answer = answer_;
  SetMessageBoxHook([boxes, answer](const char* text, const char* caption, UINT type) {
    boxes->push_back(Box{text, caption, type});
    if (*answer) return *answer;
    UINT kind = type & MB_TYPEMASK;
    return kind == MB_YESNO || kind == MB_YESNOCANCEL ? IDYES : IDOK;
  });
  window_ = CreateWindowHandle(&TestMainWindowProc);
  oldMainWindow_ = g_hWnd;
  g_hWnd = window_;
}

CoreTestEnv::~CoreTestEnv() {
  SetMessageBoxHook(nullptr);
  g_hWnd = oldMainWindow_;
  DestroyWindowHandle(window_);
  SetErrorLogPath(0, "");
  g_bErrorLogWritten = 0;
  g_szReportLog[0] = 0;
  delete boxes_;
  delete answer_;
}

std::string CoreTestEnv::ReportText() const { return ReadFileBytes(dir_ / "Report_Game.txt"); }

std::string CoreTestEnv::ErrorText() const { return ReadFileBytes(dir_ / "EC_Game.txt"); }

int CoreTestEnv::TakeCloseRequests() {
  int n = 0;
  MSG msg;
  while (PeekMessageA(&msg, window_, WM_CLOSE, WM_CLOSE, PM_REMOVE)) ++n;
  return n;
}
