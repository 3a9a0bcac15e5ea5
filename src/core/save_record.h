// The record base of every persistent record, and the record file.
//
// A record describes its own members to the base as two lists, rebuilt for a given data
// version by RegisterFields: the plain fields (runs of equally sized little-endian elements)
// and the string members. On that description the base reads and writes the record's body,
// clears it and copies it. A record file is an int32 data version followed by the body of
// one top-level record:
//
//   int32 N, then the N registered fields' bytes in registration order,
//   int32 M, then per string an int32 length that counts the terminating zero
//   (1 = empty, no bytes follow) and the text with its zero,
//   then whatever the derived class appends (lists as a uint32 count and the elements,
//   optional sub-records as a uint32 presence flag and the body).
//
// Reading is bounded by the bytes the file holds: a read past the end marks the stream
// failed, the record being read stops there and keeps its remaining members, and a count
// larger than the bytes left could hold is refused the same way.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <type_traits>

#include "core/safe_container.h"

class cSaveRecord;

// The program's current data version.
constexpr int DATA_VERSION = 790;

// The data version of the program (790).
extern int g_nDataVersion;
// The data version read from the head of the record file being read.
extern int g_nFileVersion;
// 1 when the last file opened for reading was refused as newer than the program.
extern int g_bFileTooNew;
// When set, carriage returns are removed from loaded strings.
extern int g_bStripCR;

// One entry of a record's field list.
struct cSaveField {
  cSaveRecord* lpOwner = nullptr;
  void* lpData = nullptr;
  int32_t nCount = 0;
  int8_t bySize = 0;
};

// One entry of a record's string list.
struct cSaveStringField {
  cSaveRecord* lpOwner = nullptr;
  std::string* lpString = nullptr;
};

class cSaveRecord {
 public:
  cSaveRecord() = default;
  // A copy starts with empty lists: the lists describe the record's own members and are
  // rebuilt before every use. The derived class copies its members one by one.
  cSaveRecord(const cSaveRecord& src);
  cSaveRecord& operator=(const cSaveRecord& src);
  virtual ~cSaveRecord() = default;

  // Called on the source of every copy with the current data version; empty everywhere.
  virtual void PreCopy(int version) const {}
  // Appends the entries of the members that files of that data version hold, in file
  // order. The base empties both lists before calling it.
  virtual void RegisterFields(int version) {}
  // Reads and writes the record's body.
  virtual void Load(FILE* fp);
  virtual void Save(FILE* fp);

  // Every registered field to zero bytes and every registered string to the empty text.
  void Clear();
  // Copies the registered fields and strings of a record of the same class.
  void CopyFrom(const cSaveRecord& src);

  void LoadStrings(FILE* fp);
  void SaveStrings(FILE* fp);
  // Removes every carriage return from every registered string.
  void StripCR();

  // Reads or writes a whole record file; 1 or 0. A file that ends early or holds counts it
  // cannot hold reads as far as it goes and gives 0.
  int LoadFile(const char* path);
  int SaveFile(const char* path);

  // Rebuilds the lists for a data version (ClearFields, then RegisterFields).
  void Register(int version);
  int GetFieldCount() const { return static_cast<int>(m_vField.size()); }
  int GetStringCount() const { return static_cast<int>(m_vString.size()); }
  // The number of bytes the registered fields take in a file.
  int GetFieldBytes() const;

 protected:
  // Registration primitives, for RegisterFields.
  template <class T>
  void AddField(T* member, int count = 1) {
    static_assert(std::is_arithmetic_v<T> || std::is_enum_v<T>, "fields are plain numbers");
    static_assert(sizeof(T) == 1 || sizeof(T) == 2 || sizeof(T) == 4 || sizeof(T) == 8, "fields are 1, 2, 4 or 8 bytes");
    AddFieldRaw(member, count, static_cast<int>(sizeof(T)));
  }
  void AddStringField(std::string* member);
  void ClearFields();

 private:
  void AddFieldRaw(void* data, int count, int size);
  void ReadFields(FILE* fp);

  cSafeVector<cSaveField> m_vField;
  cSafeVector<cSaveStringField> m_vString;
};

// Record files. OpenRecordFileRead opens a file and reads its version into g_nFileVersion;
// a file newer than the program (the version compared unsigned), or shorter than its four
// version bytes, is refused (null). A null or empty path opens the file "err".
FILE* OpenRecordFileRead(const char* path);
// Why a record file could not be read, in a few words for a person (English): the system's
// reason it does not open ("No such file or directory"), "made by a newer version of the program",
// or "damaged or cut short".
std::string RecordFileProblem(const char* path);
// Creates the file and writes g_nDataVersion. The bytes go to a temporary file beside it,
// which CloseRecordFile puts in the file's place only when everything was written.
FILE* OpenRecordFileWrite(const char* path);
// Closes a non-null stream; 0 when a file being written could not be completed (the old
// file is then left as it was).
int CloseRecordFile(FILE* fp);

// Bounded reading, for the Load overrides of derived classes.
// Reads n bytes; false, with the stream marked failed, when fewer remain.
bool ReadRecordBytes(FILE* fp, void* data, size_t n);
template <class T>
bool ReadRecordValue(FILE* fp, T& value) {
  return ReadRecordBytes(fp, &value, sizeof value);
}
// Reads a uint32 list count; false (stream failed) when it cannot be read or when the bytes
// left could not hold that many elements of at least minElementSize bytes.
bool ReadRecordCount(FILE* fp, uint32_t& count, size_t minElementSize);
// True once a read ran past the end or a count was refused.
bool RecordStreamFailed(FILE* fp);
void FailRecordStream(FILE* fp);
// The bytes between the read position and the end of the file.
long long RecordBytesLeft(FILE* fp);

// Writing, for the Save overrides of derived classes.
void WriteRecordBytes(FILE* fp, const void* data, size_t n);
template <class T>
void WriteRecordValue(FILE* fp, const T& value) {
  WriteRecordBytes(fp, &value, sizeof value);
}

// Tests: the record files being written may take this many more bytes in all; the write that
// would go beyond is cut there and its file then fails to close (the old file stays), as on a
// full disk. A negative number (the start) lifts the limit.
void SetRecordWriteLimitForTests(long long bytes);

// The smallest size of a record body in a file (the field count and the string count), for
// ReadRecordCount of lists of records.
constexpr size_t MIN_RECORD_BYTES = 8;
