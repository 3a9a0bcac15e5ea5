#include "ui/windows_version.h"

#include <sys/utsname.h>

#include "core/text.h"

void GetWindowsName(std::string* text, int* major, int* minor) {
  if (major) *major = 6;
  if (minor) *minor = 2;
  if (!text) return;
  utsname u{};
  if (uname(&u) != 0) {
    *text = "";
    return;
  }
  // The name, a blank and the system's build text, as "%s %s PID %d Build %d" (platform 2).
  FormatString(*text, "%s %s %s PID %d Build %d", u.sysname, u.release, u.version, 2, 0);
}

bool IsWindowsAtLeast(int major, int minor) {
  int m = 0, n = 0;
  GetWindowsName(nullptr, &m, &n);
  return major < m || (major == m && n >= minor);
}
