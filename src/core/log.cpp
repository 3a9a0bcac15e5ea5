#include "core/log.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "core/shell_link.h"
#include "platform/file.h"
#include "platform/message.h"
#include "platform/msgbox.h"

char g_szErrorLog[MAX_PATH] = "";
int g_bErrorLogEnable = 0;
unsigned char g_bErrorLogWritten = 0;
char g_szReportLog[MAX_PATH] = "";

namespace {

// Boxes shown without a display are kept in the report log.
void LogHeadlessBox(const char* text, const char* caption) { ReportLog("[%s] %s", caption, text); }

struct RegisterBoxLogger {
  RegisterBoxLogger() { SetMessageBoxLogger(&LogHeadlessBox); }
} g_registerBoxLogger;

void CopyPath(char* dst, const char* src) {
  std::snprintf(dst, MAX_PATH, "%s", src ? src : "");
}

// Declares buf and formats the variable arguments that follow format into it; longer texts than
// 1023 bytes are cut.
#define FORMAT_1024(buf, format)                  \
  char buf[1024];                                 \
  do {                                            \
    va_list ap_;                                  \
    va_start(ap_, format);                        \
    std::vsnprintf(buf, sizeof buf, format, ap_); \
    va_end(ap_);                                  \
  } while (0)

FILE* OpenReportLog() {
  FILE* fp = FileOpen(g_szReportLog, "rt+");
  if (fp) std::fseek(fp, 0, SEEK_END);
  return fp;
}

void WriteLine(FILE* fp, const char* text) {
  std::fputs(text, fp);
  std::fputs("\n", fp);
}

// A line for both logs, then optionally the same text in an error box; nothing at all when
// the report log cannot be opened.
int ReportErrorText(const char* text, bool box) {
  FILE* fp = OpenReportLog();
  if (!fp) return 0;
  WriteLine(fp, text);
  ErrorLogWrite(text);
  // The line is written out before the box, which is modal: a box shown without a display
  // appends to the same log.
  std::fclose(fp);
  if (box) ErrorBoxF("%s", text);
  return 1;
}

}  // namespace

void SetErrorLogPath(int bEnable, const char* path) {
  g_bErrorLogEnable = bEnable;
  CopyPath(g_szErrorLog, path);
}

int ErrorLogWrite(const char* text) {
  if (!g_bErrorLogEnable) return 0;
  FILE* fp;
  if (!g_bErrorLogWritten) {
    fp = FileOpen(g_szErrorLog, "wt");
    g_bErrorLogWritten = 1;
  } else {
    fp = FileOpen(g_szErrorLog, "at");
    if (fp) std::fseek(fp, 0, SEEK_END);
  }
  if (!fp) return 0;
  WriteLine(fp, text);
  return std::fclose(fp);
}

int ErrorLogText(const char* text) { return ErrorLogWrite(text); }

int ErrorLog(const char* format, ...) {
  if (!g_bErrorLogEnable) return 0;
  FORMAT_1024(buf, format);
  return ErrorLogWrite(buf);
}

int ErrorLogAndClose(HWND hWnd, const char* format, ...) {
  if (g_bErrorLogEnable) {
    FORMAT_1024(buf, format);
    ErrorLogWrite(buf);
  }
  PostMessageA(hWnd, WM_CLOSE, 0, 0);
  return 0;
}

int SetReportLogPath(const char* path) {
  FILE* fp = FileOpen(path, "wt");
  if (!fp) return 0;
  std::fclose(fp);
  CopyPath(g_szReportLog, path);
  return 1;
}

int ReportLog(const char* format, ...) {
  FILE* fp = OpenReportLog();
  if (!fp) return 0;
  va_list ap;
  va_start(ap, format);
  std::vfprintf(fp, format, ap);
  va_end(ap);
  std::fputs("\n", fp);
  std::fclose(fp);
  return 1;
}

int ReportErrorLog(const char* format, ...) {
  FORMAT_1024(buf, format);
  return ReportErrorText(buf, false);
}

int ReportErrorBox(const char* format, ...) {
  FORMAT_1024(buf, format);
  return ReportErrorText(buf, true);
}

namespace {
std::atomic<void (*)(const char*)> g_lpfnFailureTeller{nullptr};
}  // namespace

int ReportFailure(const char* format, ...) {
  FORMAT_1024(buf, format);
  const int written = ReportLog("%s", buf);
  if (void (*tell)(const char*) = g_lpfnFailureTeller.load()) tell(buf);
  return written;
}

void SetFailureTeller(void (*lpfnTell)(const char*)) { g_lpfnFailureTeller = lpfnTell; }

int MesBox(const char* text, const char* caption, UINT type) {
  if (DDInitDone && DDWindowMode == 0) return DDMesBox(text, caption, type);
  return MessageBoxA(GetActiveWindow(), text, caption, type);
}

int ErrorBox(const char* text) { return MesBox(text, "エラー", MB_OK); }

int ErrorBoxF(const char* format, ...) {
  FORMAT_1024(buf, format);
  return ErrorBox(buf);
}

int DebugErrorBoxF(const char* format, ...) {
  if (!g_bErrorLogEnable) return 0;
  FORMAT_1024(buf, format);
  return ErrorBox(buf);
}

void OutOfMemoryExit() {
  ErrorBox("メモリが不足しています！");
  PostMessageA(g_hWnd, WM_CLOSE, 0, 0);
}
