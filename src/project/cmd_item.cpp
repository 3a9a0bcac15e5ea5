#include "project/cmd_item.h"

void cCmdItem::RegisterFields(int version) {
  AddField(&m_bEnable);
  AddStringField(&m_strName);
}
