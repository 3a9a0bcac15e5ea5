// The report log and the error log, and the error message boxes.
//
// The report log ("Report_Game.txt") is written by every run; the error log ("EC_Game.txt")
// is a developer log behind a switch that the process entry turns off. Each line is written
// by opening the file, appending and closing it again, so a log survives a crash. Lines end
// with LF.
#pragma once

#include "core/text.h"
#include "platform/wintypes.h"

extern char g_szErrorLog[MAX_PATH];
extern int g_bErrorLogEnable;
extern unsigned char g_bErrorLogWritten;
extern char g_szReportLog[MAX_PATH];

// Error log.
void SetErrorLogPath(int bEnable, const char* path);
int ErrorLogWrite(const char* text);
int ErrorLogText(const char* text);
int ErrorLog(const char* format, ...) TW_PRINTF(1, 2);
int ErrorLogAndClose(HWND hWnd, const char* format, ...) TW_PRINTF(2, 3);

// Report log.
int SetReportLogPath(const char* path);
int ReportLog(const char* format, ...) TW_PRINTF(1, 2);
int ReportErrorLog(const char* format, ...) TW_PRINTF(1, 2);
int ReportErrorBox(const char* format, ...) TW_PRINTF(1, 2);

// A failure the person must hear of although the program only closes in order (a file chosen in
// play that cannot be loaded, after its box): a line in the report log, and the same line
// (Shift-JIS) to the teller the program sets; the player writes it to standard error.
int ReportFailure(const char* format, ...) TW_PRINTF(1, 2);
void SetFailureTeller(void (*lpfnTell)(const char* lpszText));

// Message boxes.
int MesBox(const char* text, const char* caption, UINT type);
int ErrorBox(const char* text);
int ErrorBoxF(const char* format, ...) TW_PRINTF(1, 2);
int DebugErrorBoxF(const char* format, ...) TW_PRINTF(1, 2);
void OutOfMemoryExit();
