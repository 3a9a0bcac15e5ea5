// The rankings of a stage: five lists, one per ranking kind, of twenty places each, kept in the
// stage's ranking file "user_data\<mode folder>\<stage base>rkg"; and the number formatting the
// ranking display and the project files share.
//
// The ranking file is a record file: the int32 data version, the table's empty body (field and
// string counts 0), the uint32 list count and the lists; a list is its body (one field, the
// order) followed by the uint32 place count and the places; a place is its body (the used flag
// and the value, then the name).
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "core/save_record.h"
#include "core/text.h"
#include "project/system_data.h"

// The lists are the ranking kinds (RANKING_KIND_COUNT): score, remaining time, clear time
// (hundredths of a second), remaining HP, remaining SP.
// The places of a list.
constexpr int RANKING_PLACE_COUNT = 20;
// Files before this data version may hold fewer lists; theirs are brought to five on loading.
constexpr int RANKING_FIVE_LISTS_VERSION = 181;

// One place of a list.
class cRankingEntry : public cSaveRecord {
 public:
  // 0 a free place, 1 taken.
  uint32_t m_bUsed = 0;
  std::string m_strName;
  int32_t m_nScore = 0;

  void RegisterFields(int version) override;
};

// One list; place 0 is the best.
class cRankingList : public cSaveRecord {
 public:
  cSafeVector<cRankingEntry> m_vEntry;
  // 1: a larger value ranks higher; 0: a smaller value ranks higher.
  uint32_t m_nOrder = 0;

  // A list of 20 free places, order 0.
  cRankingList();

  void RegisterFields(int version) override;
  void Load(FILE* fp) override;
  void Save(FILE* fp) override;

  // The place at which score would enter (a free place takes it; an equal value enters below
  // the registered one), or -1 when it would not enter.
  int FindInsertPos(int32_t score) const;
  // Enters a result at its place; the list keeps its length, and a result that does not
  // qualify leaves it unchanged.
  void Register(const std::string& name, int32_t score);
  // Order 0 and exactly 20 places: missing places appended free, places beyond 20 removed,
  // the others kept.
  void SetDefault();
};

// The ranking file of one stage.
class cRankingTable : public cSaveRecord {
 public:
  cSafeVector<cRankingList> m_vList;

  // The default table (SetDefault).
  cRankingTable();

  void Load(FILE* fp) override;
  void Save(FILE* fp) override;

  // Five lists of 20 free places, orders 1, 1, 0, 1, 1 for kinds 0..4.
  void SetDefault();

  // Set by Load when the file's counts were refused or the file ended inside them; not stored.
  int m_bDamaged = 0;
};

// The ranking file's path for a game mode (0 story, 1 challenge, 2 free play) and the stage's
// derived name (ending with the dot before the extension); story stages get the world-map keys
// appended to the name. 1, or 0 (out left empty) for any other mode.
int MakeDataFilePath(std::string& out, int nGameMode, const char* name, int nKey1, int nKey2, int nKey3);
// Loads the table from the stage's ranking file: 1 loaded; 0 otherwise, the table then being
// the default one. A damaged file is named in the report log.
int LoadDataFile(cRankingTable& table, int nGameMode, const char* name, int nKey1, int nKey2, int nKey3);
// Writes the table to the stage's ranking file: 1 written; 0 when the mode has no ranking file
// or the write failed (the old file then stays as it was).
int SaveDataFile(cRankingTable& table, int nGameMode, const char* name, int nKey1, int nKey2, int nKey3);

// The ranking file of the stage in question, loaded before each use.
extern cRankingTable g_RankingTable;
