#include "core/text.h"

#include <cstdarg>
#include <cstdlib>
#include <cstdio>
#include <cstring>

#include "platform/dialog.h"
#include "platform/sjis.h"

namespace {

constexpr int kTextBuffer = 5120;

void FormatInto(std::string& out, bool append, const char* format, va_list ap) {
  char buf[kTextBuffer];
  std::vsnprintf(buf, sizeof buf, format, ap);
  if (append) out += buf;
  else out = buf;
}

}  // namespace

void FormatString(std::string& out, const char* format, ...) {
  va_list ap;
  va_start(ap, format);
  FormatInto(out, false, format, ap);
  va_end(ap);
}

void AppendFormat(std::string& text, const char* format, ...) {
  va_list ap;
  va_start(ap, format);
  FormatInto(text, true, format, ap);
  va_end(ap);
}

int StrLength(const std::string& text) {
  size_t n = std::strlen(text.c_str());
  return static_cast<int>(n < kTextBuffer ? n : kTextBuffer - 1);
}

// When start is negative the count shrinks by it and the text is taken from its beginning;
// a start beyond the end or a count of 0 gives the empty text; a negative count, or one that
// runs past the end, takes everything from start on.
std::string StrMid(const std::string& text, int start, int count) {
  std::string s(text.c_str());
  int len = static_cast<int>(s.size());
  if (start < 0) {
    count += start;
    start = 0;
  } else if (start > len) {
    return std::string();
  }
  if (count == 0) return std::string();
  if (count < 0 || static_cast<long long>(start) + count > len) return s.substr(start);
  return s.substr(start, count);
}

int IsDbcsPair(const char* p) {
  if (!p || !p[0]) return 0;
  return IsSjisLeadByte(static_cast<unsigned char>(p[0])) && IsSjisTrailByte(static_cast<unsigned char>(p[1])) ? 1 : 0;
}

int CountChars(const char* text) {
  int n = 0;
  for (const char* p = text; p && *p;) {
    if (IsDbcsPair(p)) {
      ++n;
      p += 2;
    } else {
      if (*p != '\n') ++n;
      ++p;
    }
  }
  return n;
}

void GetDlgItemString(HWND hDlg, int id, std::string& out, int maximum) {
  char buf[kTextBuffer];
  if (maximum > kTextBuffer) maximum = kTextBuffer;
  if (maximum < 1) maximum = 1;
  GetDlgItemTextA(hDlg, id, buf, maximum);
  out = buf;
}

void SetDlgItemString(HWND hDlg, int id, const std::string& text) { SetDlgItemTextA(hDlg, id, text.c_str()); }

int CountDigits(int32_t v) {
  // Computed on the magnitude as 64 bits, which holds that of the smallest int32 too.
  long long m = std::llabs(static_cast<long long>(v));
  int digits = 1;
  while (m >= 10) {
    m /= 10;
    ++digits;
  }
  return digits;
}

void FormatSignedNumber(std::string& out, int32_t v, int width, int bZeroPad, int bPlus) {
  const int digits = CountDigits(v);
  const int w = width > digits ? width : digits;
  FormatString(out, "%0*lld", w, std::llabs(static_cast<long long>(v)));
  if (!bZeroPad) {
    for (size_t i = 0; i + 1 < out.size() && out[i] == '0'; ++i) out[i] = ' ';
  }
  if (v < 0)
    out.insert(out.begin(), '-');
  else if (bPlus)
    out.insert(out.begin(), '+');
}
