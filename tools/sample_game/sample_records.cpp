// The game-wide records of the sample game: the database lists, the system settings and the
// world map.
#include <cstdio>
#include <initializer_list>

#include "sample_game.h"
#include "sample_palette.h"

namespace sample {

const char* const kTitle = "Star Sprout Adventure";

namespace {

// Entry 59 of the installed font face table, the fixed-pitch gothic face ("ＭＳ ゴシック").
constexpr int32_t kFixedPitchGothic = 59;

template <class T>
void Named(cSafeVector<T>& list, size_t index, const char* name, const char* file) {
  if (list.size() <= index) list.resize(index + 1);
  list[index] = fixture::FileRecord<T>(name, file);
}

template <class T>
void Kind(cSafeVector<T>& list, size_t index, const char* name, int kind, std::initializer_list<int32_t> params) {
  if (list.size() <= index) list.resize(index + 1);
  T& e = list[index];
  e.m_strName = name;
  e.m_nKind = kind;
  int i = 0;
  for (int32_t p : params) e.m_nParam[i++] = p;
}

}  // namespace

void BuildDatabase(cDatabase& db) {
  db.SetDefault();
  // Every character uses the first animation set: standing on cell 0, walking on cells 1 and
  // 2, in the air on cell 3.
  cAnimeSet& set = db.m_vAnimeSet.CheckedAt(0);
  set.m_strName = "Basic";
  set.m_vAnimation[0] = fixture::Anime("Stand", {{0, 10}});
  set.m_vAnimation[1] = fixture::Anime("Walk", {{1, 2}, {2, 2}});
  set.m_vAnimation[2] = fixture::Anime("Fly", {{3, 10}});
  set.m_vAnimation[3] = fixture::Anime("Fly and move", {{3, 10}});
  // The animation list of a new project names its two entries in Japanese: no animation, and
  // the first action.
  db.m_vAnime.CheckedAt(0).m_strName = "None";
  db.m_vAnime.CheckedAt(1).m_strName = "Action A";
  db.m_vAnime.push_back(fixture::Anime("Jump", {{3, 5}}));

  if (db.m_vEffect.size() < EFFECT_COUNT) db.m_vEffect.resize(EFFECT_COUNT);
  db.m_vEffect[EFFECT_BURST] = fixture::Effect("Burst", "bmp\\effect\\Burst.bmp", {{0, 1}, {1, 1}, {2, 1}, {3, 1}});
  db.m_vEffect[EFFECT_SPARKLE] =
      fixture::Effect("Sparkle", "bmp\\effect\\Sparkle.bmp", {{0, 1}, {1, 1}, {2, 1}, {3, 1}});

  // Character effects: time in tenths, then the kind's values.
  Kind(db.m_vCharaEffect, CHARA_EFFECT_BLINK, "Blink", 6, {10, 2});
  Kind(db.m_vCharaEffect, CHARA_EFFECT_BURST, "Burst", 1, {5, 0, 32});
  Kind(db.m_vScrEffect, SCR_EFFECT_SHAKE, "Shake", 2, {10, 4, 4});

  Named(db.m_vPicture, 1, "Map", "bmp\\picture\\Map.bmp");

  // Every stage start loads the dedicated character sheets from entry 1 on and the pictures of
  // every sword type, whether a stage uses them or not: each names a picture the game has. The
  // dedicated sheet holds the boss at twice its size, in 64-dot cells.
  Named(db.m_vBmpCharaExc, 1, "Garm, large", "bmp\\chara_sp\\Garm.bmp");
  db.m_vBmpCharaExc[1].m_bLargeCell = 1;
  db.m_vBmpCharaExc[1].m_nCellUnits = 2;
  // One sword: a swing of a single frame, the blade in front of the owner for 0.2 s.
  cSwordType& sword = db.m_vSwordType.CheckedAt(0);
  sword.m_strName = "Sword";
  sword.m_strFileLeft = "bmp\\sword\\Sword_L.bmp";
  sword.m_strFileRight = "bmp\\sword\\Sword_R.bmp";
  cSwordTypeSub& swing = sword.m_vSwing.CheckedAt(0);
  swing.m_nWidth = 32;
  swing.m_nHeight = 16;
  swing.m_nTime = 2;

  const char* const sounds[SE_COUNT][2] = {{"", ""},
                                           {"Jump", "wave\\jump.wav"},
                                           {"Shot", "wave\\shot.wav"},
                                           {"Coin", "wave\\coin.wav"},
                                           {"Hit", "wave\\hit.wav"},
                                           {"Break", "wave\\break.wav"},
                                           {"Power up", "wave\\power.wav"},
                                           {"Boss", "wave\\boss.wav"},
                                           {"Clear", "wave\\clear.wav"}};
  for (int i = 1; i < SE_COUNT; ++i) Named(db.m_vSound, static_cast<size_t>(i), sounds[i][0], sounds[i][1]);

  const char* const music[BGM_COUNT][2] = {{"", ""},
                                           {"Title", "bgm\\title.mid"},
                                           {"Meadow", "bgm\\field.ogg"},
                                           {"Cave", "bgm\\cave.mid"},
                                           {"Sky", "bgm\\sky.mid"},
                                           {"Boss", "bgm\\boss.mid"},
                                           {"Map", "bgm\\map.mid"}};
  for (int i = 1; i < BGM_COUNT; ++i) Named(db.m_vBgm, static_cast<size_t>(i), music[i][0], music[i][1]);
}

void BuildSystemData(cSystemData& data) {
  data.SetDefault();
  data.m_strTitle = kTitle;
  data.m_nChallengeStages = static_cast<int32_t>(Stages().size());
  for (size_t mode = 0; mode < data.m_vStartLives.size(); ++mode) data.m_vStartLives[mode] = 3;
  // The head-up display: icons for labels, and fields as wide as the numbers of this game get (a
  // total of five digits over the four stages, four in one stage, two for the lives). The hero
  // has no skill points: no gauge for them.
  const char* const labels[5] = {"Score", "Stage", "HP", "SP", "Lives"};
  const uint32_t digits[5] = {5, 4, 0, 0, 2};
  for (int i = 0; i < 5; ++i) {
    DisplayItem& item = data.m_vDisplayItems[static_cast<size_t>(i)];
    item.m_bIcon = 1;
    item.m_strLabel = labels[i];
    item.m_nDigits = digits[i];
  }
  data.m_vDisplayItems[DISPITEM_SP].m_bShow = 0;
  data.m_bExtraLife = 1;
  data.m_nExtraLifeScore = 1000;
  // A face of fixed pitch: the large font (the headings) draws each letter from 4 dots into its
  // 32-dot cell with the face's own spacing, so only a face whose letters share one advance,
  // each centred in it, spaces a narrow letter such as I as evenly as the others.
  data.m_nFontFace = kFixedPitchGothic;

  // The menus and the screens' texts in the game's language (the system's own texts stay).
  // The large font, which draws the title menu's names (the headings of the stage select and the
  // options) and texts 0, 1 and 3 (the stage select's rows), shows the letters a..z as picture
  // characters: those texts are in capitals. The options screen prints its values 9 cells right
  // of the names: names of at most 8.
  auto name = [](cSafeVector<cCmdItem>& menu, std::initializer_list<const char*> names) {
    size_t i = 0;
    for (const char* n : names) menu[i++].m_strName = n;
  };
  name(data.m_vTitleMenu, {"NEW GAME", "CONTINUE", "CHALLENGE", "FREE PLAY", "REPLAY", "OPTIONS", "QUIT"});
  name(data.m_vSaveMenu, {"Save", "Autosave", "Back", "To title"});
  name(data.m_vOptionMenu, {"Palette", "Music", "Sound", "Ranking", "Name", "Back"});
  const char* const methods[RANKING_METHOD_COUNT] = {"By hand, name asked", "By hand, same name",
                                                     "At once, name asked", "At once, same name"};
  for (int i = 0; i < RANKING_METHOD_COUNT; ++i) data.m_vRankingMethods[static_cast<size_t>(i)] = methods[i];
  // Texts 0 and 1 stand before the stage numbers of the stage select, 2 and 4 before scores;
  // text 3 heads the stage select's scores from its tenth 32-dot cell on.
  // Texts 5..9 name the ranking kinds (score, time left, clear time, HP and SP left), in 16-dot
  // cells: after "Ranking" and five blanks in the 270-dot ranking window, where four fit, and
  // as the labels of the result window at x 336, whose width is the longest label, the longest
  // value (8 for a clear time) and 3 cells: four give 15 cells, up to x 576.
  const char* const texts[SYSTEM_TEXT_COUNT] = {"WORLD ",
                                                "STAGE ",
                                                "Score ",
                                                "BEST",
                                                "Total score ",
                                                "Pts",
                                                "Left",
                                                "Time",
                                                "HP",
                                                "SP",
                                                "Play this stage",
                                                "Not now",
                                                "Save",
                                                "Cancel",
                                                "Autosave on",
                                                "Autosave off",
                                                "Nowhere to save yet: save once first!",
                                                "Back to the title",
                                                "Cancel",
                                                "Quit",
                                                "Go on",
                                                "Retry",
                                                "Back to the map",
                                                "Retry",
                                                "Back to the map",
                                                "V: next ranking",
                                                "Space: back to the title",
                                                "Space: quit",
                                                "F3: enter the ranking"};
  for (int i = 0; i < SYSTEM_TEXT_COUNT; ++i) data.m_vTexts[static_cast<size_t>(i)] = texts[i];

  for (int i = 0; i < SYSTEM_SE_COUNT; ++i) {
    char file[32];
    std::snprintf(file, sizeof file, "wave\\system%02d.wav", i);
    data.m_vSystemSe[static_cast<size_t>(i)] = file;
  }
  const int screens[SCREEN_BGM_COUNT] = {BGM_TITLE, BGM_MAP, BGM_MAP, BGM_TITLE};
  for (int i = 0; i < SCREEN_BGM_COUNT; ++i) {
    data.m_vScreenBgm[static_cast<size_t>(i)] = screens[i];
    data.m_vScreenBgmFlag[static_cast<size_t>(i)] = 1;
  }
}

void BuildWorldMap(cWorldMap& map) {
  map.SetDefault();
  map.m_strName = "Star Sprout Island";
  // The view shows the walker's cell minus (9, 7) to plus (10, 7), however near the map's edge it
  // stands: every cell the walker reaches lies 9 cells or more from the left edge, 10 from the
  // right and 7 from the top and the bottom, so that the sea, not the empty outside, surrounds
  // the island wherever the walker goes.
  constexpr int kWidth = 40, kHeight = 26;
  constexpr size_t kRoad = 6, kBridge = 8;
  map.SetSize(kWidth, kHeight);
  // Terrains, chip c of the chip sheet showing terrain c. Only the road and the bridge are open:
  // the walker keeps to the road from node to node.
  const char* const terrains[10] = {"Sea", "Rock", "Forest", "Castle wall", "Deep sea",
                                    "Grass", "Road", "Sand", "Bridge", "Flowers"};
  for (size_t t = 0; t < 10; ++t) {
    map.m_vTerrain[t].m_strName = terrains[t];
    map.m_vTerrain[t].m_bBlocked = t == kRoad || t == kBridge ? 0 : 1;
  }
  // 0 sea, 1 rock, 2 forest, 3 castle wall, 4 deep sea, 5 grass, 6 road, 7 sand, 8 bridge,
  // 9 flowers. The road leads from the meadow (12, 14) up to the cave in the rocks (16, 8), over
  // the bridge down to the sky garden (22, 14) and up to the castle's gate (27, 8).
  const char* const rows[kHeight] = {
      "4444444444444444444444444444444444444444",  //
      "4444444444444444444444444444444444444444",  //
      "4444444400000000000000000000000044444444",  //
      "4444400000000000000000000000000002044444",  //
      "4444400000000011111000000000000000044444",  //
      "4440000000000111111100000333333300000444",  //
      "4440000222222111111122222333333300000444",  //
      "4440000225555111111155555333333300000444",  //
      "4440000225555551611555555536332200000444",  //
      "4440000225225555655555555556552200000444",  //
      "4440000225225555655555555556552200000444",  //
      "4440100225556666666666666666222200000444",  //
      "4440000225556995555550805555222200000444",  //
      "4440000225556995555220805555222200000444",  //
      "4440000225556555555222655555552200000444",  //
      "4440000225555555555559599955552200000444",  //
      "4440000225555555555555555995552200020444",  //
      "4440000227777777777777777777772200000444",  //
      "4440000227777777777777777777772200000444",  //
      "4440000222000000000000000000022200000444",  //
      "4440000000000000000000000000000000000444",  //
      "4444401100000000000000000000000000044444",  //
      "4444400000000000000000000000000000044444",  //
      "4444444400000000000000000000000044444444",  //
      "4444444444444444444444444444444444444444",  //
      "4444444444444444444444444444444444444444",  //
  };
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) map.Cell(x, y) = rows[y][x] - '0';
  const int nodes[][2] = {{12, 14}, {16, 8}, {22, 14}, {27, 8}};
  map.m_nCursorX = nodes[0][0];
  map.m_nCursorY = nodes[0][1];
  map.m_nBackColor = RAMP_SEA + 3;

  map.m_vNode.clear();
  for (size_t i = 0; i < Stages().size(); ++i) {
    cWorldNode node;
    node.m_nX = nodes[i][0];
    node.m_nY = nodes[i][1];
    node.m_strName = Stages()[i].title;
    cWorldStage& entry = node.m_vStage.CheckedAt(0);
    entry.m_nKind = WORLDSTAGE_STAGE;
    entry.m_nIcon = static_cast<int32_t>(i);
    // Stage i records its clear in flag i + 1 (flag 0 is always set) and needs the flag of the
    // stage before it.
    entry.m_nClearFlag = static_cast<int32_t>(i + 1);
    entry.m_nNeedFlag = static_cast<int32_t>(i);
    entry.m_bManualStart = 1;
    entry.m_bReplay = 1;
    entry.m_strTitle = Stages()[i].title;
    entry.m_strStageFile = std::string("data\\stg4\\") + Stages()[i].file + ".stg4";
    if (i + 1 == Stages().size()) entry.m_nAfterClear = AFTERCLEAR_TITLE;
    map.m_vNode.push_back(node);
  }
}

}  // namespace sample
