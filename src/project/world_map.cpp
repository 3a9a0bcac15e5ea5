#include "project/world_map.h"

#include <algorithm>

#include "core/log.h"
#include "core/path.h"
#include "defs/record_list.h"

namespace {

// A node in a file: its record body and its entry count.
constexpr size_t MIN_NODE_BYTES = MIN_RECORD_BYTES + 4;

// The pitch shift of a width: how often width − 1 can be halved before it reaches 0.
int PitchShiftOf(int width) {
  int shift = 0;
  for (int n = width - 1; n > 0; n /= 2) ++shift;
  return shift;
}

// Whether a map of this size can be addressed.
bool SizeAllowed(int width, int height) {
  if (width < 1 || height < 1 || width > MAX_WORLD_MAP_CELLS) return false;
  const long long pitch = 1LL << PitchShiftOf(width);
  return pitch * height <= MAX_WORLD_MAP_CELLS;
}

}  // namespace

// ---- Terrains, entries and nodes ----

void cWorldTerrain::RegisterFields(int version) {
  AddField(&m_nSpare);
  AddField(&m_bBlocked);
  AddField(&m_nChip);
  AddStringField(&m_strText);
  AddStringField(&m_strName);
}

void cWorldStage::Reset() {
  Clear();
  m_nCondVar = 1;
}

void cWorldStage::RegisterFields(int version) {
  AddField(&m_nKind);
  AddField(&m_nIcon);
  AddField(&m_nClearFlag);
  AddField(&m_bManualStart);
  AddField(&m_bReplay);
  AddField(&m_nAfterClear);
  AddField(&m_nNeedFlag);
  AddField(&m_nVar);
  AddField(&m_nVarValue);
  AddField(&m_nVarOp);
  if (version >= 209) AddField(&m_nNeedClears);
  if (version >= 758) {
    AddField(&m_bStageCond);
    AddField(&m_nCondVar);
    AddField(&m_nCondValue);
  }
  AddStringField(&m_strTitle);
  AddStringField(&m_strStageFile);
}

void cWorldStage::Load(FILE* fp) {
  cSaveRecord::Load(fp);
  if (g_nFileVersion <= 208) m_nNeedClears = 0;
}

void cWorldNode::RegisterFields(int version) {
  AddField(&m_nX);
  AddField(&m_nY);
  AddStringField(&m_strName);
}

void cWorldNode::Load(FILE* fp) {
  cSaveRecord::Load(fp);
  LoadRecordList(m_vStage, fp);
}

void cWorldNode::Save(FILE* fp) {
  cSaveRecord::Save(fp);
  SaveRecordList(m_vStage, fp);
}

// ---- The map ----

cWorldMap::cWorldMap() {
  Register(DATA_VERSION);
  SetDefault();
}

void cWorldMap::SetDefault() {
  Clear();
  m_strName = "ワールド";
  m_nCursorX = 9;
  m_nCursorY = 7;
  m_nBackColor = 16;
  m_bBackImage = 0;
  m_vTerrain.assign(10, cWorldTerrain());
  for (int i = 0; i < 10; ++i) {
    cWorldTerrain& t = m_vTerrain[i];
    t.m_nChip = i;
    t.m_bBlocked = i < 5 ? 1 : 0;
    t.m_strName = i < 5 ? "通行不可" : "通行可";
  }
  // A new map: no cells of an earlier one survive.
  m_vCell.clear();
  SetSize(20, 15);
  m_vNode.clear();
  m_vSpareNode.assign(1, cWorldNode());
  m_vSpareNode[0].m_strName = "デフォルト";
}

void cWorldMap::RegisterFields(int version) {
  AddField(&m_nWidth);
  AddField(&m_nHeight);
  AddField(&m_nPitch);
  AddField(&m_nPitchShift);
  AddField(&m_nCursorX);
  AddField(&m_nCursorY);
  AddField(&m_nBackColor);
  AddField(&m_bBackImage);
  AddStringField(&m_strName);
  AddStringField(&m_strBackFile);
}

void cWorldMap::Load(FILE* fp) {
  cSaveRecord::Load(fp);
  LoadRecordList(m_vTerrain, fp);
  LoadValueList(m_vCell, fp);
  LoadRecordList(m_vNode, fp, MIN_NODE_BYTES);
  LoadRecordList(m_vSpareNode, fp, MIN_NODE_BYTES);
  if (!SizeAllowed(m_nWidth, m_nHeight)) {
    ReportLog("cWorldMap: the map size %d x %d cannot be used", m_nWidth, m_nHeight);
    SetDefault();
    FailRecordStream(fp);
    return;
  }
  // The addressing follows from the width; the cells read are taken in that addressing.
  m_nPitchShift = PitchShiftOf(m_nWidth);
  m_nPitch = 1 << m_nPitchShift;
  m_vCell.resize(static_cast<size_t>(m_nHeight) * static_cast<size_t>(m_nPitch));
  Validate();
}

void cWorldMap::Save(FILE* fp) {
  Validate();
  cSaveRecord::Save(fp);
  SaveRecordList(m_vTerrain, fp);
  SaveValueList(m_vCell, fp);
  SaveRecordList(m_vNode, fp);
  SaveRecordList(m_vSpareNode, fp);
}

void cWorldMap::Validate() {
  m_nCursorX = std::clamp(m_nCursorX, 0, std::max(m_nWidth - 1, 0));
  m_nCursorY = std::clamp(m_nCursorY, 0, std::max(m_nHeight - 1, 0));
  m_vNode.erase(std::remove_if(m_vNode.begin(), m_vNode.end(),
                               [this](const cWorldNode& n) { return !Contains(n.m_nX, n.m_nY); }),
                m_vNode.end());
}

int cWorldMap::SetSize(int width, int height) {
  if (width < 1 || height < 1) {
    DebugErrorBoxF("SetSize()で 0 を指定しました！");
    return 0;
  }
  if (!SizeAllowed(width, height)) {
    DebugErrorBoxF("SetSize()で大きすぎるサイズを指定しました！");
    return 0;
  }
  cSafeVector<int32_t> oldCells;
  const int oldWidth = m_nWidth;
  const int oldHeight = m_nHeight;
  const int oldShift = m_nPitchShift;
  const bool keep = !m_vCell.empty();
  if (keep) {
    DebugErrorBoxF("nBeforeWidth = %d,nBeforePitch = %d,nBeforePitch_Shift = %d", m_nWidth, m_nPitch, m_nPitchShift);
    oldCells.swap(m_vCell);
  }
  m_nWidth = width;
  m_nHeight = height;
  m_nPitchShift = PitchShiftOf(width);
  m_nPitch = 1 << m_nPitchShift;
  m_vCell.assign(static_cast<size_t>(m_nHeight) * static_cast<size_t>(m_nPitch), 0);
  if (keep) {
    const int rows = std::min(oldHeight, height);
    const int columns = std::min(oldWidth, width);
    for (int y = 0; y < rows; ++y) {
      for (int x = 0; x < columns; ++x) {
        const size_t from = static_cast<size_t>(x) + (static_cast<size_t>(y) << oldShift);
        // The old cells are as the old size addressed them, unless they were too few.
        if (from < oldCells.size()) m_vCell[static_cast<size_t>(x) + (static_cast<size_t>(y) << m_nPitchShift)] = oldCells[from];
      }
    }
  }
  return 1;
}

cWorldNode* cWorldMap::FindNodeAt(int x, int y) {
  for (cWorldNode& node : m_vNode)
    if (node.m_nX == x && node.m_nY == y) return &node;
  return nullptr;
}

int cWorldMap::HasStageNode(const std::string& name, int bCond, int nCondVar, int nCondValue) const {
  for (const cWorldNode& node : m_vNode) {
    for (const cWorldStage& entry : node.m_vStage) {
      if (entry.m_nKind != WORLDSTAGE_STAGE) continue;
      std::string stage = entry.m_strStageFile;
      RemoveExtensionStr(stage);
      size_t mark = std::string::npos;
      for (size_t i = stage.size(); i-- > 1;) {
        if (stage[i - 1] == '-' && stage[i] == '1') {
          mark = i - 1;
          break;
        }
      }
      // "stage01-1" and "stage02" both name their series or stage as "stage01." and "stage02.".
      if (mark != std::string::npos) stage.resize(mark);
      stage += '.';
      if (stage != name) continue;
      if (!bCond) {
        if (!entry.m_bStageCond) return 1;
      } else if (entry.m_bStageCond && entry.m_nCondVar == nCondVar && entry.m_nCondValue == nCondValue) {
        return 1;
      }
    }
  }
  return 0;
}
