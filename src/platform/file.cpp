#include "platform/file.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <vector>

#include "platform/disk_name.h"
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

std::string JoinPath(const std::string& base, const std::string& name) {
  if (base.empty()) return name;
  if (base.back() == '/') return base + name;
  return base + "/" + name;
}

bool Exists(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0;
}

// The entry of folder dir that is the system's name `name` without regard to case, compared as
// the system sees the entries; the smallest such entry when there are several, so the choice
// does not depend on the folder's order. Reading the folder also gives its names their codes.
bool FindNoCase(const std::string& dir, std::string_view name, std::string* found) {
  DIR* d = opendir(dir.empty() ? "." : dir.c_str());
  if (!d) return false;
  std::vector<std::string> entries;
  while (dirent* e = readdir(d)) {
    std::string_view n(e->d_name);
    if (n != "." && n != "..") entries.emplace_back(n);
  }
  closedir(d);
  std::vector<std::u32string> folded;
  folded.reserve(entries.size());
  for (const std::string& n : entries) folded.push_back(FoldedName(DiskNameToSjis(n)));
  // The wanted name's codes are read once the folder's names have taken theirs.
  const std::u32string want = FoldedName(name);
  bool any = false;
  for (size_t i = 0; i < entries.size(); ++i) {
    if (folded[i] == want && (!any || entries[i] < *found)) {
      *found = entries[i];
      any = true;
    }
  }
  return any;
}

// Reads the folder so that its names take their user-defined codes.
void MeetFolderNames(const std::string& dir) {
  DIR* d = opendir(dir.empty() ? "." : dir.c_str());
  if (!d) return;
  while (dirent* e = readdir(d)) DiskNameToSjis(e->d_name);
  closedir(d);
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
  *comps = SplitSjisPath(DiskPathToSjis(buf), &absolute);
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
    if (c == "." || c == "..") {
      cur = JoinPath(cur, c);
      continue;
    }
    if (!missing && HasUnmetUserCode(c)) MeetFolderNames(cur);
    const std::string name = SjisNameToDisk(c);
    if (!missing) {
      // The name as this system writes it, then as an archive made on Windows unpacks it, then
      // any entry that is the same name without regard to case.
      std::string exact = JoinPath(cur, name);
      if (Exists(exact)) {
        cur = exact;
        continue;
      }
      const std::string raw = SjisNameToRawDisk(c);
      if (raw != name && Exists(JoinPath(cur, raw))) {
        cur = JoinPath(cur, raw);
        continue;
      }
      std::string found;
      if (FindNoCase(cur, c, &found)) {
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
         FoldedName(from[common]) == FoldedName(to[common])) {
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
    names.push_back(DiskNameToSjis(n));
  }
  closedir(d);
  return names;
}

bool SameFileName(std::string_view a, std::string_view b) {
  return FoldedName(a) == FoldedName(b);
}
