// A stage played to its end: the hero's flow shows a message that holds the game until a key,
// then a picture that holds it for a time, then clears the stage towards a stage named by its
// path. Played frame by frame on the drawing layer of a test window (the frames the game is
// held in come through the pause loop's input), and by the headless tool, which reports the
// next stage before its last line.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "../draw/draw_fixture.h"
#include "app/app_fixture.h"
#include "core/path.h"
#include "defs/cmd_kind.h"
#include "defs/def_context.h"
#include "defs/flow.h"
#include "engine/chara.h"
#include "engine/pause_thread.h"
#include "engine/picture.h"
#include "engine/play_scene.h"
#include "fixture/bmp8.h"
#include "fixture/fixture.h"
#include "play_scene_kit.h"
#include "project/database.h"
#include "project/save_data.h"
#include "project/stage_load.h"
#include "script/cmd_effect.h"
#include "temp_dir.h"
#include "test_thread.h"
#include "ui/input.h"

namespace {

using playscene::PlaySceneTest;

constexpr int kPictureTenths = 2;  // 12 frames
constexpr int kSheetGreen = 2;

// The hero's flow: "Hello" until a fresh key, picture 1 at the screen centre for 0.2 s, then
// the clear towards "data\stg4\goal.stg4".
cFlow HeroFlow() {
  cFlow f;
  f.m_byTrigger = TRIGGER_ALWAYS;
  cFlowCmd message = fixture::Command(CMD_MESSAGE);
  message.m_strText = "Hello";
  message.m_vParam[6] = 0;  // until the key
  message.m_vParam[8] = 1;  // holding the game
  cFlowCmd picture = fixture::Command(CMD_PICTURE);
  picture.m_vParam[0] = 1;
  picture.m_vParam[6] = 1;  // in front of the stage
  picture.m_vParam[7] = 100;
  picture.m_vParam[8] = 2;  // for a time
  picture.m_vParam[9] = kPictureTenths;
  picture.m_vParam[10] = 1;  // holding the game
  cFlowCmd clear = fixture::Command(CMD_STAGE_CLEAR);
  clear.m_vParam[0] = 2;  // by path
  clear.m_strText = "data\\stg4\\goal.stg4";
  f.m_vCmd = {message, picture, clear};
  return f;
}

cStage StartStage() {
  cStage s = fixture::Stage(20, 15);
  fixture::Fill(s, fixture::Block(1), 0, 14, 19, 14);
  cCharaData hero = fixture::Hero(2);
  hero.m_vFlow.assign(1, HeroFlow());
  fixture::Place(s, hero, 3, 13);
  fixture::EncloseGrid(s);
  return s;
}

// The project: the database with its picture, the settings, the palette, the stage "start" and
// the stage "goal" the clear leads to, and the picture file (32 × 16, green).
bool WriteGame(const std::string& root) {
  fixture::Project project(root);
  project.database.m_vPicture.resize(2);
  project.database.m_vPicture[1] = fixture::FileRecord<cPictureData>("sign", "pic\\sign.bmp");
  cStage start = StartStage();
  cStage goal = fixture::Stage(20, 15);
  fixture::Place(goal, fixture::Hero(2), 3, 13);
  fixture::Image8 sign(32, 16, kSheetGreen);
  fixture::Palette256 palette{};
  palette[kSheetGreen] = fixture::Rgb{0, 255, 0};
  return project.WriteDatabase() && project.WriteSystemData() && project.WriteCommonPalette() &&
         project.WriteStage(start, "start", 0) && project.WriteStage(goal, "goal", 0) &&
         fixture::MakeFolder(project.StoredPath("pic")) && fixture::WriteBmp8(root + "/pic/sign.bmp", sign, palette);
}

// What the held frames saw: the pause loop's input comes from here. A key wait gets its
// fresh press in its twelfth frame (after the message's ten frames of key delay and one frame
// up); each held frame notes the windows and pictures of the scene and the screen's centre.
struct Held {
  static int polls;
  static int messagePolls;
  static int picturePolls;
  static std::vector<std::string> texts;
  static size_t pictures;
  static size_t pictureSurfaces;
  static DWORD centre;
  static void Poll(cSafeVector<cInput>& v) {
    cPlayScene& scene = *g_lpPlayScene;
    const int mode = scene.m_PauseWait.m_nMode;
    int& count = mode == 1 ? messagePolls : picturePolls;
    ++count;
    ++polls;
    v[0].SetWords(0, static_cast<WORD>(mode == 1 && count == 12 ? 1 : 0));
    if (mode == 1) {
      texts.clear();
      for (const cMessageWindow& w : scene.m_lMessage) texts.push_back(w.m_strText);
    } else if (count == 2) {
      // The first held frame has been drawn by now.
      pictures = scene.m_lPicture.size();
      pictureSurfaces = g_lPictureSurface.size();
      centre = lpfnCentre();
    }
  }
  static DWORD (*lpfnCentre)();
};
int Held::polls = 0;
int Held::messagePolls = 0;
int Held::picturePolls = 0;
std::vector<std::string> Held::texts;
size_t Held::pictures = 0;
size_t Held::pictureSurfaces = 0;
DWORD Held::centre = 0;
DWORD (*Held::lpfnCentre)() = nullptr;

class StageToTheEnd : public DrawTest {
 protected:
  void SetUp() override {
    DrawTest::SetUp();
    current = this;
    Held::polls = Held::messagePolls = Held::picturePolls = 0;
    Held::texts.clear();
    Held::lpfnCentre = [] { return current->Pixel(&BackBuffer, 320, 240); };
  }
  static StageToTheEnd* current;
};
StageToTheEnd* StageToTheEnd::current = nullptr;

TEST_F(StageToTheEnd, MessageAndPictureHoldTheGameThenTheClearNamesTheNextStage) {
  InitOrFail(0, 32, 1);
  const std::string root = env->dir() / "game";
  ASSERT_TRUE(WriteGame(root));
  ScopedChdir in(root);
  const cSafeVector<cPictureData> savedPictures = g_Database.m_vPicture;
  g_Database.m_vPicture.assign(2, cPictureData());
  g_Database.m_vPicture[1] = fixture::FileRecord<cPictureData>("sign", "pic\\sign.bmp");
  const cDefContext savedContext = g_DefContext;
  g_Database.SetDefContext();  // the stage's references are checked against the list sizes
  const cPauseLink savedLink = g_PauseLink;
  g_PauseLink = cPauseLink{};
  g_PauseLink.lpfnPollInput = &Held::Poll;
  // The stage as the player loads it from the project.
  cStage header;
  ASSERT_EQ(LoadStageFile("data\\stg4\\start.stg4_000", 0, &header), 1);
  const cStage start = g_StageData;
  {
    PlaySceneTest t(start);
    g_lpfnFireEventEx = nullptr;  // the flows themselves answer the events
    g_SaveData.m_nStageNumber = 1;
    int frames = 0;
    RunAsGameThread([&] {
      while (t.Scene().m_nState != 4 && frames < 300) {
        t.Frames(1);
        ++frames;
      }
    });
    EXPECT_EQ(t.Scene().m_nState, 4) << "the stage was cleared";
    EXPECT_EQ(Held::texts, std::vector<std::string>{"Hello"});
    EXPECT_EQ(Held::messagePolls, 12) << "ten frames of key delay, one up, the fresh press";
    EXPECT_EQ(Held::picturePolls, kPictureTenths * 6 + 1);
    EXPECT_EQ(Held::pictures, 1u);
    EXPECT_EQ(Held::pictureSurfaces, 1u);
    EXPECT_EQ(Held::centre & 0xFFFFFFu, 0x00FF00u) << "the picture is drawn over the screen's centre";
    // Neither is left behind by its hold.
    EXPECT_TRUE(t.Scene().m_lMessage.empty());
    EXPECT_TRUE(t.Scene().m_lPicture.empty());
    EXPECT_TRUE(g_lPictureSurface.empty());
    // The clear named the stage by its path: its newest numbered file.
    std::string file;
    EXPECT_EQ(FindLastNumberedFileStr(file, t.Scene().NextStageName(t.Scene().m_nNextStage).c_str(), "stg4"), 1);
    EXPECT_EQ(file, "data\\stg4\\goal.stg4_000");
  }
  g_PauseLink = savedLink;
  g_Database.m_vPicture = savedPictures;
  g_DefContext = savedContext;
}

TEST_F(StageToTheEnd, SettingTheStageUpAgainTakesEveryPictureAway) {
  InitOrFail(0, 32, 1);
  const std::string root = env->dir() / "game";
  ASSERT_TRUE(WriteGame(root));
  ScopedChdir in(root);
  const cSafeVector<cPictureData> savedPictures = g_Database.m_vPicture;
  g_Database.m_vPicture.assign(2, cPictureData());
  g_Database.m_vPicture[1] = fixture::FileRecord<cPictureData>("sign", "pic\\sign.bmp");
  {
    cStage stage = fixture::Stage(20, 15);
    fixture::Place(stage, fixture::Hero(2), 3, 13);
    PlaySceneTest t(stage);
    ASSERT_EQ(t.Scene().SetStage(0, 1), 1);
    cFlowCmd show = fixture::Command(CMD_PICTURE);
    show.m_vParam[0] = 1;
    show.m_vParam[7] = 100;
    show.m_vParam[8] = 1;  // until the stage ends
    CmdShowPicture(g_vPlayer[0], show);
    CmdShowPicture(g_vPlayer[0], show);
    ASSERT_EQ(t.Scene().m_lPicture.size(), 2u);
    ASSERT_EQ(g_lPictureSurface.size(), 2u);
    ASSERT_EQ(t.Scene().SetStage(1, 0), 1);
    EXPECT_TRUE(t.Scene().m_lPicture.empty());
    EXPECT_TRUE(g_lPictureSurface.empty());
    EXPECT_TRUE(g_lPictureBmpEntry.empty());
  }
  g_Database.m_vPicture = savedPictures;
}

// The headless tool on the same project: the frames of the held message take their numbers
// from the run's frames, and the next stage is reported when play ends.
TEST(HeadlessToTheEnd, TheNextStageIsReportedBeforeTheLastLine) {
  TempDir dir;
  ASSERT_TRUE(WriteGame(dir.path()));
  // A fresh press every fourth frame.
  std::string keys;
  for (int f = 4; f <= 400; f += 4) keys += std::to_string(f) + " b1\n";
  const std::string input = dir / "keys.txt";
  ASSERT_TRUE(appfixture::WriteText(input, keys));
  const std::string cmd = std::string(PLAY_HEADLESS) + " --project " + dir.path() + " --frames 400 --input " + input +
                          " 'data\\stg4\\start.stg4_000'";
  std::vector<std::string> lines;
  FILE* p = popen(cmd.c_str(), "r");
  ASSERT_NE(p, nullptr);
  char buf[512];
  while (std::fgets(buf, sizeof buf, p)) lines.emplace_back(buf);
  ASSERT_EQ(pclose(p), 0);
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ(lines.back().rfind("digest ", 0), 0u);
  // The clear names the stage "goal", but a stage file played on its own is played again.
  EXPECT_EQ(lines[lines.size() - 2], "next stage: data\\stg4\\start.stg4_000 (again)\n");
  // The message held the game: a run of frames without a line of their own, at least its ten
  // frames of key delay and the frame of the press.
  long before = 0;
  long widest = 0;
  for (size_t i = 0; i + 2 < lines.size(); ++i) {
    const long frame = std::strtol(lines[i].c_str(), nullptr, 10);
    widest = std::max(widest, frame - before);
    before = frame;
  }
  EXPECT_GE(widest, 12);
  EXPECT_EQ(before, 400) << "the run lasts its frames, held ones included";
}

}  // namespace
