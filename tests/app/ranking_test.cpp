// The rankings: where a result enters a list, the ranking file's bytes and path, files of older
// versions and damaged files, and the number formatting.
#include "app/ranking.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "support/bytes.h"
#include "support/temp_dir.h"

namespace {

// A list of the given order holding the values in its first places, the rest free.
cRankingList ListOf(uint32_t order, const std::vector<int32_t>& values) {
  cRankingList list;
  list.m_nOrder = order;
  for (size_t i = 0; i < values.size(); ++i) {
    list.m_vEntry[i].m_bUsed = 1;
    list.m_vEntry[i].m_strName = "p" + std::to_string(i);
    list.m_vEntry[i].m_nScore = values[i];
  }
  return list;
}

std::vector<int32_t> Values(const cRankingList& list) {
  std::vector<int32_t> v;
  for (const cRankingEntry& e : list.m_vEntry) v.push_back(e.m_bUsed ? e.m_nScore : -999);
  return v;
}

TEST(RankingList, InsertPositionAndRegistration) {
  struct Case {
    uint32_t order;
    std::vector<int32_t> values;
    int32_t score;
    int expected;
  } cases[] = {
      {1, {900, 500, 500}, 500, 3},  // an equal value enters below
      {1, {900, 500, 500}, 501, 1},
      {1, {900, 500, 500}, 901, 0},
      {1, {900, 500, 500}, -5, 3},   // a free place takes any value
      {0, {100, 200}, 150, 1},       // clear time: smaller is better
      {0, {100, 200}, 200, 2},
      {0, {100, 200}, 99, 0},
      {1, {}, INT_MIN, 0},
  };
  for (const Case& c : cases) {
    cRankingList list = ListOf(c.order, c.values);
    EXPECT_EQ(list.FindInsertPos(c.score), c.expected) << c.order << " " << c.score;
    std::vector<int32_t> expected = Values(list);
    expected.insert(expected.begin() + c.expected, c.score);
    expected.pop_back();
    list.Register("new", c.score);
    EXPECT_EQ(Values(list), expected) << c.order << " " << c.score;
    EXPECT_EQ(list.m_vEntry[static_cast<size_t>(c.expected)].m_strName, "new");
    EXPECT_EQ(list.m_vEntry.size(), 20u);
  }
}

TEST(RankingList, FullListKeepsItsLengthAndRefusesWhatBeatsNobody) {
  std::vector<int32_t> values;
  for (int i = 0; i < 20; ++i) values.push_back(2000 - 100 * i);  // 2000 .. 100
  cRankingList list = ListOf(1, values);
  EXPECT_EQ(list.FindInsertPos(100), -1);
  EXPECT_EQ(list.FindInsertPos(101), 19);
  list.Register("low", 100);
  EXPECT_EQ(Values(list), values);

  list.Register("top", 5000);
  ASSERT_EQ(list.m_vEntry.size(), 20u);
  EXPECT_EQ(list.m_vEntry[0].m_nScore, 5000);
  EXPECT_EQ(list.m_vEntry[0].m_strName, "top");
  for (int i = 1; i < 20; ++i) EXPECT_EQ(list.m_vEntry[static_cast<size_t>(i)].m_nScore, values[static_cast<size_t>(i - 1)]);

  cRankingList times = ListOf(0, values);
  times.m_vEntry.resize(20);
  EXPECT_EQ(times.FindInsertPos(3000), -1) << "order 0: a larger time beats nobody";
}

TEST(RankingList, SetDefaultKeepsTheFirstTwentyPlacesAndClearsTheOrder) {
  cRankingList list = ListOf(1, {7, 8});
  list.m_vEntry.resize(3);
  list.SetDefault();
  EXPECT_EQ(list.m_nOrder, 0u);
  ASSERT_EQ(list.m_vEntry.size(), 20u);
  EXPECT_EQ(list.m_vEntry[1].m_nScore, 8);
  EXPECT_EQ(list.m_vEntry[19].m_bUsed, 0u);
  list.m_vEntry.resize(25);
  list.SetDefault();
  EXPECT_EQ(list.m_vEntry.size(), 20u);
}

class RankingFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    env.dir().MakeDir("user_data/story");
    env.dir().MakeDir("user_data/challenge");
    env.dir().MakeDir("user_data/free");
  }
  std::string ChallengeFile() const { return env.dir() / "user_data/challenge/c01-1.rkg"; }

  // The file of a default table, written out by hand: 16 + 5 x (16 + 20 x 20) = 2,096 bytes.
  static std::string DefaultBytes() {
    ByteWriter w;
    w.I32(790).I32(0).I32(0).U32(5);
    const uint32_t orders[5] = {1, 1, 0, 1, 1};
    for (uint32_t order : orders) {
      w.I32(1).U32(order).I32(0).U32(20);
      for (int i = 0; i < 20; ++i) w.I32(2).U32(0).I32(0).I32(1).I32(1);
    }
    return w.str();
  }

  // A table that differs from the default one, to see what a load replaces.
  static cRankingTable Marked() {
    cRankingTable t;
    t.m_vList[0].Register("zz", 77);
    t.m_vList[2].m_nOrder = 1;
    return t;
  }

  static void ExpectDefault(const cRankingTable& t) {
    ASSERT_EQ(t.m_vList.size(), 5u);
    const uint32_t orders[5] = {1, 1, 0, 1, 1};
    for (size_t k = 0; k < 5; ++k) {
      EXPECT_EQ(t.m_vList[k].m_nOrder, orders[k]) << k;
      ASSERT_EQ(t.m_vList[k].m_vEntry.size(), 20u) << k;
      for (const cRankingEntry& e : t.m_vList[k].m_vEntry) EXPECT_EQ(e.m_bUsed, 0u) << k;
    }
  }

  CoreTestEnv env;
  ScopedChdir chdir{env.dir().path()};
};

TEST_F(RankingFileTest, DefaultTableRoundTripsByteForByte) {
  cRankingTable table;
  ExpectDefault(table);
  ASSERT_EQ(SaveDataFile(table, 1, "data\\stg4\\c01-1.", 0, 0, 0), 1);
  const std::string bytes = ReadFileBytes(ChallengeFile());
  EXPECT_EQ(bytes.size(), 2096u);
  EXPECT_EQ(Hex(bytes), Hex(DefaultBytes()));

  cRankingTable back = Marked();
  ASSERT_EQ(LoadDataFile(back, 1, "data\\stg4\\c01-1.", 0, 0, 0), 1);
  ExpectDefault(back);
  ASSERT_EQ(SaveDataFile(back, 1, "data\\stg4\\c01-1.", 0, 0, 0), 1);
  EXPECT_EQ(Hex(ReadFileBytes(ChallengeFile())), Hex(DefaultBytes()));
}

TEST_F(RankingFileTest, RegisteredPlacesComeBackFromTheFile) {
  cRankingTable table;
  table.m_vList[2].Register("\x82\xA0" "b", 345);  // a Shift-JIS name
  table.m_vList[2].Register("c", 300);
  table.m_vList[4].Register("d", -7);
  ASSERT_EQ(SaveDataFile(table, 0, "data\\stg4\\w01.", 1, 7, 2), 1);
  EXPECT_FALSE(ReadFileBytes(env.dir() / "user_data/story/w01_c007_2.rkg").empty());

  cRankingTable back;
  ASSERT_EQ(LoadDataFile(back, 0, "data\\stg4\\w01.", 1, 7, 2), 1);
  EXPECT_EQ(back.m_vList[2].m_vEntry[0].m_strName, "c");
  EXPECT_EQ(back.m_vList[2].m_vEntry[0].m_nScore, 300);
  EXPECT_EQ(back.m_vList[2].m_vEntry[1].m_strName, "\x82\xA0" "b");
  EXPECT_EQ(back.m_vList[2].m_vEntry[1].m_nScore, 345);
  EXPECT_EQ(back.m_vList[4].m_vEntry[0].m_nScore, -7);
  EXPECT_EQ(back.m_vList[4].m_vEntry[0].m_bUsed, 1u);
  EXPECT_EQ(back.m_vList[0].m_vEntry[0].m_bUsed, 0u);

  // Other keys are another stage's rankings.
  cRankingTable other = Marked();
  EXPECT_EQ(LoadDataFile(other, 0, "data\\stg4\\w01.", 1, 7, 3), 0);
  ExpectDefault(other);
}

TEST_F(RankingFileTest, Version180FileWithThreeListsGivesFive) {
  ByteWriter w;
  w.I32(180).I32(0).I32(0).U32(3);
  const uint32_t orders[3] = {0, 1, 0};
  for (uint32_t order : orders) {
    w.I32(1).U32(order).I32(0).U32(20);
    w.I32(2).U32(1).I32(static_cast<int32_t>(order) + 40).I32(1).Str("ab");
    for (int i = 1; i < 20; ++i) w.I32(2).U32(0).I32(0).I32(1).I32(1);
  }
  WriteFileBytes(ChallengeFile(), w.str());
  cRankingTable t = Marked();
  ASSERT_EQ(LoadDataFile(t, 1, "c01-1.", 0, 0, 0), 1);
  ASSERT_EQ(t.m_vList.size(), 5u);
  EXPECT_EQ(t.m_vList[0].m_nOrder, 0u) << "stored orders stay";
  EXPECT_EQ(t.m_vList[1].m_nOrder, 1u);
  EXPECT_EQ(t.m_vList[2].m_nOrder, 0u);
  EXPECT_EQ(t.m_vList[3].m_nOrder, 1u);
  EXPECT_EQ(t.m_vList[4].m_nOrder, 1u);
  EXPECT_EQ(t.m_vList[1].m_vEntry[0].m_nScore, 41);
  EXPECT_EQ(t.m_vList[1].m_vEntry[0].m_strName, "ab");
  for (size_t k = 3; k < 5; ++k) {
    ASSERT_EQ(t.m_vList[k].m_vEntry.size(), 20u);
    EXPECT_EQ(t.m_vList[k].m_vEntry[0].m_bUsed, 0u);
  }
  EXPECT_EQ(env.ReportText().find("damaged"), std::string::npos);
}

// A file of the current version with fewer lists and places than it should hold keeps what it
// holds and is filled up, so that every reader finds five lists of twenty places.
TEST_F(RankingFileTest, ShortListsOfTheCurrentVersionAreFilledUp) {
  ByteWriter w;
  w.I32(790).I32(0).I32(0).U32(2);
  for (int k = 0; k < 2; ++k) {
    w.I32(1).U32(0).I32(0).U32(k == 0 ? 0 : 19);
    for (int i = 0; i < (k == 0 ? 0 : 19); ++i) w.I32(2).U32(1).I32(i).I32(1).I32(1);
  }
  WriteFileBytes(ChallengeFile(), w.str());
  cRankingTable t;
  ASSERT_EQ(LoadDataFile(t, 1, "c01-1.", 0, 0, 0), 1);
  ASSERT_EQ(t.m_vList.size(), 5u);
  EXPECT_EQ(t.m_vList[0].m_nOrder, 0u);
  EXPECT_EQ(t.m_vList[0].m_vEntry.size(), 20u);
  EXPECT_EQ(t.m_vList[1].m_vEntry[18].m_nScore, 18);
  EXPECT_EQ(t.m_vList[1].m_vEntry[19].m_bUsed, 0u);
  EXPECT_EQ(t.m_vList[2].m_nOrder, 0u);
  EXPECT_EQ(t.m_vList[3].m_nOrder, 1u);
  EXPECT_EQ(t.m_vList[4].m_nOrder, 1u);
  EXPECT_EQ(t.m_vList[4].m_vEntry.size(), 20u);
  EXPECT_NE(env.ReportText().find("cRankingTable"), std::string::npos);
}

TEST_F(RankingFileTest, DamagedCountsLoadAsTheDefaultsWithAReportLine) {
  auto file = [](uint32_t lists, uint32_t places, bool cut) {
    ByteWriter w;
    w.I32(790).I32(0).I32(0).U32(lists);
    for (uint32_t k = 0; k < 5; ++k) {
      w.I32(1).U32(1).I32(0).U32(places);
      for (uint32_t i = 0; i < 20; ++i) w.I32(2).U32(1).I32(5).I32(1).I32(1);
    }
    if (places > 20)
      for (int i = 0; i < 5 * 20; ++i) w.I32(2).U32(1).I32(5).I32(1).I32(1);
    std::string bytes = w.str();
    if (cut) bytes.resize(bytes.size() - 3);
    return bytes;
  };
  struct Case {
    const char* what;
    std::string bytes;
  } cases[] = {
      {"six lists", file(6, 20, false)},
      {"21 places", file(5, 21, false)},
      {"a huge list count", file(0xFFFFFFFFu, 20, false)},
      {"a huge place count", file(5, 0x7FFFFFFFu, false)},
      {"the file ends early", file(5, 20, true)},
  };
  for (const Case& c : cases) {
    WriteFileBytes(ChallengeFile(), c.bytes);
    const size_t before = env.ReportText().size();
    cRankingTable t = Marked();
    EXPECT_EQ(LoadDataFile(t, 1, "c01-1.", 0, 0, 0), 0) << c.what;
    ExpectDefault(t);
    const std::string line = env.ReportText().substr(before);
    EXPECT_NE(line.find("user_data\\challenge\\c01-1.rkg"), std::string::npos) << c.what << ": " << line;
    EXPECT_NE(line.find("damaged"), std::string::npos) << c.what << ": " << line;
  }
  // The neighbours of the limits load.
  WriteFileBytes(ChallengeFile(), file(5, 20, false));
  cRankingTable t;
  EXPECT_EQ(LoadDataFile(t, 1, "c01-1.", 0, 0, 0), 1);
  EXPECT_EQ(t.m_vList[4].m_vEntry[19].m_nScore, 5);
}

TEST_F(RankingFileTest, MissingNewerOrReplayFilesGiveTheDefaultsQuietly) {
  cRankingTable t = Marked();
  EXPECT_EQ(LoadDataFile(t, 1, "c01-1.", 0, 0, 0), 0);
  ExpectDefault(t);

  std::string newer = DefaultBytes();
  newer[0] = static_cast<char>(791 & 0xFF);
  newer[1] = static_cast<char>(791 >> 8);
  WriteFileBytes(ChallengeFile(), newer);
  t = Marked();
  EXPECT_EQ(LoadDataFile(t, 1, "c01-1.", 0, 0, 0), 0);
  ExpectDefault(t);

  t = Marked();
  EXPECT_EQ(LoadDataFile(t, 3, "c01-1.", 0, 0, 0), 0);
  ExpectDefault(t);
  EXPECT_EQ(SaveDataFile(t, 3, "c01-1.", 0, 0, 0), 0);
  EXPECT_EQ(env.ReportText().find("damaged"), std::string::npos);
}

TEST_F(RankingFileTest, AFailedWriteLeavesTheOldFile) {
  cRankingTable t;
  ASSERT_EQ(SaveDataFile(t, 2, "free.", 0, 0, 0), 1);
  const std::string path = env.dir() / "user_data/free/free.rkg";
  ASSERT_EQ(ReadFileBytes(path).size(), 2096u);
  t.m_vList[0].Register("x", 1);
  SetRecordWriteLimitForTests(100);
  EXPECT_EQ(SaveDataFile(t, 2, "free.", 0, 0, 0), 0);
  SetRecordWriteLimitForTests(-1);
  EXPECT_EQ(Hex(ReadFileBytes(path)), Hex(DefaultBytes()));
}

TEST(RankingPath, FolderByModeAndTheStageNameWithoutItsFolder) {
  struct Case {
    int mode;
    const char* name;
    int k1, k2, k3;
    int result;
    const char* path;
  } cases[] = {
      {1, "data\\stg4\\c01-1.", 0, 0, 0, 1, "user_data\\challenge\\c01-1.rkg"},
      {2, "data\\stg4\\free.", 1, 7, 2, 1, "user_data\\free\\free.rkg"},  // keys only for story stages
      {0, "data\\stg4\\w01.", 1, 7, 2, 1, "user_data\\story\\w01_c007_2.rkg"},
      {0, "data\\stg4\\w01.", 0, 7, 2, 1, "user_data\\story\\w01.rkg"},
      {0, "data\\\x95\\\\w.", 0, 0, 0, 1, "user_data\\story\\w.rkg"},  // a trail byte 0x5C is no folder mark
      {3, "data\\stg4\\c01-1.", 0, 0, 0, 0, ""},
      {-1, "data\\stg4\\c01-1.", 0, 0, 0, 0, ""},
  };
  for (const Case& c : cases) {
    std::string out = "old";
    EXPECT_EQ(MakeDataFilePath(out, c.mode, c.name, c.k1, c.k2, c.k3), c.result) << c.mode << c.name;
    EXPECT_EQ(out, c.path) << c.mode << c.name;
  }
  std::string out;
  EXPECT_EQ(MakeDataFilePath(out, 1, std::string(300, 'a').c_str(), 0, 0, 0), 0) << "no file name holds it";
}

TEST(RankingNumbers, DigitsAndSignedText) {
  struct Digits {
    int32_t v;
    int digits;
  } digits[] = {{0, 1}, {9, 1}, {10, 2}, {-10, 2}, {-9, 1}, {999999, 6}, {INT_MAX, 10}, {INT_MIN, 10}};
  for (const Digits& d : digits) EXPECT_EQ(CountDigits(d.v), d.digits) << d.v;

  struct Text {
    int32_t v;
    int width, zero, plus;
    const char* text;
  } texts[] = {
      {7, 2, 1, 0, "07"},     {7, 3, 0, 0, "  7"},  {-12, 0, 0, 0, "-12"},
      {5, 0, 0, 1, "+5"},     {0, 0, 0, 0, "0"},    {0, 3, 0, 0, "  0"},
      {0, 3, 1, 1, "+000"},   {1234, 2, 0, 0, "1234"}, {-5, 3, 1, 1, "-005"},
      {105, 5, 0, 0, "  105"}, {INT_MIN, 0, 0, 0, "-2147483648"},
  };
  for (const Text& t : texts) {
    std::string out = "old";
    FormatSignedNumber(out, t.v, t.width, t.zero, t.plus);
    EXPECT_EQ(out, t.text) << t.v << " " << t.width;
  }
}

}  // namespace
