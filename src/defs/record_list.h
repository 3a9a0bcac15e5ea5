// The lists of records inside a record's file form: a uint32 count, then the elements' bodies.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <utility>

#include "core/save_record.h"

// Empties the list and reads a count and that many elements (new elements are default records).
// A count that the bytes left could not hold with minElementBytes each is refused (the stream
// fails and the list stays empty); reading stops at the first element that fails.
template <class T>
void LoadRecordList(cSafeVector<T>& list, FILE* fp, size_t minElementBytes = MIN_RECORD_BYTES) {
  list.clear();
  uint32_t n = 0;
  if (!ReadRecordCount(fp, n, minElementBytes)) return;
  list.resize(n);
  for (T& element : list) {
    element.Load(fp);
    if (RecordStreamFailed(fp)) break;
  }
}

template <class T>
void SaveRecordList(cSafeVector<T>& list, FILE* fp) {
  WriteRecordValue(fp, static_cast<uint32_t>(list.size()));
  for (T& element : list) element.Save(fp);
}

// A list of plain values (bytes, int32 numbers, ...): a uint32 count, then the values. The list
// takes the stored count once the count is read (new values 0); a count the bytes left could not
// hold fails the stream and leaves the list as it was.
template <class T>
void LoadValueList(cSafeVector<T>& list, FILE* fp) {
  uint32_t n = 0;
  if (!ReadRecordCount(fp, n, sizeof(T))) return;
  list.assign(n, T());
  if (n) ReadRecordBytes(fp, list.data(), n * sizeof(T));
}

template <class T>
void SaveValueList(const cSafeVector<T>& list, FILE* fp) {
  WriteRecordValue(fp, static_cast<uint32_t>(list.size()));
  if (!list.empty()) WriteRecordBytes(fp, list.data(), list.size() * sizeof(T));
}

// The destination becomes a copy of the source, element by element. The copy is made before the
// destination changes, so the source may lie inside the destination's own elements.
template <class T>
void AssignRecordList(cSafeVector<T>& dst, const cSafeVector<T>& src) {
  if (&dst == &src) return;
  cSafeVector<T> copy(src);
  dst = std::move(copy);
}
