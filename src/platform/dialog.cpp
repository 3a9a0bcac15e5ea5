#include "platform/dialog.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <utility>

namespace {

// The texts of dialog controls, by dialog and control number.
std::mutex g_mutex;
std::map<std::pair<HWND, int>, std::string> g_texts;

}  // namespace

UINT GetDlgItemTextA(HWND hDlg, int nIDDlgItem, char* lpString, int nMaxCount) {
  if (!lpString || nMaxCount <= 0) return 0;
  std::lock_guard<std::mutex> lock(g_mutex);
  auto it = g_texts.find({hDlg, nIDDlgItem});
  std::string text = it == g_texts.end() ? std::string() : it->second;
  size_t n = std::min(text.size(), static_cast<size_t>(nMaxCount - 1));
  std::memcpy(lpString, text.data(), n);
  lpString[n] = 0;
  return static_cast<UINT>(n);
}

BOOL SetDlgItemTextA(HWND hDlg, int nIDDlgItem, const char* lpString) {
  std::lock_guard<std::mutex> lock(g_mutex);
  g_texts[{hDlg, nIDDlgItem}] = lpString ? lpString : "";
  return TRUE;
}
