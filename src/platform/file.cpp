#include "platform/file.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <vector>

#include "platform/sjis.h"

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// Splits a Shift-JIS path into its components. A byte that follows a lead byte belongs to
// that character, even when it is 0x5C (the backslash), so it never separates.
std::vector<std::string> SplitSjisPath(std::string_view p, bool* absolute) {
  std::vector<std::string> comps;
  *absolute = !p.empty() && IsSeparator(p[0]);
  std::string cur;
  for (size_t i = 0; i < p.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(p[i]);
    if (IsSjisLeadByte(c) && i + 1 < p.size()) {
      cur.push_back(p[i]);
      cur.push_back(p[++i]);
    } else if (IsSeparator(p[i])) {
      if (!cur.empty()) comps.push_back(std::move(cur));
      cur.clear();
    } else {
      cur.push_back(p[i]);
    }
  }
  if (!cur.empty()) comps.push_back(std::move(cur));
  return comps;
}

// True when the last character of a Shift-JIS path is a separator (a trail byte 0x5C is not).
bool EndsWithSeparator(std::string_view p) {
  bool last = false;
  for (size_t i = 0; i < p.size(); ++i) {
    if (IsSjisLeadByte(static_cast<unsigned char>(p[i])) && i + 1 < p.size()) {
      ++i;
      last = false;
    } else {
      last = IsSeparator(p[i]);
    }
  }
  return last;
}

// Decodes UTF-8 into code points folded to lower case, for comparing names as a
// case-insensitive file system does (ASCII, Latin-1, Greek, Cyrillic and the full-width
// Latin letters).
std::u32string FoldCase(std::string_view s) {
  std::u32string out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size();) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    char32_t cp;
    size_t n;
    if (c < 0x80) {
      cp = c, n = 1;
    } else if ((c & 0xE0) == 0xC0) {
      cp = c & 0x1F, n = 2;
    } else if ((c & 0xF0) == 0xE0) {
      cp = c & 0x0F, n = 3;
    } else if ((c & 0xF8) == 0xF0) {
      cp = c & 0x07, n = 4;
    } else {
      cp = 0xDC00 + c, n = 1;  // a stray byte keeps its identity
    }
    if (i + n > s.size()) {
      cp = 0xDC00 + c, n = 1;
    } else {
      for (size_t k = 1; k < n; ++k) cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
    }
    i += n;
    if (cp >= 'A' && cp <= 'Z') cp += 0x20;
    else if (cp >= 0xC0 && cp <= 0xDE && cp != 0xD7) cp += 0x20;
    else if (cp >= 0x391 && cp <= 0x3A9 && cp != 0x3A2) cp += 0x20;
    else if (cp >= 0x410 && cp <= 0x42F) cp += 0x20;
    else if (cp >= 0x400 && cp <= 0x40F) cp += 0x50;
    else if (cp >= 0xFF21 && cp <= 0xFF3A) cp += 0x20;
    out.push_back(cp);
  }
  return out;
}

std::string JoinPath(const std::string& base, const std::string& name) {
  if (base.empty()) return name;
  if (base.back() == '/') return base + name;
  return base + "/" + name;
}

bool Exists(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0;
}

// The entry of folder dir whose name equals name without regard to case; the smallest such
// name when there are several, so the choice does not depend on the folder's order.
bool FindNoCase(const std::string& dir, const std::string& name, std::string* found) {
  DIR* d = opendir(dir.empty() ? "." : dir.c_str());
  if (!d) return false;
  std::u32string want = FoldCase(name);
  bool any = false;
  while (dirent* e = readdir(d)) {
    std::string_view n(e->d_name);
    if (n == "." || n == "..") continue;
    if (FoldCase(n) == want && (!any || n < *found)) {
      *found = std::string(n);
      any = true;
    }
  }
  closedir(d);
  return any;
}

// Folds "." and ".." out of a list of components.
std::vector<std::string> Normalize(const std::vector<std::string>& comps) {
  std::vector<std::string> out;
  for (const std::string& c : comps) {
    if (c == ".") continue;
    if (c == "..") {
      if (!out.empty()) out.pop_back();
      continue;
    }
    out.push_back(c);
  }
  return out;
}

// Copies text with its zero into a caller's buffer, with the Windows result convention.
DWORD CopyOut(const std::string& text, DWORD size, char* buf) {
  if (text.size() + 1 > size) return static_cast<DWORD>(text.size() + 1);
  std::memcpy(buf, text.c_str(), text.size() + 1);
  return static_cast<DWORD>(text.size());
}

// The working folder as components of a Shift-JIS path.
bool CurrentComponents(std::vector<std::string>* comps) {
  char buf[4096];
  if (!getcwd(buf, sizeof buf)) return false;
  bool absolute;
  *comps = SplitSjisPath(Utf8ToSjis(buf), &absolute);
  return true;
}

// Joins components with backslashes; rooted adds a leading backslash.
std::string JoinSjis(const std::vector<std::string>& comps, size_t from = 0, bool rooted = false) {
  std::string out;
  if (rooted) out += '\\';
  for (size_t i = from; i < comps.size(); ++i) {
    if (i > from) out += '\\';
    out += comps[i];
  }
  return out;
}

}  // namespace

std::string ResolvePath(std::string_view sjisPath) {
  if (sjisPath.empty()) return std::string();
  bool absolute;
  std::vector<std::string> comps = SplitSjisPath(sjisPath, &absolute);
  std::string cur = absolute ? "/" : "";
  bool missing = false;
  for (const std::string& c : comps) {
    std::string name = SjisToUtf8(c);
    if (name == "." || name == "..") {
      cur = JoinPath(cur, name);
      continue;
    }
    if (!missing) {
      std::string exact = JoinPath(cur, name);
      if (Exists(exact)) {
        cur = exact;
        continue;
      }
      std::string found;
      if (FindNoCase(cur, name, &found)) {
        cur = JoinPath(cur, found);
        continue;
      }
      missing = true;
    }
    cur = JoinPath(cur, name);
  }
  return cur.empty() ? std::string(".") : cur;
}

FILE* FileOpen(const char* path, const char* mode) {
  if (!path || !mode) return nullptr;
  char m[8];
  size_t n = 0;
  for (const char* p = mode; *p && n + 1 < sizeof m; ++p) {
    if (*p != 't') m[n++] = *p;
  }
  m[n] = 0;
  std::string resolved = ResolvePath(path);
  if (resolved.empty()) return nullptr;
  return std::fopen(resolved.c_str(), m);
}

DWORD GetFileAttributesA(const char* path) {
  if (!path || !*path) return INVALID_FILE_ATTRIBUTES;
  struct stat st;
  if (stat(ResolvePath(path).c_str(), &st) != 0) return INVALID_FILE_ATTRIBUTES;
  if (S_ISDIR(st.st_mode)) return FILE_ATTRIBUTE_DIRECTORY;
  return FILE_ATTRIBUTE_ARCHIVE;
}

DWORD GetCurrentDirectoryA(DWORD nBufferLength, char* lpBuffer) {
  std::vector<std::string> comps;
  if (!CurrentComponents(&comps)) return 0;
  return CopyOut(JoinSjis(comps, 0, true), nBufferLength, lpBuffer);
}

DWORD GetFullPathNameA(const char* lpFileName, DWORD nBufferLength, char* lpBuffer, char** lpFilePart) {
  if (!lpFileName || !*lpFileName) return 0;
  bool absolute;
  std::vector<std::string> comps = SplitSjisPath(lpFileName, &absolute);
  if (!absolute) {
    std::vector<std::string> cwd;
    if (!CurrentComponents(&cwd)) return 0;
    cwd.insert(cwd.end(), comps.begin(), comps.end());
    comps = std::move(cwd);
  }
  comps = Normalize(comps);
  std::string full = JoinSjis(comps, 0, true);
  // A folder named with a trailing separator keeps it, and has no file part.
  const bool folder = EndsWithSeparator(lpFileName) && !comps.empty();
  if (folder) full += '\\';
  DWORD r = CopyOut(full, nBufferLength, lpBuffer);
  if (lpFilePart && r < nBufferLength) {
    *lpFilePart = comps.empty() || folder ? nullptr : lpBuffer + (full.size() - comps.back().size());
  }
  return r;
}

BOOL PathIsRelativeA(const char* path) {
  if (!path || !*path) return TRUE;
  if (IsSeparator(path[0])) return FALSE;
  unsigned char c = static_cast<unsigned char>(path[0]);
  bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
  if (letter && path[1] == ':') return FALSE;
  return TRUE;
}

BOOL PathIsDirectoryA(const char* path) {
  return GetFileAttributesA(path) == FILE_ATTRIBUTE_DIRECTORY ? TRUE : FALSE;
}

BOOL CreateDirectoryA(const char* lpPathName, LPSECURITY_ATTRIBUTES) {
  if (!lpPathName || !*lpPathName) return FALSE;
  return mkdir(ResolvePath(lpPathName).c_str(), 0777) == 0 ? TRUE : FALSE;
}

BOOL PathRelativePathToA(char* pszPath, const char* pszFrom, DWORD dwAttrFrom, const char* pszTo, DWORD dwAttrTo) {
  if (!pszPath || !pszFrom || !pszTo) return FALSE;
  if (PathIsRelativeA(pszFrom) || PathIsRelativeA(pszTo)) return FALSE;
  // Both must start at the same root: a separator, or the same drive letter.
  auto root = [](const char* p) -> std::string {
    if (IsSeparator(p[0])) return "\\";
    return std::string(1, static_cast<char>(p[0] | 0x20)) + ":";
  };
  if (root(pszFrom) != root(pszTo)) return FALSE;
  auto strip = [](const char* p) { return IsSeparator(p[0]) ? p : p + 2; };
  bool absolute;
  std::vector<std::string> from = Normalize(SplitSjisPath(strip(pszFrom), &absolute));
  std::vector<std::string> to = Normalize(SplitSjisPath(strip(pszTo), &absolute));
  if (!(dwAttrFrom & FILE_ATTRIBUTE_DIRECTORY) && !from.empty()) from.pop_back();
  size_t common = 0;
  while (common < from.size() && common < to.size() &&
         FoldCase(SjisToUtf8(from[common])) == FoldCase(SjisToUtf8(to[common]))) {
    ++common;
  }
  std::string out;
  size_t ups = from.size() - common;
  if (ups == 0) {
    out = common == to.size() ? "." : ".\\";
  } else {
    for (size_t i = 0; i < ups; ++i) out += i + 1 < ups || common < to.size() ? "..\\" : "..";
  }
  out += JoinSjis(to, common);
  if (out.size() + 1 > static_cast<size_t>(MAX_PATH)) return FALSE;
  std::memcpy(pszPath, out.c_str(), out.size() + 1);
  return TRUE;
}

std::vector<std::string> ListFolder(const char* sjisFolder) {
  std::vector<std::string> names;
  std::string dir = ResolvePath(sjisFolder ? sjisFolder : "");
  DIR* d = opendir(dir.empty() ? "." : dir.c_str());
  if (!d) return names;
  while (dirent* e = readdir(d)) {
    std::string_view n(e->d_name);
    if (n == "." || n == "..") continue;
    names.push_back(Utf8ToSjis(n));
  }
  closedir(d);
  return names;
}

bool SameFileName(std::string_view a, std::string_view b) {
  return FoldCase(SjisToUtf8(a)) == FoldCase(SjisToUtf8(b));
}
