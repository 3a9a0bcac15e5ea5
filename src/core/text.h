// Functions for the system's texts: Shift-JIS held in std::string, cut at the first zero byte.
#pragma once

#include <cstdint>
#include <string>

#include "platform/wintypes.h"

#define TW_PRINTF(fmt, args) __attribute__((format(printf, fmt, args)))

// printf-style formatting; the result (at most 5119 bytes) replaces out.
void FormatString(std::string& out, const char* format, ...) TW_PRINTF(2, 3);
// The same, appending the result to text.
void AppendFormat(std::string& text, const char* format, ...) TW_PRINTF(2, 3);

// The length in bytes of the text up to its first zero byte.
int StrLength(const std::string& text);

// count bytes of the text from start (see the .cpp for the rules on odd arguments).
std::string StrMid(const std::string& text, int start, int count);

// 1 when the byte at p is a Shift-JIS lead byte and the next byte a trail byte.
int IsDbcsPair(const char* p);

// The number of characters: a lead/trail pair counts 1, a line feed 0, any other byte 1.
int CountChars(const char* text);

// The text of a dialog control (at most maximum − 1 bytes, maximum at most 5120).
void GetDlgItemString(HWND hDlg, int id, std::string& out, int maximum);
void SetDlgItemString(HWND hDlg, int id, const std::string& text);

// The decimal digits of v, the sign not counted: 1 for 0, at most 10.
int CountDigits(int32_t v);
// v in at least width characters (its own digits when width is smaller): zero-padded, or with
// blanks in front when bZeroPad is 0; "-" in front of a negative value, "+" in front of the
// others when bPlus is set.
void FormatSignedNumber(std::string& out, int32_t v, int width, int bZeroPad, int bPlus);
