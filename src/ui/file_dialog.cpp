#include "ui/file_dialog.h"

#include <cstring>

#include "core/shell_link.h"
#include "platform/window.h"
#include "ui/windows_version.h"

void (*g_lpfnFileDialogPalette)(int restore) = nullptr;

namespace {

// Steps 1 to 3 of both dialogs: the structure, the hook, the palette.
OPENFILENAMEA Fill(HWND hOwner, char* buffer, int size, const char* initialDir, const char* title, const char* filter,
                   const char* defExt, DWORD flags) {
  OPENFILENAMEA ofn{};
  ofn.lStructSize = OPENFILENAME_SIZE_VERSION_400;
  ofn.hwndOwner = hOwner;
  ofn.lpstrFilter = filter;
  ofn.lpstrFile = buffer;
  ofn.nMaxFile = static_cast<DWORD>(size);
  ofn.lpstrFileTitle = nullptr;
  ofn.nMaxFileTitle = MAX_PATH;
  ofn.lpstrInitialDir = initialDir;
  ofn.lpstrTitle = title;
  ofn.Flags = flags;
  ofn.lpstrDefExt = defExt;
  if (UseFileDialogHook(DDInitDone != 0, DDWindowMode == 0, IsWindowsAtLeast(6, 0))) {
    ofn.Flags |= OFN_ENABLEHOOK;
    ofn.lpfnHook = &OfnHookProc;
  }
  return ofn;
}

BOOL Run(OPENFILENAMEA& ofn, bool save) {
  if (g_lpfnFileDialogPalette) g_lpfnFileDialogPalette(0);
  const BOOL chosen = save ? GetSaveFileNameA(&ofn) : GetOpenFileNameA(&ofn);
  if (g_lpfnFileDialogPalette) g_lpfnFileDialogPalette(1);
  return chosen;
}

}  // namespace

bool UseFileDialogHook(bool hasDrawingContext, bool fullScreen, bool atLeastVersion6) {
  return hasDrawingContext && fullScreen && atLeastVersion6;
}

LRESULT OfnHookProc(HWND, UINT, WPARAM, LPARAM) { return 0; }

std::string MakeFileFilter(const char* description, const char* patterns) {
  std::string f = description ? description : "";
  f.push_back('\0');
  f += patterns ? patterns : "";
  f.push_back('\0');
  f.push_back('\0');
  return f;
}

void SplitMultiSelectBuffer(const char* buffer, size_t size, std::vector<std::string>& out) {
  std::vector<std::string> parts;
  size_t i = 0;
  while (i < size && buffer[i]) {
    const size_t n = strnlen(buffer + i, size - i);
    parts.emplace_back(buffer + i, n);
    i += n + 1;
  }
  if (parts.empty()) return;
  if (parts.size() == 1) {
    out.push_back(parts[0]);
    return;
  }
  // Only the names of this choice are joined to its folder; entries the caller had stay.
  for (size_t k = 1; k < parts.size(); ++k) out.push_back(parts[0] + "\\" + parts[k]);
}

int OpenFileDialog(HWND hOwner, char* buffer, int size, const char* initialDir, const char* title,
                   const char* filter, const char* defExt, int multi, std::vector<std::string>* outPaths) {
  if (!buffer || size <= 0) return 0;
  std::memset(buffer, 0, static_cast<size_t>(size));
  OPENFILENAMEA ofn = Fill(hOwner, buffer, size, initialDir, title, filter, defExt,
                           multi ? OPEN_FILES_FLAGS : OPEN_FILE_FLAGS);
  ofn.hInstance = reinterpret_cast<HINSTANCE>(static_cast<intptr_t>(GetWindowLongA(hOwner, GWL_HINSTANCE)));
  if (!Run(ofn, false)) return 0;
  if (outPaths) SplitMultiSelectBuffer(buffer, static_cast<size_t>(size), *outPaths);
  return 1;
}

int SaveFileDialog(HWND hOwner, char* buffer, const char* initialDir, const char* title, const char* filter,
                   const char* defExt, int keep) {
  if (!buffer) return 0;
  if (!keep) buffer[0] = 0;
  buffer[MAX_PATH - 1] = 0;
  OPENFILENAMEA ofn = Fill(hOwner, buffer, MAX_PATH, initialDir, title, filter, defExt, SAVE_FILE_FLAGS);
  return Run(ofn, true) ? 1 : 0;
}

void BeginDialogMode() {
  if (g_lpfnDDSetDialogMode) g_lpfnDDSetDialogMode(1);
}

void EndDialogMode() {
  if (g_lpfnDDSetDialogMode) g_lpfnDDSetDialogMode(0);
}

int SelectStageFile(HWND hOwner, char* buffer, int english) {
  // The patterns name the stage files "name.stg4_NNN" and the replays "name.rpl4_NNN".
  const std::string filter = MakeFileFilter("StageFile ( *.stg4_*;*.rpl4_* )", "*.stg4_*;*.rpl4_*");
  BeginDialogMode();
  const int chosen = OpenFileDialog(hOwner, buffer, MAX_PATH, "data\\stg4\\",
                                    english ? "Load stage file" : "ステージファイルの読み込み", filter.c_str(), nullptr,
                                    0, nullptr);
  EndDialogMode();
  return chosen;
}
