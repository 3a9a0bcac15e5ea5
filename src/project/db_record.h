// What the records of the game database share.
#pragma once

#include <cstdint>
#include <cstdio>

#include "core/save_record.h"

// Files older than data version 153 may hold any value in the spare field of the database
// records; it is cleared when such a file is read.
inline void ClearSpareOfOldFile(int32_t& spare) {
  if (g_nFileVersion < 153) spare = 0;
}

// A list of records inside a record: uint32 count, then the bodies. Reading empties the list
// and fills it with that many records in their constructor state, each read over; a count the
// file cannot hold leaves the list empty, and a failed read stops the list.
template <class T>
void ReadRecordList(cSafeVector<T>& list, FILE* fp) {
  list.clear();
  uint32_t n = 0;
  if (!ReadRecordCount(fp, n, MIN_RECORD_BYTES)) return;
  list.resize(n);
  for (T& record : list) {
    record.Load(fp);
    if (RecordStreamFailed(fp)) break;
  }
}

template <class T>
void WriteRecordList(cSafeVector<T>& list, FILE* fp) {
  WriteRecordValue(fp, static_cast<uint32_t>(list.size()));
  for (T& record : list) record.Save(fp);
}
