// Every picture of the sample game, drawn by code on the shared palette and written as 8-bit
// BMP files: the system's images, the stage backgrounds, the effects and the picture.
#include <filesystem>
#include <functional>
#include <string>
#include <system_error>
#include <vector>

#include "canvas.h"
#include "pixel_font.h"
#include "sample_game.h"
#include "sample_palette.h"
#include "sample_sprites.h"

namespace sample {

namespace {

// ---- Shared scenery -----------------------------------------------------------------------

// The backgrounds are tiled side by side while the stages scroll: their scenery keeps off the
// first and the last column, and the hills meet the edges at a valley, so that the two edge
// columns are alike and no seam shows where one tile meets the next.

void Stars(Canvas& c, int count, int maxY, unsigned seed) {
  // A fixed little generator, so the sky is the same on every run.
  unsigned x = seed;
  for (int i = 0; i < count; ++i) {
    x = x * 1103515245u + 12345u;
    const int sx = 1 + static_cast<int>((x >> 8) % static_cast<unsigned>(c.width - 2));
    x = x * 1103515245u + 12345u;
    const int sy = static_cast<int>((x >> 8) % static_cast<unsigned>(maxY));
    c.Set(sx, sy, (i % 3) ? C_WHITE : C_YELLOW);
  }
}

void Cloud(Canvas& c, int x, int y, int size, uint8_t colour) {
  c.Disc(x, y, size, colour);
  c.Disc(x + size, y - size / 2, size, colour);
  c.Disc(x + 2 * size, y, size, colour);
  c.Fill(x, y, 2 * size, size, colour);
}

// A row of hills, valleys at x = 0 and every `period` dots; a period that divides the width
// (and an amplitude below half the period) gives equal edge columns.
void Hills(Canvas& c, int baseY, int rampShade, int period, int amplitude) {
  for (int x = 0; x < c.width; ++x) {
    const int t = x % period;
    const int tri = (t < period / 2 ? t : period - t) * amplitude * 2 / period;
    const int top = baseY - tri;
    c.Fill(x, top, 1, c.height - top, static_cast<uint8_t>(RAMP_GRASS + rampShade));
  }
}

// ---- The sheets of the play ---------------------------------------------------------------

Canvas BlockSheet() {
  Canvas c(64, 480, C_CLEAR);
  auto cell = [](int chip, int& x, int& y) {
    x = (chip / 15) * 32;
    y = (chip % 15) * 32;
  };
  int x = 0, y = 0;
  cell(CHIP_GRASS, x, y);
  c.VerticalRamp(x, y, 32, 32, RAMP_EARTH, 7, 4);
  c.Fill(x, y, 32, 8, RAMP_GRASS + 10);
  for (int i = 0; i < 32; i += 4) c.Fill(x + i, y + 8, 2, 3, RAMP_GRASS + 6);
  c.Fill(x, y, 32, 2, RAMP_GRASS + 13);
  cell(CHIP_DIRT, x, y);
  c.Fill(x, y, 32, 32, RAMP_EARTH + 5);
  for (int i = 0; i < 6; ++i) c.Fill(x + 3 + (i * 11) % 26, y + 4 + (i * 7) % 24, 3, 2, RAMP_EARTH + 2);
  cell(CHIP_BRICK, x, y);
  c.Fill(x, y, 32, 32, RAMP_FIRE + 3);
  for (int r = 0; r < 4; ++r) {
    c.Fill(x, y + r * 8 + 7, 32, 1, RAMP_STONE + 2);
    const int off = (r % 2) * 8;
    for (int k = off; k < 32; k += 16) c.Fill(x + k, y + r * 8, 1, 7, RAMP_STONE + 2);
    c.Fill(x, y + r * 8, 32, 1, RAMP_FIRE + 6);
  }
  cell(CHIP_STONE, x, y);
  c.Fill(x, y, 32, 32, RAMP_STONE + 7);
  c.Frame(x, y, 32, 32, RAMP_STONE + 3);
  c.Fill(x + 1, y + 1, 30, 1, RAMP_STONE + 11);
  c.Line(x + 6, y + 10, x + 14, y + 16, RAMP_STONE + 3);
  c.Line(x + 14, y + 16, x + 12, y + 26, RAMP_STONE + 3);
  cell(CHIP_SPIKES, x, y);
  for (int k = 0; k < 4; ++k)
    for (int j = 0; j < 16; ++j) {
      // Points up: one dot wide at the tip, the whole width at the base.
      const int half = j / 4;
      c.Fill(x + k * 8 + 3 - half, y + 12 + j, 2 + 2 * half, 1, RAMP_STONE + 14 - j / 3);
    }
  c.Fill(x, y + 28, 32, 4, RAMP_STONE + 4);
  cell(CHIP_SPRING, x, y);
  c.Fill(x + 2, y + 8, 28, 5, C_RED);
  c.Fill(x + 2, y + 8, 28, 1, RAMP_ROSE + 12);
  for (int k = 0; k < 4; ++k) c.Fill(x + 6 + (k % 2) * 4, y + 14 + k * 4, 16, 2, RAMP_STONE + 12);
  c.Fill(x + 2, y + 28, 28, 4, RAMP_STONE + 5);
  cell(CHIP_BRIDGE, x, y);
  c.Fill(x, y, 32, 10, RAMP_EARTH + 9);
  for (int k = 0; k < 32; k += 8) c.Fill(x + k, y, 1, 10, RAMP_EARTH + 4);
  c.Fill(x, y + 10, 32, 2, RAMP_EARTH + 3);
  cell(CHIP_CASTLE, x, y);
  c.Fill(x, y, 32, 32, RAMP_VIOLET + 4);
  for (int r = 0; r < 2; ++r) {
    c.Fill(x, y + r * 16 + 15, 32, 1, RAMP_VIOLET + 1);
    c.Fill(x + (r ? 0 : 16), y + r * 16, 1, 15, RAMP_VIOLET + 1);
    c.Fill(x, y + r * 16, 32, 1, RAMP_VIOLET + 7);
  }
  cell(CHIP_CLOUD, x, y);
  c.Disc(x + 9, y + 14, 8, C_WHITE);
  c.Disc(x + 22, y + 12, 9, C_WHITE);
  c.Fill(x + 2, y + 14, 28, 10, C_WHITE);
  c.Fill(x + 2, y + 22, 28, 2, RAMP_SKY + 11);
  return c;
}

// Each pose in its plain colours, as invincible (pale) and as a block (grey).
void CharaRow(Canvas& sheet, int row, const std::vector<Pict>& poses) {
  for (size_t i = 0; i < poses.size(); ++i) {
    Canvas cell(32, 32, C_CLEAR);
    DrawPict(cell, 0, 0, poses[i], 2);
    const int x = static_cast<int>(i) * 32, y = row * 32;
    sheet.Paste(cell, 0, 0, 32, 32, x, y);
    for (int v = 1; v <= 2; ++v)
      for (int j = 0; j < 32; ++j)
        for (int k = 0; k < 32; ++k) {
          const uint8_t p = cell.At(k, j);
          if (!p) continue;
          const uint8_t shade = p == C_OUTLINE ? (v == 1 ? C_WHITE : RAMP_STONE + 2) : (v == 1 ? C_YELLOW : C_GREY);
          sheet.Set(x + v * 128 + k, y + j, (k + j) % 2 && v == 1 ? p : shade);
        }
  }
}

Canvas CharacterSheet() {
  Canvas c(640, 480, C_CLEAR);
  auto row = [&](int r, const Poses& p) { CharaRow(c, r, {p.stand, p.walk1, p.walk2, p.jump}); };
  row(ROW_HERO, HeroPoses());
  row(ROW_WALKER, WalkerPoses());
  row(ROW_JUMPER, JumperPoses());
  row(ROW_SHOOTER, ShooterPoses());
  row(ROW_BOSS, BossPoses());
  CharaRow(c, ROW_CRATE, {CratePict(), CratePict(), CratePict(), CratePict()});
  return c;
}

// The character sheets 2..8: the player loads all eight at every stage start, and this game
// draws its characters from sheet 1 only; each of the others is one empty cell.
Canvas EmptyCharacterSheet() { return Canvas(32, 32, C_CLEAR); }

// The dedicated sheet of the boss at twice its size: its four poses in 64-dot cells, in the first
// of the sheet's rows of eight.
Canvas LargeBossSheet() {
  Canvas c(512, 64, C_CLEAR);
  const Poses p = BossPoses();
  const Pict* const poses[4] = {&p.stand, &p.walk1, &p.walk2, &p.jump};
  for (int i = 0; i < 4; ++i) DrawPict(c, i * 64, 0, *poses[i], 4);
  return c;
}

// A sword's blade, 32 x 16, its point towards the way the owner faces: the picture for facing
// left, or mirrored for facing right.
Canvas SwordPicture(bool right) {
  Canvas c(32, 16, C_CLEAR);
  c.Fill(3, 6, 21, 4, RAMP_STONE + 12);
  c.Fill(3, 6, 21, 1, C_WHITE);
  c.Fill(1, 7, 2, 2, RAMP_STONE + 12);
  c.Fill(24, 2, 3, 12, RAMP_GOLD + 11);
  c.Fill(27, 6, 4, 4, RAMP_EARTH + 5);
  if (right)
    for (int y = 0; y < 16; ++y)
      for (int x = 0; x < 16; ++x) {
        const uint8_t a = c.At(x, y);
        c.Set(x, y, c.At(31 - x, y));
        c.Set(31 - x, y, a);
      }
  return c;
}

using PictFn = Pict (*)(int);
const PictFn kItemPicts[ITEM_COUNT] = {nullptr, CoinPict, HeartPict, KeyPict, GemPict, SignPict, GoalPict};

Canvas ItemSheet() {
  Canvas c(64, 480, C_CLEAR);
  for (int i = 1; i < ITEM_COUNT; ++i)
    for (int f = 0; f < 2; ++f) DrawPict(c, (i / 15) * 64 + f * 32, (i % 15) * 32, kItemPicts[i](f), 2);
  return c;
}

Canvas ItemMiniSheet() {
  Canvas c(32, 240, C_CLEAR);
  for (int i = 1; i < ITEM_COUNT; ++i) DrawPict(c, (i / 15) * 32, (i % 15) * 16, kItemPicts[i](0), 1);
  return c;
}

Canvas ShotSheet() {
  Canvas c(32, 480, C_CLEAR);
  for (int f = 0; f < 2; ++f) {
    const int x = f * 16;
    int y = SHOT_HERO * 16;
    c.Disc(x + 8, y + 8, 5 - f, RAMP_GOLD + 12);
    c.Disc(x + 8, y + 8, 2, C_WHITE);
    y = SHOT_PELLET * 16;
    c.Disc(x + 8, y + 8, 4, C_RED);
    c.Disc(x + 7, y + 7, 1 + f, RAMP_ROSE + 13);
    y = SHOT_FIRE * 16;
    c.Disc(x + 8, y + 9, 6, RAMP_FIRE + 6);
    c.Disc(x + 8 - f, y + 7, 4, RAMP_FIRE + 11);
    c.Disc(x + 8, y + 8, 2, RAMP_FIRE + 15);
  }
  return c;
}

Canvas MarkSheet() {
  Canvas c(32, 480, C_CLEAR);
  const char* const marks[] = {"", "!", "?", "+", "x"};
  for (int m = 1; m < 5; ++m) {
    c.Disc(16, m * 32 + 16, 10, C_WHITE);
    c.Disc(16, m * 32 + 16, 8, m == 1 ? C_RED : C_BLUE);
    c.Text(14, m * 32 + 13, marks[m], C_WHITE);
  }
  return c;
}

Canvas EffectStrip(bool burst) {
  Canvas c(128, 32, C_CLEAR);
  for (int f = 0; f < 4; ++f) {
    const int cx = f * 32 + 16;
    if (burst) {
      c.Disc(cx, 16, 4 + f * 4, RAMP_FIRE + 8 - f * 2);
      c.Disc(cx, 16, 2 + f * 3, RAMP_FIRE + 14 - f * 3);
      if (f == 3) c.Disc(cx, 16, 6, C_CLEAR);
    } else {
      const int r = 3 + f * 3;
      c.Line(cx - r, 16, cx + r, 16, RAMP_GOLD + 14);
      c.Line(cx, 16 - r, cx, 16 + r, RAMP_GOLD + 14);
      c.Line(cx - r / 2, 16 - r / 2, cx + r / 2, 16 + r / 2, C_WHITE);
      c.Line(cx - r / 2, 16 + r / 2, cx + r / 2, 16 - r / 2, C_WHITE);
    }
  }
  return c;
}

// ---- Screens and the head-up display ------------------------------------------------------

Canvas TitlePicture() {
  Canvas c(640, 480);
  c.VerticalRamp(0, 0, 640, 480, RAMP_SKY, 1, 14);
  Stars(c, 90, 140, 7u);
  Cloud(c, 60, 200, 18, RAMP_SKY + 14);
  Cloud(c, 470, 170, 22, RAMP_SKY + 14);
  Hills(c, 330, 8, 220, 60);
  Hills(c, 380, 5, 150, 40);
  c.VerticalRamp(0, 430, 640, 50, RAMP_EARTH, 6, 3);
  c.Fill(0, 426, 640, 6, RAMP_GRASS + 10);
  // The name of the game over a banner.
  c.Fill(60, 40, 520, 150, RAMP_VIOLET + 2);
  c.Frame(60, 40, 520, 150, RAMP_GOLD + 12);
  c.Frame(63, 43, 514, 144, RAMP_GOLD + 8);
  c.CentredText(320, 62, "STAR SPROUT", RAMP_GOLD + 14, 7, C_OUTLINE);
  c.CentredText(320, 132, "ADVENTURE", C_WHITE, 5, C_OUTLINE);
  // The hero, large, beside the menu.
  Poses hero = HeroPoses();
  DrawPict(c, 470, 300, hero.jump, 7);
  DrawPict(c, 40, 330, WalkerPoses().stand, 5);
  DrawPict(c, 120, 360, CoinPict(0), 3);
  c.CentredText(320, 204, "(C) 2026 THE PLAYER TEAM - MADE BY CODE", C_WHITE, 1, C_OUTLINE);
  return c;
}

const char* const kMenuNames[] = {"NEW GAME", "CONTINUE", "CHALLENGE", "FREE PLAY", "REPLAY", "OPTIONS", "QUIT"};

Canvas GameModePicture() {
  Canvas c(224, 32 * 7, C_CLEAR);
  for (int i = 0; i < 7; ++i) c.Text(4, i * 32 + 5, kMenuNames[i], C_WHITE, 3, C_OUTLINE);
  return c;
}

Canvas AccessorySheet() {
  Canvas c(256, 208, C_CLEAR);
  // The 32-dot menu cursor: a star on a stem pointing right.
  c.Pict(0, 0, {"........", "...YY...", "..YWYY..", "YYYYYYYY", ".YYYYYY.", "..YYYY..", ".YY..YY.", "YY....YY"},
         {{'Y', C_YELLOW}, {'W', C_WHITE}}, 4);
  // 16-dot cursors: an arrow pointing right and one pointing left.
  for (int j = 0; j < 8; ++j) {
    c.Fill(64 + 4, 4 + j, 1 + j, 1, C_YELLOW);
    c.Fill(64 + 4, 11 + 8 - j - 1, 1 + j, 1, C_YELLOW);
    c.Fill(80 + 12 - j, 4 + j, 1 + j, 1, C_CYAN);
    c.Fill(80 + 12 - j, 11 + 8 - j - 1, 1 + j, 1, C_CYAN);
  }
  // Head-up display icons at y 32: score, stage score, hit points, skill points, lives.
  DrawPict(c, 0, 32, CoinPict(0), 1);
  DrawPict(c, 16, 32, GemPict(0), 1);
  DrawPict(c, 32, 32, HeartPict(0), 1);
  c.Disc(56, 40, 6, C_BLUE);
  c.Disc(56, 40, 3, C_CYAN);
  DrawPict(c, 64, 32, HeroPoses().stand, 1);
  // At y 48: the life icon (the world map's lives, the extra-life pop-up) and the rank icon, a
  // crown.
  DrawPict(c, 0, 48, HeroPoses().stand, 1);
  c.Fill(16 + 2, 58, 12, 4, C_YELLOW);
  for (int t = 0; t < 3; ++t) c.Fill(16 + 2 + t * 5, 52, 2, 6, C_YELLOW);
  // Rows 64..127: the world map's walker, two steps side by side for each facing: down at
  // (0, 64), up at (64, 64), right at (0, 96), left at (64, 96).
  const int walkerCell[4][2] = {{0, 64}, {64, 64}, {64, 96}, {0, 96}};
  for (int facing = 0; facing < 4; ++facing)
    for (int step = 0; step < 2; ++step)
      DrawPict(c, walkerCell[facing][0] + step * 32, walkerCell[facing][1], MapWalkerPict(facing, step), 2);
  // Gauges: frame (y 128), fill (144), low fill (160), loss (176), gain (192); x 0 HP, 64 SP.
  const uint8_t fills[2][4] = {{RAMP_GRASS + 11, C_RED, C_WHITE, RAMP_GOLD + 13},
                               {RAMP_SKY + 11, C_PURPLE, C_WHITE, RAMP_GOLD + 13}};
  for (int g = 0; g < 2; ++g) {
    const int x = g * 64;
    c.Fill(x, 128, 50, 16, C_BLACK);
    c.Frame(x, 128, 50, 16, C_WHITE);
    for (int k = 0; k < 4; ++k) {
      c.Fill(x, 144 + k * 16, 50, 16, fills[g][k]);
      c.Fill(x, 144 + k * 16, 50, 1, C_WHITE);
    }
  }
  return c;
}

Canvas WordSheet() {
  Canvas c(320, 192, C_CLEAR);
  auto word = [&](int x, int y, int w, const char* text, uint8_t colour) {
    const int scale = Canvas::TextWidth(text, 3) + 3 <= w ? 3 : 2;
    c.Text(x + (w - Canvas::TextWidth(text, scale)) / 2, y + (32 - 7 * scale) / 2, text, colour, scale, C_OUTLINE);
  };
  word(0, 0, 128, "STAGE", C_WHITE);
  word(160, 0, 80, "START", C_YELLOW);
  word(0, 32, 128, "REPLAY", C_CYAN);
  word(0, 64, 128, "CLEAR!", C_YELLOW);
  word(0, 96, 144, "GAME OVER", C_RED);
  // The digits of the stage number (y 128) and of the timer (y 160) are drawn side by side, one
  // 32-dot cell each: each fills its cell but a dot on either side (dots of 5 × 4 and the
  // shadow), so that a number reads as one.
  for (int d = 0; d < 10; ++d) {
    const std::string digit(1, static_cast<char>('0' + d));
    c.StretchedText(d * 32 + 1, 128, digit, C_WHITE, 5, 4, C_OUTLINE);
    c.StretchedText(d * 32 + 1, 160, digit, RAMP_GOLD + 13, 5, 4, C_OUTLINE);
  }
  return c;
}

Canvas WindowPicture() {
  Canvas c(640, 480);
  c.VerticalRamp(0, 0, 640, 480, RAMP_SKY, 4, 1);
  for (int y = 0; y < 480; y += 4) c.Fill(0, y, 640, 1, RAMP_SKY + 2);
  return c;
}

Canvas StatusBar() {
  Canvas c(640, 20);
  c.VerticalRamp(0, 0, 640, 20, RAMP_VIOLET, 5, 1);
  c.Fill(0, 19, 640, 1, RAMP_GOLD + 10);
  return c;
}

// The fonts' picture characters: the letters a..z of a text, one cell each in row 0 at x =
// cell width × (letter − 'a'); cells of the second font (16 dots). The game's own signs first:
// a coin, a heart, a key, a gem, then stars.
Canvas SymbolSheet() {
  Canvas c(26 * 16, 16, C_CLEAR);
  for (int i = 0; i < 26; ++i) {
    const int x = i * 16;
    if (i < 4) {
      DrawPict(c, x, 0, kItemPicts[i + 1](0), 1);
    } else {
      c.Disc(x + 8, 8, 5, i % 2 ? C_YELLOW : C_CYAN);
      c.Disc(x + 8, 8, 2, C_WHITE);
    }
  }
  return c;
}

Canvas DebugFont() {
  // ASCII in 8 × 8 cells: row = high nibble, column = low nibble.
  Canvas c(128, 64, C_CLEAR);
  for (int ch = 0x20; ch < 0x7F; ++ch)
    c.Text((ch & 15) * 8 + 1, (ch >> 4) * 8, std::string(1, static_cast<char>(ch)), C_WHITE);
  return c;
}

Canvas PaletteSwatch() {
  Canvas c(16, 16);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) c.Set(x, y, static_cast<uint8_t>(y * 16 + x));
  return c;
}

Canvas WorldMapChips() {
  Canvas c(160, 64);
  // Terrains 0..9: sea, rock, forest, castle wall, deep sea, grass, road, sand, bridge, flowers.
  const uint8_t base[10] = {RAMP_SEA + 5,   RAMP_STONE + 7,  RAMP_GRASS + 3,  RAMP_VIOLET + 4, RAMP_SEA + 2,
                            RAMP_GRASS + 9, RAMP_EARTH + 10, RAMP_EARTH + 13, RAMP_EARTH + 6,  RAMP_GRASS + 11};
  for (int t = 0; t < 10; ++t) {
    const int x = (t % 5) * 32, y = (t / 5) * 32;
    c.Fill(x, y, 32, 32, base[t]);
    switch (t) {
      case 0:
      case 4:
        for (int k = 0; k < 3; ++k) c.Fill(x + 4 + k * 9, y + 8 + k * 8, 6, 1, RAMP_SEA + 10);
        break;
      case 1: c.Disc(x + 16, y + 18, 10, RAMP_STONE + 11); break;
      case 2:
        for (int k = 0; k < 2; ++k) c.Disc(x + 9 + k * 14, y + 14 + k * 4, 7, RAMP_GRASS + 6);
        break;
      case 3: c.Frame(x, y, 32, 16, RAMP_VIOLET + 1); break;
      case 8:
        for (int k = 0; k < 32; k += 6) c.Fill(x + k, y, 1, 32, RAMP_EARTH + 3);
        break;
      case 9:
        for (int k = 0; k < 4; ++k) c.Disc(x + 6 + k * 7, y + 8 + (k % 2) * 14, 2, k % 2 ? C_PINK : C_YELLOW);
        break;
      default: break;
    }
  }
  return c;
}

Canvas WorldEvents() {
  Canvas c(64, 32 * static_cast<int>(Stages().size()), C_CLEAR);
  for (int i = 0; i < static_cast<int>(Stages().size()); ++i)
    for (int done = 0; done < 2; ++done) {
      const int x = done * 32, y = i * 32;
      c.Disc(x + 16, y + 16, 12, C_OUTLINE);
      c.Disc(x + 16, y + 16, 10, done ? C_YELLOW : C_RED);
      c.Text(x + 14, y + 13, std::to_string(i + 1), done ? C_OUTLINE : C_WHITE);
    }
  return c;
}

Canvas MeadowBack() {
  Canvas c(640, 480);
  c.VerticalRamp(0, 0, 640, 480, RAMP_SKY, 9, 15);
  Cloud(c, 80, 90, 20, C_WHITE);
  Cloud(c, 330, 60, 16, C_WHITE);
  Cloud(c, 520, 120, 24, C_WHITE);
  Hills(c, 360, 9, 320, 90);
  Hills(c, 420, 7, 160, 50);
  return c;
}

Canvas CaveBack() {
  Canvas c(640, 480);
  c.VerticalRamp(0, 0, 640, 480, RAMP_STONE, 0, 3);
  for (int k = 0; k < 23; ++k) {
    const int x = 14 + k * 26 + (k % 3) * 5, len = 20 + (k * 37) % 60;
    for (int j = 0; j < len; ++j) c.Fill(x + j * 6 / len, j, 12 - j * 12 / len, 1, RAMP_STONE + 4);
  }
  for (int k = 0; k < 12; ++k) c.Disc(30 + k * 53, 300 + (k * 71) % 140, 2, RAMP_SEA + 12);
  return c;
}

Canvas SkyBack() {
  Canvas c(640, 480);
  c.VerticalRamp(0, 0, 640, 480, RAMP_SKY, 6, 14);
  for (int k = 0; k < 7; ++k) Cloud(c, 40 + k * 88, 80 + (k * 53) % 300, 14 + (k % 3) * 6, RAMP_SKY + 15);
  c.Disc(560, 70, 30, RAMP_GOLD + 14);
  return c;
}

Canvas CastleBack() {
  Canvas c(640, 480);
  c.VerticalRamp(0, 0, 640, 480, RAMP_VIOLET, 0, 4);
  Stars(c, 40, 200, 11u);
  c.Disc(100, 90, 28, RAMP_GOLD + 15);
  c.Disc(112, 82, 26, RAMP_VIOLET + 0);
  for (int k = 0; k < 5; ++k) {
    const int x = 40 + k * 130;
    c.Fill(x, 220, 60, 260, RAMP_VIOLET + 2);
    c.Fill(x + 22, 260, 16, 28, RAMP_FIRE + 12);
    for (int t = 0; t < 60; t += 15) c.Fill(x + t, 208, 9, 12, RAMP_VIOLET + 2);
  }
  return c;
}

Canvas MapPicture() {
  Canvas c(256, 192);
  c.Fill(0, 0, 256, 192, RAMP_EARTH + 13);
  c.Frame(0, 0, 256, 192, RAMP_EARTH + 3);
  c.Disc(80, 90, 40, RAMP_GRASS + 9);
  c.Disc(170, 100, 34, RAMP_GRASS + 8);
  c.Text(170, 40, "X", C_RED, 3);
  c.CentredText(128, 168, "STAR SPROUT ISLAND", RAMP_EARTH + 3, 1);
  return c;
}

struct ImageFile {
  const char* path;
  std::function<Canvas()> draw;
};

}  // namespace

bool WriteImages(const std::string& root, std::string* failed) {
  const ImageFile files[] = {
      {"bmp/plt/Palette.bmp", PaletteSwatch},
      {"bmp/Debug.bmp", DebugFont},
      {"bmp/Block.bmp", BlockSheet},
      {"bmp/Character1.bmp", CharacterSheet},
      {"bmp/chara_sp/Garm.bmp", LargeBossSheet},
      {"bmp/sword/Sword_L.bmp", [] { return SwordPicture(false); }},
      {"bmp/sword/Sword_R.bmp", [] { return SwordPicture(true); }},
      {"bmp/Shot.bmp", ShotSheet},
      {"bmp/Item.bmp", ItemSheet},
      {"bmp/Item_Mini.bmp", ItemMiniSheet},
      {"bmp/Mark.bmp", MarkSheet},
      {"bmp/Window.bmp", WindowPicture},
      {"bmp/StatusWindow.bmp", StatusBar},
      {"bmp/Title.bmp", TitlePicture},
      {"bmp/GameMode.bmp", GameModePicture},
      {"bmp/Accessory.bmp", AccessorySheet},
      {"bmp/Symbol.bmp", SymbolSheet},
      {"bmp/Word.bmp", WordSheet},
      {"bmp/WorldMapChip.bmp", WorldMapChips},
      {"bmp/WorldEvent.bmp", WorldEvents},
      {"bmp/back/Meadow.bmp", MeadowBack},
      {"bmp/back/Cave.bmp", CaveBack},
      {"bmp/back/Sky.bmp", SkyBack},
      {"bmp/back/Castle.bmp", CastleBack},
      {"bmp/effect/Burst.bmp", [] { return EffectStrip(true); }},
      {"bmp/effect/Sparkle.bmp", [] { return EffectStrip(false); }},
      {"bmp/picture/Map.bmp", MapPicture},
  };
  auto write = [&](const std::string& rel, const Canvas& picture) {
    const std::filesystem::path path = std::filesystem::path(root) / rel;
    std::error_code ec;
    std::filesystem::create_directories(path.parent_path(), ec);
    if (fixture::WriteBmp8(path.string(), picture, SamplePalette())) return true;
    if (failed) *failed = path.string();
    return false;
  };
  for (const ImageFile& f : files)
    if (!write(f.path, f.draw())) return false;
  for (int n = 2; n <= 8; ++n)
    if (!write("bmp/Character" + std::to_string(n) + ".bmp", EmptyCharacterSheet())) return false;
  return true;
}

}  // namespace sample
