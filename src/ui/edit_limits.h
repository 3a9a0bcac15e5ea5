// The limits an edit control keeps its text within: the total size, the longest line and the
// number of lines, in bytes or in characters (a Shift-JIS lead and trail byte count as one, a
// line feed as none). Lines are separated by CR LF.
#pragma once

#include <string>

struct EditLimits {
  int maxTotal = 4096;
  int maxLine = 1024;
  int maxLines = 32;
  int countChars = 0;
};

// The result of a change: the text the control keeps, the selection, and whether the
// selection is set (not while the text is first brought within the limits).
struct EditChange {
  std::string text;
  int selStart = 0;
  int selEnd = 0;
  bool setSelection = true;
};

// The read maximum of the control's text (it counts the terminating zero): 2 × total − 1
// when counting characters, else the total.
int EditReadMaximum(const EditLimits& limits);

// A changed text brought within the limits. last is the text accepted before, text the
// control's text as read (cut to the read maximum), (selStart, selEnd) the selection after
// the change, backspace whether Backspace is held, init whether the initial text is being
// brought within the limits (a text with too many lines is then cut from its end, by at most
// one line's length). A line that grows too long is broken after the part that fits and its
// rest joined to the following line; a change that leaves too many lines is refused (the last
// text comes back); joining two lines with Backspace while the first is full is undone.
EditChange ApplyEditLimits(const EditLimits& limits, const std::string& last, const std::string& text, int selStart,
                           int selEnd, bool backspace, bool init);
