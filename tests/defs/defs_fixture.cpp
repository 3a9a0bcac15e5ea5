#include "defs_fixture.h"

#include "support/bytes.h"
#include "support/layout_gates.h"

void DefsTest::SetUp() {
  g_nDataVersion = DATA_VERSION;
  g_bStripCR = 0;
  g_DefContext = cDefContext();
}

void DefsTest::TearDown() { g_DefContext = cDefContext(); }

long long DefsTest::ReadFile(int version, const std::string& body, const std::function<void(FILE*)>& read) {
  const std::string path = env.dir() / "in.dat";
  WriteFileBytes(path, ByteWriter().I32(version).Bytes(body).str());
  FILE* fp = OpenRecordFileRead(path.c_str());
  EXPECT_NE(fp, nullptr);
  if (!fp) return -1;
  read(fp);
  long long left = RecordStreamFailed(fp) ? -1 : RecordBytesLeft(fp);
  CloseRecordFile(fp);
  return left;
}

std::string DefsTest::WriteFile(const std::function<void(FILE*)>& write) {
  const std::string path = env.dir() / "out.dat";
  FILE* fp = OpenRecordFileWrite(path.c_str());
  EXPECT_NE(fp, nullptr);
  if (!fp) return std::string();
  write(fp);
  EXPECT_EQ(CloseRecordFile(fp), 1);
  std::string bytes = ReadFileBytes(path);
  return bytes.size() >= 4 ? bytes.substr(4) : std::string();
}

void DefsTest::ExpectGatesOfLayout(const std::function<std::unique_ptr<cSaveRecord>()>& make,
                                   const std::function<std::string(int)>& bodyOf, int first) {
  const std::vector<int> versions = LayoutGateVersions(bodyOf, first, DATA_VERSION);
  EXPECT_GT(versions.size(), 2u) << "the layout has no gate";
  for (int v : versions) {
    SCOPED_TRACE(testing::Message() << "data version " << v);
    const std::string body = bodyOf(v);
    std::unique_ptr<cSaveRecord> registered = make();
    registered->Register(v);
    EXPECT_EQ(registered->GetFieldCount(), StoredFieldCount(body));
    std::unique_ptr<cSaveRecord> loaded = make();
    EXPECT_EQ(Load(*loaded, v, body), 0);
    EXPECT_EQ(env.TakeCloseRequests(), 0);
  }
}
