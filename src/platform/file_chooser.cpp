#include "platform/file_chooser.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "platform/dialog.h"
#include "platform/disk_name.h"
#include "platform/file.h"
#include "platform/message.h"
#include "platform/msgbox.h"
#include "platform/window.h"

namespace fs = std::filesystem;

namespace {

constexpr int kNameLabel = 1090;
constexpr int kFilterLabel = 1089;

const DialogItemTemplate kItems[] = {
    {"static", "", WS_CHILD | WS_VISIBLE | SS_LEFT, FILE_DIALOG_FOLDER, 7, 6, 359, 10},
    {"listbox", nullptr, WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | LBS_NOTIFY, FILE_DIALOG_LIST, 7, 18, 359,
     160},
    {"static", "ファイル名:", WS_CHILD | WS_VISIBLE | SS_LEFT, kNameLabel, 7, 187, 50, 10},
    {"edit", "", WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, FILE_DIALOG_NAME, 60, 185, 236, 12},
    {"static", "ファイルの種類:", WS_CHILD | WS_VISIBLE | SS_LEFT, kFilterLabel, 7, 205, 50, 10},
    {"static", "", WS_CHILD | WS_VISIBLE | SS_LEFT, FILE_DIALOG_FILTER, 60, 205, 236, 10},
    {"button", "OK", WS_CHILD | WS_VISIBLE | BS_DEFPUSHBUTTON | WS_TABSTOP, IDOK, 306, 184, 60, 14},
    {"button", "キャンセル", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON | WS_TABSTOP, IDCANCEL, 306, 202, 60, 14},
};

struct Entry {
  std::string name;   // on the disk
  std::string shown;  // as the system sees it (DiskNameToSjis)
  bool folder = false;
};

struct Chooser {
  OPENFILENAMEA* ofn = nullptr;
  bool save = false;
  fs::path folder;
  std::vector<std::string> patterns;
  std::string filterText;
  std::vector<Entry> entries;
};

Chooser* g_chooser = nullptr;

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

// '*' any run, '?' any one byte; compared without regard to case.
bool Matches(const std::string& pattern, const std::string& name) {
  const std::string p = Lower(pattern), n = Lower(name);
  size_t pi = 0, ni = 0, star = std::string::npos, mark = 0;
  while (ni < n.size()) {
    if (pi < p.size() && (p[pi] == '?' || p[pi] == n[ni])) {
      ++pi;
      ++ni;
    } else if (pi < p.size() && p[pi] == '*') {
      star = pi++;
      mark = ni;
    } else if (star != std::string::npos) {
      pi = star + 1;
      ni = ++mark;
    } else {
      return false;
    }
  }
  while (pi < p.size() && p[pi] == '*') ++pi;
  return pi == p.size();
}

// The filter's n-th pair (1-based; 0 is the first): its description and its patterns.
void ReadFilter(Chooser& c) {
  const char* f = c.ofn->lpstrFilter;
  const DWORD want = c.ofn->nFilterIndex ? c.ofn->nFilterIndex : 1;
  for (DWORD i = 1; f && *f; ++i) {
    const char* desc = f;
    const char* pat = desc + std::strlen(desc) + 1;
    if (i == want || c.filterText.empty()) {
      c.filterText = desc;
      c.patterns.clear();
      std::string all = SjisNameToDisk(pat);
      size_t start = 0;
      while (start <= all.size()) {
        size_t end = all.find(';', start);
        if (end == std::string::npos) end = all.size();
        std::string one = all.substr(start, end - start);
        one.erase(0, one.find_first_not_of(' '));
        one.erase(one.find_last_not_of(' ') + 1);
        if (!one.empty()) c.patterns.push_back(one);
        start = end + 1;
      }
      if (i == want) break;
    }
    if (!*pat) break;
    f = pat + std::strlen(pat) + 1;
  }
  if (c.patterns.empty()) c.patterns.push_back("*");
}

// The program's form of a path on the disk: Shift-JIS with backslashes, relative to the
// working folder below it, else absolute with a leading backslash.
std::string ProgramPath(const fs::path& p) {
  std::error_code ec;
  const fs::path cwd = fs::current_path(ec);
  const fs::path rel = p.lexically_relative(cwd);
  std::string out;
  const bool below = !ec && !rel.empty() && *rel.begin() != ".." && rel != ".";
  for (const fs::path& part : below ? rel : p.relative_path()) {
    if (!out.empty() || !below) out += '\\';
    out += DiskNameToSjis(part.string());
  }
  return out;
}

void Fill(HWND hDlg) {
  Chooser& c = *g_chooser;
  c.entries.clear();
  std::vector<Entry> folders, files;
  std::error_code ec;
  for (fs::directory_iterator it(c.folder, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    std::error_code typeError;
    const bool folder = it->is_directory(typeError);
    if (!folder && !std::any_of(c.patterns.begin(), c.patterns.end(), [&](const std::string& p) { return Matches(p, name); })) {
      continue;
    }
    Entry e{name, DiskNameToSjis(name), folder};
    (folder ? folders : files).push_back(e);
  }
  auto byName = [](const Entry& a, const Entry& b) { return Lower(a.name) < Lower(b.name); };
  std::sort(folders.begin(), folders.end(), byName);
  std::sort(files.begin(), files.end(), byName);
  if (c.folder.has_relative_path()) c.entries.push_back(Entry{"..", "..", true});
  c.entries.insert(c.entries.end(), folders.begin(), folders.end());
  c.entries.insert(c.entries.end(), files.begin(), files.end());
  HWND list = GetDlgItem(hDlg, FILE_DIALOG_LIST);
  SendMessageA(list, LB_RESETCONTENT, 0, 0);
  for (size_t i = 0; i < c.entries.size(); ++i) {
    const Entry& e = c.entries[i];
    const std::string row = e.folder ? "[" + e.shown + "]" : e.shown;
    SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(row.c_str()));
  }
  // The first row is selected, so that the arrows start from the top.
  if (!c.entries.empty()) SendMessageA(list, LB_SETCURSEL, 0, 0);
  const std::string shownFolder = ProgramPath(c.folder);
  SetDlgItemTextA(hDlg, FILE_DIALOG_FOLDER, shownFolder.empty() ? "." : shownFolder.c_str());
}

void Navigate(HWND hDlg, const fs::path& to) {
  std::error_code ec;
  fs::path next = fs::weakly_canonical(to, ec);
  if (ec || !fs::is_directory(next, ec)) return;
  g_chooser->folder = next;
  if (!g_chooser->save) SetDlgItemTextA(hDlg, FILE_DIALOG_NAME, "");
  Fill(hDlg);
}

void Message(HWND hDlg, const std::string& text) {
  MessageBoxA(hDlg, text.c_str(), g_chooser->ofn->lpstrTitle ? g_chooser->ofn->lpstrTitle : "", MB_OK | MB_ICONWARNING);
}

// Takes the name typed or chosen (Shift-JIS): a folder opens, a file ends the dialog.
void Choose(HWND hDlg, const std::string& sjisName) {
  Chooser& c = *g_chooser;
  if (sjisName.empty()) return;
  // Through the resolver, as every name the system gives: relative names from the folder shown.
  const std::string folder = ProgramPath(c.folder);
  const bool absolute = sjisName[0] == '\\' || sjisName[0] == '/';
  fs::path path = ResolvePath(absolute ? sjisName : folder + "\\" + sjisName);
  std::error_code ec;
  if (fs::is_directory(path, ec)) {
    Navigate(hDlg, path);
    return;
  }
  if (c.save && c.ofn->lpstrDefExt && *c.ofn->lpstrDefExt && path.filename().string().find('.') == std::string::npos) {
    std::string extension = SjisNameToDisk(c.ofn->lpstrDefExt);
    extension.insert(extension.begin(), '.');
    path += extension;
  }
  path = fs::weakly_canonical(path, ec);
  const bool exists = fs::exists(path, ec);
  const std::string shown = DiskNameToSjis(path.filename().string());
  if (!c.save && !exists) {
    Message(hDlg, shown + "\nファイルが見つかりません。\nThe file was not found.");
    return;
  }
  if (c.save && exists && (c.ofn->Flags & OFN_OVERWRITEPROMPT)) {
    const std::string ask = shown + " は既に存在します。\n上書きしますか？\n" + shown + " already exists. Replace it?";
    if (MessageBoxA(hDlg, ask.c_str(), c.ofn->lpstrTitle ? c.ofn->lpstrTitle : "", MB_YESNO | MB_ICONWARNING) != IDYES) {
      return;
    }
  }
  const std::string out = ProgramPath(path);
  const size_t need = out.size() + ((!c.save && (c.ofn->Flags & OFN_ALLOWMULTISELECT)) ? 2 : 1);
  if (!c.ofn->lpstrFile || need > c.ofn->nMaxFile) {
    Message(hDlg, out + "\nパスが長すぎます。\nThe path is too long.");
    return;
  }
  std::memset(c.ofn->lpstrFile, 0, need);
  std::memcpy(c.ofn->lpstrFile, out.data(), out.size());
  const size_t slash = out.rfind('\\');
  const size_t fileStart = slash == std::string::npos ? 0 : slash + 1;
  const size_t dot = out.rfind('.');
  c.ofn->nFileOffset = static_cast<WORD>(fileStart);
  c.ofn->nFileExtension = static_cast<WORD>(dot != std::string::npos && dot >= fileStart ? dot + 1 : 0);
  if (c.ofn->lpstrFileTitle && c.ofn->nMaxFileTitle > 0) {
    std::snprintf(c.ofn->lpstrFileTitle, c.ofn->nMaxFileTitle, "%s", out.c_str() + fileStart);
  }
  EndDialog(hDlg, 1);
}

void Activate(HWND hDlg, int index) {
  Chooser& c = *g_chooser;
  if (index < 0 || index >= static_cast<int>(c.entries.size())) return;
  const Entry& e = c.entries[static_cast<size_t>(index)];
  if (e.folder) {
    Navigate(hDlg, e.name == ".." ? c.folder.parent_path() : c.folder / e.name);
  } else {
    Choose(hDlg, e.shown);
  }
}

LRESULT ChooserProc(HWND hDlg, UINT msg, WPARAM wParam, LPARAM lParam) {
  Chooser& c = *g_chooser;
  if ((c.ofn->Flags & OFN_ENABLEHOOK) && c.ofn->lpfnHook) {
    if (LRESULT r = c.ofn->lpfnHook(hDlg, msg, wParam, lParam)) return r;
  }
  switch (msg) {
    case WM_INITDIALOG: {
      if (c.ofn->lpstrTitle) SetWindowTextA(hDlg, c.ofn->lpstrTitle);
      SetDlgItemTextA(hDlg, IDOK, c.save ? "保存" : "開く");
      SetDlgItemTextA(hDlg, FILE_DIALOG_FILTER, c.filterText.c_str());
      Fill(hDlg);
      HWND list = GetDlgItem(hDlg, FILE_DIALOG_LIST);
      HWND name = GetDlgItem(hDlg, FILE_DIALOG_NAME);
      if (c.save) {
        SetDlgItemTextA(hDlg, FILE_DIALOG_NAME, c.ofn->lpstrFile ? c.ofn->lpstrFile : "");
        SetFocus(name);
        SendMessageA(name, EM_SETSEL, 0, -1);
      } else {
        SetFocus(list);
      }
      return FALSE;
    }
    case WM_COMMAND: {
      const WORD id = LOWORD(wParam), code = HIWORD(wParam);
      HWND list = GetDlgItem(hDlg, FILE_DIALOG_LIST);
      if (id == FILE_DIALOG_LIST && code == LBN_SELCHANGE) {
        const LRESULT i = SendMessageA(list, LB_GETCURSEL, 0, 0);
        if (i >= 0 && i < static_cast<LRESULT>(c.entries.size())) {
          const Entry& e = c.entries[static_cast<size_t>(i)];
          if (!e.folder) SetDlgItemTextA(hDlg, FILE_DIALOG_NAME, e.shown.c_str());
        }
      } else if (id == FILE_DIALOG_LIST && code == LBN_DBLCLK) {
        Activate(hDlg, static_cast<int>(SendMessageA(list, LB_GETCURSEL, 0, 0)));
      } else if (id == IDOK && code == BN_CLICKED) {
        if (GetFocus() == list) {
          Activate(hDlg, static_cast<int>(SendMessageA(list, LB_GETCURSEL, 0, 0)));
        } else {
          char name[MAX_PATH * 2];
          GetDlgItemTextA(hDlg, FILE_DIALOG_NAME, name, sizeof name);
          Choose(hDlg, name);
        }
      } else if (id == IDCANCEL && code == BN_CLICKED) {
        EndDialog(hDlg, 0);
      }
      return TRUE;
    }
    default:
      return FALSE;
  }
}

BOOL RunChooser(OPENFILENAMEA* ofn, bool save) {
  if (!ofn || g_chooser) return FALSE;
  Chooser c;
  c.ofn = ofn;
  c.save = save;
  ReadFilter(c);
  std::error_code ec;
  const std::string initial = ofn->lpstrInitialDir && *ofn->lpstrInitialDir ? ResolvePath(ofn->lpstrInitialDir) : ".";
  c.folder = fs::weakly_canonical(fs::absolute(initial, ec), ec);
  if (ec || !fs::is_directory(c.folder, ec)) c.folder = fs::current_path(ec);
  const DialogTemplate t = {WS_POPUP | WS_VISIBLE | WS_CAPTION | DS_MODALFRAME | DS_SETFONT, ofn->lpstrTitle, 373, 226,
                            kItems, static_cast<int>(sizeof kItems / sizeof kItems[0])};
  g_chooser = &c;
  const LRESULT r = DialogBoxIndirectParamA(nullptr, &t, ofn->hwndOwner, &ChooserProc, 0);
  g_chooser = nullptr;
  return r == 1 ? TRUE : FALSE;
}

}  // namespace

BOOL GetOpenFileNameA(OPENFILENAMEA* ofn) { return RunChooser(ofn, false); }
BOOL GetSaveFileNameA(OPENFILENAMEA* ofn) { return RunChooser(ofn, true); }
