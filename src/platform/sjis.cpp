#include "platform/sjis.h"

#include <iconv.h>

#include <cerrno>

namespace {

const iconv_t kNoDescriptor = reinterpret_cast<iconv_t>(-1);

// iconv descriptors are not safe to share between threads: one pair per thread, opened on its
// first conversion and closed when the thread ends. The pair itself has no destructor, so it
// can still be read after that: a conversion made later in the thread's end (by another
// thread-local object's destructor, or by an exit handler of the main thread, which runs after
// them) opens a descriptor of its own for the call.
struct Converters {
  iconv_t toUtf8 = kNoDescriptor;
  iconv_t toSjis = kNoDescriptor;
  enum { UNOPENED, OPEN, CLOSED } state = UNOPENED;
};
thread_local Converters t_Converters;

struct ConvertersCloser {
  ~ConvertersCloser() {
    Converters& c = t_Converters;
    if (c.toUtf8 != kNoDescriptor) iconv_close(c.toUtf8);
    if (c.toSjis != kNoDescriptor) iconv_close(c.toSjis);
    c.toUtf8 = c.toSjis = kNoDescriptor;
    c.state = Converters::CLOSED;
  }
};

// Converts src with cd; on an invalid or unconvertible sequence calls onBad, which appends
// its replacement and returns how many input bytes it consumed.
template <class OnBad>
std::string Convert(iconv_t cd, std::string_view src, OnBad onBad) {
  std::string out;
  if (cd == kNoDescriptor) return std::string(src);
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

namespace {

// Converts with the thread's descriptor `which` (to the code `to` from `from`).
template <class OnBad>
std::string ConvertOnThread(iconv_t Converters::*which, const char* to, const char* from, std::string_view src,
                            OnBad onBad) {
  Converters& c = t_Converters;
  if (c.state == Converters::UNOPENED) {
    c.toUtf8 = iconv_open("UTF-8", "CP932");
    c.toSjis = iconv_open("CP932", "UTF-8");
    c.state = Converters::OPEN;
    thread_local ConvertersCloser closer;
    (void)closer;
  }
  if (c.state == Converters::OPEN) return Convert(c.*which, src, onBad);
  const iconv_t cd = iconv_open(to, from);
  std::string out = Convert(cd, src, onBad);
  if (cd != kNoDescriptor) iconv_close(cd);
  return out;
}

}  // namespace

std::string SjisToUtf8(std::string_view sjis) {
  return ConvertOnThread(&Converters::toUtf8, "UTF-8", "CP932", sjis, [](std::string& out, std::string_view rest) {
    out.push_back(rest[0]);
    return size_t{1};
  });
}

std::string Utf8ToSjis(std::string_view utf8) {
  return ConvertOnThread(&Converters::toSjis, "CP932", "UTF-8", utf8, [](std::string& out, std::string_view rest) {
    // Skip one whole UTF-8 character (or one stray byte).
    unsigned char c = static_cast<unsigned char>(rest[0]);
    size_t n = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
    if (n > rest.size()) n = rest.size();
    out.push_back('?');
    return n;
  });
}
