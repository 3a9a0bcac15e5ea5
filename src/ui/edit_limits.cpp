#include "ui/edit_limits.h"

#include <algorithm>

#include "core/text.h"

namespace {

int Length(const EditLimits& limits, const std::string& s) {
  return limits.countChars ? CountChars(s.c_str()) : static_cast<int>(s.size());
}

int LineCount(const std::string& s) {
  if (s.empty()) return 0;
  return 1 + static_cast<int>(std::count(s.begin(), s.end(), '\n'));
}

// The most bytes one cut may remove: a line's length in bytes.
int CutBound(const EditLimits& limits) { return limits.countChars ? 2 * limits.maxLine : limits.maxLine; }

}  // namespace

int EditReadMaximum(const EditLimits& limits) {
  return limits.countChars ? 2 * limits.maxTotal - 1 : limits.maxTotal;
}

EditChange ApplyEditLimits(const EditLimits& limits, const std::string& last, const std::string& text, int selStart,
                           int selEnd, bool backspace, bool init) {
  EditChange out;
  out.text = text;
  out.setSelection = !init;
  const int readStart = selStart, readEnd = selEnd;
  int s = selStart, e = selEnd;
  std::string& t = out.text;
  auto finish = [&]() -> EditChange& {
    out.selStart = s;
    out.selEnd = e;
    return out;
  };
  if (limits.maxLines <= 0 && limits.maxLine <= 0) return finish();

  // Backspace that joins a line to a full line before it: the break comes back.
  if (backspace && s == e && t.size() + 2 == last.size() && LineCount(t) < LineCount(last)) {
    std::string p = last.substr(0, std::min<size_t>(static_cast<size_t>(std::max(s, 0)), last.size()));
    const size_t cr = p.rfind('\r');
    if (cr != std::string::npos) p = p.substr(cr);
    if (Length(limits, p) >= limits.maxLine) {
      t = last;
      return finish();
    }
  }

  // Lines that grew too long are broken after the part that fits.
  if (limits.maxLines > 0) {
    size_t pos = 0;
    for (int line = 0; line < limits.maxLines && pos <= t.size(); ++line) {
      size_t end = t.find('\r', pos);
      if (end == std::string::npos) end = t.size();
      std::string part = t.substr(pos, end - pos);
      if (Length(limits, part) > limits.maxLine) {
        for (int cut = 0; cut < CutBound(limits) && !part.empty() && Length(limits, part) > limits.maxLine; ++cut) {
          part.pop_back();
        }
        const size_t at = pos + part.size();
        t.insert(at, "\r\n");
        if (s >= static_cast<int>(at)) s += 2;
        if (e >= static_cast<int>(at)) e += 2;
        const size_t next = t.find("\r\n", at + 2);
        if (next != std::string::npos) t.erase(next, 2);
      }
      const size_t brk = t.find("\r\n", pos);
      if (brk == std::string::npos) break;
      pos = brk + 2;
    }
  }

  // Too many lines: the change is refused (the initial text is cut instead).
  if (LineCount(t) > limits.maxLines) {
    t = last;
    if (init) {
      for (int cut = 0; cut < CutBound(limits) && !t.empty() && Length(limits, t) > limits.maxLine; ++cut) t.pop_back();
      return finish();
    }
    s = readStart;
    e = readEnd;
  }

  // The caret never rests between CR and LF.
  const int n = static_cast<int>(t.size());
  if (s >= 0 && s < n && t[static_cast<size_t>(s)] == '\n') ++s;
  if (e >= 0 && e < n && t[static_cast<size_t>(e)] == '\n') ++e;
  s = std::clamp(s, 0, n);
  e = std::clamp(e, 0, n);
  return finish();
}
