// A menu entry: whether it is offered and its name. The menus of the title, save and options
// screens are lists of them held by the system settings, which store them in "data\System.dat";
// the screens and the in-game menu work on those lists.
#pragma once

#include <cstdint>
#include <string>

#include "core/save_record.h"

class cCmdItem : public cSaveRecord {
 public:
  // 1: the entry is offered.
  uint32_t m_bEnable = 1;
  std::string m_strName;

  // Enabled, with an empty name.
  cCmdItem() {
    Register(DATA_VERSION);
    Clear();
    m_bEnable = 1;
  }

  // The same in every data version: the flag, then the name as the one string.
  void RegisterFields(int version) override;
};
