// The user options: the defaults of a first start, the 36-byte file, and values from a file
// brought into their ranges.
#include "project/option_data.h"

#include <gtest/gtest.h>

#include <string>

#include "defs/defs_fixture.h"
#include "support/bytes.h"

namespace {

class OptionDataTest : public DefsTest {
 protected:
  std::string Path() const { return env.dir() / "Option.dat"; }
};

TEST_F(OptionDataTest, DefaultsAndTheirFile) {
  cOptionData o;
  EXPECT_EQ(o.LoadFile(Path().c_str()), 0) << "no file: the defaults stay";
  EXPECT_EQ(o.m_nPalette, 0);
  EXPECT_EQ(o.m_bBgm, 1);
  EXPECT_EQ(o.m_nSeVolume, 7);
  EXPECT_EQ(o.m_nRankingMethod, 0);
  EXPECT_EQ(o.m_strRankingName, "aaa");

  ASSERT_EQ(o.SaveFile(Path().c_str()), 1);
  const std::string bytes = ReadFileBytes(Path());
  EXPECT_EQ(bytes.size(), 36u);
  EXPECT_EQ(Hex(bytes), Hex(ByteWriter().I32(790).I32(4).I32(0).I32(1).I32(7).I32(0).I32(1).I32(4).Bytes(
                                            std::string("aaa\0", 4)).str()));

  // An empty name: length 1 and no bytes.
  o.m_strRankingName.clear();
  o.m_nPalette = 23;
  o.m_nRankingMethod = 3;
  ASSERT_EQ(o.SaveFile(Path().c_str()), 1);
  EXPECT_EQ(Hex(ReadFileBytes(Path())),
            Hex(ByteWriter().I32(790).I32(4).I32(23).I32(1).I32(7).I32(3).I32(1).I32(1).str()));
  cOptionData back;
  ASSERT_EQ(back.LoadFile(Path().c_str()), 1);
  EXPECT_EQ(back.m_strRankingName, "");
  EXPECT_EQ(back.m_nPalette, 23);
  EXPECT_EQ(back.m_nRankingMethod, 3);
}

TEST_F(OptionDataTest, ValuesFromAFileAreBroughtIntoTheirRanges) {
  struct Case {
    int32_t palette, bgm, volume, method;
    std::string name;
    int32_t expPalette, expBgm, expVolume, expMethod;
    std::string expName;
  } cases[] = {
      {24, 2, 11, 4, "abcd", 23, 1, 10, 3, "abc"},
      {-1, -1, -5, -2, "ab", 0, 0, 0, 0, "ab"},
      {5, 0, 3, 2, "\x82\xA0\x82\xA2\x82\xA4\x82\xA6", 5, 0, 3, 2, "\x82\xA0\x82\xA2\x82\xA4"},
      {0, 1, 10, 3, "\x82\xA0" "b\x82\xA4" "d", 0, 1, 10, 3, "\x82\xA0" "b\x82\xA4"},
  };
  for (const Case& c : cases) {
    WriteFileBytes(Path(), ByteWriter()
                               .I32(790).I32(4).I32(c.palette).I32(c.bgm).I32(c.volume).I32(c.method)
                               .I32(1).Str(c.name).str());
    cOptionData o;
    ASSERT_EQ(o.LoadFile(Path().c_str()), 1) << c.palette;
    EXPECT_EQ(o.m_nPalette, c.expPalette) << c.palette;
    EXPECT_EQ(o.m_bBgm, c.expBgm) << c.palette;
    EXPECT_EQ(o.m_nSeVolume, c.expVolume) << c.palette;
    EXPECT_EQ(o.m_nRankingMethod, c.expMethod) << c.palette;
    EXPECT_EQ(o.m_strRankingName, c.expName) << c.palette;
  }
}

}  // namespace
