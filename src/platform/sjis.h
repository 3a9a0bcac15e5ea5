// Conversion between the system's Shift-JIS (code page 932) texts and the UTF-8 of the
// platform edge: file names, window titles, message boxes and fonts.
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

// Shift-JIS to UTF-8. A byte sequence that is not valid code page 932 is passed through
// byte by byte, so that every stored name still maps to one definite name on disk.
std::string SjisToUtf8(std::string_view sjis);

// UTF-8 to Shift-JIS. A character that code page 932 cannot hold becomes '?'.
std::string Utf8ToSjis(std::string_view utf8);
