#include "app/system_ini.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/file.h"
#include "project/system_data.h"

SYSTEMINI g_SystemIni;

namespace {

// The defaults of the ten keys when the table lacks an entry.
constexpr int32_t kBuiltInNumbers[8] = {2, 0, 0, 2, 0, 1, 0, 1};

int32_t* NumberField(SYSTEMINI* lpIni, int index) {
  int32_t* const fields[SYSTEMINI_KEY_COUNT] = {
      &lpIni->Direct3D,      &lpIni->WindowMode,   &lpIni->Bpp,     &lpIni->VSync, &lpIni->D3D_FontCache,
      &lpIni->DD_FontCache, &lpIni->DD_VideoStretch, &lpIni->ShowFps, nullptr,       &lpIni->English};
  return fields[index];
}

void SetFreeStage(SYSTEMINI* lpIni, const std::string& text) {
  const size_t n = text.size() < sizeof(lpIni->FreeStage) ? text.size() : sizeof(lpIni->FreeStage) - 1;
  std::memcpy(lpIni->FreeStage, text.data(), n);
  lpIni->FreeStage[n] = '\0';
}

// Adds a character to a key or value, dropping what does not fit the reader's buffer.
void Append(std::string& s, int c) {
  if (s.size() < SYSTEMINI_BUFFER - 1) s.push_back(static_cast<char>(c));
}

void ApplyEntry(SYSTEMINI* lpIni, const cSafeVector<IniKeyEntry>& keys, const std::string& key, std::string value) {
  const int n = static_cast<int>(keys.size()) < SYSTEMINI_KEY_COUNT ? static_cast<int>(keys.size()) : SYSTEMINI_KEY_COUNT;
  for (int i = 0; i < n; ++i) {
    if (keys[static_cast<size_t>(i)].m_strKey != key) continue;
    if (i == SYSTEMINI_KEY_FREESTAGE) {
      // A carriage return of a Windows line end is not part of the file name.
      if (!value.empty() && value.back() == '\r') value.pop_back();
      if (value.size() >= 2 && value.size() < sizeof(lpIni->FreeStage)) SetFreeStage(lpIni, value);
    } else {
      *NumberField(lpIni, i) = std::atoi(value.c_str());
    }
    return;
  }
}

}  // namespace

void SetSystemIniDefaults(SYSTEMINI* lpIni, const cSafeVector<IniKeyEntry>& keys) {
  for (int i = 0; i < 8; ++i) {
    *NumberField(lpIni, i) =
        static_cast<size_t>(i) < keys.size() ? keys[static_cast<size_t>(i)].m_nDefault : kBuiltInNumbers[i];
  }
  SetFreeStage(lpIni, keys.size() > SYSTEMINI_KEY_FREESTAGE ? keys[SYSTEMINI_KEY_FREESTAGE].m_strDefault : std::string());
  lpIni->English = 0;
}

int ReadSystemIni(const char* lpszPath, SYSTEMINI* lpIni, const cSafeVector<IniKeyEntry>& keys) {
  FILE* fp = FileOpen(lpszPath, "rb");
  if (!fp) return 0;
  auto finish = [fp](int result) {
    std::fclose(fp);
    return result;
  };
  std::string key;
  std::string value;
  for (int entry = 0; entry < SYSTEMINI_MAX_ENTRIES; ++entry) {
    key.clear();
    bool hasValue = false;
    for (;;) {
      const int c = std::fgetc(fp);
      if (c == EOF) return finish(0);
      if (c == ' ' || c == '\t' || c == '\r') continue;
      if (c == '=') {
        hasValue = true;
        break;
      }
      if (c == '\0') return finish(1);
      if (c == '\n') {
        if (key == "Exit") return finish(1);
        break;
      }
      Append(key, c);
    }
    if (!hasValue) continue;
    value.clear();
    for (;;) {
      const int c = std::fgetc(fp);
      if (c == EOF) return finish(0);
      if (c == '\0' || c == '\t' || c == '\n' || c == ' ' || c == '/') break;
      Append(value, c);
    }
    ApplyEntry(lpIni, keys, key, value);
  }
  return finish(1);
}
