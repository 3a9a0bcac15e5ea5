// The arrangeable parameters of each flow-command kind: label, smallest and largest value an
// arrange entry may give. The position in a kind's list is the parameter index of the entry.
#pragma once

#include <cstdint>
#include <string>

#include "core/safe_container.h"

class cCmdParamDef {
 public:
  std::string m_strLabel;
  int32_t m_nMin = 0;
  int32_t m_nMax = 0;

  void Set(const char* label, int32_t nMin, int32_t nMax);
};

// 40 lists, one per flow kind; filled at start-up.
extern cSafeVector<cSafeVector<cCmdParamDef>> g_vCmdParamDef;

void BuildCommandParamTable();
