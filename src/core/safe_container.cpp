#include "core/safe_container.h"

#include <string>

#include "core/log.h"
#include "core/shell_link.h"
#include "core/text.h"
#include "platform/message.h"

namespace {

void Report(const char* format, int index, size_t size, size_t elemSize) {
  std::string text;
  FormatString(text, format, index, static_cast<int>(size), static_cast<int>(elemSize));
  ErrorLogWrite(text.c_str());
  ReportLog("%s", text.c_str());
  PostMessageA(g_hWnd, WM_CLOSE, 0, 0);
}

}  // namespace

void ReportVectorIndexError(int index, size_t size, size_t elemSize) {
  Report("err V[%d] ( %d , %d )", index, size, elemSize);
}

void ReportListIndexError(int index, size_t size, size_t elemSize) {
  Report("err L[%d] ( %d , %d )", index, size, elemSize);
}
