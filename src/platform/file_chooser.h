// Stands in for the common file dialogs (GetOpenFileNameA, GetSaveFileNameA): a dialog of this
// layer's own (dialog.h) with the current folder, a list of its folders ("..", then the
// sub-folders) and of the files that match the filter's patterns (compared without regard to
// case), a file-name field, the filter, and the buttons to open or save and to cancel.
//
// Keys: the arrows, Page Up/Down, Home and End move in the list, Enter opens the folder or
// takes the file selected in the list (the name in the field when the list has not the
// focus), Escape cancels; a click selects, a double click opens ("[..]" goes up a folder). A name on the disk that code page 932
// cannot write is listed greyed and cannot be chosen: its Shift-JIS path could not open it again.
//
// The chosen path is given in the program's form: Shift-JIS with backslashes, relative to the
// working folder when the file lies below it, otherwise absolute with a leading backslash in
// place of a drive (as GetFullPathNameA gives it). The working folder is never changed.
#pragma once

#include "platform/wintypes.h"

typedef LRESULT (*LPOFNHOOKPROC)(HWND hDlg, UINT Msg, WPARAM wParam, LPARAM lParam);

constexpr DWORD OFN_OVERWRITEPROMPT = 0x00000002;
constexpr DWORD OFN_HIDEREADONLY = 0x00000004;
constexpr DWORD OFN_NOCHANGEDIR = 0x00000008;
constexpr DWORD OFN_ENABLEHOOK = 0x00000020;
constexpr DWORD OFN_ALLOWMULTISELECT = 0x00000200;
constexpr DWORD OFN_FILEMUSTEXIST = 0x00001000;
constexpr DWORD OFN_NONETWORKBUTTON = 0x00020000;
constexpr DWORD OFN_EXPLORER = 0x00080000;

// The structure without the fields Windows 2000 added (76 bytes on Windows).
struct OPENFILENAMEA {
  DWORD lStructSize;
  HWND hwndOwner;
  HINSTANCE hInstance;
  const char* lpstrFilter;  // pairs of texts "description\0patterns\0", ended by a second zero
  char* lpstrCustomFilter;
  DWORD nMaxCustFilter;
  DWORD nFilterIndex;
  char* lpstrFile;
  DWORD nMaxFile;
  char* lpstrFileTitle;
  DWORD nMaxFileTitle;
  const char* lpstrInitialDir;
  const char* lpstrTitle;
  DWORD Flags;
  WORD nFileOffset;
  WORD nFileExtension;
  const char* lpstrDefExt;
  LPARAM lCustData;
  LPOFNHOOKPROC lpfnHook;
  const char* lpTemplateName;
};

// Stand in for GetOpenFileNameA and GetSaveFileNameA: TRUE with the chosen path in lpstrFile
// (the open dialog ends it with a second zero when OFN_ALLOWMULTISELECT is set), FALSE when
// cancelled or when the path does not fit in nMaxFile. The open dialog takes only a file that
// exists. The save dialog proposes the name in lpstrFile, adds "." and lpstrDefExt to a name
// without an extension, and with OFN_OVERWRITEPROMPT asks before it takes a file that exists;
// it gives one path whatever the flags say. With OFN_ENABLEHOOK the hook sees the dialog's
// messages first.
BOOL GetOpenFileNameA(OPENFILENAMEA* ofn);
BOOL GetSaveFileNameA(OPENFILENAMEA* ofn);

// Control numbers of the file dialogs, for tests that drive them.
constexpr int FILE_DIALOG_FOLDER = 1088;
constexpr int FILE_DIALOG_LIST = 1120;
constexpr int FILE_DIALOG_NAME = 1152;
constexpr int FILE_DIALOG_FILTER = 1136;
