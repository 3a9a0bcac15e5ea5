// Stage files and common palette files built by hand in the layout of a data version.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "support/bytes.h"

// The stage settings in file order (0-based positions) whose first data version is above 0,
// and the positions stored as doubles.
inline int StageSettingFrom(int i) {
  switch (i) {
    case 24: return 166;
    case 25: return 199;
    case 29: return 183;
    case 30: return 184;
    case 32: return 225;
    case 35: case 36: case 37: case 38: case 47: case 48: case 51: case 55:
    case 59: case 60: case 61: case 62: case 69: case 70:
      return 200;
    case 41: case 42: case 49: case 50: case 65: case 66: case 71: case 72:
      return 155;
    default: return 0;
  }
}
inline bool StageSettingIsDouble(int i) { return i == 20 || (i >= 87 && i <= 91); }

// Positions of the settings the tests set.
enum eStageSetting {
  SET_WIDTH = 0,
  SET_HEIGHT = 3,
  SET_LIMIT_LEFT = 8,
  SET_LIMIT_TOP = 10,
  SET_FPS = 12,
  SET_GRAVITY = 20,
  SET_SPEED_LEVEL = 21,
  SET_BGM = 23,
  SET_BGM_LOOP = 24,
  SET_SHOW_HUD = 29,
  SET_SHOW_START_BANNER = 32,
  SET_HERO_W = 35,
  SET_HERO_CONTACT_W = 39,
  SET_HERO_CONTACT_H = 40,
  SET_HERO_FLY_CONTACT_W = 41,
  SET_HERO_CONTACT_BOTTOM = 49,
  SET_BODY_COLOR = 55,
  SET_CHARA_H = 60,
  SET_CHARA_CONTACT_W = 63,
  SET_SUBSTEPS = 86,
  SET_CHARA_CONTACT_PAUSE = 97,
  STAGE_SETTING_COUNT = 98
};

// A background layer: fill switch, colour, depth, the scroll factors and automatic switches
// (from 61), the show switch and the offsets (from 62), two discarded int32 (before 62), the
// image.
struct LayerBytes {
  int32_t show = 1, fill = 0, fillColor = 16, depth = 0;
  double scrollX = 0.1, scrollY = 0.1;
  int32_t autoX = 0, autoY = 0;
  double offsetX = 0, offsetY = 0;
  std::string image;

  std::string Body(int v) const {
    ByteWriter w;
    w.I32(v >= 62 ? 10 : v == 61 ? 9 : 5);
    if (v >= 62) w.I32(show);
    w.I32(fill).I32(fillColor).I32(depth);
    if (v >= 61) w.F64(scrollX).F64(scrollY).I32(autoX).I32(autoY);
    if (v >= 62)
      w.F64(offsetX).F64(offsetY);
    else
      w.I32(-7).I32(-8);
    return w.I32(1).Str(image).str();
  }
};

// A whole stage file of a data version. The entry lists hold entry bodies (the placed lists
// without their int32 prefix, which is added).
struct StageBytes {
  int version = 790;
  std::array<double, STAGE_SETTING_COUNT> settings{};
  std::string text;
  std::vector<int32_t> ranking = {1, 1, 1, 1, 1};
  // Each rule: the four switches, then the four margins.
  std::array<std::array<int32_t, 8>, 5> rules{};
  std::vector<std::string> blocks, charas, items, placedBlocks, placedCharas, placedItems;
  std::vector<LayerBytes> layers = {LayerBytes()};
  std::vector<std::string> texts;
  // Written from data version 173 on.
  int32_t trailer = 123456789;

  StageBytes() {
    settings[SET_WIDTH] = 20;
    settings[SET_HEIGHT] = 15;
    settings[SET_FPS] = 60;
    settings[SET_GRAVITY] = 0.4;
    settings[SET_SPEED_LEVEL] = 10;
  }

  std::string Body() const {
    const int v = version;
    ByteWriter w;
    int fields = 0;
    for (int i = 0; i < STAGE_SETTING_COUNT; ++i) fields += v >= StageSettingFrom(i);
    w.I32(fields);
    for (int i = 0; i < STAGE_SETTING_COUNT; ++i) {
      if (v < StageSettingFrom(i)) continue;
      if (StageSettingIsDouble(i))
        w.F64(settings[i]);
      else
        w.I32(static_cast<int32_t>(settings[i]));
    }
    w.I32(1).Str(text);
    w.U32(static_cast<uint32_t>(ranking.size()));
    for (int32_t r : ranking) w.I32(r);
    for (const std::array<int32_t, 8>& r : rules) {
      if (v >= 125)
        w.I32(8).I32(r[0]).I32(r[1]).I32(r[2]).I32(r[3]).I32(r[4]).I32(r[5]).I32(r[6]).I32(r[7]);
      else
        w.I32(5).I32(r[0]).I32(r[4]).I32(r[5]).I32(r[6]).I32(r[7]);
      w.I32(0);
    }
    for (const std::vector<std::string>* list : {&blocks, &charas, &items}) {
      w.U32(static_cast<uint32_t>(list->size()));
      for (const std::string& b : *list) w.Bytes(b);
    }
    for (const std::vector<std::string>* list : {&placedBlocks, &placedCharas, &placedItems}) {
      w.U32(static_cast<uint32_t>(list->size()));
      for (const std::string& b : *list) w.I32(0).Bytes(b);
    }
    w.U32(static_cast<uint32_t>(layers.size()));
    for (const LayerBytes& l : layers) w.Bytes(l.Body(v));
    w.U32(static_cast<uint32_t>(texts.size()));
    for (const std::string& t : texts) w.I32(0).I32(1).Str(t);
    if (v >= 173) w.I32(trailer);
    return w.str();
  }
  // The file: the data version and the body.
  std::string File() const { return ByteWriter().I32(version).Bytes(Body()).str(); }
};
