#include "defs/flow_cmd.h"

#include <utility>

#include "core/log.h"
#include "defs/def_context.h"
#include "defs/flow.h"
#include "defs/record_list.h"
#include "defs/sub_record.h"

namespace {

// The smallest command in a file: the record body's two counts, the presence flags of the
// movement and shot records, the nested-flow count and the parameter count.
constexpr size_t kMinCmdBytes = MIN_RECORD_BYTES + 4 * 4;

// Commands hold flows that hold commands: a file may nest them only this deep. Deeper nesting
// is refused as damage (real games nest a few levels), so a hostile file cannot exhaust the
// stack.
constexpr int kMaxNesting = 64;
thread_local int t_nNesting = 0;

struct NestingScope {
  NestingScope() { ++t_nNesting; }
  ~NestingScope() { --t_nNesting; }
};

// A sub-record part of the file: uint32 presence flag (any value but 0 is present), then the
// record. A present record replaces the pointer's with a new one; an absent one releases it.
template <class T>
void LoadSubRecord(FILE* fp, boost::shared_ptr<T>& p) {
  uint32_t present = 0;
  if (!ReadRecordValue(fp, present)) return;
  if (!present) {
    p.reset();
    return;
  }
  p.reset(new T);
  p->Load(fp);
}

template <class T>
void SaveSubRecord(FILE* fp, const boost::shared_ptr<T>& p) {
  WriteRecordValue(fp, static_cast<uint32_t>(p ? 1 : 0));
  if (p) p->Save(fp);
}

// The parameter list as the upgrades of older files change it. A parameter beyond the list
// reads as 0; writing it extends the list (the final sizing to the kind's count follows in
// Validate). Additions wrap at 32 bits instead of overflowing.
class Params {
 public:
  explicit Params(cSafeVector<int32_t>& v) : m_v(v) {}

  int32_t operator[](size_t i) const { return i < m_v.size() ? m_v[i] : 0; }
  void Set(size_t i, int32_t value) {
    if (i >= m_v.size()) m_v.resize(i + 1);
    m_v[i] = value;
  }
  void Add(size_t i, int32_t n) { Set(i, static_cast<int32_t>(static_cast<uint32_t>((*this)[i]) + static_cast<uint32_t>(n))); }
  // Cuts the list or pads it with zeros to exactly n entries.
  void Resize(size_t n) { m_v.resize(n); }
  // Moves entries i..n−2 up by one (the last one is lost) and sets entry i.
  void Insert(size_t i, int32_t value) {
    if (i >= m_v.size()) return Set(i, value);
    for (size_t j = m_v.size() - 1; j > i; --j) m_v[j] = m_v[j - 1];
    m_v[i] = value;
  }

 private:
  cSafeVector<int32_t>& m_v;
};

// Character statuses were inserted in the status operation: a status number at or above the
// threshold moves up by one, for the changed status (p[4]) when a status of a character is
// changed, and for the operand status (p[13]) when it is a character's.
void ShiftStatusNumbers(Params& p, int threshold) {
  if (p[0] == 0 && p[3] != 2 && p[4] >= threshold) p.Add(4, 1);
  if (p[6] == 2 && p[12] != 2 && p[13] >= threshold) p.Add(13, 1);
}

// A parameter that names a database entry: beyond the list it becomes 1, or 0 when the list has
// no entry 1.
void RepairDbParam(int32_t& p, eDbList list) {
  if (!DbListHolds(list, p)) p = FirstEntryOrNone(g_DefContext.DbListSize(list));
}

// The same for a palette entry.
template <class T>
void RepairPaletteIndex(T& index, const cPaletteList& list) {
  if (!list.Holds(index)) index = static_cast<T>(FirstEntryOrNone(list.Size()));
}

}  // namespace

cFlowCmd::cFlowCmd() {
  Register(DATA_VERSION);
  Clear();
}

cFlowCmd::cFlowCmd(const cFlowCmd& src)
    : cSaveRecord(src),
      m_bySelector(src.m_bySelector),
      m_byKind(src.m_byKind),
      m_vParam(src.m_vParam),
      m_strText(src.m_strText),
      m_sTime(src.m_sTime),
      m_sTimePerClone(src.m_sTimePerClone),
      m_bZeroTime(src.m_bZeroTime),
      m_sSound(src.m_sSound),
      m_bSoundOnScreen(src.m_bSoundOnScreen),
      m_sAnime(src.m_sAnime),
      m_vFlow(src.m_vFlow) {
  AssignSubRecord(m_pMove, src.m_pMove);
  AssignSubRecord(m_pShot, src.m_pShot);
  AssignSubRecord(m_pCondList, src.m_pCondList);
}

cFlowCmd::cFlowCmd(cFlowCmd&& src) noexcept
    : cSaveRecord(src),
      m_bySelector(src.m_bySelector),
      m_byKind(src.m_byKind),
      m_vParam(std::move(src.m_vParam)),
      m_strText(std::move(src.m_strText)),
      m_pMove(std::move(src.m_pMove)),
      m_pShot(std::move(src.m_pShot)),
      m_sTime(src.m_sTime),
      m_sTimePerClone(src.m_sTimePerClone),
      m_bZeroTime(src.m_bZeroTime),
      m_sSound(src.m_sSound),
      m_bSoundOnScreen(src.m_bSoundOnScreen),
      m_sAnime(src.m_sAnime),
      m_pCondList(std::move(src.m_pCondList)),
      m_vFlow(std::move(src.m_vFlow)) {}

cFlowCmd& cFlowCmd::operator=(const cFlowCmd& src) {
  // The copy is complete before anything of this command changes: the source may be one of
  // the commands inside this command's nested flows.
  if (this != &src) *this = cFlowCmd(src);
  return *this;
}

cFlowCmd& cFlowCmd::operator=(cFlowCmd&& src) noexcept {
  if (this == &src) return *this;
  cSaveRecord::operator=(src);
  m_bySelector = src.m_bySelector;
  m_byKind = src.m_byKind;
  m_vParam = std::move(src.m_vParam);
  m_strText = std::move(src.m_strText);
  m_pMove = std::move(src.m_pMove);
  m_pShot = std::move(src.m_pShot);
  m_sTime = src.m_sTime;
  m_sTimePerClone = src.m_sTimePerClone;
  m_bZeroTime = src.m_bZeroTime;
  m_sSound = src.m_sSound;
  m_bSoundOnScreen = src.m_bSoundOnScreen;
  m_sAnime = src.m_sAnime;
  m_pCondList = std::move(src.m_pCondList);
  m_vFlow = std::move(src.m_vFlow);
  return *this;
}

cFlowCmd::~cFlowCmd() = default;

void cFlowCmd::SetDefaults() { m_bSoundOnScreen = 1; }

void cFlowCmd::Clear() {
  cSaveRecord::Clear();
  m_pMove.reset();
  m_pShot.reset();
  m_pCondList.reset();
  SetDefaults();
}

void cFlowCmd::RegisterFields(int) {
  AddField(&m_bySelector);
  AddField(&m_byKind);
  AddField(&m_sTime);
  AddField(&m_sTimePerClone);
  AddField(&m_bZeroTime);
  AddField(&m_sSound);
  AddField(&m_bSoundOnScreen);
  AddField(&m_sAnime);
  AddStringField(&m_strText);
}

void cFlowCmd::Load(FILE* fp) {
  cSaveRecord::Load(fp);
  LoadSubRecord(fp, m_pMove);
  LoadSubRecord(fp, m_pShot);
  // Older files have no condition-list part.
  if (g_nFileVersion >= 764)
    LoadSubRecord(fp, m_pCondList);
  else
    m_pCondList.reset();
  if (t_nNesting >= kMaxNesting) {
    if (!RecordStreamFailed(fp)) ReportLog("cFlowCmd: flows nested deeper than %d levels; the file is damaged", kMaxNesting);
    FailRecordStream(fp);
    m_vFlow.clear();
  } else {
    NestingScope nesting;
    LoadFlowList(m_vFlow, fp);
  }
  uint32_t n = 0;
  if (ReadRecordCount(fp, n, sizeof(int32_t))) {
    m_vParam.assign(n, 0);
    ReadRecordBytes(fp, m_vParam.data(), n * sizeof(int32_t));
  }
  if (g_nFileVersion < DATA_VERSION) Upgrade(g_nFileVersion);
  if (!KeepMarkedFlows()) RemoveMarkedFlows(m_vFlow);
  Validate();
  // The sword's m_byTrajectory is a sword type, repaired by Validate.
  if (m_pShot && !(m_bySelector == 0 && m_byKind == CMD_SWORD)) m_pShot->ClampTrajectory();
}

void cFlowCmd::Save(FILE* fp) {
  Validate();
  cSaveRecord::Save(fp);
  SaveSubRecord(fp, m_pMove);
  SaveSubRecord(fp, m_pShot);
  SaveSubRecord(fp, m_pCondList);
  SaveFlowList(m_vFlow, fp);
  WriteRecordValue(fp, static_cast<uint32_t>(m_vParam.size()));
  WriteRecordBytes(fp, m_vParam.data(), m_vParam.size() * sizeof(int32_t));
}

// The upgrades of files older than the program, in version order. Each step names the kinds of
// its time: kinds above 23 moved up by one at 734, so the steps before it see the old numbers
// (their 25 is today's 26, 29 and 30 are 30 and 31, 31 is 32, 35 is 36, 37 is 38). List
// commands take the steps of the flow kinds they share, under list kind = flow kind − 15.
void cFlowCmd::Upgrade(int v) {
  Params p(m_vParam);
  // The kind as it stands at each step; flow kinds only for the steps without a list
  // counterpart.
  auto is = [this](int flowKind) { return FlowKind() == flowKind; };
  auto isFlow = [this](int flowKind) { return m_bySelector == 0 && m_byKind == flowKind; };

  if (v < 145 && is(CMD_STAGE_CLEAR)) p.Resize(9);
  if (v < 166 && is(35)) {  // "BGMの再生"
    p.Resize(2);
    p.Set(1, 1);
  }
  if (v < 168 && is(CMD_STATUS)) ShiftStatusNumbers(p, 10);
  if (v < 189 && is(CMD_SET_TARGET)) {
    p.Resize(16);
    p.Insert(2, 0);
  }
  if (v < 194 && is(31)) {  // "ピクチャーの表示"
    p.Resize(15);
    p.Insert(6, 1);
  }
  if (v < 195 && (is(29) || is(30))) {  // "キャラエフェクトの実行", "画面エフェクトの実行"
    p.Resize(3);
    p.Insert(1, 0);
  }
  if (v < 203) {
    if (isFlow(CMD_SUMMON_CHARA) || isFlow(CMD_SUMMON_ITEM)) p.Resize(0);
    if (isFlow(CMD_FLOW_OPERATION)) p.Resize(4);
    if (is(CMD_STATUS)) ShiftStatusNumbers(p, 5);
  }
  if (v < 210 && is(CMD_STATUS2) && p[0] != 2 && p[1] >= 6) p.Add(1, 1);
  // Shot graphics counted from 0.
  if (v < 219 && is(25) && p[0] == 3) p.Set(1, p[1] >= 118 ? 119 : p[1] + 1);  // "グラフィックの変更"
  if (v < 220 && isFlow(CMD_SHOT) && m_pShot) m_pShot->m_sGraphic = m_pShot->m_sGraphic >= 118 ? 119 : m_pShot->m_sGraphic + 1;
  if (v < 514 && isFlow(CMD_MOVE_CHARGE) && m_pMove) {
    m_pMove->m_sAngle = 0;
    m_pMove->m_sAngleStep = 0;
    m_pMove->m_bMirrorAngle = 1;
  }
  if (v < 545) {
    if (is(CMD_MESSAGE)) {
      p.Resize(18);
      p.Set(10, 1);
    }
    if (is(31)) {
      p.Resize(15);
      p.Set(11, 0);
    }
  }
  if (v < 546 && is(CMD_MESSAGE)) p.Set(10, p[0] == 0 || p[0] == 7 ? 1 : 0);
  if (v < 547) {
    if (is(CMD_MESSAGE)) {
      p.Resize(18);
      p.Set(11, 0);
      p.Set(12, 0);
      p.Set(13, 0);
      p.Set(14, 1);
      p.Set(15, 0);
    }
    if (is(31)) {
      p.Resize(15);
      p.Set(12, 0);
      p.Set(13, 0);
    }
  }
  if (v < 556 && is(CMD_MESSAGE)) {
    p.Resize(18);
    p.Set(16, 1);
  }
  if (v < 722 && is(CMD_STAGE_CLEAR) && p[0] >= 2) p.Add(0, 1);
  if (v < 723) {
    if (is(CMD_MESSAGE)) {
      p.Resize(18);
      p.Set(17, 0);
    }
    if (is(31)) {
      p.Resize(15);
      p.Set(14, 0);
    }
  }
  if (v < 726 && is(37)) {  // "アレンジ"
    p.Resize(5);
    p.Set(0, 11);
  }
  // Arranges of the shot command: its parameter list gained entries at these places.
  if (v < 727 && is(37) && p[0] == CMD_SHOT) {
    for (int threshold : {2, 3, 4, 14, 15, 16, 17})
      if (p[1] >= threshold) p.Add(1, 1);
  }
  // "消滅" came in as kind 24; the arrange command names flow kinds in p[0].
  if (v < 734) {
    if (FlowKind() >= CMD_VANISH) m_byKind = static_cast<int8_t>(m_byKind + 1);
    if (is(CMD_ARRANGE) && p[0] >= CMD_VANISH) p.Add(0, 1);
  }
  if (v < 747 && is(CMD_SET_TARGET)) {
    p.Resize(16);
    p.Set(10, 0);
    p.Set(11, 1);
    p.Set(14, 0);
  }
  if (v < 760 && isFlow(CMD_FLOW_OPERATION)) {
    p.Resize(4);
    p.Set(3, 0);
  }
  // The flow operation's condition gate: an empty list with rule 0 always holds.
  if (v < 764 && isFlow(CMD_FLOW_OPERATION)) m_pCondList = CreateCondList();
  // Targets 2..4 came in after target 1.
  if (v < 767) {
    if (isFlow(CMD_TURN) && p[0] >= 4) p.Add(0, 6);
    if (is(CMD_WARP) && m_pMove && m_pMove->m_byGoalMode >= 2) m_pMove->m_byGoalMode += 3;
    if (is(CMD_SET_TARGET)) {
      p.Resize(16);
      p.Insert(0, 0);
    }
    if (is(CMD_STATUS)) {
      if (p[0] == 0 && p[3] >= 2) p.Add(3, 3);
      if (p[6] == 2 && p[12] >= 2) p.Add(12, 3);
    }
    if (is(CMD_STATUS2) && p[0] >= 2) p.Add(0, 3);
  }
}

void cFlowCmd::Validate() {
  const cCmdKindInfo* info = GetCmdKindInfo(m_bySelector, m_byKind);
  if (!info) {
    ReportLog("cFlowCmd: kind %d of table %d is out of range and was set to 0", m_byKind, m_bySelector ? 1 : 0);
    m_byKind = 0;
    info = GetCmdKindInfo(m_bySelector, 0);
  }
  if (!DbListHolds(DBLIST_ANIME, m_sAnime)) m_sAnime = 0;
  if (!DbListHolds(DBLIST_SOUND, m_sSound)) m_sSound = 0;
  m_vParam.resize(static_cast<size_t>(info->m_nParamCount));
  if (!m_vParam.empty()) {
    int32_t& p0 = m_vParam[0];
    switch (FlowKind()) {
      case CMD_CHANGE_ANIMESET:
        if (!DbListHolds(DBLIST_ANIMESET, p0)) p0 = 0;
        break;
      case CMD_PLAY_ANIME: RepairDbParam(p0, DBLIST_ANIME); break;
      case CMD_EFFECT: RepairDbParam(p0, DBLIST_EFFECT); break;
      case CMD_CHARA_EFFECT: RepairDbParam(p0, DBLIST_CHARAEFFECT); break;
      case CMD_SCREEN_EFFECT: RepairDbParam(p0, DBLIST_SCREFFECT); break;
      case CMD_PICTURE: RepairDbParam(p0, DBLIST_PICTURE); break;
      case CMD_SOUND: RepairDbParam(p0, DBLIST_SOUND); break;
      case CMD_BGM: RepairDbParam(p0, DBLIST_BGM); break;
      default: break;
    }
  }
  if (m_bySelector == 0 && m_byKind == CMD_SWORD && m_pShot) SetSwordTime();
  for (cFlow& f : m_vFlow) f.Validate();
}

// The sword's type is a SwordType index; its time of use is the sum of the type's swing waits,
// capped at 9999 after each addition. A type without frames gives 0.
void cFlowCmd::SetSwordTime() {
  uint8_t& type = m_pShot->m_byTrajectory;
  if (!DbListHolds(DBLIST_SWORDTYPE, type)) type = 0;
  cSafeVector<int32_t> waits;
  if (g_DefContext.lpfnSwordSwingWaits && DbListHolds(DBLIST_SWORDTYPE, type)) waits = g_DefContext.lpfnSwordSwingWaits(type);
  int64_t sum = 0;
  for (int32_t w : waits) {
    sum += w;
    if (sum > 9999) sum = 9999;
  }
  m_sTime = static_cast<int16_t>(sum < INT16_MIN ? INT16_MIN : sum);
}

void cFlowCmd::ValidatePalette() {
  switch (FlowKind()) {
    case CMD_SHOT:
    case CMD_SWORD:
      // The item the hero takes when the shot hits.
      if (m_pShot) {
        const cPaletteList* items = g_DefContext.item.Of(m_pShot->m_byItemPalette);
        if (items && !items->Holds(m_pShot->m_sItem)) {
          m_pShot->m_byItemPalette = 0;
          m_pShot->m_sItem = 0;
        }
      }
      break;
    case CMD_SUMMON_BLOCK:
    case CMD_SUMMON_CHARA:
    case CMD_SUMMON_ITEM:
      // The summoned entry: palette 0 common, 1 stage; other palette values are left alone.
      if (m_pShot) {
        const cPaletteLists& lists = m_byKind == CMD_SUMMON_BLOCK   ? g_DefContext.block
                                     : m_byKind == CMD_SUMMON_CHARA ? g_DefContext.chara
                                                                    : g_DefContext.item;
        if (const cPaletteList* list = lists.Of(m_pShot->m_bySummonPalette + 1))
          RepairPaletteIndex(m_pShot->m_sSummonIndex, *list);
      }
      break;
    case CMD_TAKE_ITEM:
      // p[0] 0 the common, 1 the stage item palette; p[1] the item.
      if (m_vParam.size() >= 2 && (m_vParam[0] == 0 || m_vParam[0] == 1))
        RepairPaletteIndex(m_vParam[1], *g_DefContext.item.Of(m_vParam[0] + 1));
      break;
    default: break;
  }
  for (cFlow& f : m_vFlow) f.ValidatePalette();
}

void AssignCmdList(cSafeVector<cFlowCmd>& dst, const cSafeVector<cFlowCmd>& src) { AssignRecordList(dst, src); }

void LoadCmdList(cSafeVector<cFlowCmd>& list, FILE* fp) { LoadRecordList(list, fp, kMinCmdBytes); }

void SaveCmdList(cSafeVector<cFlowCmd>& list, FILE* fp) { SaveRecordList(list, fp); }
