// play_headless --png: a run writes the frames asked for as PNG files of the frame shown, and
// the pictures do not change the play.
#include <gtest/gtest.h>
#include <png.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "app/play_screen.h"
#include "defs/cmd_kind.h"
#include "defs/flow.h"
#include "fixture/bmp8.h"
#include "fixture/fixture.h"
#include "project/effect_kind_data.h"
#include "project/system_image.h"
#include "headless_run.h"
#include "support/temp_dir.h"

namespace {

// Palette colours of the fixture: the transparent magenta, the background and the block.
constexpr int kBackColour = 5;
constexpr int kBlockColour = 7;
constexpr int kPictureColour = 9;
const fixture::Rgb kBack{0x20, 0x40, 0xA0};
const fixture::Rgb kBlock{0xC0, 0x80, 0x10};
const fixture::Rgb kPicture{0x30, 0xD0, 0x60};

fixture::Palette256 Palette() {
  fixture::Palette256 p{};
  for (int i = 0; i < 256; ++i) p[static_cast<size_t>(i)] = fixture::Rgb{uint8_t(i), uint8_t(i), uint8_t(i)};
  p[0] = fixture::Rgb{0xFF, 0x00, 0xFF};
  p[kBackColour] = kBack;
  p[kBlockColour] = kBlock;
  p[kPictureColour] = kPicture;
  return p;
}

// The path of a stored image name under the root; its folder is made.
std::string OnDisk(const std::string& root, const char* stored) {
  std::string path = root + "/";
  for (const char* c = stored; *c; ++c) path += *c == '\\' ? '/' : *c;
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  return path;
}

std::string LastLine(const std::string& text) {
  const size_t end = text.find_last_not_of('\n');
  if (end == std::string::npos) return "";
  const size_t start = text.rfind('\n', end);
  return text.substr(start == std::string::npos ? 0 : start + 1, end - (start == std::string::npos ? 0 : start + 1) + 1);
}

struct Picture {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgb;
  uint32_t At(int x, int y) const {
    const size_t i = (static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)) * 3;
    return uint32_t{rgb[i]} << 16 | uint32_t{rgb[i + 1]} << 8 | rgb[i + 2];
  }
};

bool ReadPng(const std::string& file, Picture* out) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, file.c_str())) return false;
  image.format = PNG_FORMAT_RGB;
  out->width = static_cast<int>(image.width);
  out->height = static_cast<int>(image.height);
  out->rgb.resize(PNG_IMAGE_SIZE(image));
  return png_image_finish_read(&image, nullptr, out->rgb.data(), 0, nullptr) != 0;
}

uint32_t Colour(const fixture::Rgb& c) { return uint32_t{c.r} << 16 | uint32_t{c.g} << 8 | c.b; }

// A project of one 20 × 15 stage (the size of the screen, so it does not scroll) on a
// background of colour 5, with a floor of blocks whose chip (graphic 1) is colour 7 on row 14 and the hero
// (an empty cell) on it. Every image the play needs is there; all but the palette and the
// block sheet are empty (colour 0, the transparent colour).
class PlayHeadlessPng : public ::testing::Test {
 protected:
  void SetUp() override {
    root = dir / "game";
    fixture::Project project(root);
    cStage stage = fixture::Stage(20, 15);
    cCharaData hero = fixture::Hero(1);
    Shape(project, hero);
    ASSERT_TRUE(project.WriteDatabase());
    ASSERT_TRUE(project.WriteSystemData());
    ASSERT_TRUE(project.WriteCommonPalette());
    cBgData back;
    back.m_bShow = 1;
    back.m_bFill = 1;
    back.m_nFillColor = kBackColour;
    stage.m_vBg.assign(1, back);
    stage.m_bShowStartBanner = 0;
    stage.m_bShowStageBanner = 0;
    fixture::Fill(stage, fixture::Block(1), 0, 14, 19, 14);
    fixture::Place(stage, hero, 3, 13);
    fixture::EncloseGrid(stage);
    ASSERT_TRUE(project.WriteStage(stage, "png"));
    stageName = "data\\\\stg4\\\\png.stg4_000";

    const fixture::Palette256 palette = Palette();
    // The palette image: entry n at (n mod 16, 8 + n / 16).
    fixture::Image8 paletteImage(16, 24);
    for (int n = 0; n < 256; ++n) paletteImage.Set(n % 16, 8 + n / 16, static_cast<uint8_t>(n));
    ASSERT_TRUE(fixture::WriteBmp8(OnDisk(root, g_SystemBitmapTable[0].szFileName), paletteImage, palette));
    const int* list = nullptr;
    const int count = PlayImageList(0, &list);
    std::vector<int> images(list, list + count);
    images.push_back(1);
    for (int i : images) {
      const BitmapEntry& e = g_SystemBitmapTable[i];
      if (e.bOptional || std::string(e.szFileName) == "E" || i == 0) continue;
      fixture::Image8 picture(64, 64, i == 2 || i == 3 ? kBlockColour : 0);
      ASSERT_TRUE(fixture::WriteBmp8(OnDisk(root, e.szFileName), picture, palette)) << e.szFileName;
    }
  }

  // What a test adds to the project's database and to the hero before they are written.
  virtual void Shape(fixture::Project& /*project*/, cCharaData& /*hero*/) {}

  TempDir dir;
  std::string root;
  std::string stageName;
};

TEST_F(PlayHeadlessPng, TheFramesAskedForAreWrittenAsShown) {
  const std::string first = dir / "first.png", later = dir / "later.png", same = dir / "same.png";
  const HeadlessRun run = RunHeadless("--project " + root + " --frames 12 --png 1:" + first + " --png 10:" + later +
                              " --png 10:" + same + " " + stageName);
  ASSERT_EQ(run.status, 0) << run.out;
  for (const std::string& file : {first, later, same}) {
    SCOPED_TRACE(file);
    Picture p;
    ASSERT_TRUE(ReadPng(file, &p));
    ASSERT_EQ(p.width, 640);
    ASSERT_EQ(p.height, 480);
    // The background fills the screen; the floor's chips lie on the bottom row of cells.
    EXPECT_EQ(p.At(10, 240), Colour(kBack));
    EXPECT_EQ(p.At(639, 447), Colour(kBack));
    EXPECT_EQ(p.At(0, 448), Colour(kBlock));
    EXPECT_EQ(p.At(31, 479), Colour(kBlock));
    EXPECT_EQ(p.At(639, 479), Colour(kBlock));
  }

  // Without pictures the run plays the same frames.
  const HeadlessRun plain = RunHeadless("--project " + root + " --frames 12 " + stageName);
  ASSERT_EQ(plain.status, 0) << plain.out;
  EXPECT_EQ(LastLine(plain.out), LastLine(run.out));
  EXPECT_EQ(LastLine(plain.out).rfind("digest ", 0), 0u);
}

TEST_F(PlayHeadlessPng, BadRequestsAreRefusedAndUnwritableFilesReported) {
  for (const char* arg : {"--png 0:x.png", "--png 3", "--png 3:"}) {
    SCOPED_TRACE(arg);
    EXPECT_EQ(RunHeadless("--project " + root + " --frames 2 " + arg + " " + stageName).status, 2);
  }
  // A file that cannot be written, and a frame after the last one played: both reported, the
  // run fails and gives no digest.
  const HeadlessRun run = RunHeadless("--project " + root + " --frames 3 --png 2:" + dir / "none/x.png" + " --png 4:" +
                                    dir / "late.png" + " " + stageName);
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.out.find("cannot write the picture"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("frame 4 was not played"), std::string::npos) << run.out;
  EXPECT_NE(LastLine(run.out).rfind("digest ", 0), 0u);
}

// The hero's flow holds the game twice as soon as play starts: a picture (32 × 16, at the
// screen's centre) for one second, then a wait of ten seconds without it.
class HeldFramesPng : public PlayHeadlessPng {
 protected:
  void Shape(fixture::Project& project, cCharaData& hero) override {
    project.database.m_vPicture.resize(2);
    project.database.m_vPicture[1] = fixture::FileRecord<cPictureData>("sign", "pic\\sign.bmp");
    cFlow flow;
    flow.m_byTrigger = TRIGGER_ALWAYS;
    cFlowCmd picture = fixture::Command(CMD_PICTURE);
    picture.m_vParam[0] = 1;
    picture.m_vParam[6] = 1;    // in front of the stage
    picture.m_vParam[7] = 100;  // its own size
    picture.m_vParam[8] = 2;    // for a time
    picture.m_vParam[9] = 10;   // tenths: 60 frames
    picture.m_vParam[10] = 1;   // holding the game
    cFlowCmd wait = fixture::Command(CMD_GAME_WAIT);
    wait.m_vParam[0] = 100;  // tenths: 600 frames
    flow.m_vCmd = {picture, wait};
    hero.m_vFlow.assign(1, flow);
  }
  void SetUp() override {
    PlayHeadlessPng::SetUp();
    ASSERT_TRUE(fixture::WriteBmp8(OnDisk(root, "pic\\sign.bmp"), fixture::Image8(32, 16, kPictureColour), Palette()));
  }
};

TEST_F(HeldFramesPng, FramesTheGameIsHeldInAreWrittenAsTheHoldDrawsThem) {
  // Play starts within the first few frames; the picture's hold covers the sixty frames after
  // that, the wait the six hundred after those.
  const std::string inPicture = dir / "picture.png", inWait = dir / "wait.png";
  const HeadlessRun run = RunHeadless("--project " + root + " --frames 200 --png 40:" + inPicture + " --png 150:" +
                                    inWait + " " + stageName);
  ASSERT_EQ(run.status, 0) << run.out;
  Picture p, w;
  ASSERT_TRUE(ReadPng(inPicture, &p));
  ASSERT_TRUE(ReadPng(inWait, &w));
  // The picture lies over (304, 232) to (335, 247); the stage shows around it.
  EXPECT_EQ(p.At(304, 232), Colour(kPicture));
  EXPECT_EQ(p.At(335, 247), Colour(kPicture));
  EXPECT_EQ(p.At(303, 240), Colour(kBack));
  EXPECT_EQ(p.At(320, 248), Colour(kBack));
  EXPECT_EQ(p.At(0, 448), Colour(kBlock));
  // The picture left with its hold; the wait shows the stage alone.
  EXPECT_EQ(w.At(320, 240), Colour(kBack));
  EXPECT_EQ(w.At(0, 448), Colour(kBlock));

  // The held frames have no lines of their own, and writing them changes nothing of the play.
  EXPECT_EQ(run.out.find("\n40 "), std::string::npos) << run.out;
  const HeadlessRun plain = RunHeadless("--project " + root + " --frames 200 " + stageName);
  ASSERT_EQ(plain.status, 0) << plain.out;
  EXPECT_EQ(LastLine(plain.out), LastLine(run.out));
}

// The hero's flow starts a looping horizontal shake as soon as play starts: amplitude 4 dots,
// 4 swings a second, so the offset moves by 4 x 4 x 4 / 60 = 1.0667 dots a frame and is set to
// exactly +4 and -4 where it turns (0, 1.07, 2.13, 3.2, then 4; down through 0 to -4 in 8
// frames): a whole swing takes 15 or 16 frames.
class ShakenFramesPng : public PlayHeadlessPng {
 protected:
  void Shape(fixture::Project& project, cCharaData& hero) override {
    cScrEffectData shake;
    shake.m_nKind = 2;  // "振動（横）"
    shake.m_nParam[0] = 10;
    shake.m_nParam[1] = 4;
    shake.m_nParam[2] = 4;
    project.database.m_vScrEffect.resize(2);
    project.database.m_vScrEffect[1] = shake;
    cFlow flow;
    flow.m_byTrigger = TRIGGER_ALWAYS;
    cFlowCmd start = fixture::Command(CMD_SCREEN_EFFECT);
    start.m_vParam[0] = 1;  // the effect
    start.m_vParam[1] = 1;  // forward
    start.m_vParam[2] = 1;  // looping
    cFlowCmd wait = fixture::Command(CMD_WAIT);
    wait.m_bZeroTime = 0;
    wait.m_sTime = 9999;  // tenths: longer than the run
    flow.m_vCmd = {start, wait};
    hero.m_vFlow.assign(1, flow);
  }
};

TEST_F(ShakenFramesPng, AHorizontalShakeMovesTheFrameByItsAmplitude) {
  constexpr int kFirst = 30, kCount = 16;
  std::string args = "--project " + root + " --frames " + std::to_string(kFirst + kCount);
  for (int f = kFirst; f < kFirst + kCount; ++f) args += " --png " + std::to_string(f) + ":" + dir / (std::to_string(f) + ".png");
  const HeadlessRun run = RunHeadless(args + " " + stageName);
  ASSERT_EQ(run.status, 0) << run.out;
  // The floor fills the bottom row of cells from edge to edge: where the frame moved, the strip
  // it uncovered is cleared with colour 16; at +4 the five columns 0..4, at -4 the four 636..639.
  const uint32_t cleared = 0x101010;
  int right = 0, left = 0;
  for (int f = kFirst; f < kFirst + kCount; ++f) {
    SCOPED_TRACE(f);
    Picture p;
    ASSERT_TRUE(ReadPng(dir / (std::to_string(f) + ".png"), &p));
    EXPECT_EQ(p.At(5, 460), Colour(kBlock)) << "never more than the amplitude";
    EXPECT_EQ(p.At(634, 460), Colour(kBlock));
    if (p.At(4, 460) == cleared) {
      ++right;
      for (int x = 0; x < 4; ++x) EXPECT_EQ(p.At(x, 460), cleared) << x;
    }
    if (p.At(636, 460) == cleared) {
      ++left;
      EXPECT_EQ(p.At(635, 460), Colour(kBlock));
      for (int x = 637; x < 640; ++x) EXPECT_EQ(p.At(x, 460), cleared) << x;
    }
  }
  EXPECT_GE(right, 1) << "a frame shaken 4 dots to the right";
  EXPECT_GE(left, 1) << "a frame shaken 4 dots to the left";
}

// The hero's sight, a square around it (shape 3) that starts at 0 and is changed by its flow:
// after a second a status operation sets it to 2 half blocks, a second later the code language
// to 4, a second after that a status operation to 0 again.
class SightPng : public PlayHeadlessPng {
 protected:
  static cFlowCmd Wait(int tenths) {
    cFlowCmd c = fixture::Command(CMD_WAIT);
    c.m_bZeroTime = 0;
    c.m_sTime = static_cast<int16_t>(tenths);
    return c;
  }
  static cFlowCmd SetSight(int halfBlocks) {
    cFlowCmd c = fixture::Command(CMD_STATUS);
    c.m_vParam[4] = 8;  // 視界範囲(hbl) of the running character, set to the constant [7]
    c.m_vParam[7] = halfBlocks;
    return c;
  }
  void Shape(fixture::Project& /*project*/, cCharaData& hero) override {
    hero.m_bySightShape = 3;
    hero.m_bySight = 0;
    cFlowCmd code = fixture::Command(CMD_CODE);
    code.m_strText = "my.sight = 4";
    cFlow flow;
    flow.m_byTrigger = TRIGGER_ALWAYS;
    flow.m_vCmd = {Wait(10), SetSight(2), Wait(10), code, Wait(10), SetSight(0), Wait(1000)};
    hero.m_vFlow.assign(1, flow);
  }
};

TEST_F(SightPng, TheDarknessFollowsTheSightAsCommandsChangeIt) {
  // Play runs from frame 3, ten sub-steps a frame: each wait of a second takes the sub-steps of
  // 60 frames, so the sight becomes 32 dots in frame 63, 64 dots in frame 123 and 0 in frame 183.
  const std::string none = dir / "none.png", small = dir / "small.png", large = dir / "large.png",
                    again = dir / "again.png";
  const HeadlessRun run = RunHeadless("--project " + root + " --frames 200 --png 40:" + none + " --png 100:" + small +
                                      " --png 160:" + large + " --png 200:" + again + " " + stageName);
  ASSERT_EQ(run.status, 0) << run.out;
  Picture p[4];
  const std::string files[4] = {none, small, large, again};
  for (int i = 0; i < 4; ++i) ASSERT_TRUE(ReadPng(files[i], &p[i])) << files[i];
  const uint32_t dark = Colour(Palette()[16]);
  // A sight of 0: all of the stage is dark (the head-up display and the notice are drawn over
  // the mask; they keep to the top row and the bottom 24 lines).
  for (const Picture* q : {&p[0], &p[3]}) {
    for (int y = 24; y < 448; y += 8)
      for (int x = 0; x < 640; x += 8) ASSERT_EQ(q->At(x, y), dark) << x << "," << y;
    EXPECT_EQ(q->At(112, 432), dark);
  }
  // The hero's 32-dot cell lies at (96, 416) on the screen, its centre at (112, 432): a sight
  // of r dots opens the square of 2r around the centre, x 112 - r .. 111 + r, and the same in
  // y. The floor's chips begin at y 448.
  const struct {
    int x, y;
    uint32_t small, large;
  } points[] = {
      {80, 400, Colour(kBack), Colour(kBack)},    {143, 447, Colour(kBack), Colour(kBack)},
      {143, 463, Colour(kBlock), Colour(kBlock)}, {79, 432, dark, Colour(kBack)},
      {144, 432, dark, Colour(kBack)},            {112, 399, dark, Colour(kBack)},
      {112, 464, dark, Colour(kBlock)},           {48, 368, dark, Colour(kBack)},
      {175, 470, dark, Colour(kBlock)},           {47, 432, dark, dark},
      {176, 432, dark, dark},                     {112, 367, dark, dark},
      {300, 240, dark, dark},
  };
  for (const auto& pt : points) {
    EXPECT_EQ(p[1].At(pt.x, pt.y), pt.small) << "sight 32 at " << pt.x << "," << pt.y;
    EXPECT_EQ(p[2].At(pt.x, pt.y), pt.large) << "sight 64 at " << pt.x << "," << pt.y;
  }
}

// A box-style message of one blank full-width character at the centre of the screen (display
// mode 0, the game not held), with a box picture whose left 8 columns are colour 9 and the rest
// the transparent colour.
class BoxWindowPng : public PlayHeadlessPng {
 protected:
  void Shape(fixture::Project& /*project*/, cCharaData& hero) override {
    cFlowCmd message = fixture::Command(CMD_MESSAGE);
    message.m_strText = "\x81\x40";
    message.m_vParam[14] = 1;  // box style
    cFlowCmd wait = fixture::Command(CMD_WAIT);
    wait.m_bZeroTime = 0;
    wait.m_sTime = 1000;
    cFlow flow;
    flow.m_byTrigger = TRIGGER_ALWAYS;
    flow.m_vCmd = {message, wait};
    hero.m_vFlow.assign(1, flow);
  }
  void SetUp() override {
    PlayHeadlessPng::SetUp();
    fixture::Image8 box(64, 64, 0);
    for (int y = 0; y < 64; ++y)
      for (int x = 0; x < 8; ++x) box.Set(x, y, kPictureColour);
    ASSERT_TRUE(fixture::WriteBmp8(OnDisk(root, g_SystemBitmapTable[IMAGE_BOX].szFileName), box, Palette()));
  }
  static constexpr int IMAGE_BOX = 45;
};

TEST_F(BoxWindowPng, TheBoxPictureAndItsFrameShowWhileItOpensAndOnceItsTextShows) {
  // The window is 16 + 2 square at (320 - 9, 240 - 9). It is first drawn in frame 3 (opening
  // frame 1); opening frame n draws the box s = n / 10 of the size around the window's middle:
  // n = 5 in frame 7 puts a 9 × 9 box at (311 + 9 - 4.5, 231 + 9 - 4.5) = (315, 235). From
  // frame 12 the window's surface shows: the box at (312, 232), 16 × 16. Both are framed one
  // dot thick in colour 240 and show the stage where the box picture is transparent.
  const std::string opening = dir / "opening.png", shown = dir / "shown.png";
  const HeadlessRun run = RunHeadless("--project " + root + " --frames 14 --png 7:" + opening + " --png 14:" + shown +
                                      " " + stageName);
  ASSERT_EQ(run.status, 0) << run.out;
  const uint32_t frame = Colour(Palette()[240]);
  const struct {
    const std::string& file;
    int x, y, size;
  } boxes[] = {{opening, 315, 235, 9}, {shown, 312, 232, 16}};
  for (const auto& b : boxes) {
    SCOPED_TRACE(b.file);
    Picture p;
    ASSERT_TRUE(ReadPng(b.file, &p));
    const int mid = b.size / 2, last = b.size - 1;
    // The picture's left 8 columns, the stage through the rest of it.
    EXPECT_EQ(p.At(b.x, b.y), Colour(kPicture));
    EXPECT_EQ(p.At(b.x + 7, b.y + last), Colour(kPicture));
    EXPECT_EQ(p.At(b.x + 8, b.y + mid), Colour(kBack));
    EXPECT_EQ(p.At(b.x + last, b.y + last), Colour(kBack));
    // The frame around it, and the stage outside.
    EXPECT_EQ(p.At(b.x - 1, b.y + mid), frame);
    EXPECT_EQ(p.At(b.x + b.size, b.y + mid), frame);
    EXPECT_EQ(p.At(b.x + mid, b.y - 1), frame);
    EXPECT_EQ(p.At(b.x + mid, b.y + b.size), frame);
    EXPECT_EQ(p.At(b.x - 2, b.y + mid), Colour(kBack));
  }
}

}  // namespace
