#include "app/ranking.h"

#include <cstdlib>

#include "core/log.h"
#include "core/path.h"
#include "core/text.h"
#include "project/save_data.h"

namespace {

// The order of each kind in a new table: clear time ranks the smaller value higher.
constexpr uint32_t kDefaultOrder[RANKING_KIND_COUNT] = {1, 1, 0, 1, 1};

// The smallest list body in a file: its field and string counts and its place count.
constexpr size_t kMinListBytes = MIN_RECORD_BYTES + 4;

const char* const kModeFolder[] = {"user_data\\story\\", "user_data\\challenge\\", "user_data\\free\\"};

// Brings a list to exactly 20 places, keeping the first ones.
void FitPlaces(cRankingList& list) {
  list.m_vEntry.resize(RANKING_PLACE_COUNT);
}

}  // namespace

// ---- cRankingEntry ----

void cRankingEntry::RegisterFields(int version) {
  AddField(&m_bUsed);
  AddStringField(&m_strName);
  AddField(&m_nScore);
}

// ---- cRankingList ----

cRankingList::cRankingList() : m_vEntry(RANKING_PLACE_COUNT) {}

void cRankingList::RegisterFields(int version) { AddField(&m_nOrder); }

void cRankingList::Load(FILE* fp) {
  cSaveRecord::Load(fp);
  uint32_t n = 0;
  if (!ReadRecordCount(fp, n, MIN_RECORD_BYTES)) return;
  // Lists are written with 20 places; a larger count is a damaged file, refused before any
  // place is made.
  if (n > static_cast<uint32_t>(RANKING_PLACE_COUNT)) {
    FailRecordStream(fp);
    return;
  }
  m_vEntry.assign(n, cRankingEntry());
  for (cRankingEntry& entry : m_vEntry) {
    entry.Load(fp);
    if (RecordStreamFailed(fp)) return;
  }
}

void cRankingList::Save(FILE* fp) {
  cSaveRecord::Save(fp);
  WriteRecordValue(fp, static_cast<uint32_t>(m_vEntry.size()));
  for (cRankingEntry& entry : m_vEntry) entry.Save(fp);
}

int cRankingList::FindInsertPos(int32_t score) const {
  for (size_t i = 0; i < m_vEntry.size(); ++i) {
    const cRankingEntry& place = m_vEntry[i];
    if (!place.m_bUsed) return static_cast<int>(i);
    if (m_nOrder == 1 && score > place.m_nScore) return static_cast<int>(i);
    if (m_nOrder == 0 && score < place.m_nScore) return static_cast<int>(i);
  }
  return -1;
}

void cRankingList::Register(const std::string& name, int32_t score) {
  const int pos = FindInsertPos(score);
  cRankingEntry entry;
  entry.m_bUsed = 1;
  entry.m_strName = name;
  entry.m_nScore = score;
  if (pos >= 0 && static_cast<size_t>(pos) < m_vEntry.size())
    m_vEntry.insert(m_vEntry.begin() + pos, entry);
  else
    m_vEntry.push_back(entry);
  m_vEntry.pop_back();
}

void cRankingList::SetDefault() {
  Clear();
  FitPlaces(*this);
}

// ---- cRankingTable ----

cRankingTable::cRankingTable() { SetDefault(); }

void cRankingTable::SetDefault() {
  Clear();
  m_vList.assign(RANKING_KIND_COUNT, cRankingList());
  for (int kind = 0; kind < RANKING_KIND_COUNT; ++kind) m_vList[static_cast<size_t>(kind)].m_nOrder = kDefaultOrder[kind];
}

void cRankingTable::Load(FILE* fp) {
  m_bDamaged = 0;
  cSaveRecord::Load(fp);
  uint32_t n = 0;
  if (ReadRecordCount(fp, n, kMinListBytes)) {
    // Files are written with five lists; a larger count is a damaged file.
    if (n > static_cast<uint32_t>(RANKING_KIND_COUNT)) {
      FailRecordStream(fp);
    } else {
      m_vList.assign(n, cRankingList());
      for (cRankingList& list : m_vList) {
        list.Load(fp);
        if (RecordStreamFailed(fp)) break;
      }
    }
  }
  if (RecordStreamFailed(fp)) {
    m_bDamaged = 1;
    return;
  }
  // Every reader relies on five lists of twenty places.
  const size_t lists = m_vList.size();
  bool shortList = false;
  for (cRankingList& list : m_vList) {
    if (list.m_vEntry.size() < static_cast<size_t>(RANKING_PLACE_COUNT)) shortList = true;
    FitPlaces(list);
  }
  if (g_nFileVersion < RANKING_FIVE_LISTS_VERSION) {
    // Older files held fewer kinds: the missing lists are new ones, and remaining HP and SP
    // rank the larger value higher.
    while (m_vList.size() < static_cast<size_t>(RANKING_KIND_COUNT)) {
      m_vList.emplace_back();
      m_vList.back().SetDefault();
    }
    m_vList[3].m_nOrder = 1;
    m_vList[4].m_nOrder = 1;
    return;
  }
  // A newer file with lists or places missing keeps what it holds; the missing lists are new
  // ones of their kind's order.
  while (m_vList.size() < static_cast<size_t>(RANKING_KIND_COUNT)) {
    m_vList.emplace_back();
    m_vList.back().m_nOrder = kDefaultOrder[m_vList.size() - 1];
  }
  if (shortList || lists < static_cast<size_t>(RANKING_KIND_COUNT))
    ReportLog("cRankingTable: a file of %d lists with places missing, filled with free places", static_cast<int>(lists));
}

void cRankingTable::Save(FILE* fp) {
  cSaveRecord::Save(fp);
  WriteRecordValue(fp, static_cast<uint32_t>(m_vList.size()));
  for (cRankingList& list : m_vList) list.Save(fp);
}

// ---- The ranking file ----

int MakeDataFilePath(std::string& out, int nGameMode, const char* name, int nKey1, int nKey2, int nKey3) {
  out.clear();
  if (nGameMode < 0 || nGameMode > 2) return 0;
  std::string base = name ? name : "";
  if (nGameMode == 0) MakeStageFileName(base, nKey1, nKey2, nKey3);
  // A name that no file name can hold has no ranking file.
  if (base.size() >= MAX_PATH) return 0;
  char stripped[MAX_PATH];
  std::snprintf(stripped, sizeof stripped, "%s", base.c_str());
  StripDirectory(stripped);
  FormatString(out, "%s%s%s", kModeFolder[nGameMode], stripped, "rkg");
  return 1;
}

int LoadDataFile(cRankingTable& table, int nGameMode, const char* name, int nKey1, int nKey2, int nKey3) {
  std::string path;
  table.m_bDamaged = 0;
  if (!MakeDataFilePath(path, nGameMode, name, nKey1, nKey2, nKey3) || !table.LoadFile(path.c_str())) {
    if (table.m_bDamaged) ReportLog("%s: the ranking file is damaged; the rankings start empty", path.c_str());
    table.SetDefault();
    return 0;
  }
  return 1;
}

int SaveDataFile(cRankingTable& table, int nGameMode, const char* name, int nKey1, int nKey2, int nKey3) {
  std::string path;
  if (!MakeDataFilePath(path, nGameMode, name, nKey1, nKey2, nKey3)) return 0;
  return table.SaveFile(path.c_str()) ? 1 : 0;
}

// ---- Numbers ----

