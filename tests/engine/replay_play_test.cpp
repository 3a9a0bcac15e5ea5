// Replays and determinism: the same seed and input give the same frames, a play recorded here
// plays back with the same state digest at every frame, a replay that runs out restarts the
// stage, and the headless tool does the same from a project folder.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/app_fixture.h"
#include "engine/play_digest.h"
#include "fixture/fixture.h"
#include "platform/time.h"
#include "play_scene_kit.h"
#include "project/global_data.h"
#include "project/replay.h"
#include "project/shell_state.h"
#include "temp_dir.h"

namespace {

using playscene::PlaySceneTest;

// The stage "walk": the stage number and the start banner at its start, a hero, two characters
// and an item.
cStage ReplayStage() { return appfixture::WalkStage(); }

// The held keys of a frame: a fixed pattern of walks and presses.
void Press(int frame) {
  static const WORD dirs[] = {0, 2, 2, 1, 4, 8, 2};
  g_vInput[0].SetWords(dirs[(frame / 17) % 7], static_cast<WORD>((frame / 23) % 3 == 1 ? 1 : 0));
  g_vInput[0].m_nDirCode = cInput::GetDirCode(&g_vInput[0].m_wDir);
}

std::vector<uint64_t> Play(PlaySceneTest& t, int frames) {
  std::vector<uint64_t> digests;
  for (int f = 1; f <= frames; ++f) {
    Press(f);
    t.Frames(1);
    AdvanceTestClock(16);
    digests.push_back(PlayStateDigest());
  }
  return digests;
}

TEST(Determinism, TheSameSeedAndInputGiveTheSameFrames) {
  std::vector<uint64_t> first, second;
  std::string text[2];
  for (auto* out : {&first, &second}) {
    PlaySceneTest t(ReplayStage());
    t.Scene().m_nSeed = 77;
    *out = Play(t, 500);
    text[out == &second] = DescribePlayState();
  }
  EXPECT_EQ(text[0], text[1]);
  EXPECT_EQ(first, second);
  EXPECT_NE(first[200], first[400]) << "the frames differ from each other";
}

TEST(Replay, ARecordedPlayPlaysBackWithTheSameDigestAtEveryFrameAndThenRestarts) {
  TempDir dir;
  const std::string path = dir / "play.rpl4_790";
  std::vector<uint64_t> recorded;
  {
    PlaySceneTest t(ReplayStage());
    g_SystemData.m_bReplay = 1;
    UseTestClock(4321);
    recorded = Play(t, 400);
    EXPECT_EQ(g_Replay.m_nSeed, 4321);
    EXPECT_EQ(t.Scene().m_nSeed, 4321);
    ASSERT_EQ(WriteReplayFile(g_Replay, path.c_str(), g_StageData, g_StageInit, g_ReplaySaveData), 1);
  }
  PlaySceneTest t(ReplayStage());
  g_nPlayMode = PLAYMODE_REPLAY;
  g_nGameMode = GAMEMODE_REPLAY;
  g_bFreePlay = 0;
  ASSERT_EQ(LoadReplayForPlayback(path.c_str()), 1);
  UseTestClock(99);  // the replay's seed is used, not the clock
  const std::vector<uint64_t> played = Play(t, 400);
  ASSERT_EQ(played.size(), recorded.size());
  for (size_t i = 0; i < played.size(); ++i) ASSERT_EQ(played[i], recorded[i]) << "frame " << i + 1;
  // The recording holds the play frames only: the next frame finds it exhausted, and the stage
  // starts again with its start display.
  EXPECT_EQ(t.Scene().m_nState, 2);
  t.Frames(1);
  EXPECT_EQ(t.Scene().m_nState, 1);
  EXPECT_EQ(t.Scene().m_nFrame, 0);
  EXPECT_EQ(t.Scene().m_nStartCount, 0);
  t.Frames(1);
  EXPECT_EQ(t.Scene().m_nStartCount, 1) << "the replay banner shows again";
}

// The headless tool on a project folder written by the fixture builder.
class Headless : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(appfixture::WriteProject(dir_.path()));
    fixture::Project project(dir_.path());
    cStage stage = ReplayStage();
    ASSERT_TRUE(project.WriteStage(stage, "walk", 0));
  }
  // The lines the tool prints.
  std::vector<std::string> Tool(const std::string& args) {
    const std::string cmd = std::string(PLAY_HEADLESS) + " --project " + dir_.path() + " " + args;
    std::vector<std::string> lines;
    FILE* p = popen(cmd.c_str(), "r");
    if (!p) return lines;
    char buf[512];
    while (std::fgets(buf, sizeof buf, p)) lines.emplace_back(buf);
    status_ = pclose(p);
    return lines;
  }
  std::string Stage() const { return "'data\\stg4\\walk.stg4_000'"; }

  TempDir dir_;
  int status_ = -1;
};

TEST_F(Headless, TwoRunsWithTheSameRandomInputEndAlike) {
  const auto a = Tool("--frames 600 --random-input 11 " + Stage());
  ASSERT_EQ(status_, 0);
  ASSERT_EQ(a.size(), 601u);
  EXPECT_EQ(a.back().rfind("digest ", 0), 0u);
  EXPECT_EQ(a.back().size(), std::string("digest ").size() + 16 + 1);
  const auto b = Tool("--frames 600 --random-input 11 " + Stage());
  EXPECT_EQ(a.back(), b.back());
  const auto c = Tool("--frames 600 --random-input 12 " + Stage());
  EXPECT_EQ(c.size(), 601u);
}

TEST_F(Headless, ARecordedRunPlaysBackLineForLine) {
  const std::string rpl = dir_ / "run.rpl4_790";
  const auto recorded = Tool("--frames 500 --seed 5 --random-input 3 --record " + rpl + " " + Stage());
  ASSERT_EQ(status_, 0);
  const auto played = Tool("--frames 500 --replay " + rpl);
  ASSERT_EQ(status_, 0);
  EXPECT_EQ(played, recorded);
}

TEST_F(Headless, TheInputFileHoldsKeysPerFrameRange) {
  const std::string input = dir_ / "keys.txt";
  ASSERT_TRUE(appfixture::WriteText(input, "# walk\n1-100 right\n50-60 right b1\n"));
  const auto a = Tool("--frames 200 --input " + input + " " + Stage());
  ASSERT_EQ(status_, 0);
  EXPECT_EQ(a.size(), 201u);
  ASSERT_TRUE(appfixture::WriteText(input, "1-100 sideways\n"));
  Tool("--frames 10 --input " + input + " " + Stage());
  EXPECT_NE(status_, 0) << "an unknown key is refused";
}

TEST_F(Headless, EveryFixtureStagePlaysThreeThousandFramesOfRandomInput) {
  // The project's own stages (numbered versions 2 and 10 of "free") and the one written here.
  for (const char* stage : {"'data\\stg4\\free.stg4_002'", "'data\\stg4\\free.stg4_010'",
                            "'data\\stg4\\walk.stg4_000'"}) {
    const auto lines = Tool(std::string("--frames 3000 --random-input 21 ") + stage);
    EXPECT_EQ(status_, 0) << stage;
    EXPECT_EQ(lines.size(), 3001u) << stage;
  }
}

}  // namespace
