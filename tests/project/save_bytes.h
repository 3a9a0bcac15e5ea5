// Progress files (save slots, the challenge file, the companion of a replay) built by hand in the
// layout of a data version, for the loader's tests.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "defs/record_bytes.h"
#include "support/bytes.h"

// The int32 fields of the record body in file order, with the first data version storing each.
struct SaveField {
  const char* name;
  int from;
};

inline const std::vector<SaveField>& SaveFields() {
  static const std::vector<SaveField> fields = {
      {"Extra", 0},         {"MapX", 0},          {"MapY", 0},           {"StageEntry", 0},    {"Lap", 0},
      {"StageCond", 758},   {"CondVar", 758},     {"CondValue", 758},    {"StageIndex", 0},    {"StageNumber", 0},
      {"StartLives", 0},    {"Lives", 0},         {"StageScore", 0},     {"TotalScore", 0},    {"ClearTotal", 0},
      {"TotalTime", 0},     {"TotalPlayTime", 0}, {"TotalHp", 182},      {"TotalSp", 182},     {"Series", 0},
      {"BgmPlaying", 0},    {"BgmLoop", 166},     {"MapState", 194},     {"LeftStage", 190},   {"PrevMapX", 191},
      {"PrevMapY", 191},    {"ChallengeOpen", 0}, {"Slot", 0},           {"AutoSave", 169},    {"ShowRanking", 0},
      {"RankingKind", 0},   {"Restart", 678},     {"RestartX", 678},     {"RestartY", 678},    {"RestartDir", 679},
  };
  return fields;
}

// A clear entry: the condition from 759, the value, the stage, the key from 759.
struct ClearBytes {
  int32_t cond = 0, condVar = 0, condValue = 0, value = 0;
  std::string stage, key;

  std::string Body(int v) const {
    ByteWriter w;
    if (v >= 759)
      w.I32(4).I32(cond).I32(condVar).I32(condValue).I32(value).I32(2).Str(stage).Str(key);
    else
      w.I32(1).I32(value).I32(1).Str(stage);
    return w.str();
  }
};

// A carry-over: its five values, then a character definition.
struct CarryBytes {
  int32_t hp = 0, sp = 0, timeLimit = 0, lives = 0, bgm = 0;
  CharaBytes chara;

  std::string Body(int v) const {
    ByteWriter w;
    w.I32(5).I32(hp).I32(sp).I32(timeLimit).I32(lives).I32(bgm).I32(0);
    return w.str() + chara.Body(v);
  }
};

// A whole progress file of a data version; fields not named are 0.
struct SaveBytes {
  int version = 790;
  std::map<std::string, int32_t> values;
  std::string stage, key, name = "aaa";
  uint16_t time[8] = {};
  // Written above data version 500 only.
  std::vector<int32_t> carryStored = std::vector<int32_t>(25, 0);
  std::vector<CarryBytes> carries = {CarryBytes()};
  std::vector<ClearBytes> clears;
  // Challenge entries: cleared flag and best.
  std::vector<std::pair<int32_t, int32_t>> challenges = std::vector<std::pair<int32_t, int32_t>>(40);
  std::vector<int32_t> flags = std::vector<int32_t>(1000, 0);
  std::vector<int32_t> vars = std::vector<int32_t>(1001, 0);

  // The record body and what follows, without the data version.
  std::string Body() const {
    const int v = version;
    ByteWriter w;
    int n = 0;
    for (const SaveField& f : SaveFields()) n += v >= f.from;
    w.I32(n);
    for (const SaveField& f : SaveFields()) {
      if (v < f.from) continue;
      auto it = values.find(f.name);
      w.I32(it == values.end() ? 0 : it->second);
    }
    w.I32(2 + (v >= 724)).Str(stage);
    if (v >= 724) w.Str(key);
    w.Str(name);
    for (uint16_t t : time) w.U16(t);
    if (v > 500) {
      w.U32(static_cast<uint32_t>(carryStored.size()));
      for (int32_t c : carryStored) w.I32(c);
    }
    w.U32(static_cast<uint32_t>(carries.size()));
    for (const CarryBytes& c : carries) w.Bytes(c.Body(v));
    w.U32(static_cast<uint32_t>(clears.size()));
    for (const ClearBytes& c : clears) w.Bytes(c.Body(v));
    w.U32(static_cast<uint32_t>(challenges.size()));
    for (const auto& c : challenges) w.I32(2).I32(c.first).I32(c.second).I32(0);
    for (const std::vector<int32_t>* list : {&flags, &vars}) {
      w.U32(static_cast<uint32_t>(list->size()));
      for (int32_t x : *list) w.I32(x);
    }
    return w.str();
  }
  std::string File() const { return ByteWriter().I32(version).str() + Body(); }
};
