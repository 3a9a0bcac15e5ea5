#include "defs/stored_index.h"

#include "core/log.h"

void ClampStoredIndex(uint8_t& value, int max, const char* record, const char* member) {
  if (value <= max) return;
  ReportLog("%s: %s %d is out of range and was set to %d", record, member, value, max);
  value = static_cast<uint8_t>(max);
}
