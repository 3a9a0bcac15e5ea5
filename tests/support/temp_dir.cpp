#include "support/temp_dir.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
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

// Whether a file can be made in the folder (one is made and removed again).
bool CanMakeFileIn(const std::string& dir) {
  const std::string probe = dir + "/.twtest-probe";
  const int fd = open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
  if (fd < 0) return false;
  close(fd);
  unlink(probe.c_str());
  return true;
}

// Sets or clears the folder's immutable flag; false when it cannot.
bool SetImmutable(const std::string& dir, bool on) {
  const int fd = open(dir.c_str(), O_RDONLY | O_DIRECTORY);
  if (fd < 0) return false;
  int flags = 0;
  bool ok = ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
  if (ok) {
    flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
    ok = ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
  }
  const int error = errno;
  close(fd);
  errno = error;
  return ok;
}

}  // namespace

ScopedUnwritableDir::ScopedUnwritableDir(const std::string& dir) : dir_(dir) {
  if (chmod(dir.c_str(), 0555) != 0) {
    reason_ = dir + ": cannot take the write permission away: " + std::strerror(errno);
    return;
  }
  if (!CanMakeFileIn(dir)) {
    made_ = true;
    return;
  }
  // The user writes regardless of permissions (root): the folder is made immutable.
  if (!SetImmutable(dir, true)) {
    reason_ = dir + ": the user writes without the permission, and the folder cannot be made immutable: " +
              std::strerror(errno);
    return;
  }
  immutable_ = true;
  made_ = !CanMakeFileIn(dir);
  if (!made_) reason_ = dir + ": files can still be made in the folder after it was made immutable";
}

ScopedUnwritableDir::~ScopedUnwritableDir() {
  if (immutable_ && !SetImmutable(dir_, false)) ADD_FAILURE() << "cannot make " << dir_ << " mutable again";
  chmod(dir_.c_str(), 0755);
}

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
