#include "platform/disk_name.h"

#include <array>
#include <mutex>
#include <unordered_map>

#include "platform/sjis.h"

namespace {

// A unit of a name: a character (its code point), or a byte that starts no character, held as
// 0xDC00 + the byte (a surrogate, which no character of a name can be).
constexpr char32_t kByteUnit = 0xDC00;
bool IsByteUnit(char32_t u) { return u >= kByteUnit + 0x80 && u <= kByteUnit + 0xFF; }
constexpr char32_t kPrivateFirst = 0xE000;  // the character of the first user-defined code

// Codes kept for the bytes 0x80-0xFF, which a character's UTF-8 falls back on.
constexpr unsigned kCodesForBytes = 128;

// The user-defined codes of the names met so far: one table for the process.
class NameCodes {
 public:
  // The code of the unit; 0 when none is left for a character.
  unsigned CodeOf(char32_t u) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (auto it = codes_.find(u); it != codes_.end()) return UserCodeAt(it->second);
    if (!IsByteUnit(u) && characters_ >= kUserCodeCount - kCodesForBytes) return 0;
    unsigned n = Preferred(u);
    while (units_[n]) n = (n + 1) % kUserCodeCount;
    units_[n] = u;
    codes_.emplace(u, static_cast<uint16_t>(n));
    if (!IsByteUnit(u)) ++characters_;
    return UserCodeAt(n);
  }

  // The unit of a user-defined code. A code no name has taken stands for its own private-use
  // character from now on (a stored name of the original, which wrote it so).
  char32_t UnitOf(unsigned code) {
    const unsigned n = UserCodeIndex(code);
    std::lock_guard<std::mutex> lock(mutex_);
    if (!units_[n]) {
      units_[n] = kPrivateFirst + n;
      codes_.emplace(kPrivateFirst + n, static_cast<uint16_t>(n));
      ++characters_;
    }
    return units_[n];
  }

  // The unit, or 0 while no name has taken the code.
  char32_t Peek(unsigned code) {
    std::lock_guard<std::mutex> lock(mutex_);
    return units_[UserCodeIndex(code)];
  }

 private:
  // A private-use character asks for its own code; any other unit for the one its number
  // hashes to.
  static unsigned Preferred(char32_t u) {
    if (u >= kPrivateFirst && u < kPrivateFirst + kUserCodeCount) return u - kPrivateFirst;
    uint32_t h = static_cast<uint32_t>(u) * 2654435761u;
    h ^= h >> 16;
    return h % kUserCodeCount;
  }

  std::mutex mutex_;
  std::array<char32_t, kUserCodeCount> units_{};
  std::unordered_map<char32_t, uint16_t> codes_;
  unsigned characters_ = 0;
};

NameCodes& Codes() {
  // Never destroyed: names are still converted by exit handlers.
  static NameCodes* const codes = new NameCodes;
  return *codes;
}

void AppendCode(std::string& out, unsigned code) {
  if (code > 0xFF) out.push_back(static_cast<char>(code >> 8));
  out.push_back(static_cast<char>(code & 0xFF));
}

// Appends the unit's user-defined code; a character that gets none goes in as the codes of its
// UTF-8 bytes.
void AppendUnitCode(std::string& out, char32_t u) {
  if (const unsigned code = Codes().CodeOf(u)) {
    AppendCode(out, code);
    return;
  }
  std::string bytes;
  AppendUtf8(bytes, u);
  for (unsigned char b : bytes) AppendCode(out, Codes().CodeOf(kByteUnit + b));
}

bool IsValidUtf8(std::string_view s) {
  for (size_t i = 0; i < s.size();) {
    char32_t c;
    size_t n;
    if (!DecodeUtf8(s, i, &c, &n)) return false;
    i += n;
  }
  return true;
}

// What a piece of a Shift-JIS name is.
enum class Piece {
  kAscii,      // one byte below 0x80
  kCharacter,  // a character of code page 932 (one byte or a pair), outside the user-defined area
  kUserCode,   // a pair of the user-defined area
  kStrayByte,  // a byte that starts no character
};

// Calls f(piece, unit, bytes) for each piece of the name, in order. A user-defined code no name
// has taken is given its own private-use character when `take` is set, else 0.
template <class F>
void ForEachPiece(std::string_view sjis, bool take, F f) {
  for (size_t i = 0; i < sjis.size();) {
    const unsigned char b = static_cast<unsigned char>(sjis[i]);
    if (b < 0x80) {
      f(Piece::kAscii, static_cast<char32_t>(b), sjis.substr(i, 1));
      ++i;
      continue;
    }
    if (IsSjisLeadByte(b) && i + 1 < sjis.size() && IsSjisTrailByte(static_cast<unsigned char>(sjis[i + 1]))) {
      const unsigned code = b << 8 | static_cast<unsigned char>(sjis[i + 1]);
      if (IsUserCode(code)) {
        f(Piece::kUserCode, take ? Codes().UnitOf(code) : Codes().Peek(code), sjis.substr(i, 2));
        i += 2;
        continue;
      }
      if (const char32_t c = Cp932ToUnicode(code)) {
        f(Piece::kCharacter, c, sjis.substr(i, 2));
        i += 2;
        continue;
      }
    } else if (const char32_t c = Cp932ToUnicode(b)) {
      f(Piece::kCharacter, c, sjis.substr(i, 1));
      ++i;
      continue;
    }
    f(Piece::kStrayByte, kByteUnit + b, sjis.substr(i, 1));
    ++i;
  }
}

// A unit as it goes to the disk: a byte as itself, a character in UTF-8; in the raw Shift-JIS
// form a private-use character as its user-defined code.
void AppendUnitToDisk(std::string& out, char32_t u, bool raw) {
  if (IsByteUnit(u)) {
    out.push_back(static_cast<char>(u - kByteUnit));
  } else if (raw && u >= kPrivateFirst && u < kPrivateFirst + kUserCodeCount) {
    AppendCode(out, UserCodeAt(u - kPrivateFirst));
  } else {
    AppendUtf8(out, u);
  }
}

std::string ToDisk(std::string_view sjis, bool raw) {
  std::string out;
  out.reserve(sjis.size() * 3 / 2);
  ForEachPiece(sjis, true, [&](Piece piece, char32_t u, std::string_view bytes) {
    if (piece == Piece::kAscii || piece == Piece::kStrayByte || (raw && piece == Piece::kCharacter)) {
      out.append(bytes);
    } else {
      AppendUnitToDisk(out, u, raw);
    }
  });
  return out;
}

// Maps the names between separators with f, keeping the separators.
template <class IsSeparator, class F>
std::string EachName(std::string_view path, IsSeparator isSeparator, F f) {
  std::string out;
  size_t start = 0;
  for (size_t i = 0; i <= path.size(); ++i) {
    if (i < path.size() && !isSeparator(path[i])) continue;
    out += f(path.substr(start, i - start));
    if (i < path.size()) out.push_back(path[i]);
    start = i + 1;
  }
  return out;
}

char32_t Fold(char32_t c) {
  if (c >= 'A' && c <= 'Z') return c + 0x20;
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 0x20;
  if (c >= 0x391 && c <= 0x3A9 && c != 0x3A2) return c + 0x20;
  if (c >= 0x410 && c <= 0x42F) return c + 0x20;
  if (c >= 0x400 && c <= 0x40F) return c + 0x50;
  if (c >= 0xFF21 && c <= 0xFF3A) return c + 0x20;
  return c;
}

}  // namespace

std::string DiskNameToSjis(std::string_view disk) {
  std::string out;
  out.reserve(disk.size());
  if (IsValidUtf8(disk)) {
    for (size_t i = 0; i < disk.size();) {
      char32_t c;
      size_t n;
      DecodeUtf8(disk, i, &c, &n);
      i += n;
      const unsigned code = c == '\\' ? 0 : UnicodeToCp932(c);
      if (c != '\\' && c < 0x80) {
        out.push_back(static_cast<char>(c));
      } else if (code && !IsUserCode(code)) {
        AppendCode(out, code);
      } else {
        AppendUnitCode(out, c);
      }
    }
    return out;
  }
  // Raw Shift-JIS: what is a character of code page 932 keeps its bytes.
  ForEachPiece(disk, false, [&](Piece piece, char32_t u, std::string_view bytes) {
    if (piece == Piece::kUserCode) {
      AppendUnitCode(out, kPrivateFirst + UserCodeIndex(static_cast<unsigned char>(bytes[0]) << 8 |
                                                        static_cast<unsigned char>(bytes[1])));
    } else if (piece == Piece::kStrayByte || u == '\\') {
      AppendUnitCode(out, u);
    } else {
      out.append(bytes);
    }
  });
  return out;
}

std::string DiskPathToSjis(std::string_view disk) {
  return EachName(disk, [](char c) { return c == '/'; }, DiskNameToSjis);
}

std::string ArgumentPathToSjis(std::string_view arg) {
  return EachName(arg, [](char c) { return c == '/' || c == '\\'; }, DiskNameToSjis);
}

std::string DiskNameToUtf8(std::string_view disk) { return SjisToUtf8(DiskPathToSjis(disk)); }

std::string SjisNameToDisk(std::string_view sjis) { return ToDisk(sjis, false); }

std::string SjisNameToRawDisk(std::string_view sjis) { return ToDisk(sjis, true); }

bool HasUnmetUserCode(std::string_view sjis) {
  bool unmet = false;
  ForEachPiece(sjis, false, [&](Piece piece, char32_t u, std::string_view) {
    if (piece == Piece::kUserCode && u == 0) unmet = true;
  });
  return unmet;
}

std::u32string FoldedName(std::string_view sjis) {
  std::u32string out;
  out.reserve(sjis.size());
  ForEachPiece(sjis, true, [&](Piece, char32_t u, std::string_view) { out.push_back(Fold(u)); });
  return out;
}

char32_t UserCodeShown(unsigned code) {
  const char32_t u = Codes().Peek(code);
  if (!u) return kPrivateFirst + UserCodeIndex(code);
  return IsByteUnit(u) ? U'\uFFFD' : u;
}
