// The open and save file dialogs as the rest of the system calls them, adapted to the drawing
// layer: in full screen on a system of version 6.0 or later the hook-based dialog is forced,
// and in 8-bit DirectDraw palette entry 0 is black while the dialog is up.
#pragma once

#include <string>
#include <vector>

#include "platform/file_chooser.h"
#include "platform/wintypes.h"

// The structure size the system gives (without the Windows 2000 fields).
constexpr DWORD OPENFILENAME_SIZE_VERSION_400 = 76;
// Flags: open one file, open several, save.
constexpr DWORD OPEN_FILE_FLAGS = OFN_EXPLORER | OFN_NONETWORKBUTTON | OFN_FILEMUSTEXIST | OFN_NOCHANGEDIR | OFN_HIDEREADONLY;
constexpr DWORD OPEN_FILES_FLAGS = OPEN_FILE_FLAGS | OFN_ALLOWMULTISELECT;
constexpr DWORD SAVE_FILE_FLAGS = OPEN_FILES_FLAGS | OFN_OVERWRITEPROMPT;

// Whether the hook is set: a drawing context exists, the display is full screen and the
// system is version 6.0 or later.
bool UseFileDialogHook(bool hasDrawingContext, bool fullScreen, bool atLeastVersion6);

// The hook procedure of the file dialogs: 0 for every message.
LRESULT OfnHookProc(HWND hDlg, UINT msg, WPARAM wParam, LPARAM lParam);

// A filter of one entry: the description and the patterns, each ended by a zero, and the
// second zero that ends the list.
std::string MakeFileFilter(const char* description, const char* patterns);

// The result of an open dialog with several files split into paths: the parts up to the double
// zero; with one part that part is the path, with more the first is the folder and each
// further part a name joined to it with a backslash. Paths are appended to out.
void SplitMultiSelectBuffer(const char* buffer, size_t size, std::vector<std::string>& out);

// The drawing layer's part, set by it while it runs: with restore 0 palette entry 0 becomes
// black, with 1 it comes back from the working palette (only in 8-bit DirectDraw; elsewhere
// the function does nothing). Null: nothing to do.
extern void (*g_lpfnFileDialogPalette)(int restore);

// The open dialog. The buffer is emptied first; on a choice it holds the path (with several
// files the dialog's own list form, split into outPaths when given). 1 chosen, 0 cancelled.
int OpenFileDialog(HWND hOwner, char* buffer, int size, const char* initialDir, const char* title,
                   const char* filter, const char* defExt, int multi, std::vector<std::string>* outPaths);

// The save dialog with a buffer of MAX_PATH bytes; keep 0 empties it first, otherwise its text
// is the proposed name. 1 with the path in the buffer, 0 cancelled.
int SaveFileDialog(HWND hOwner, char* buffer, const char* initialDir, const char* title, const char* filter,
                   const char* defExt, int keep);

// The drawing layer in dialog mode around a dialog (nothing before the layer is set up).
void BeginDialogMode();
void EndDialogMode();

// The stage-file dialog of the title menu's free play: "data\stg4\", stage and replay files
// ("*.stg4_*;*.rpl4_*"), the title in English or Japanese, in dialog mode. 1 with the path in
// buffer (MAX_PATH bytes), 0 cancelled.
int SelectStageFile(HWND hOwner, char* buffer, int english);
