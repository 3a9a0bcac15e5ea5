#include "defs/cond.h"

#include <cstdlib>

#include "defs/record_list.h"

namespace {

// The stored bytes are compared as signed numbers by every upgrade below.
int Signed(uint8_t b) { return static_cast<int8_t>(b); }

}  // namespace

void cCond::RegisterFields(int version) {
  AddField(&m_byKind);
  AddField(&m_nValue);
  if (version >= 110) {
    AddField(&m_nRandMin);
    AddField(&m_nRandMax);
    AddField(&m_byLeftOwner);
    AddField(&m_byLeftStatus);
    AddField(&m_byLeftType);
    AddField(&m_byLeftBank);
    AddField(&m_wIndex);
    AddField(&m_byRightType);
    AddField(&m_byRightOwner);
    AddField(&m_byRightStatus);
    AddField(&m_byRightBank);
    AddField(&m_wRightIndex);
  } else {
    AddField(&m_asOldScratch[0]);
    AddField(&m_asOldScratch[1]);
  }
  AddField(&m_byOp);
  if (version >= 43) AddField(&m_bPercent);
  AddField(&m_byDistMode);
}

void cCond::Load(FILE* fp) {
  cSaveRecord::Load(fp);
  const int v = g_nFileVersion;
  if (v < DATA_VERSION) {
    // Kinds 5 and 6 moved up when the second and third status conditions came in.
    if (v < 160 && Signed(m_byKind) >= 5) m_byKind += 2;
    // The comparison of status-3 state 2 was stored the other way round.
    if (v < 161 && m_byKind == 6 && m_byLeftStatus == 2) m_byOp ^= 1;
    // Character statuses were inserted at 10 (168) and at 5 (203); owner 2 was the game then.
    for (int bound : {168, 203}) {
      if (v >= bound || m_byKind != 4) continue;
      const int from = bound == 168 ? 10 : 5;
      if (m_byLeftType == 0 && Signed(m_byLeftOwner) != 2 && Signed(m_byLeftStatus) >= from) ++m_byLeftStatus;
      if (m_byRightType == 2 && Signed(m_byRightOwner) != 2 && Signed(m_byRightStatus) >= from) ++m_byRightStatus;
    }
    // A state was inserted at 6 of status 2.
    if (v < 210 && m_byKind == 5 && Signed(m_byLeftOwner) != 2 && Signed(m_byLeftStatus) >= 6) ++m_byLeftStatus;
    if (v < 657 && m_byKind == 7) m_byLeftOwner = 0;
    if (v < 745 && m_byKind == 7) m_byLeftType = 0;
    if (v < 746 && m_byKind == 7) {
      m_byRightType = 1;
      m_byRightOwner = 1;
    }
    // Targets 2..4 came in between target 1 and the game.
    if (v < 767 && (m_byKind == 4 || m_byKind == 5)) {
      if (Signed(m_byLeftOwner) >= 2) m_byLeftOwner += 3;
      if (Signed(m_byRightOwner) >= 2) m_byRightOwner += 3;
    }
  }
  Validate();
}

void LoadCondList(cSafeVector<cCond>& list, FILE* fp) { LoadRecordList(list, fp); }

void SaveCondList(cSafeVector<cCond>& list, FILE* fp) { SaveRecordList(list, fp); }

void AssignCondList(cSafeVector<cCond>& dst, const cSafeVector<cCond>& src) {
  if (&dst == &src) return;
  dst.resize(src.size());
  for (size_t i = 0; i < src.size(); ++i) dst[i] = src[i];
}

void cCondList::RegisterFields(int) {
  AddField(&m_byRule);
  AddField(&m_byOption);
}

void cCondList::Load(FILE* fp) {
  cSaveRecord::Load(fp);
  // Older lists hold only their two bytes.
  if (g_nFileVersion >= 766) LoadCondList(m_vCond, fp);
}

void cCondList::Save(FILE* fp) {
  cSaveRecord::Save(fp);
  SaveCondList(m_vCond, fp);
}

boost::shared_ptr<cCondList> CreateCondList() { return boost::shared_ptr<cCondList>(new cCondList); }

int CompareByOp(int32_t a, int32_t b, int op) {
  // 64 bits: |INT_MIN| and INT_MIN mod -1 must not trap.
  const int64_t x = a, y = b;
  switch (op) {
    case 0: return x == y;
    case 1: return x != y;
    case 2: return x >= y;
    case 3: return x <= y;
    case 4: return x > y;
    case 5: return x < y;
    case 6: return y == 0 || std::llabs(x) % y == 0;
    case 7: return y != 0 && std::llabs(x) % y != 0;
    default: return 0;
  }
}

int PercentOf(int32_t a, int32_t b) {
  // The product wraps at 32 bits as the stored arithmetic does.
  const int32_t p = static_cast<int32_t>(static_cast<int64_t>(a) * b);
  double r;
  if (b < 0)
    r = -(static_cast<double>(static_cast<int32_t>(-static_cast<int64_t>(p))) * 0.01);
  else
    r = static_cast<double>(p) * 0.01;
  r = r >= 0 ? r + 0.5 : r - 0.5;
  return static_cast<int>(r);
}
