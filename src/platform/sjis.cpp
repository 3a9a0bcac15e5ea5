#include "platform/sjis.h"

#include <iconv.h>

#include <cerrno>

namespace {

// iconv descriptors are not safe to share between threads: one pair per thread.
struct Converters {
  iconv_t toUtf8 = iconv_open("UTF-8", "CP932");
  iconv_t toSjis = iconv_open("CP932", "UTF-8");
  ~Converters() {
    if (toUtf8 != (iconv_t)-1) iconv_close(toUtf8);
    if (toSjis != (iconv_t)-1) iconv_close(toSjis);
  }
};

Converters& ThreadConverters() {
  thread_local Converters c;
  return c;
}

// Converts src with cd; on an invalid or unconvertible sequence calls onBad, which appends
// its replacement and returns how many input bytes it consumed.
template <class OnBad>
std::string Convert(iconv_t cd, std::string_view src, OnBad onBad) {
  std::string out;
  if (cd == (iconv_t)-1) return std::string(src);
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  out.reserve(src.size() * 3 / 2 + 4);
  char* in = const_cast<char*>(src.data());
  size_t inLeft = src.size();
  char buf[256];
  while (inLeft > 0) {
    char* o = buf;
    size_t oLeft = sizeof(buf);
    size_t r = iconv(cd, &in, &inLeft, &o, &oLeft);
    out.append(buf, o - buf);
    if (r == (size_t)-1) {
      if (errno == E2BIG) continue;
      size_t used = onBad(out, std::string_view(in, inLeft));
      in += used;
      inLeft -= used;
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
  }
  return out;
}

}  // namespace

std::string SjisToUtf8(std::string_view sjis) {
  return Convert(ThreadConverters().toUtf8, sjis, [](std::string& out, std::string_view rest) {
    out.push_back(rest[0]);
    return size_t{1};
  });
}

std::string Utf8ToSjis(std::string_view utf8) {
  return Convert(ThreadConverters().toSjis, utf8, [](std::string& out, std::string_view rest) {
    // Skip one whole UTF-8 character (or one stray byte).
    unsigned char c = static_cast<unsigned char>(rest[0]);
    size_t n = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
    if (n > rest.size()) n = rest.size();
    out.push_back('?');
    return n;
  });
}
