// "data\System.dat" built by hand in the layout of a data version, for the loader's tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "support/bytes.h"

// One scalar field of the record body: stored from data version `from` up to `to`, `size`
// bytes, in registration order.
struct SystemField {
  const char* name;
  int from;
  int to;
  int size;
};

// The scalar fields of the body in file order.
inline const std::vector<SystemField>& SystemFields() {
  static const std::vector<SystemField> fields = {
      {"ExtraLife", 185, 9999, 4},          {"ExtraLifeScore", 0, 9999, 4},     {"MenuDraw", 0, 9999, 4},
      {"PictureChars", 0, 9999, 4},         {"FontFace", 205, 9999, 4},         {"FixedPitch", 170, 9999, 4},
      {"KeepFlaggedFlows", 113, 9999, 4},   {"Replay", 184, 9999, 4},           {"TitleMenuCentre", 157, 9999, 4},
      {"MapKeepsLives", 0, 9999, 4},        {"MissChoice", 191, 9999, 4},       {"MapShowLives", 191, 9999, 4},
      {"ChallengeStages", 0, 9999, 4},      {"ChallengeAllOpen", 0, 9999, 4},   {"StoryMapScore", 167, 9999, 4},
      {"StoryTotalScore", 167, 9999, 4},    {"StoryRestore", 188, 9999, 4},     {"StoryMenuRetry", 224, 9999, 4},
      {"ChallengeScores", 167, 9999, 4},    {"ChallengeTotalScore", 167, 9999, 4},
      {"ChallengeRestore", 188, 9999, 4},   {"ChallengeMenuRetry", 224, 9999, 4},
      {"FreeRestore", 188, 9999, 4},        {"FileRestore", 192, 9999, 4},      {"FullColour", 187, 9999, 4},
      {"Red", 187, 9999, 1},                {"Green", 187, 9999, 1},            {"Blue", 187, 9999, 1},
      {"Legacy214", 214, 9999, 4},          {"Dropped", 221, 259, 4},           {"Legacy261", 261, 9999, 4},
      {"Option272", 272, 9999, 4},          {"Option287", 287, 9999, 4},        {"PaletteAnimStep", 515, 9999, 4},
      {"PaletteAnim", 289, 9999, 4},        {"StoryMenuMap", 757, 9999, 4},     {"Legacy525", 525, 9999, 4},
      {"Legacy555", 555, 9999, 4},          {"Legacy637", 637, 9999, 4},        {"Legacy669", 669, 9999, 4},
      {"Legacy677", 677, 9999, 4},          {"Legacy695", 695, 9999, 4},        {"Legacy696", 696, 9999, 4},
      {"Legacy697", 697, 9999, 4},          {"Legacy721", 721, 9999, 4},        {"Legacy728", 728, 9999, 4},
      {"Legacy733", 733, 9999, 4},          {"Legacy744", 744, 9999, 4},        {"Legacy749", 749, 9999, 4},
      {"Legacy752", 752, 9999, 4},          {"Legacy763A", 763, 9999, 4},       {"Legacy763B", 763, 9999, 4},
      {"Legacy768", 768, 9999, 4},          {"Legacy773", 773, 9999, 4},        {"Legacy781", 781, 9999, 4},
      {"Legacy782", 782, 9999, 4},          {"Legacy783", 783, 9999, 4},        {"FullColourBpp", 670, 9999, 4},
      {"PaletteBpp", 670, 9999, 4},
  };
  return fields;
}

struct DisplayItemBytes {
  uint32_t show = 1, icon = 1;
  std::string label;
  uint32_t showValue = 0, digits = 0, lowLevel = 0, lowPercent = 0;

  std::string Body(int v) const {
    ByteWriter w;
    w.I32(3 + (v >= 204) + 2 * (v >= 587)).U32(show).U32(icon).U32(digits);
    if (v >= 204) w.U32(showValue);
    if (v >= 587) w.U32(lowLevel).U32(lowPercent);
    return w.I32(1).Str(label).str();
  }
};

struct RankingBytes {
  uint32_t ranking = 1;
  std::vector<uint8_t> kinds = std::vector<uint8_t>(5, 1);

  std::string Body() const {
    ByteWriter w;
    w.I32(1).U32(ranking).I32(0).U32(static_cast<uint32_t>(kinds.size()));
    for (uint8_t k : kinds) w.U8(k);
    return w.str();
  }
};

struct MenuBytes {
  uint32_t enable = 1;
  std::string name;
};

struct IniKeyBytes {
  uint32_t kind = 0;
  std::string key;
  int32_t number = 0;
  std::string text;
};

// The prefix, the number and the suffix (appended: a literal + a temporary string gives a false
// overlap warning in optimised builds).
inline std::string Numbered(const char* prefix, size_t n, const char* suffix = "") {
  return std::string(prefix).append(std::to_string(n)).append(suffix);
}

// A whole file. The fields hold the value of their position in SystemFields(); the lists start
// with valid contents of full length.
struct SystemDatBytes {
  std::vector<int64_t> fields;
  std::string title = "title";
  std::vector<uint8_t> carry = std::vector<uint8_t>(25, 0);
  std::vector<uint8_t> restartReset = std::vector<uint8_t>(25, 0);
  std::vector<DisplayItemBytes> items = std::vector<DisplayItemBytes>(5);
  std::vector<int32_t> startLives = {3, 4, 5, 6};
  std::vector<int32_t> unlimitedLives = {0, 1, 0, 1};
  std::vector<RankingBytes> ranking = std::vector<RankingBytes>(4);
  std::vector<std::string> texts;
  std::vector<std::string> systemSe;
  std::vector<int32_t> screenBgm = {0, 0, 0, 0};
  std::vector<uint8_t> screenBgmFlag = {1, 0, 1, 0};
  std::vector<MenuBytes> titleMenu = std::vector<MenuBytes>(7);
  std::vector<MenuBytes> saveMenu = std::vector<MenuBytes>(4);
  std::vector<MenuBytes> optionMenu = std::vector<MenuBytes>(6);
  std::vector<std::string> rankingMethods = {"m0", "m1", "m2", "m3"};
  std::vector<IniKeyBytes> iniKeys;

  SystemDatBytes() {
    for (size_t i = 0; i < SystemFields().size(); ++i)
      fields.push_back(SystemFields()[i].size == 1 ? static_cast<int64_t>(i) : 1000 + static_cast<int64_t>(i));
    for (int i = 0; i < 29; ++i) texts.push_back(Numbered("T", i));
    for (int i = 0; i < 17; ++i) systemSe.push_back(Numbered("se", i, ".wav"));
    for (size_t i = 0; i < titleMenu.size(); ++i) titleMenu[i].name = Numbered("title", i);
    for (size_t i = 0; i < saveMenu.size(); ++i) saveMenu[i].name = Numbered("save", i);
    for (size_t i = 0; i < optionMenu.size(); ++i) optionMenu[i].name = Numbered("option", i);
    for (size_t i = 0; i < items.size(); ++i) items[i].label = Numbered("item", i);
    for (int i = 0; i < 10; ++i) iniKeys.push_back({0, Numbered("key", i), i, ""});
  }

  // Sets the stored value of a named field.
  SystemDatBytes& Set(const char* name, int64_t value) {
    for (size_t i = 0; i < SystemFields().size(); ++i)
      if (std::string(SystemFields()[i].name) == name) fields[i] = value;
    return *this;
  }

  // The bytes after the data version.
  std::string Body(int v) const {
    ByteWriter w;
    int count = 0;
    for (const SystemField& f : SystemFields()) count += v >= f.from && v <= f.to;
    w.I32(count);
    for (size_t i = 0; i < SystemFields().size(); ++i) {
      const SystemField& f = SystemFields()[i];
      if (v < f.from || v > f.to) continue;
      if (f.size == 1)
        w.U8(static_cast<uint8_t>(fields[i]));
      else
        w.I32(static_cast<int32_t>(fields[i]));
    }
    w.I32(1).Str(title);
    Bytes(w, carry);
    if (v >= 501) Bytes(w, restartReset);
    w.U32(static_cast<uint32_t>(items.size()));
    for (const DisplayItemBytes& d : items) w.Bytes(d.Body(v));
    Ints(w, startLives);
    if (v >= 191) Ints(w, unlimitedLives);
    if (v >= 186) {
      w.U32(static_cast<uint32_t>(ranking.size()));
      for (const RankingBytes& r : ranking) w.Bytes(r.Body());
    }
    Texts(w, texts);
    Texts(w, systemSe);
    Ints(w, screenBgm);
    if (v >= 202) Bytes(w, screenBgmFlag);
    Menu(w, titleMenu);
    Menu(w, saveMenu);
    Menu(w, optionMenu);
    if (v >= 674) Texts(w, rankingMethods);
    w.U32(static_cast<uint32_t>(iniKeys.size()));
    for (const IniKeyBytes& k : iniKeys) w.I32(2).U32(k.kind).I32(k.number).I32(2).Str(k.key).Str(k.text);
    return w.str();
  }

 private:
  static void Bytes(ByteWriter& w, const std::vector<uint8_t>& list) {
    w.U32(static_cast<uint32_t>(list.size()));
    for (uint8_t b : list) w.U8(b);
  }
  static void Ints(ByteWriter& w, const std::vector<int32_t>& list) {
    w.U32(static_cast<uint32_t>(list.size()));
    for (int32_t n : list) w.I32(n);
  }
  static void Texts(ByteWriter& w, const std::vector<std::string>& list) {
    w.U32(static_cast<uint32_t>(list.size()));
    for (const std::string& s : list) w.Str(s);
  }
  static void Menu(ByteWriter& w, const std::vector<MenuBytes>& list) {
    w.U32(static_cast<uint32_t>(list.size()));
    for (const MenuBytes& m : list) w.I32(1).U32(m.enable).I32(1).Str(m.name);
  }
};
