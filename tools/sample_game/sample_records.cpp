// The game-wide records of the sample game: the database lists, the system settings and the
// world map.
#include <cstdio>
#include <initializer_list>

#include "sample_game.h"
#include "sample_palette.h"

namespace sample {

const char* const kTitle = "Star Sprout Adventure";

namespace {

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
  set.m_strName = "基本";
  set.m_vAnimation[0] = fixture::Anime("立ち", {{0, 10}});
  set.m_vAnimation[1] = fixture::Anime("立ち移動", {{1, 2}, {2, 2}});
  set.m_vAnimation[2] = fixture::Anime("飛行", {{3, 10}});
  set.m_vAnimation[3] = fixture::Anime("飛行移動", {{3, 10}});
  db.m_vAnime.push_back(fixture::Anime("ジャンプ", {{3, 5}}));

  if (db.m_vEffect.size() < EFFECT_COUNT) db.m_vEffect.resize(EFFECT_COUNT);
  db.m_vEffect[EFFECT_BURST] = fixture::Effect("爆発", "bmp\\effect\\Burst.bmp", {{0, 1}, {1, 1}, {2, 1}, {3, 1}});
  db.m_vEffect[EFFECT_SPARKLE] =
      fixture::Effect("きらめき", "bmp\\effect\\Sparkle.bmp", {{0, 1}, {1, 1}, {2, 1}, {3, 1}});

  // Character effects: time in tenths, then the kind's values.
  Kind(db.m_vCharaEffect, CHARA_EFFECT_BLINK, "点滅", 6, {10, 2});
  Kind(db.m_vCharaEffect, CHARA_EFFECT_BURST, "破裂", 1, {5, 0, 32});
  Kind(db.m_vScrEffect, SCR_EFFECT_SHAKE, "振動", 2, {10, 4, 4});

  Named(db.m_vPicture, 1, "地図", "bmp\\picture\\Map.bmp");

  const char* const sounds[SE_COUNT][2] = {{"", ""},
                                           {"ジャンプ", "wave\\jump.wav"},
                                           {"ショット", "wave\\shot.wav"},
                                           {"コイン", "wave\\coin.wav"},
                                           {"ダメージ", "wave\\hit.wav"},
                                           {"破壊", "wave\\break.wav"},
                                           {"パワーアップ", "wave\\power.wav"},
                                           {"ボス", "wave\\boss.wav"},
                                           {"クリア", "wave\\clear.wav"}};
  for (int i = 1; i < SE_COUNT; ++i) Named(db.m_vSound, static_cast<size_t>(i), sounds[i][0], sounds[i][1]);

  const char* const music[BGM_COUNT][2] = {{"", ""},
                                           {"タイトル", "bgm\\title.mid"},
                                           {"草原", "bgm\\field.ogg"},
                                           {"洞窟", "bgm\\cave.mid"},
                                           {"空", "bgm\\sky.mid"},
                                           {"ボス", "bgm\\boss.mid"},
                                           {"マップ", "bgm\\map.mid"}};
  for (int i = 1; i < BGM_COUNT; ++i) Named(db.m_vBgm, static_cast<size_t>(i), music[i][0], music[i][1]);
}

void BuildSystemData(cSystemData& data) {
  data.SetDefault();
  data.m_strTitle = kTitle;
  data.m_nChallengeStages = static_cast<int32_t>(Stages().size());
  for (size_t mode = 0; mode < data.m_vStartLives.size(); ++mode) data.m_vStartLives[mode] = 3;
  // The hero has no skill points: no gauge for them.
  data.m_vDisplayItems[DISPITEM_SP].m_bShow = 0;
  data.m_bExtraLife = 1;
  data.m_nExtraLifeScore = 1000;
  for (int i = 0; i < SYSTEM_SE_COUNT; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "wave\\system%02d.wav", i);
    data.m_vSystemSe[static_cast<size_t>(i)] = name;
  }
  const int screens[SCREEN_BGM_COUNT] = {BGM_TITLE, BGM_MAP, BGM_MAP, BGM_TITLE};
  for (int i = 0; i < SCREEN_BGM_COUNT; ++i) {
    data.m_vScreenBgm[static_cast<size_t>(i)] = screens[i];
    data.m_vScreenBgmFlag[static_cast<size_t>(i)] = 1;
  }
}

void BuildWorldMap(cWorldMap& map) {
  map.SetDefault();
  map.m_strName = "スタープラント島";
  map.SetSize(20, 15);
  // Terrains: 0..4 blocked (sea, rock, forest, castle wall, deep sea), 5..9 open (grass, road,
  // sand, bridge, flowers). Chip c of the chip sheet shows terrain c.
  const char* const rows[15] = {
      "00000000000000000000",  //
      "00000000000000000000",  //
      "00455555500000000000",  //
      "00456665550000033300",  //
      "00455565550002233300",  //
      "00055565550002253300",  //
      "00005566666666655300",  //
      "00005555555555555000",  //
      "00000555222555550000",  //
      "00007778222775500000",  //
      "00007778887775500000",  //
      "00000777777770000000",  //
      "00000000000000000000",  //
      "00000000000000000000",  //
      "00000000000000000000",  //
  };
  for (int y = 0; y < 15; ++y)
    for (int x = 0; x < 20; ++x) map.Cell(x, y) = rows[y][x] - '0';
  map.m_nCursorX = 4;
  map.m_nCursorY = 3;
  map.m_nBackColor = RAMP_SEA + 3;

  const int nodes[][2] = {{4, 3}, {8, 6}, {10, 10}, {15, 5}};
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
