// The shell's file operations: copying and deleting whole folder trees.
#pragma once

#include "platform/wintypes.h"

typedef WORD FILEOP_FLAGS;

constexpr UINT FO_COPY = 0x0002;
constexpr UINT FO_DELETE = 0x0003;

// Each source goes to the destination of the same position (not into the first destination).
constexpr FILEOP_FLAGS FOF_MULTIDESTFILES = 0x0001;
constexpr FILEOP_FLAGS FOF_SILENT = 0x0004;
constexpr FILEOP_FLAGS FOF_NOCONFIRMATION = 0x0010;

struct SHFILEOPSTRUCTA {
  HWND hwnd;
  UINT wFunc;
  // Lists of Shift-JIS paths, each ending with a zero, the list with a second zero.
  const char* pFrom;
  const char* pTo;
  FILEOP_FLAGS fFlags;
  BOOL fAnyOperationsAborted;
  void* hNameMappings;
  const char* lpszProgressTitle;
};

// Stands in for SHFileOperationA, for FO_COPY and FO_DELETE without confirmations or progress:
// - FO_COPY copies every file or folder of pFrom with everything in it. With
//   FOF_MULTIDESTFILES source i becomes destination i (a folder copied to a folder that exists
//   adds its content to it); otherwise each source goes into the folder pTo under its own name.
// - FO_DELETE removes every file or folder of pFrom with everything in it, for good.
// Returns 0 when everything was done, another value when something failed (what was done
// before the failure stays) or the operation is not one of the two.
int SHFileOperationA(SHFILEOPSTRUCTA* lpFileOp);
