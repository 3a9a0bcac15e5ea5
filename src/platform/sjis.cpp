#include "platform/sjis.h"

#include <iconv.h>

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

#include "platform/disk_name.h"

namespace {

// Both directions of code page 932, made once through iconv on first use and kept to the end of
// the process (a conversion may still run from an exit handler).
struct Cp932Tables {
  std::vector<char32_t> byCode = std::vector<char32_t>(65536, 0);  // one byte, or lead << 8 | trail
  std::vector<std::pair<char32_t, uint16_t>> byChar;                 // sorted by character

  Cp932Tables() {
    const iconv_t toUnicode = iconv_open("UTF-32LE", "CP932");
    const iconv_t toCp932 = iconv_open("CP932", "UTF-32LE");
    const iconv_t none = reinterpret_cast<iconv_t>(-1);
    auto convert = [](iconv_t cd, const char* in, size_t n, char* out, size_t room) -> size_t {
      char* src = const_cast<char*>(in);
      char* dst = out;
      size_t inLeft = n, outLeft = room;
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
      if (iconv(cd, &src, &inLeft, &dst, &outLeft) == static_cast<size_t>(-1) || inLeft != 0) return 0;
      return room - outLeft;
    };
    if (toUnicode != none) {
      auto decode = [&](unsigned code, const char* bytes, size_t n) {
        char buf[8];
        if (convert(toUnicode, bytes, n, buf, sizeof buf) != 4) return;
        uint32_t c = 0;
        std::memcpy(&c, buf, 4);
        byCode[code] = c;
      };
      for (unsigned b = 1; b < 256; ++b) {
        if (IsSjisLeadByte(static_cast<unsigned char>(b))) continue;
        const char c = static_cast<char>(b);
        decode(b, &c, 1);
      }
      for (unsigned lead = 0x81; lead <= 0xFC; ++lead) {
        if (!IsSjisLeadByte(static_cast<unsigned char>(lead))) continue;
        for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
          if (!IsSjisTrailByte(static_cast<unsigned char>(trail))) continue;
          const char two[2] = {static_cast<char>(lead), static_cast<char>(trail)};
          decode(lead << 8 | trail, two, 2);
        }
      }
      iconv_close(toUnicode);
    }
    // The code iconv gives each character, kept only when it decodes to that character again
    // (of the codes that share a character, the one Windows writes).
    for (unsigned code = 1; code < 65536; ++code) {
      const char32_t c = byCode[code];
      if (!c || toCp932 == none) continue;
      char out[4];
      const size_t n = convert(toCp932, reinterpret_cast<const char*>(&c), 4, out, sizeof out);
      unsigned back = 0;
      if (n == 1) back = static_cast<unsigned char>(out[0]);
      if (n == 2) back = static_cast<unsigned char>(out[0]) << 8 | static_cast<unsigned char>(out[1]);
      if (back == code) byChar.emplace_back(c, static_cast<uint16_t>(code));
    }
    if (toCp932 != none) iconv_close(toCp932);
    std::sort(byChar.begin(), byChar.end());
  }
};

const Cp932Tables& Tables() {
  static const Cp932Tables* const tables = new Cp932Tables;
  return *tables;
}

}  // namespace

unsigned UserCodeAt(unsigned n) {
  const unsigned lead = 0xF0 + n / 188, t = n % 188;
  return lead << 8 | (t < 63 ? 0x40 + t : 0x80 + (t - 63));
}

unsigned UserCodeIndex(unsigned code) {
  const unsigned lead = code >> 8, trail = code & 0xFF;
  return (lead - 0xF0) * 188 + (trail < 0x80 ? trail - 0x40 : trail - 0x80 + 63);
}

char32_t Cp932ToUnicode(unsigned code) { return code < 65536 ? Tables().byCode[code] : 0; }

unsigned UnicodeToCp932(char32_t c) {
  if (c < 0x80) return c;
  const auto& v = Tables().byChar;
  const auto it = std::lower_bound(v.begin(), v.end(), std::make_pair(c, uint16_t{0}));
  return it != v.end() && it->first == c ? it->second : 0;
}

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | c >> 6));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | c >> 12));
    out.push_back(static_cast<char>(0x80 | (c >> 6 & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | c >> 18));
    out.push_back(static_cast<char>(0x80 | (c >> 12 & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c >> 6 & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

bool DecodeUtf8(std::string_view s, size_t i, char32_t* c, size_t* n) {
  const unsigned char b = static_cast<unsigned char>(s[i]);
  *n = 1;
  *c = b;
  if (b < 0x80) return true;
  size_t len;
  char32_t cp, min;
  if (b >= 0xC2 && b <= 0xDF) {
    len = 2, cp = b & 0x1F, min = 0x80;
  } else if (b >= 0xE0 && b <= 0xEF) {
    len = 3, cp = b & 0x0F, min = 0x800;
  } else if (b >= 0xF0 && b <= 0xF4) {
    len = 4, cp = b & 0x07, min = 0x10000;
  } else {
    return false;
  }
  if (i + len > s.size()) return false;
  for (size_t k = 1; k < len; ++k) {
    const unsigned char t = static_cast<unsigned char>(s[i + k]);
    if ((t & 0xC0) != 0x80) return false;
    cp = cp << 6 | (t & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
  *c = cp;
  *n = len;
  return true;
}

std::string SjisToUtf8(std::string_view sjis) {
  std::string out;
  out.reserve(sjis.size() * 3 / 2 + 4);
  for (size_t i = 0; i < sjis.size();) {
    const unsigned char b = static_cast<unsigned char>(sjis[i]);
    if (b < 0x80) {
      out.push_back(static_cast<char>(b));
      ++i;
      continue;
    }
    char32_t c = 0;
    size_t n = 1;
    if (IsSjisLeadByte(b) && i + 1 < sjis.size() && IsSjisTrailByte(static_cast<unsigned char>(sjis[i + 1]))) {
      const unsigned code = b << 8 | static_cast<unsigned char>(sjis[i + 1]);
      c = IsUserCode(code) ? UserCodeShown(code) : Cp932ToUnicode(code);
      if (c) n = 2;
    } else {
      c = Cp932ToUnicode(b);
    }
    AppendUtf8(out, c ? c : U'\uFFFD');
    i += n;
  }
  return out;
}

std::string Utf8ToSjis(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (size_t i = 0; i < utf8.size();) {
    char32_t c;
    size_t n;
    const bool valid = DecodeUtf8(utf8, i, &c, &n);
    i += n;
    const unsigned code = valid ? UnicodeToCp932(c) : 0;
    if (!valid || (c != 0 && code == 0)) {
      out.push_back('?');
    } else if (code > 0xFF) {
      out.push_back(static_cast<char>(code >> 8));
      out.push_back(static_cast<char>(code & 0xFF));
    } else {
      out.push_back(static_cast<char>(code));
    }
  }
  return out;
}
