// Code page 932 (Shift-JIS), the system's texts, and their conversion to the UTF-8 of what a
// person reads: window titles, message boxes, dialogs, standard error. File names go to and
// from the disk through disk_name.h, which keeps them whole.
#pragma once

#include <string>
#include <string_view>

// True when byte c can start a two-byte Shift-JIS character.
inline bool IsSjisLeadByte(unsigned char c) {
  return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// True when byte c can end a two-byte Shift-JIS character.
inline bool IsSjisTrailByte(unsigned char c) {
  return (c >= 0x40 && c <= 0x7E) || (c >= 0x80 && c <= 0xFC);
}

// The user-defined area of code page 932 (0xF040-0xF9FC): 1880 codes.
constexpr unsigned kUserCodeFirst = 0xF040;
constexpr unsigned kUserCodeLast = 0xF9FC;
constexpr unsigned kUserCodeCount = 1880;
inline bool IsUserCode(unsigned code) {
  return code >= kUserCodeFirst && code <= kUserCodeLast && IsSjisTrailByte(static_cast<unsigned char>(code & 0xFF));
}
// The n-th code of the user-defined area (0 <= n < kUserCodeCount), and back.
unsigned UserCodeAt(unsigned n);
unsigned UserCodeIndex(unsigned code);

// The character of a one-byte code (below 0x100) or of a lead and trail byte pair (lead << 8 |
// trail); 0 when the code is no character of code page 932 (0x80, 0xA0, 0xFD-0xFF, a pair
// outside its table). The user-defined area gives the private-use characters U+E000-U+E757.
char32_t Cp932ToUnicode(unsigned code);

// The code of a character in code page 932 (one byte below 0x100, else a pair), only when that
// code gives the same character back; 0 when there is none (U+00A5, for one, has no code of its
// own: 0x5C is the backslash).
unsigned UnicodeToCp932(char32_t c);

// The system's text as UTF-8, always valid: a name's user-defined code shows the character it
// stands for (disk_name.h), a byte that is no character shows as U+FFFD.
std::string SjisToUtf8(std::string_view sjis);

// Text typed or pasted (UTF-8) as the system's text: a character that code page 932 cannot hold
// becomes '?'.
std::string Utf8ToSjis(std::string_view utf8);

// Appends the UTF-8 of the code point c.
void AppendUtf8(std::string& out, char32_t c);

// Decodes the UTF-8 character at s[i]: its code point and length in *n; false (with *n 1) for a
// byte that starts no valid character (a stray byte, an overlong form, a surrogate).
bool DecodeUtf8(std::string_view s, size_t i, char32_t* c, size_t* n);
