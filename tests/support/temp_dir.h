// Temporary folders and the test environment of the core services.
#pragma once

#include <string>
#include <vector>

#include "platform/wintypes.h"

// A fresh folder, removed with everything in it at the end of the scope.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  // The folder (UTF-8, no trailing slash), or a path inside it.
  const std::string& path() const { return path_; }
  std::string operator/(const std::string& rel) const { return path_ + "/" + rel; }
  // Creates a folder inside (with its parents).
  void MakeDir(const std::string& rel) const;

 private:
  std::string path_;
};

// Makes a folder the working folder for the scope.
class ScopedChdir {
 public:
  explicit ScopedChdir(const std::string& dir);
  ~ScopedChdir();

 private:
  std::string old_;
};

// Makes an existing folder one in which no file can be made or removed, for the scope, whoever
// runs the test: its write permission is taken away, and where that does not stop the user (root)
// the folder is made immutable. Made() tells whether it worked, Reason() why not (a file system
// without the immutable flag, or no right to set it); the test then skips with that reason.
class ScopedUnwritableDir {
 public:
  explicit ScopedUnwritableDir(const std::string& dir);
  ~ScopedUnwritableDir();
  ScopedUnwritableDir(const ScopedUnwritableDir&) = delete;
  ScopedUnwritableDir& operator=(const ScopedUnwritableDir&) = delete;

  bool Made() const { return made_; }
  const std::string& Reason() const { return reason_; }

 private:
  std::string dir_;
  bool made_ = false;
  bool immutable_ = false;
  std::string reason_;
};

// The core services pointed at a temporary folder for one test: the report log and the
// error log live there (the error log switched as asked), message boxes are recorded and
// answered, and a main window of the test's thread stands in g_hWnd, so that the close
// requests posted to it from any thread can be counted. Everything is put back afterwards.
class CoreTestEnv {
 public:
  explicit CoreTestEnv(bool errorLogOn = false);
  ~CoreTestEnv();

  struct Box {
    std::string text;
    std::string caption;
    UINT type;
  };

  const TempDir& dir() const { return dir_; }
  std::string ReportText() const;
  std::string ErrorText() const;
  const std::vector<Box>& Boxes() const { return *boxes_; }
  // The answer given to the boxes that follow (0: the first button).
  void AnswerBoxesWith(int answer) { *answer_ = answer; }
  // Takes the WM_CLOSE messages posted to the main window so far and returns how many there
  // were (call it on the thread that made the environment).
  int TakeCloseRequests();
  HWND MainWindow() const { return window_; }

 private:
  TempDir dir_;
  HWND window_ = nullptr;
  HWND oldMainWindow_ = nullptr;
  std::vector<Box>* boxes_;
  int* answer_;
};
