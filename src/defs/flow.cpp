#include "defs/flow.h"

#include <algorithm>
#include <utility>

#include "defs/def_context.h"
#include "defs/record_list.h"
#include "defs/stored_index.h"

namespace {

// The smallest flow in a file: the record body's two counts and the three list counts.
constexpr size_t kMinFlowBytes = MIN_RECORD_BYTES + 3 * 4;
// The smallest key condition: the record body's two counts and the key-state count.
constexpr size_t kMinKeyListBytes = MIN_RECORD_BYTES + 4;

// The stored bytes are compared as signed numbers by the trigger renumbering.
int Signed(uint8_t b) { return static_cast<int8_t>(b); }

}  // namespace

// ---- Key conditions ----

cKeyList::cKeyList() {
  Register(DATA_VERSION);
  Resize();
}

void cKeyList::Resize() {
  cSaveRecord::Clear();
  m_vKeyState.resize(KEYPOS_COUNT);
}

void cKeyList::RegisterFields(int) {
  AddField(&m_bFollowFacing);
  AddField(&m_wMinFrames);
  AddField(&m_wMaxFrames);
  AddField(&m_bAnyLength);
  AddField(&m_byMode);
}

void cKeyList::Load(FILE* fp) {
  cSaveRecord::Load(fp);
  cSafeVector<uint8_t> stored;
  uint32_t n = 0;
  if (ReadRecordCount(fp, n, 1)) {
    stored.resize(n);
    ReadRecordBytes(fp, stored.data(), n);
  }
  // Exactly one state per key position: missing ones are "--", surplus bytes are dropped.
  m_vKeyState.assign(KEYPOS_COUNT, KEYSTATE_ANY);
  std::copy_n(stored.begin(), std::min<size_t>(stored.size(), KEYPOS_COUNT), m_vKeyState.begin());
}

void cKeyList::Save(FILE* fp) {
  cSaveRecord::Save(fp);
  WriteRecordValue(fp, static_cast<uint32_t>(m_vKeyState.size()));
  WriteRecordBytes(fp, m_vKeyState.data(), m_vKeyState.size());
}

void AssignKeyList(cSafeVector<cKeyList>& dst, const cSafeVector<cKeyList>& src) { AssignRecordList(dst, src); }

void LoadKeyList(cSafeVector<cKeyList>& list, FILE* fp) { LoadRecordList(list, fp, kMinKeyListBytes); }

void SaveKeyList(cSafeVector<cKeyList>& list, FILE* fp) { SaveRecordList(list, fp); }

// ---- Flows ----

cFlow::cFlow() {
  Register(DATA_VERSION);
  Clear();
  m_byKeySlack = 3;
}

cFlow::cFlow(const cFlow& src)
    : cSaveRecord(src),
      m_strName(src.m_strName),
      m_byId(src.m_byId),
      m_byGroup(src.m_byGroup),
      m_bTestOnly(src.m_bTestOnly),
      m_vCond(src.m_vCond),
      m_byCondRule(src.m_byCondRule),
      m_bCondOnce(src.m_bCondOnce),
      m_byTrigger(src.m_byTrigger),
      m_bPartner(src.m_bPartner),
      m_byPartnerSlot(src.m_byPartnerSlot),
      m_byKeySlack(src.m_byKeySlack),
      m_bKeyRepeat(src.m_bKeyRepeat),
      m_vKeyList(src.m_vKeyList),
      m_vCmd(src.m_vCmd) {}

cFlow::cFlow(cFlow&& src) noexcept
    : cSaveRecord(src),
      m_strName(std::move(src.m_strName)),
      m_byId(src.m_byId),
      m_byGroup(src.m_byGroup),
      m_bTestOnly(src.m_bTestOnly),
      m_vCond(std::move(src.m_vCond)),
      m_byCondRule(src.m_byCondRule),
      m_bCondOnce(src.m_bCondOnce),
      m_byTrigger(src.m_byTrigger),
      m_bPartner(src.m_bPartner),
      m_byPartnerSlot(src.m_byPartnerSlot),
      m_byKeySlack(src.m_byKeySlack),
      m_bKeyRepeat(src.m_bKeyRepeat),
      m_vKeyList(std::move(src.m_vKeyList)),
      m_vCmd(std::move(src.m_vCmd)) {}

cFlow& cFlow::operator=(const cFlow& src) {
  // Copied whole first: the source may be a flow inside one of this flow's commands.
  if (this != &src) *this = cFlow(src);
  return *this;
}

cFlow& cFlow::operator=(cFlow&& src) noexcept {
  if (this == &src) return *this;
  cSaveRecord::operator=(src);
  m_strName = std::move(src.m_strName);
  m_byId = src.m_byId;
  m_byGroup = src.m_byGroup;
  m_bTestOnly = src.m_bTestOnly;
  m_vCond = std::move(src.m_vCond);
  m_byCondRule = src.m_byCondRule;
  m_bCondOnce = src.m_bCondOnce;
  m_byTrigger = src.m_byTrigger;
  m_bPartner = src.m_bPartner;
  m_byPartnerSlot = src.m_byPartnerSlot;
  m_byKeySlack = src.m_byKeySlack;
  m_bKeyRepeat = src.m_bKeyRepeat;
  m_vKeyList = std::move(src.m_vKeyList);
  m_vCmd = std::move(src.m_vCmd);
  return *this;
}

void cFlow::RegisterFields(int version) {
  AddField(&m_byId);
  AddField(&m_byGroup);
  AddField(&m_bTestOnly);
  AddField(&m_byCondRule);
  AddField(&m_bCondOnce);
  AddField(&m_byTrigger);
  if (version >= 762) AddField(&m_bPartner);
  if (version >= 767) AddField(&m_byPartnerSlot);
  AddField(&m_byKeySlack);
  AddField(&m_bKeyRepeat);
  if (version >= 676) AddStringField(&m_strName);
}

void cFlow::Load(FILE* fp) {
  cSaveRecord::Load(fp);
  LoadCondList(m_vCond, fp);
  LoadKeyList(m_vKeyList, fp);
  LoadCmdList(m_vCmd, fp);
  const int v = g_nFileVersion;
  if (v < DATA_VERSION) {
    // Members that the file's version does not hold take the values of a new flow.
    if (v < 762) m_bPartner = 0;
    if (v < 767) m_byPartnerSlot = 0;
    // Triggers inserted over the versions move the later ones up.
    int trigger = Signed(m_byTrigger);
    if (v <= 131 && trigger >= 11) ++trigger;
    if (v < 163 && trigger != 0) m_byGroup = 0;
    if (v < 164 && trigger >= 5) trigger += 2;
    if (v < 762 && trigger >= 18) trigger += 3;
    m_byTrigger = static_cast<uint8_t>(trigger);
  }
  m_strName.clear();
  Validate();
  ClampStoredIndex(m_byGroup, MAX_FLOW_GROUP, "cFlow", "m_byGroup");
  ClampStoredIndex(m_byPartnerSlot, MAX_TARGET_SLOT, "cFlow", "m_byPartnerSlot");
}

void cFlow::Save(FILE* fp) {
  Validate();
  cSaveRecord::Save(fp);
  SaveCondList(m_vCond, fp);
  SaveKeyList(m_vKeyList, fp);
  SaveCmdList(m_vCmd, fp);
}

void cFlow::Validate() {
  for (cCond& c : m_vCond) c.Validate();
  for (cFlowCmd& c : m_vCmd) c.Validate();
}

void cFlow::ValidatePalette() {
  for (cFlowCmd& c : m_vCmd) c.ValidatePalette();
}

bool cFlow::IsEmpty() const {
  return m_byId == 0 && m_byGroup == 0 && m_byTrigger == 0 && m_vCond.empty() && m_vKeyList.empty() && m_vCmd.empty();
}

void AssignFlowList(cSafeVector<cFlow>& dst, const cSafeVector<cFlow>& src) { AssignRecordList(dst, src); }

void LoadFlowList(cSafeVector<cFlow>& list, FILE* fp) { LoadRecordList(list, fp, kMinFlowBytes); }

void SaveFlowList(cSafeVector<cFlow>& list, FILE* fp) { SaveRecordList(list, fp); }

void RemoveMarkedFlows(cSafeVector<cFlow>& list) {
  list.erase(std::remove_if(list.begin(), list.end(), [](const cFlow& f) { return f.m_bTestOnly != 0; }), list.end());
}

bool KeepMarkedFlows() { return g_DefContext.bTestPlay || g_DefContext.bKeepFlaggedFlows; }
