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

// Reads count record bodies over the first entries of the list: surplus entries are removed,
// missing ones are appended in their constructor state one at a time, so a hostile count costs
// no more memory than the records the file really holds. A failed read stops the list there.
template <class T>
void ReadRecordsOver(cSafeVector<T>& list, uint32_t count, FILE* fp) {
  if (list.size() > count) list.resize(count);
  for (uint32_t i = 0; i < count; ++i) {
    if (i == list.size()) list.emplace_back();
    list[i].Load(fp);
    if (RecordStreamFailed(fp)) break;
  }
}

// A list of records inside a record: uint32 count, then the bodies. Reading empties the list
// and reads that many records, each starting in its constructor state; a count the file cannot
// hold leaves the list empty.
template <class T>
void ReadRecordList(cSafeVector<T>& list, FILE* fp) {
  list.clear();
  uint32_t n = 0;
  if (ReadRecordCount(fp, n, MIN_RECORD_BYTES)) ReadRecordsOver(list, n, fp);
}

template <class T>
void WriteRecordList(cSafeVector<T>& list, FILE* fp) {
  WriteRecordValue(fp, static_cast<uint32_t>(list.size()));
  for (T& record : list) record.Save(fp);
}
