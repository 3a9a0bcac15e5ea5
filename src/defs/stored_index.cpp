#include "defs/stored_index.h"

#include "core/log.h"

void LogStoredClamp(const char* record, const char* member, int value, int clamped) {
  ReportLog("%s: %s %d is out of range and was set to %d", record, member, value, clamped);
}

void ClampStoredIndex(uint8_t& value, int max, const char* record, const char* member) {
  ClampStoredRange(value, 0, max, record, member);
}
