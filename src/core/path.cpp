#include "core/path.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "core/text.h"
#include "platform/file.h"

namespace {

void CopyPath(char* dst, const char* src) { std::snprintf(dst, MAX_PATH, "%s", src ? src : ""); }

// Position of the last folder-separating backslash, skipping one that is the trail byte of a
// Shift-JIS pair; -1 when there is none.
int LastSeparator(const char* path) {
  for (int i = static_cast<int>(std::strlen(path)) - 1; i >= 0; --i) {
    if (path[i] != '\\') continue;
    if (i > 0 && IsDbcsPair(path + i - 1)) continue;
    return i;
  }
  return -1;
}

}  // namespace

int MakeRelativePath(char* path) {
  if (PathIsRelativeA(path)) return 1;
  char cur[MAX_PATH];
  DWORD n = GetCurrentDirectoryA(MAX_PATH, cur);
  if (n == 0 || n >= MAX_PATH) return 0;
  char rel[MAX_PATH];
  if (!PathRelativePathToA(rel, cur, FILE_ATTRIBUTE_DIRECTORY, path, 0)) return 0;
  CopyPath(path, rel);
  return 1;
}

int MakeRelativePathStr(std::string& path) {
  char buf[MAX_PATH];
  CopyPath(buf, path.c_str());
  int r = MakeRelativePath(buf);
  path = buf;
  return r;
}

int MakeFullPath(char* path) {
  if (!PathIsRelativeA(path)) return 1;
  char cur[MAX_PATH];
  DWORD n = GetCurrentDirectoryA(MAX_PATH, cur);
  if (n == 0 || n >= MAX_PATH) return 0;
  char full[MAX_PATH];
  n = GetFullPathNameA(path, MAX_PATH, full, nullptr);
  if (n == 0 || n >= MAX_PATH) return 0;
  CopyPath(path, full);
  return 1;
}

void StripDirectory(char* path) {
  int i = LastSeparator(path);
  if (i < 0) return;
  char rest[MAX_PATH];
  CopyPath(rest, path + i + 1);
  CopyPath(path, rest);
}

int ChangeExtension(char* dst, const char* src, const char* ext) {
  char buf[MAX_PATH];
  CopyPath(buf, src);
  char* dot = std::strrchr(buf, '.');
  if (!dot) {
    CopyPath(dst, buf);
    return 0;
  }
  if (ext) {
    std::snprintf(dot + 1, MAX_PATH - (dot + 1 - buf), "%s", ext);
  } else {
    *dot = 0;
  }
  CopyPath(dst, buf);
  return 1;
}

int RemoveExtension(char* path) {
  char* dot = std::strrchr(path, '.');
  if (!dot) return 0;
  *dot = 0;
  return 1;
}

int RemoveExtensionStr(std::string& path) {
  char buf[MAX_PATH];
  CopyPath(buf, path.c_str());
  if (!RemoveExtension(buf)) return 0;
  path = buf;
  return 1;
}

int GetExtension(char* dst, const char* path) {
  const char* dot = std::strrchr(path, '.');
  if (!dot) return 0;
  CopyPath(dst, dot + 1);
  return 1;
}

int MakeNumberedName(char* dst, const char* src, int a, int b) {
  const char* dot = std::strrchr(src, '.');
  if (!dot) return 0;
  char ext[32];
  std::snprintf(ext, sizeof ext, "%s", dot + 1);
  std::string name(src, dot - src);
  std::snprintf(dst, MAX_PATH, "%s_%c%c.%s", name.c_str(), '0' + a, '0' + b, ext);
  return 1;
}

// The highest-numbered existing file "name_000" .. "name_999", where name is the base with
// its extension changed. The folder is listed once instead of testing the thousand names one
// by one; the name returned is built from the base as the tests would have built it.
namespace {

// Whether the first n bytes of the text end on a whole character (not inside a lead and trail
// byte pair).
bool EndsOnCharacter(const std::string& text, size_t n) {
  size_t i = 0;
  while (i < n) i += IsDbcsPair(text.c_str() + i) ? 2 : 1;
  return i == n;
}

}  // namespace

int FindLastNumberedFile(char* dst, const char* base, const char* ext) {
  char name[MAX_PATH];
  ChangeExtension(name, base, ext);
  int sep = std::max(LastSeparator(name), -1);
  // A "/" also separates folders for the file system.
  if (const char* slash = std::strrchr(name, '/')) sep = std::max(sep, static_cast<int>(slash - name));
  std::string folder = sep >= 0 ? std::string(name, sep + 1) : std::string(".");
  std::string file = name + (sep + 1);
  int best = -1;
  // The folder's names as the program sees them: "_" and three digits after a name that is the
  // same as this one without regard to case (whose bytes may differ in number: a byte that is no
  // character is listed as a code of two).
  for (const std::string& entry : ListFolder(folder.c_str())) {
    if (entry.size() < 4) continue;
    const size_t stem = entry.size() - 4;
    if (entry[stem] != '_' || !EndsOnCharacter(entry, stem)) continue;
    const char* d = entry.c_str() + stem + 1;
    if (d[0] < '0' || d[0] > '9' || d[1] < '0' || d[1] > '9' || d[2] < '0' || d[2] > '9') continue;
    if (!SameFileName(std::string_view(entry).substr(0, stem), file)) continue;
    int n = (d[0] - '0') * 100 + (d[1] - '0') * 10 + (d[2] - '0');
    if (n > best) best = n;
  }
  if (best < 0) return 0;
  char out[MAX_PATH + 16];
  std::snprintf(out, sizeof out, "%s_%d%d%d", name, best / 100, best / 10 % 10, best % 10);
  CopyPath(dst, out);
  return 1;
}

int FindLastNumberedFileStr(std::string& out, const char* base, const char* ext) {
  char buf[MAX_PATH];
  if (!FindLastNumberedFile(buf, base, ext)) return 0;
  out = buf;
  return 1;
}
