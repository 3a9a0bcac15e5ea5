#include "core/save_record.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <map>
#include <mutex>
#include <vector>

#include "platform/file.h"

int g_nDataVersion = DATA_VERSION;
int g_nFileVersion = 0;
int g_bFileTooNew = 0;
int g_bStripCR = 0;

namespace {

// Texts up to this length are read without asking how many bytes the file has left.
constexpr uint32_t kSmallRead = 4096;

// Files being written: the temporary file's stream and the name it takes on success.
struct PendingWrite {
  std::string temp;
  std::string final;
  // A write was cut short (the test limit below): the file is not complete.
  bool failed = false;
};
std::mutex g_writeMutex;
std::map<FILE*, PendingWrite> g_pendingWrites;
// Bytes the files being written may still take; negative: no limit.
std::atomic<long long> g_writeLimit{-1};

// Creates the temporary file a record file is written to. A file or link left at that name
// (by a crash, or put there by someone else) is removed first and the file is then created
// anew, exclusively and without following a link: the bytes never go into a file this write
// did not create.
FILE* CreateTempFile(const std::string& path) {
  if (unlink(path.c_str()) != 0 && errno != ENOENT) return nullptr;
  int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
  if (fd < 0) return nullptr;
  FILE* fp = fdopen(fd, "wb");
  if (!fp) {
    close(fd);
    unlink(path.c_str());
  }
  return fp;
}

// Re-registers a record for the program's version when it leaves scope, whatever path its
// reading took.
struct RegisterOnExit {
  cSaveRecord* record;
  ~RegisterOnExit() {
    if (g_nFileVersion != g_nDataVersion) record->Register(g_nDataVersion);
  }
};

void CutAtZero(std::string& s) {
  size_t z = s.find('\0');
  if (z != std::string::npos) s.resize(z);
}

}  // namespace

// ---- Bounded reading and writing ----

long long RecordBytesLeft(FILE* fp) {
  struct stat st;
  if (fstat(fileno(fp), &st) != 0) return 0;
  long pos = std::ftell(fp);
  if (pos < 0) return 0;
  long long left = static_cast<long long>(st.st_size) - pos;
  return left > 0 ? left : 0;
}

void FailRecordStream(FILE* fp) {
  // The end-of-file flag marks the failure: every later read fails too.
  std::fseek(fp, 0, SEEK_END);
  std::fgetc(fp);
}

bool RecordStreamFailed(FILE* fp) { return std::feof(fp) || std::ferror(fp); }

bool ReadRecordBytes(FILE* fp, void* data, size_t n) {
  if (n == 0) return !RecordStreamFailed(fp);
  if (RecordStreamFailed(fp)) return false;
  // Read into a buffer first, so a short read leaves the destination as it was.
  unsigned char small[256];
  std::vector<unsigned char> large;
  unsigned char* buf = small;
  if (n > sizeof small) {
    if (n > kSmallRead && static_cast<unsigned long long>(RecordBytesLeft(fp)) < n) {
      FailRecordStream(fp);
      return false;
    }
    large.resize(n);
    buf = large.data();
  }
  if (std::fread(buf, 1, n, fp) != n) {
    FailRecordStream(fp);
    return false;
  }
  std::memcpy(data, buf, n);
  return true;
}

bool ReadRecordCount(FILE* fp, uint32_t& count, size_t minElementSize) {
  uint32_t n;
  if (!ReadRecordValue(fp, n)) return false;
  if (minElementSize > 0 && static_cast<unsigned long long>(n) * minElementSize >
                                static_cast<unsigned long long>(RecordBytesLeft(fp))) {
    FailRecordStream(fp);
    return false;
  }
  count = n;
  return true;
}

void WriteRecordBytes(FILE* fp, const void* data, size_t n) {
  if (!n) return;
  long long limit = g_writeLimit.load();
  if (limit >= 0) {
    if (static_cast<long long>(n) > limit) {
      // The disk is full: what fits is written, the rest is lost, the file is not complete.
      if (limit > 0) std::fwrite(data, 1, static_cast<size_t>(limit), fp);
      g_writeLimit = 0;
      std::lock_guard<std::mutex> lock(g_writeMutex);
      auto it = g_pendingWrites.find(fp);
      if (it != g_pendingWrites.end()) it->second.failed = true;
      return;
    }
    g_writeLimit = limit - static_cast<long long>(n);
  }
  std::fwrite(data, 1, n, fp);
}

void SetRecordWriteLimitForTests(long long bytes) { g_writeLimit = bytes < 0 ? -1 : bytes; }

// ---- Record files ----

FILE* OpenRecordFileRead(const char* path) {
  char name[MAX_PATH];
  std::snprintf(name, sizeof name, "%s", path && *path ? path : "err");
  FILE* fp = FileOpen(name, "rb");
  if (!fp) return nullptr;
  int32_t version;
  if (std::fread(&version, 1, 4, fp) != 4) {
    std::fclose(fp);
    return nullptr;
  }
  g_nFileVersion = version;
  if (static_cast<uint32_t>(version) > static_cast<uint32_t>(g_nDataVersion)) {
    g_bFileTooNew = 1;
    std::fclose(fp);
    return nullptr;
  }
  g_bFileTooNew = 0;
  return fp;
}

std::string RecordFileProblem(const char* path) {
  FILE* fp = FileOpen(path && *path ? path : "err", "rb");
  if (!fp) return std::strerror(errno);
  int32_t version = 0;
  const bool whole = std::fread(&version, 1, 4, fp) == 4;
  std::fclose(fp);
  if (whole && static_cast<uint32_t>(version) > static_cast<uint32_t>(g_nDataVersion))
    return "made by a newer version of the program";
  return "damaged or cut short";
}

FILE* OpenRecordFileWrite(const char* path) {
  if (!path || !*path) return nullptr;
  PendingWrite pending;
  pending.final = ResolvePath(path);
  pending.temp = pending.final + ".tmp";
  FILE* fp = CreateTempFile(pending.temp);
  if (!fp) return nullptr;
  {
    std::lock_guard<std::mutex> lock(g_writeMutex);
    g_pendingWrites[fp] = std::move(pending);
  }
  int32_t version = g_nDataVersion;
  WriteRecordValue(fp, version);
  return fp;
}

int CloseRecordFile(FILE* fp) {
  if (!fp) return 0;
  PendingWrite pending;
  bool writing = false;
  {
    std::lock_guard<std::mutex> lock(g_writeMutex);
    auto it = g_pendingWrites.find(fp);
    if (it != g_pendingWrites.end()) {
      pending = std::move(it->second);
      g_pendingWrites.erase(it);
      writing = true;
    }
  }
  if (!writing) {
    std::fclose(fp);
    return 1;
  }
  bool ok = !pending.failed && std::fflush(fp) == 0 && !std::ferror(fp);
  ok = std::fclose(fp) == 0 && ok;
  if (ok) ok = std::rename(pending.temp.c_str(), pending.final.c_str()) == 0;
  if (!ok) std::remove(pending.temp.c_str());
  return ok ? 1 : 0;
}

// ---- The record base ----

cSaveRecord::cSaveRecord(const cSaveRecord& src) { src.PreCopy(g_nDataVersion); }

cSaveRecord& cSaveRecord::operator=(const cSaveRecord& src) {
  // The lists keep describing this record's own members.
  src.PreCopy(g_nDataVersion);
  return *this;
}

void cSaveRecord::AddFieldRaw(void* data, int count, int size) {
  cSaveField f;
  f.lpOwner = this;
  f.lpData = data;
  f.nCount = count;
  f.bySize = static_cast<int8_t>(size);
  m_vField.push_back(f);
}

void cSaveRecord::AddStringField(std::string* member) {
  cSaveStringField s;
  s.lpOwner = this;
  s.lpString = member;
  m_vString.push_back(s);
}

void cSaveRecord::ClearFields() {
  m_vField.clear();
  m_vString.clear();
}

void cSaveRecord::Register(int version) {
  ClearFields();
  RegisterFields(version);
}

int cSaveRecord::GetFieldBytes() const {
  int n = 0;
  for (const cSaveField& f : m_vField) n += f.nCount * f.bySize;
  return n;
}

void cSaveRecord::Clear() {
  Register(g_nDataVersion);
  for (const cSaveField& f : m_vField) std::memset(f.lpData, 0, static_cast<size_t>(f.nCount) * f.bySize);
  for (const cSaveStringField& s : m_vString) s.lpString->clear();
}

void cSaveRecord::CopyFrom(const cSaveRecord& src) {
  cSaveRecord& source = const_cast<cSaveRecord&>(src);
  Register(g_nDataVersion);
  source.Register(g_nDataVersion);
  size_t n = std::min(m_vField.size(), source.m_vField.size());
  for (size_t i = 0; i < n; ++i) {
    const cSaveField& f = m_vField[i];
    if (f.lpData != source.m_vField[i].lpData)
      std::memmove(f.lpData, source.m_vField[i].lpData, static_cast<size_t>(f.nCount) * f.bySize);
  }
  size_t m = std::min(m_vString.size(), source.m_vString.size());
  for (size_t i = 0; i < m; ++i) *m_vString[i].lpString = *source.m_vString[i].lpString;
}

void cSaveRecord::ReadFields(FILE* fp) {
  int32_t count;
  if (!ReadRecordValue(fp, count)) return;
  for (int32_t i = 0; i < count; ++i) {
    if (i >= static_cast<int32_t>(m_vField.size())) {
      // More entries than this version has: the fatal path of the checked access, and the
      // rest of this record is not read.
      m_vField.CheckedAt(i);
      FailRecordStream(fp);
      return;
    }
    const cSaveField& f = m_vField[i];
    if (!ReadRecordBytes(fp, f.lpData, static_cast<size_t>(f.nCount) * f.bySize)) return;
  }
}

void cSaveRecord::Load(FILE* fp) {
  Register(g_nFileVersion);
  RegisterOnExit reregister{this};
  ReadFields(fp);
  LoadStrings(fp);
  if (g_bStripCR) StripCR();
}

void cSaveRecord::LoadStrings(FILE* fp) {
  int32_t count;
  if (!ReadRecordValue(fp, count)) return;
  for (int32_t i = 0; i < count; ++i) {
    if (i >= static_cast<int32_t>(m_vString.size())) {
      m_vString.CheckedAt(i);
      FailRecordStream(fp);
      return;
    }
    int32_t length;
    if (!ReadRecordValue(fp, length)) return;
    std::string& text = *m_vString[i].lpString;
    if (length <= 1) {
      text.clear();
      continue;
    }
    std::string bytes(static_cast<uint32_t>(length) <= kSmallRead ? length : 0, '\0');
    if (bytes.empty()) {
      if (RecordBytesLeft(fp) < length) {
        FailRecordStream(fp);
        return;
      }
      bytes.resize(length);
    }
    if (!ReadRecordBytes(fp, bytes.data(), bytes.size())) return;
    CutAtZero(bytes);
    text = std::move(bytes);
  }
}

void cSaveRecord::Save(FILE* fp) {
  Register(g_nDataVersion);
  int32_t count = static_cast<int32_t>(m_vField.size());
  WriteRecordValue(fp, count);
  for (const cSaveField& f : m_vField) WriteRecordBytes(fp, f.lpData, static_cast<size_t>(f.nCount) * f.bySize);
  SaveStrings(fp);
}

void cSaveRecord::SaveStrings(FILE* fp) {
  int32_t count = static_cast<int32_t>(m_vString.size());
  WriteRecordValue(fp, count);
  for (const cSaveStringField& s : m_vString) {
    std::string& text = *s.lpString;
    CutAtZero(text);
    int32_t length = static_cast<int32_t>(text.size() + 1);
    WriteRecordValue(fp, length);
    if (length > 1) WriteRecordBytes(fp, text.c_str(), text.size() + 1);
  }
}

void cSaveRecord::StripCR() {
  for (const cSaveStringField& s : m_vString) {
    std::string& text = *s.lpString;
    CutAtZero(text);
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
  }
}

int cSaveRecord::LoadFile(const char* path) {
  FILE* fp = OpenRecordFileRead(path);
  if (!fp) return 0;
  Load(fp);
  bool failed = RecordStreamFailed(fp);
  CloseRecordFile(fp);
  return failed ? 0 : 1;
}

int cSaveRecord::SaveFile(const char* path) {
  FILE* fp = OpenRecordFileWrite(path);
  if (!fp) return 0;
  Save(fp);
  return CloseRecordFile(fp);
}
