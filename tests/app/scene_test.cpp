// The scene manager: screens made on demand and deleted on a switch, Init once per screen, the
// play scene's pointer, the frame-time ring, and the colour steps of the palette animation.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>
#include <stdexcept>

#include "app/palette_anim.h"
#include "app/play_screen.h"
#include "app/scene.h"
#include "draw/context.h"
#include "engine/chara_anim.h"
#include "engine/play_scene.h"
#include "project/system_data.h"
#include "core/shell_link.h"
#include "platform/gdi.h"
#include "platform/message.h"
#include "support/temp_dir.h"

namespace {

struct Counts {
  int made[SCENE_TYPE_COUNT] = {};
  int inits[SCENE_TYPE_COUNT] = {};
  int deleted[SCENE_TYPE_COUNT] = {};
  int frames = 0;
};
Counts g_counts;
cSceneManager* g_manager = nullptr;

// A screen of the given type and the type it hands over to: ten frames of FadeIn, then FadeOut.
template <int Type, int Next>
class cFakeScene : public cScene {
 public:
  cFakeScene() {
    ++g_counts.made[Type];
    m_vHandler = {static_cast<Handler>(&cFakeScene::FadeIn), static_cast<Handler>(&cFakeScene::FadeOut)};
  }
  ~cFakeScene() override { ++g_counts.deleted[Type]; }
  void Update() override { StepScreen(0); }
  void Init() override { ++g_counts.inits[Type]; }
  void FadeIn() override {
    ++g_counts.frames;
    if (++m_nStep == 10) m_nPhase = 1;
  }
  void FadeOut() override {
    g_manager->m_nPrevScene = Type;
    g_manager->m_nScene = Next;
  }
};

cScene* MakeTitle() { return new cFakeScene<SCENE_TITLE, SCENE_WORLD_MAP>; }
cScene* MakeWorldMap() { return new cFakeScene<SCENE_WORLD_MAP, SCENE_TITLE>; }

class SceneTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_counts = Counts();
    g_manager = &manager;
    g_lpPlayScene = nullptr;
  }
  void TearDown() override {
    manager.DeleteAll();
    g_manager = nullptr;
    DiscardMessagesOf(env.MainWindow());
  }
  static void DiscardMessagesOf(HWND) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
  }
  CoreTestEnv env{true};
  cSceneManager manager;
};

TEST_F(SceneTest, TwoScreensSwitchingForThreeHundredFrames) {
  manager.SetSceneFactory(SCENE_TITLE, &MakeTitle);
  manager.SetSceneFactory(SCENE_WORLD_MAP, &MakeWorldMap);
  for (int i = 0; i < 300; ++i) ASSERT_EQ(manager.Tick(), 1);
  // Each screen lives 11 ticks (10 FadeIn frames, one FadeOut); the switch takes effect on the
  // next tick. 300 = 27 * 11 + 3: 27 whole screens, the 28th (a world map) in its 3rd frame.
  EXPECT_EQ(g_counts.made[SCENE_TITLE], 14);
  EXPECT_EQ(g_counts.made[SCENE_WORLD_MAP], 14);
  EXPECT_EQ(g_counts.inits[SCENE_TITLE], 14);
  EXPECT_EQ(g_counts.inits[SCENE_WORLD_MAP], 14);
  EXPECT_EQ(g_counts.deleted[SCENE_TITLE], 14);
  EXPECT_EQ(g_counts.deleted[SCENE_WORLD_MAP], 13);
  EXPECT_EQ(g_counts.frames, 27 * 10 + 3);
  EXPECT_EQ(manager.m_nScene, SCENE_WORLD_MAP);
  EXPECT_EQ(manager.m_nPrevScene, SCENE_TITLE);
  EXPECT_NE(manager.SceneOf(SCENE_WORLD_MAP), nullptr);
  EXPECT_EQ(manager.SceneOf(SCENE_TITLE), nullptr);
  manager.DeleteAll();
  EXPECT_EQ(g_counts.deleted[SCENE_WORLD_MAP], 14);
  for (cScene* slot : manager.m_pScene) EXPECT_EQ(slot, nullptr);
}

TEST_F(SceneTest, SlotsKeepOptionsBeforePlay) {
  EXPECT_EQ(SceneSlot(SCENE_TITLE), 0);
  EXPECT_EQ(SceneSlot(SCENE_STAGE_SELECT), 3);
  EXPECT_EQ(SceneSlot(SCENE_OPTIONS), 4);
  EXPECT_EQ(SceneSlot(SCENE_PLAY), 5);
  EXPECT_EQ(SceneSlot(6), -1);
  EXPECT_EQ(SceneSlot(-1), -1);
  manager.SetScene(SCENE_OPTIONS);
  EXPECT_NE(manager.m_pScene[4], nullptr);
  // A type outside 0..5 deletes every screen and makes none.
  manager.SetScene(6);
  for (cScene* slot : manager.m_pScene) EXPECT_EQ(slot, nullptr);
  manager.m_nScene = 6;
  EXPECT_EQ(manager.Tick(), 1);
}

int g_playObject;
int g_fpsSeen = -1;

cScene* MakePlay(cPlayScene** lplpPlay) {
  *lplpPlay = reinterpret_cast<cPlayScene*>(&g_playObject);
  return new cFakeScene<SCENE_PLAY, SCENE_TITLE>;
}

TEST_F(SceneTest, PlaySceneSetsAndClearsItsPointer) {
  PlaySceneHooks hooks;
  hooks.lpfnCreate = &MakePlay;
  hooks.lpfnSetFps = [](cPlayScene*, int fps) { g_fpsSeen = fps; };
  manager.SetPlaySceneHooks(hooks);
  manager.SetSceneFactory(SCENE_TITLE, &MakeTitle);
  manager.SetSceneFactory(SCENE_PLAY, &MakeTitle);  // the play type is not a screen's to take
  manager.m_nScene = SCENE_PLAY;
  g_fpsSeen = -1;
  ASSERT_EQ(manager.Tick(), 1);
  EXPECT_EQ(g_counts.made[SCENE_PLAY], 1);
  EXPECT_EQ(g_lpPlayScene, reinterpret_cast<cPlayScene*>(&g_playObject));
  EXPECT_TRUE(manager.HasPlayScene());
  EXPECT_GE(g_fpsSeen, 0) << "every tick hands the frame rate to the play scene";
  // Back to the title menu: the play scene and its pointer go, the title is made with Init.
  for (int i = 0; i < 11; ++i) manager.Tick();
  EXPECT_EQ(manager.m_nScene, SCENE_TITLE);
  manager.Tick();
  EXPECT_EQ(g_counts.deleted[SCENE_PLAY], 1);
  EXPECT_EQ(g_lpPlayScene, nullptr);
  EXPECT_EQ(g_counts.inits[SCENE_TITLE], 1);
  // DeleteAll clears it as well.
  manager.m_nScene = SCENE_PLAY;
  manager.Tick();
  ASSERT_NE(g_lpPlayScene, nullptr);
  manager.DeleteAll();
  EXPECT_EQ(g_lpPlayScene, nullptr);
}

TEST_F(SceneTest, PlayTypeWithoutEngineReturnsToTheTitle) {
  manager.SetSceneFactory(SCENE_TITLE, &MakeTitle);
  manager.m_nScene = SCENE_PLAY;
  manager.Tick();
  EXPECT_EQ(g_lpPlayScene, nullptr);
  EXPECT_EQ(manager.m_nScene, SCENE_TITLE);
  EXPECT_EQ(manager.m_nPrevScene, SCENE_PLAY);
  manager.Tick();
  EXPECT_EQ(manager.SceneOf(SCENE_PLAY), nullptr);
  EXPECT_EQ(g_counts.inits[SCENE_TITLE], 1);
}

class cThrowingInit : public cScene {
 public:
  explicit cThrowingInit(bool text) : m_bText(text) { m_vHandler = {static_cast<Handler>(&cThrowingInit::FadeIn)}; }
  void Update() override { StepScreen(0); }
  void Init() override {
    if (m_bText) throw "init failed";
    throw std::out_of_range("bad index");
  }
  void FadeIn() override { ++fadeIns; }
  bool m_bText;
  int fadeIns = 0;
};

TEST_F(SceneTest, InitThatThrowsClosesTheProgramAndTheScreenGoesOn) {
  for (bool text : {true, false}) {
    cThrowingInit scene(text);
    scene.Update();
    EXPECT_EQ(scene.m_nPhase, 0);
    EXPECT_EQ(scene.fadeIns, 1) << "the frame still runs";
    scene.Update();
    EXPECT_EQ(scene.fadeIns, 2);
    EXPECT_EQ(env.TakeCloseRequests(), 1);
  }
  EXPECT_NE(env.ErrorText().find("init failed"), std::string::npos);
}

TEST(FrameTime, AverageIsRefreshedEverySixteenFrames) {
  std::memset(g_FrameTimeRing, 0, sizeof(g_FrameTimeRing));
  g_nFrameTimeIndex = 0;
  g_nFrameTimeAvg = 0;
  for (int i = 1; i <= 15; ++i) {
    RecordFrameTime(17);
    EXPECT_EQ(g_nFrameTimeAvg, 0) << "frame " << i;
  }
  RecordFrameTime(33);
  EXPECT_EQ(g_nFrameTimeAvg, (15 * 17 + 33) >> 4);  // 288 / 16 = 18
  EXPECT_EQ(g_nFrameTimeIndex, 0);
}

TEST(PaletteSteps, PingPongTurnsAtTheLimits) {
  int value = 0;
  int dir = 0;
  // Rising from 0 by 5: 5, 10, ..., 250, then 255 would reach the top: undone, turn.
  for (int expect = 5; expect <= 250; expect += 5) {
    EXPECT_EQ(PingPongStep(&value, &dir, 5, 0, 255), 0);
    EXPECT_EQ(value, expect);
  }
  EXPECT_EQ(PingPongStep(&value, &dir, 5, 0, 255), 0);
  EXPECT_EQ(value, 250);
  EXPECT_EQ(dir, 1);
  EXPECT_EQ(PingPongStep(&value, &dir, 5, 0, 255), 0);
  EXPECT_EQ(value, 245);
  value = 5;
  EXPECT_EQ(PingPongStep(&value, &dir, 5, 0, 255), 1) << "reaching the bottom turns and reports it";
  EXPECT_EQ(value, 5);
  EXPECT_EQ(dir, 0);
  // A negative speed from the settings does not drift.
  value = 100;
  dir = 0;
  for (int i = 0; i < 100; ++i) PingPongStep(&value, &dir, -7, 0, 255);
  EXPECT_EQ(value, 100);
}

TEST(PaletteSteps, ColourSchemesRotateOrRepeatBlocks) {
  PALETTEENTRY pal[256];
  for (int i = 0; i < 256; ++i) pal[i] = PALETTEENTRY{static_cast<BYTE>(i), 0, 0, 0};
  PALETTEENTRY p[256];
  std::memcpy(p, pal, sizeof(p));
  ApplyHbtScheme(p, 3);
  EXPECT_EQ(p[16].peRed, 64) << "entry 64 comes to 16";
  // 192 entries move down by 48: entry 207 lands at 159, entry 16 wraps to 160.
  EXPECT_EQ(p[159].peRed, 207);
  EXPECT_EQ(p[160].peRed, 16) << "the first 48 entries wrap to the end";
  EXPECT_EQ(p[15].peRed, 15);
  EXPECT_EQ(p[208].peRed, 208);

  std::memcpy(p, pal, sizeof(p));
  ApplyHbtScheme(p, 0);
  EXPECT_EQ(std::memcmp(p, pal, sizeof(p)), 0);

  std::memcpy(p, pal, sizeof(p));
  ApplyHbtScheme(p, 12);
  for (int i = 16; i < 208; ++i) ASSERT_EQ(p[i].peRed, 16 + (i - 16) % 16) << i;

  // 23 repeats block 12 (entries 192..207); a larger number from a file counts as 23 and never
  // reads past the range.
  std::memcpy(p, pal, sizeof(p));
  ApplyHbtScheme(p, 40);
  for (int i = 16; i < 208; ++i) ASSERT_EQ(p[i].peRed, 192 + (i - 16) % 16) << i;
  EXPECT_EQ(p[208].peRed, 208);

  char file[MAX_PATH];
  HbtFileName(file, 3);
  EXPECT_STREQ(file, "bmp\\hbt\\hbt03.dat");
  HbtFileName(file, 23);
  EXPECT_STREQ(file, "bmp\\hbt\\hbt23.dat");
}

}  // namespace

namespace {

// The drawing layer's context pointers and the settings the animation reads, for one test.
struct AnimationScope {
  explicit AnimationScope(bool direct3D) {
    oldDT = lpDTCon;
    oldDD = lpDDCon;
    oldBpp = DDBpp;
    oldStep = g_SystemData.m_nPaletteAnimStep;
    oldAnim = g_SystemData.m_bPaletteAnim;
    lpDTCon = direct3D ? &dt : nullptr;
    lpDDCon = direct3D ? nullptr : &dd;
    ResetPaletteAnimation();
  }
  ~AnimationScope() {
    lpDTCon = oldDT;
    lpDDCon = oldDD;
    DDBpp = oldBpp;
    g_SystemData.m_nPaletteAnimStep = oldStep;
    g_SystemData.m_bPaletteAnim = oldAnim;
    ResetPaletteAnimation();
  }
  DTCONTEXT dt;
  DDCONTEXT dd;
  DTCONTEXT* oldDT;
  DDCONTEXT* oldDD;
  int oldBpp, oldStep, oldAnim;
};

uint32_t Argb(int r, int g, int b) { return 0xFF000000u | (r << 16) | (g << 8) | b; }

TEST(PaletteAnimation, Direct3DPulsesAndTheCyclingColour) {
  AnimationScope scope(true);
  g_SystemData.m_nPaletteAnimStep = 5;
  AnimatePalette();
  EXPECT_EQ(g_FlashColor[1].dwColor, Argb(0, 0, 0)) << "colours from the values before the step";
  AnimatePalette();
  EXPECT_EQ(g_FlashColor[1].dwColor, Argb(5, 5, 5));
  EXPECT_EQ(g_FlashColor[1].nColorOp, 7);
  EXPECT_EQ(g_FlashColor[2].dwColor, Argb(5, 5, 5));
  EXPECT_EQ(g_FlashColor[2].nColorOp, 10);
  EXPECT_EQ(g_FlashColor[3].dwColor, Argb(5, 0, 0));
  EXPECT_EQ(g_FlashColor[4].dwColor, Argb(0, 5, 0));
  EXPECT_EQ(g_FlashColor[5].dwColor, Argb(0, 0, 5));
  EXPECT_EQ(g_FlashColor[6].dwColor, Argb(5, 5, 0));
  EXPECT_EQ(g_FlashColor[7].dwColor, Argb(5, 0, 1));
  EXPECT_EQ(g_FlashColor[8].dwColor, Argb(1, 0, 5));
  EXPECT_EQ(g_FlashColor[9].dwColor, Argb(5, 0, 0));
  // Up 5..250 in 50 steps, the turn at the 51st, down to 5 by the 100th, the 101st completes
  // the fall: from the 102nd call the ninth colour is green.
  for (int call = 3; call <= 101; ++call) AnimatePalette();
  EXPECT_EQ(g_FlashColor[9].dwColor, Argb(5, 0, 0));
  AnimatePalette();
  EXPECT_EQ(g_FlashColor[9].dwColor, Argb(0, 5, 0));
  EXPECT_EQ(g_FlashColor[9].nColorOp, 7);
}

// The character drawing reads the pulses through the hook the play screen installs: entries
// 1..9 as the animation left them, nothing for 0 and 10.
TEST(PaletteAnimation, CharacterDrawingReadsThePulses) {
  AnimationScope scope(true);
  auto* const old = g_lpfnFlashColor;
  const PlaySceneHooks oldHooks = g_SceneManager.PlayHooks();
  const auto oldLink = g_PlayShellLink;
  RegisterPlayScreen();
  ASSERT_NE(g_lpfnFlashColor, nullptr);
  g_SystemData.m_nPaletteAnimStep = 5;
  AnimatePalette();
  AnimatePalette();
  uint32_t colour = 0;
  int32_t op = 0;
  EXPECT_EQ(g_lpfnFlashColor(2, &colour, &op), 1);
  EXPECT_EQ(colour, Argb(5, 5, 5));
  EXPECT_EQ(op, 10);
  EXPECT_EQ(g_lpfnFlashColor(9, &colour, &op), 1);
  EXPECT_EQ(colour, Argb(5, 0, 0));
  EXPECT_EQ(op, 7);
  for (int outside : {0, 10, -1}) {
    colour = 1;
    EXPECT_EQ(g_lpfnFlashColor(outside, &colour, &op), 0) << outside;
    EXPECT_EQ(colour, 1u) << "nothing written for entry " << outside;
  }
  g_lpfnFlashColor = old;
  g_SceneManager.SetPlaySceneHooks(oldHooks);
  g_PlayShellLink = oldLink;
}

// The play's system images: 65 images when play is entered, the eight background layers
// 55..62 when it goes on from stage to stage; the title's and the world map's images are not
// among them.
TEST(PlayImages, LongAndShortLists) {
  const int* list = nullptr;
  ASSERT_EQ(PlayImageList(0, &list), 65);
  std::vector<int> all(list, list + 65);
  for (int n : {1, 2, 20, 43, 46, 49, 51, 55, 62, 63, 70}) {
    EXPECT_NE(std::find(all.begin(), all.end(), n), all.end()) << n;
  }
  for (int n : {0, 47, 48, 52, 53, 54}) EXPECT_EQ(std::find(all.begin(), all.end(), n), all.end()) << n;
  ASSERT_EQ(PlayImageList(1, &list), 8);
  for (int i = 0; i < 8; ++i) EXPECT_EQ(list[i], 55 + i);
}

TEST(PaletteAnimation, EightBitCyclingEverySixthCall) {
  AnimationScope scope(false);
  g_SystemData.m_bPaletteAnim = 1;
  DDBpp = 8;
  PALETTEENTRY saved[256];
  std::memcpy(saved, DDPaletteWork, sizeof(saved));
  for (int i = 0; i < 256; ++i) DDPaletteWork[i] = PALETTEENTRY{static_cast<BYTE>(i), 0, 0, 0};
  for (int call = 1; call <= 5; ++call) AnimatePalette();
  EXPECT_EQ(DDPaletteWork[208].peRed, 208);
  AnimatePalette();
  // Each group of four moves down by one place, its first entry to its end.
  EXPECT_EQ(DDPaletteWork[208].peRed, 209);
  EXPECT_EQ(DDPaletteWork[211].peRed, 208);
  EXPECT_EQ(DDPaletteWork[236].peRed, 237);
  EXPECT_EQ(DDPaletteWork[239].peRed, 236);
  EXPECT_EQ(DDPaletteWork[207].peRed, 207);
  EXPECT_EQ(DDPaletteWork[240].peRed, 240);
  // Nothing at 16 bits.
  DDBpp = 16;
  for (int call = 0; call < 12; ++call) AnimatePalette();
  EXPECT_EQ(DDPaletteWork[208].peRed, 209);
  std::memcpy(DDPaletteWork, saved, sizeof(saved));
}

}  // namespace
