#include "core/save_record.h"

#include <gtest/gtest.h>

#include <boost/shared_ptr.hpp>
#include <filesystem>

#include "support/bytes.h"
#include "support/temp_dir.h"

namespace {

// A sub-record held through shared ownership, as commands hold theirs.
class cSub : public cSaveRecord {
 public:
  int32_t m_nValue = 0;
  cSub() { Clear(); }
  void RegisterFields(int) override { AddField(&m_nValue); }
};

// A record with fields of every size, an array, a field that exists from version 790 on,
// two strings, a list and an optional sub-record.
class cTestRec : public cSaveRecord {
 public:
  int32_t m_nA = 0;
  int16_t m_sB = 0;
  uint8_t m_byC = 0;
  double m_dD = 0;
  int32_t m_anArr[3] = {};
  int32_t m_nNew = 0;  // from 790
  std::string m_strName;
  std::string m_strText;
  cSafeVector<int32_t> m_vList;  // not a registered field
  boost::shared_ptr<cSub> m_pSub;

  cTestRec() {
    Register(DATA_VERSION);
    Clear();
  }
  cTestRec(const cTestRec& o) : cSaveRecord(o) { *this = o; }
  cTestRec& operator=(const cTestRec& o) {
    cSaveRecord::operator=(o);
    m_nA = o.m_nA, m_sB = o.m_sB, m_byC = o.m_byC, m_dD = o.m_dD;
    std::copy(o.m_anArr, o.m_anArr + 3, m_anArr);
    m_nNew = o.m_nNew;
    m_strName = o.m_strName;
    m_strText = o.m_strText;
    m_vList = o.m_vList;
    m_pSub.reset(o.m_pSub ? new cSub(*o.m_pSub) : nullptr);
    return *this;
  }

  void RegisterFields(int version) override {
    AddField(&m_nA);
    AddField(&m_sB);
    AddField(&m_byC);
    AddField(&m_dD);
    AddField(m_anArr, 3);
    if (version >= 790) AddField(&m_nNew);
    AddStringField(&m_strName);
    AddStringField(&m_strText);
  }
  void Load(FILE* fp) override {
    cSaveRecord::Load(fp);
    uint32_t n;
    if (ReadRecordCount(fp, n, 4)) {
      m_vList.resize(n);
      for (uint32_t i = 0; i < n; ++i) ReadRecordValue(fp, m_vList[i]);
    }
    uint32_t present = 0;
    if (ReadRecordValue(fp, present)) {
      m_pSub.reset(present ? new cSub : nullptr);
      if (m_pSub) m_pSub->Load(fp);
    }
  }
  void Save(FILE* fp) override {
    cSaveRecord::Save(fp);
    WriteRecordValue(fp, static_cast<uint32_t>(m_vList.size()));
    for (int32_t v : m_vList) WriteRecordValue(fp, v);
    WriteRecordValue(fp, static_cast<uint32_t>(m_pSub ? 1 : 0));
    if (m_pSub) m_pSub->Save(fp);
  }
};

// A record without strings.
class cPlain : public cSaveRecord {
 public:
  int32_t m_n = 0;
  cPlain() { Clear(); }
  void RegisterFields(int) override { AddField(&m_n); }
};

// The fields of cTestRec at a version, as bytes.
ByteWriter TestFields(int version, int32_t a, int16_t b, uint8_t c, double d, int32_t arr0, int32_t fresh) {
  ByteWriter w;
  w.I32(version >= 790 ? 6 : 5).I32(a).I16(b).U8(c).F64(d).I32(arr0).I32(0).I32(0);
  if (version >= 790) w.I32(fresh);
  return w;
}

class RecordFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_nDataVersion = DATA_VERSION;
    g_bStripCR = 0;
    g_bFileTooNew = 0;
  }
  void TearDown() override { g_bStripCR = 0; }
  std::string Path(const char* name) { return env.dir() / name; }
  CoreTestEnv env{true};
};

TEST_F(RecordFileTest, SaveWritesTheGoldenLayout) {
  cTestRec r;
  r.m_nA = 0x01020304;
  r.m_sB = -2;
  r.m_byC = 0xAB;
  r.m_dD = 1.5;
  r.m_anArr[0] = 7;
  r.m_nNew = 9;
  r.m_strName = "";
  r.m_strText = "abc";
  r.m_vList = {5, 6};
  r.m_pSub.reset(new cSub);
  r.m_pSub->m_nValue = 42;
  ASSERT_EQ(r.SaveFile(Path("r.dat").c_str()), 1);

  ByteWriter w;
  w.I32(790);
  w.Bytes(TestFields(790, 0x01020304, -2, 0xAB, 1.5, 7, 9).str());
  w.I32(2).Bytes(std::string("\x01\x00\x00\x00", 4)).Bytes(std::string("\x04\x00\x00\x00" "abc\x00", 8));
  w.U32(2).I32(5).I32(6);
  w.U32(1).I32(1).I32(42).I32(0);
  EXPECT_EQ(Hex(ReadFileBytes(Path("r.dat"))), Hex(w.str()));
  // No temporary file is left beside it.
  EXPECT_EQ(ReadFileBytes(Path("r.dat.tmp")), "");
}

TEST_F(RecordFileTest, ARecordWithoutStringsWritesStringCountZero) {
  cPlain p;
  p.m_n = 3;
  ASSERT_EQ(p.SaveFile(Path("p.dat").c_str()), 1);
  EXPECT_EQ(Hex(ReadFileBytes(Path("p.dat"))), Hex(ByteWriter().I32(790).I32(1).I32(3).I32(0).str()));
}

TEST_F(RecordFileTest, LoadReadsTheGoldenLayoutBack) {
  ByteWriter w;
  w.I32(790).Bytes(TestFields(790, 11, 12, 13, -0.25, 14, 15).str());
  w.I32(2).Str("").Str("Ｊ");
  w.U32(1).I32(-4).U32(0);
  WriteFileBytes(Path("r.dat"), w.str());
  cTestRec r;
  r.m_pSub.reset(new cSub);
  ASSERT_EQ(r.LoadFile(Path("r.dat").c_str()), 1);
  EXPECT_EQ(r.m_nA, 11);
  EXPECT_EQ(r.m_sB, 12);
  EXPECT_EQ(r.m_byC, 13);
  EXPECT_EQ(r.m_dD, -0.25);
  EXPECT_EQ(r.m_anArr[0], 14);
  EXPECT_EQ(r.m_nNew, 15);
  EXPECT_EQ(r.m_strText, "Ｊ");
  EXPECT_EQ(r.m_vList, (cSafeVector<int32_t>{-4}));
  EXPECT_FALSE(r.m_pSub);
  EXPECT_EQ(g_nFileVersion, 790);
}

TEST_F(RecordFileTest, OlderVersionLeavesNewerFieldsAndEndsRegisteredForTheProgram) {
  ByteWriter w;
  w.I32(789).Bytes(TestFields(789, 1, 2, 3, 4, 5, 0).str()).I32(0).U32(0).U32(0);
  WriteFileBytes(Path("old.dat"), w.str());
  cTestRec r;
  r.m_nNew = 77;
  ASSERT_EQ(r.LoadFile(Path("old.dat").c_str()), 1);
  EXPECT_EQ(r.m_nA, 1);
  EXPECT_EQ(r.m_nNew, 77);
  EXPECT_EQ(g_nFileVersion, 789);
  EXPECT_EQ(r.GetFieldCount(), 6);
  cTestRec fresh;
  ASSERT_EQ(fresh.LoadFile(Path("old.dat").c_str()), 1);
  EXPECT_EQ(fresh.m_nNew, 0);
}

TEST_F(RecordFileTest, VersionsAboveTheProgramAreRefused) {
  struct Case {
    int32_t version;
    int loaded;
    int tooNew;
  } cases[] = {{790, 1, 0}, {791, 0, 1}, {-1, 0, 1}, {0, 1, 0}};
  for (const Case& c : cases) {
    WriteFileBytes(Path("v.dat"), ByteWriter().I32(c.version).I32(1).I32(5).I32(0).str());
    cPlain p;
    g_bFileTooNew = 7;
    EXPECT_EQ(p.LoadFile(Path("v.dat").c_str()), c.loaded) << c.version;
    EXPECT_EQ(g_bFileTooNew, c.tooNew) << c.version;
    EXPECT_EQ(p.m_n, c.loaded ? 5 : 0) << c.version;
  }
}

TEST_F(RecordFileTest, FilesShorterThanTheirVersionAreRefusedLikeUnreadableOnes) {
  for (int len = 0; len < 4; ++len) {
    WriteFileBytes(Path("s.dat"), std::string(len, '\x01'));
    g_nFileVersion = 123;
    g_bFileTooNew = 0;
    EXPECT_EQ(OpenRecordFileRead(Path("s.dat").c_str()), nullptr) << len;
    EXPECT_EQ(g_nFileVersion, 123);
    EXPECT_EQ(g_bFileTooNew, 0);
  }
  EXPECT_EQ(OpenRecordFileRead(Path("missing.dat").c_str()), nullptr);
}

TEST_F(RecordFileTest, NullOrEmptyPathUsesTheFileNamedErr) {
  ScopedChdir cd(env.dir().path());
  cPlain p;
  EXPECT_EQ(p.LoadFile(nullptr), 0);
  WriteFileBytes(env.dir() / "err", ByteWriter().I32(790).I32(1).I32(8).I32(0).str());
  EXPECT_EQ(p.LoadFile(""), 1);
  EXPECT_EQ(p.m_n, 8);
  EXPECT_EQ(p.LoadFile(nullptr), 1);
}

TEST_F(RecordFileTest, StripCRRemovesCarriageReturns) {
  ByteWriter w;
  w.I32(790).Bytes(TestFields(790, 0, 0, 0, 0, 0, 0).str());
  w.I32(2).Str("a\r\nb").Str("\r").U32(0).U32(0);
  WriteFileBytes(Path("cr.dat"), w.str());
  cTestRec r;
  ASSERT_EQ(r.LoadFile(Path("cr.dat").c_str()), 1);
  EXPECT_EQ(r.m_strName, "a\r\nb");
  g_bStripCR = 1;
  ASSERT_EQ(r.LoadFile(Path("cr.dat").c_str()), 1);
  EXPECT_EQ(r.m_strName, "a\nb");
  EXPECT_EQ(r.m_strText, "");
}

TEST_F(RecordFileTest, StringLengthsTheFormatNeverHolds) {
  ByteWriter w;
  w.I32(790).Bytes(TestFields(790, 0, 0, 0, 0, 0, 0).str());
  // Length 0 and a negative length read as the empty text; a text without its zero is taken
  // whole; a text with an inner zero is cut there.
  w.I32(2).I32(0).I32(3).Bytes("xyz");
  w.U32(0).U32(0);
  WriteFileBytes(Path("s.dat"), w.str());
  cTestRec r;
  r.m_strName = "old";
  ASSERT_EQ(r.LoadFile(Path("s.dat").c_str()), 1);
  EXPECT_EQ(r.m_strName, "");
  EXPECT_EQ(r.m_strText, "xyz");

  ByteWriter w2;
  w2.I32(790).Bytes(TestFields(790, 0, 0, 0, 0, 0, 0).str());
  w2.I32(2).I32(-5).I32(5).Bytes(std::string("ab\0cd", 5)).U32(0).U32(0);
  WriteFileBytes(Path("s2.dat"), w2.str());
  ASSERT_EQ(r.LoadFile(Path("s2.dat").c_str()), 1);
  EXPECT_EQ(r.m_strName, "");
  EXPECT_EQ(r.m_strText, "ab");
}

TEST_F(RecordFileTest, TruncatedFilesReadAsFarAsTheyGoAndNeverPastTheirEnd) {
  cTestRec src;
  src.m_nA = 1;
  src.m_nNew = 2;
  src.m_strName = "name";
  src.m_strText = "text";
  src.m_vList = {1, 2, 3};
  src.m_pSub.reset(new cSub);
  src.m_pSub->m_nValue = 4;
  ASSERT_EQ(src.SaveFile(Path("full.dat").c_str()), 1);
  std::string full = ReadFileBytes(Path("full.dat"));
  for (size_t len = 4; len < full.size(); ++len) {
    WriteFileBytes(Path("cut.dat"), full.substr(0, len));
    cTestRec r;
    r.m_strText = "before";
    EXPECT_EQ(r.LoadFile(Path("cut.dat").c_str()), 0) << len;
    EXPECT_EQ(r.GetFieldCount(), 6) << len;
    // A field is read whole or not at all.
    EXPECT_TRUE(r.m_nA == 0 || r.m_nA == 1) << len;
    EXPECT_TRUE(r.m_strText == "before" || r.m_strText == "text") << len;
  }
  cTestRec whole;
  EXPECT_EQ(whole.LoadFile(Path("full.dat").c_str()), 1);
  EXPECT_EQ(whole.m_pSub->m_nValue, 4);
}

TEST_F(RecordFileTest, HostileCountsAreRefused) {
  // A list count larger than the file could hold, and a string length of 2 GB.
  ByteWriter big;
  big.I32(790).Bytes(TestFields(790, 1, 0, 0, 0, 0, 0).str()).I32(0).U32(0x7FFFFFFF).U32(0);
  WriteFileBytes(Path("count.dat"), big.str());
  cTestRec r;
  EXPECT_EQ(r.LoadFile(Path("count.dat").c_str()), 0);
  EXPECT_EQ(r.m_nA, 1);
  EXPECT_TRUE(r.m_vList.empty());

  ByteWriter longText;
  longText.I32(790).Bytes(TestFields(790, 0, 0, 0, 0, 0, 0).str()).I32(1).I32(0x7FFFFFFF).Bytes("abc");
  WriteFileBytes(Path("len.dat"), longText.str());
  r.m_strName = "kept";
  EXPECT_EQ(r.LoadFile(Path("len.dat").c_str()), 0);
  EXPECT_EQ(r.m_strName, "kept");

  // A negative field count reads no fields.
  WriteFileBytes(Path("neg.dat"), ByteWriter().I32(790).I32(-1).I32(0).str());
  cPlain p;
  p.m_n = 3;
  EXPECT_EQ(p.LoadFile(Path("neg.dat").c_str()), 1);
  EXPECT_EQ(p.m_n, 3);
  EXPECT_EQ(env.TakeCloseRequests(), 0);
}

// A list count is taken only when the bytes after it could hold that many elements of the
// smallest size: checked for every element size at the last count that fits and the next.
TEST_F(RecordFileTest, ListCountsAreCheckedAgainstTheBytesLeftForEveryElementSize) {
  struct Case {
    size_t elementSize;
    uint32_t count;
    bool taken;
  };
  // 24 bytes follow the count.
  const Case cases[] = {
      {1, 24, true},         {1, 25, false},        {1, 0xFFFFFFFF, false}, {2, 12, true}, {2, 13, false},
      {4, 6, true},          {4, 7, false},         {8, 3, true},           {8, 4, false}, {1, 0, true},
      {MIN_RECORD_BYTES, 3, true}, {MIN_RECORD_BYTES, 4, false}, {4, 0x40000000, false}, {4, 0x40000006, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.count << " elements of " << c.elementSize);
    WriteFileBytes(Path("list.dat"), ByteWriter().I32(790).U32(c.count).Zeros(24).str());
    FILE* fp = OpenRecordFileRead(Path("list.dat").c_str());
    ASSERT_NE(fp, nullptr);
    uint32_t n = 77;
    EXPECT_EQ(ReadRecordCount(fp, n, c.elementSize), c.taken);
    EXPECT_EQ(RecordStreamFailed(fp), !c.taken);
    EXPECT_EQ(n, c.taken ? c.count : 77u);
    if (c.taken) {
      EXPECT_EQ(RecordBytesLeft(fp), 24);
    }
    CloseRecordFile(fp);
  }
}

TEST_F(RecordFileTest, SurplusEntriesTakeTheFatalPathAndStopTheRecord) {
  // Two fields where the record has one, then two strings where it has none.
  WriteFileBytes(Path("f.dat"), ByteWriter().I32(790).I32(2).I32(5).I32(6).I32(0).str());
  cPlain p;
  EXPECT_EQ(p.LoadFile(Path("f.dat").c_str()), 0);
  EXPECT_EQ(p.m_n, 5);
  EXPECT_EQ(env.TakeCloseRequests(), 1);
  EXPECT_NE(env.ReportText().find("err V[1] ( 1 , "), std::string::npos);

  WriteFileBytes(Path("s.dat"), ByteWriter().I32(790).I32(1).I32(5).I32(1).Str("x").str());
  EXPECT_EQ(p.LoadFile(Path("s.dat").c_str()), 0);
  EXPECT_EQ(env.TakeCloseRequests(), 1);
}

TEST_F(RecordFileTest, CopiesAreIndependent) {
  cTestRec a;
  a.m_nA = 1;
  a.m_strName = "a";
  a.m_vList = {1};
  a.m_pSub.reset(new cSub);
  a.m_pSub->m_nValue = 10;
  cTestRec b(a);
  cTestRec c;
  c = a;
  b.m_nA = 2;
  b.m_strName = "b";
  b.m_vList[0] = 2;
  b.m_pSub->m_nValue = 20;
  c.m_pSub->m_nValue = 30;
  EXPECT_EQ(a.m_nA, 1);
  EXPECT_EQ(a.m_strName, "a");
  EXPECT_EQ(a.m_vList[0], 1);
  EXPECT_EQ(a.m_pSub->m_nValue, 10);
  // A copy saves its own members, not the source's.
  ASSERT_EQ(b.SaveFile(Path("b.dat").c_str()), 1);
  cTestRec d;
  ASSERT_EQ(d.LoadFile(Path("b.dat").c_str()), 1);
  EXPECT_EQ(d.m_nA, 2);
  EXPECT_EQ(d.m_pSub->m_nValue, 20);
  // Copies survive the reallocation of a vector that holds them.
  cSafeVector<cTestRec> v(1, a);
  for (int i = 0; i < 20; ++i) v.push_back(a);
  v[0].m_nA = 99;
  FILE* tmp = std::tmpfile();
  v[0].Save(tmp);
  std::fclose(tmp);
  EXPECT_EQ(v[1].m_nA, 1);
  EXPECT_EQ(v[0].GetFieldCount(), 6);
}

TEST_F(RecordFileTest, CopyFromTakesRegisteredMembersOnlyAndClearZeroesThem) {
  cTestRec a;
  a.m_nA = 5;
  a.m_anArr[2] = 6;
  a.m_strText = "t";
  a.m_vList = {1, 2};
  cTestRec b;
  b.CopyFrom(a);
  EXPECT_EQ(b.m_nA, 5);
  EXPECT_EQ(b.m_anArr[2], 6);
  EXPECT_EQ(b.m_strText, "t");
  EXPECT_TRUE(b.m_vList.empty());
  b.CopyFrom(b);  // onto itself
  EXPECT_EQ(b.m_nA, 5);
  a.Clear();
  EXPECT_EQ(a.m_nA, 0);
  EXPECT_EQ(a.m_anArr[2], 0);
  EXPECT_EQ(a.m_strText, "");
  EXPECT_EQ(a.m_vList.size(), 2u);
  EXPECT_EQ(a.GetFieldBytes(), 4 + 2 + 1 + 8 + 12 + 4);
}

TEST_F(RecordFileTest, AFailedWriteLeavesTheOldFile) {
  cPlain p;
  p.m_n = 1;
  ASSERT_EQ(p.SaveFile(Path("keep.dat").c_str()), 1);
  std::string old = ReadFileBytes(Path("keep.dat"));
  // The file's place is taken by a folder: the new file cannot be put there.
  env.dir().MakeDir("dir.dat");
  EXPECT_EQ(p.SaveFile(Path("dir.dat").c_str()), 0);
  EXPECT_EQ(ReadFileBytes(Path("dir.dat.tmp")), "");
  // A folder that does not exist.
  EXPECT_EQ(p.SaveFile(Path("none/x.dat").c_str()), 0);
  EXPECT_EQ(ReadFileBytes(Path("keep.dat")), old);
}

// Whatever stands at the temporary name (a link to another file, a link to nowhere, a file
// left by a crash), the save goes into the record file itself and nothing else is written.
TEST_F(RecordFileTest, AStaleTemporaryNameIsNeverWrittenThrough) {
  namespace fs = std::filesystem;
  cPlain p;
  p.m_n = 3;
  const std::string bytes = ByteWriter().I32(790).I32(1).I32(3).I32(0).str();
  WriteFileBytes(Path("victim.dat"), "precious");
  struct Case {
    const char* what;
    void (*make)(const std::string& temp, const std::string& dir);
  } cases[] = {
      {"link to a file", [](const std::string& temp, const std::string& dir) { fs::create_symlink(dir + "/victim.dat", temp); }},
      {"link to nowhere", [](const std::string& temp, const std::string& dir) { fs::create_symlink(dir + "/made.dat", temp); }},
      {"stale file", [](const std::string& temp, const std::string&) { WriteFileBytes(temp, "left over by a crash"); }},
  };
  for (const Case& c : cases) {
    fs::remove(Path("save.dat"));
    c.make(Path("save.dat.tmp"), env.dir().path());
    EXPECT_EQ(p.SaveFile(Path("save.dat").c_str()), 1) << c.what;
    EXPECT_EQ(Hex(ReadFileBytes(Path("save.dat"))), Hex(bytes)) << c.what;
    EXPECT_FALSE(fs::is_symlink(Path("save.dat"))) << c.what;
    EXPECT_FALSE(fs::exists(fs::symlink_status(Path("save.dat.tmp")))) << c.what;
    EXPECT_EQ(ReadFileBytes(Path("victim.dat")), "precious") << c.what;
    EXPECT_FALSE(fs::exists(fs::symlink_status(Path("made.dat")))) << c.what;
  }
}

}  // namespace
