#include "platform/winmm.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "support/bytes.h"
#include "support/riff.h"
#include "support/temp_dir.h"

namespace {

std::string U8(const char8_t* s) { return reinterpret_cast<const char*>(s); }

constexpr FOURCC kWave = mmioFOURCC('W', 'A', 'V', 'E');
constexpr FOURCC kFmt = mmioFOURCC('f', 'm', 't', ' ');
constexpr FOURCC kData = mmioFOURCC('d', 'a', 't', 'a');

class Mmio : public ::testing::Test {
 protected:
  HMMIO Open(const std::string& bytes) {
    WriteFileBytes(dir_ / "f.wav", bytes);
    h_ = mmioOpen((dir_ / "f.wav").c_str(), nullptr, MMIO_READ | MMIO_ALLOCBUF);
    EXPECT_NE(h_, nullptr);
    return h_;
  }
  void TearDown() override {
    if (h_) {
      EXPECT_EQ(mmioClose(h_, 0), MMSYSERR_NOERROR);
    }
  }

  TempDir dir_;
  HMMIO h_ = nullptr;
};

TEST_F(Mmio, DescendFindsChunksForwardInsideTheirParentSkippingOddSizedOnes) {
  // RIFF WAVE { "LIST" of 3 bytes (padded), "fmt ", "junk", "data" } then a stray "data"
  // after the RIFF chunk's end.
  std::string fmt = PcmFormat(1, 22050, 8);
  std::string body = "WAVE" + RiffChunk("LIST", "INF") + RiffChunk("fmt ", fmt) + RiffChunk("junk", "12345") +
                     RiffChunk("data", "abcd");
  std::string file = RiffChunk("RIFF", body) + RiffChunk("data", "zz");
  HMMIO h = Open(file);

  MMCKINFO riff;
  riff.fccType = kWave;
  ASSERT_EQ(mmioDescend(h, &riff, nullptr, MMIO_FINDRIFF), MMSYSERR_NOERROR);
  EXPECT_EQ(riff.ckid, mmioFOURCC('R', 'I', 'F', 'F'));
  EXPECT_EQ(riff.cksize, body.size());
  EXPECT_EQ(riff.dwDataOffset, 8u);
  EXPECT_EQ(mmioSeek(h, 0, SEEK_CUR), 12);  // after the form type

  MMCKINFO ck;
  ck.ckid = kFmt;
  ASSERT_EQ(mmioDescend(h, &ck, &riff, MMIO_FINDCHUNK), MMSYSERR_NOERROR);
  EXPECT_EQ(ck.cksize, 16u);
  EXPECT_EQ(ck.dwDataOffset, 12u + 12u + 8u);  // the LIST chunk takes 8 + 3 + 1 pad bytes
  char buf[16];
  EXPECT_EQ(mmioRead(h, buf, 10), 10);  // a partial read; ascending still leaves the chunk
  EXPECT_EQ(std::string(buf, 10), fmt.substr(0, 10));
  ASSERT_EQ(mmioAscend(h, &ck, 0), MMSYSERR_NOERROR);

  // "fmt " is behind: searching for it again from here fails.
  MMCKINFO again;
  again.ckid = kFmt;
  long long pos = mmioSeek(h, 0, SEEK_CUR);
  EXPECT_EQ(mmioDescend(h, &again, &riff, MMIO_FINDCHUNK), MMIOERR_CHUNKNOTFOUND);
  mmioSeek(h, static_cast<LONG>(pos), SEEK_SET);

  ck.ckid = kData;
  ASSERT_EQ(mmioDescend(h, &ck, &riff, MMIO_FINDCHUNK), MMSYSERR_NOERROR);
  EXPECT_EQ(ck.cksize, 4u);
  EXPECT_EQ(mmioRead(h, buf, 4), 4);
  EXPECT_EQ(std::string(buf, 4), "abcd");
  ASSERT_EQ(mmioAscend(h, &ck, 0), MMSYSERR_NOERROR);

  // The "data" after the RIFF chunk lies outside the parent.
  ck.ckid = kData;
  EXPECT_EQ(mmioDescend(h, &ck, &riff, MMIO_FINDCHUNK), MMIOERR_CHUNKNOTFOUND);
  // Without a parent the search goes on to the end of the file.
  ASSERT_EQ(mmioAscend(h, &riff, 0), MMSYSERR_NOERROR);
  ck.ckid = kData;
  ASSERT_EQ(mmioDescend(h, &ck, nullptr, MMIO_FINDCHUNK), MMSYSERR_NOERROR);
  EXPECT_EQ(ck.dwDataOffset, 8u + body.size() + 8u);
  EXPECT_EQ(mmioSeek(h, 0, SEEK_END), static_cast<LONG>(file.size()));
}

TEST_F(Mmio, FindRiffNeedsTheFormType) {
  HMMIO h = Open(RiffChunk("RIFF", "AVI " + RiffChunk("data", "ab")));
  MMCKINFO riff;
  riff.fccType = kWave;
  EXPECT_EQ(mmioDescend(h, &riff, nullptr, MMIO_FINDRIFF), MMIOERR_CHUNKNOTFOUND);
}

TEST_F(Mmio, HugeDeclaredSizesEndTheSearchWithoutReadingPastTheFile) {
  std::string body = "WAVE" + RiffChunkDeclaring("junk", 0xFFFFFFFFu, "xx") + RiffChunk("data", "ab");
  HMMIO h = Open(RiffChunkDeclaring("RIFF", 0xFFFFFFF0u, body));
  MMCKINFO riff;
  riff.fccType = kWave;
  ASSERT_EQ(mmioDescend(h, &riff, nullptr, MMIO_FINDRIFF), MMSYSERR_NOERROR);
  MMCKINFO ck;
  ck.ckid = kData;
  EXPECT_EQ(mmioDescend(h, &ck, &riff, MMIO_FINDCHUNK), MMIOERR_CHUNKNOTFOUND);
}

TEST(MmioOpen, GoesThroughThePathResolverAndReadsOnly) {
  TempDir dir;
  dir.MakeDir("Wave");
  WriteFileBytes(dir / U8(u8"Wave/決定.WAV"), PcmWave(1, 22050, 8, "ab"));
  ScopedChdir cd(dir.path());
  HMMIO h = mmioOpen("wave\\決定.wav", nullptr, MMIO_READ);
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(mmioClose(h, 0), MMSYSERR_NOERROR);
  EXPECT_EQ(mmioOpen("wave\\missing.wav", nullptr, MMIO_READ), nullptr);
  EXPECT_EQ(mmioOpen("wave\\決定.wav", nullptr, 1 /* writing */), nullptr);
}

}  // namespace
