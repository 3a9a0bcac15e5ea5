// The world map of the story mode: a grid of cells, each showing a terrain that the map cursor
// may or may not enter, and on it nodes, each holding stage entries with the conditions under
// which they appear. Read once at start-up from "data\WorldMap.dat" and constant afterwards.
//
// "data\WorldMap.dat" is a record file: the int32 data version, the record body (8 int32
// fields: width, height, pitch, pitch shift, cursor start column and row, background colour,
// background image switch; 2 texts: name, background image file), then the terrains, the cells
// (int32 terrain indexes, cell (x, y) at x + (y << shift)), the nodes and the spare nodes, each
// list a uint32 count and the elements; a node is its record body followed by its entries.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "core/save_record.h"
#include "platform/wintypes.h"

// The most cells a map may address (height × pitch); a larger size is refused.
constexpr int MAX_WORLD_MAP_CELLS = 1 << 22;

// One terrain type.
class cWorldTerrain : public cSaveRecord {
 public:
  // Stored; not read by the play.
  int32_t m_nSpare = 0;
  // 1: the map cursor cannot enter a cell of this terrain.
  int32_t m_bBlocked = 0;
  // Chip of "bmp\WorldMapChip.bmp": 5 chips of 32 × 32 dots per row.
  int32_t m_nChip = 0;
  // Stored; not read by the play.
  std::string m_strText;
  std::string m_strName;

  cWorldTerrain() {
    Register(DATA_VERSION);
    Clear();
  }

  void RegisterFields(int version) override;
};

// Kinds of a stage entry.
enum eWorldStageKind { WORLDSTAGE_STAGE = 0, WORLDSTAGE_ROAD = 1, WORLDSTAGE_WALL = 2 };
// What follows the clear of a stage entered from the map.
enum eAfterClear { AFTERCLEAR_NONE = 0, AFTERCLEAR_NEXT_ROUND = 1, AFTERCLEAR_TITLE = 2 };

// One entry of a node: a stage, a road or a wall, shown while its conditions hold.
class cWorldStage : public cSaveRecord {
 public:
  int32_t m_nKind = WORLDSTAGE_STAGE;
  // Row of the entry's icon in "bmp\WorldEvent.bmp".
  int32_t m_nIcon = 0;
  // Index of the progress's stage flag that records the stage as cleared.
  int32_t m_nClearFlag = 0;
  // 0: the stage starts as soon as the cursor stands on the node while it is not cleared;
  // otherwise only button 1 starts it.
  int32_t m_bManualStart = 0;
  // Button 1 starts the stage also after it was cleared.
  int32_t m_bReplay = 0;
  // eAfterClear.
  int32_t m_nAfterClear = AFTERCLEAR_NONE;
  // Above 0: the entry needs that stage flag set.
  int32_t m_nNeedFlag = 0;
  // Not 0: the entry needs common variable m_nVar to compare by m_nVarOp (0..7) with m_nVarValue.
  int32_t m_nVar = 0;
  int32_t m_nVarValue = 0;
  int32_t m_nVarOp = 0;
  // The entry needs at least this clear total (stored from data version 209).
  int32_t m_nNeedClears = 0;
  // The stage is entered under a common-variable condition, its results kept under a key that
  // names the variable and the value (stored from data version 758).
  int32_t m_bStageCond = 0;
  int32_t m_nCondVar = 1;
  int32_t m_nCondValue = 0;
  // The name shown on the map, and the stage file.
  std::string m_strTitle;
  std::string m_strStageFile;

  cWorldStage() {
    Register(DATA_VERSION);
    Reset();
  }

  // A new entry: cleared, with condition variable 1.
  void Reset();
  void RegisterFields(int version) override;
  // The record; files of data version 208 or older need no clear total.
  void Load(FILE* fp) override;
};

// One node: a cell of the map with its entries.
class cWorldNode : public cSaveRecord {
 public:
  int32_t m_nX = 0;
  int32_t m_nY = 0;
  std::string m_strName;
  cSafeVector<cWorldStage> m_vStage = cSafeVector<cWorldStage>(1);

  // One default entry.
  cWorldNode() {
    Register(DATA_VERSION);
    Clear();
  }

  void RegisterFields(int version) override;
  // The record body, then a uint32 count and that many entries.
  void Load(FILE* fp) override;
  void Save(FILE* fp) override;
};

class cWorldMap : public cSaveRecord {
 public:
  int32_t m_nWidth = 20;
  int32_t m_nHeight = 15;
  // Row pitch of m_vCell: the smallest power of two not below the width, and its log2.
  int32_t m_nPitch = 32;
  int32_t m_nPitchShift = 5;
  // Where the map cursor starts: a new game's map position.
  int32_t m_nCursorX = 9;
  int32_t m_nCursorY = 7;
  // Palette number the screen is filled with before the map is drawn.
  int32_t m_nBackColor = 16;
  // The image m_strBackFile is drawn behind the map.
  int32_t m_bBackImage = 0;
  std::string m_strName;
  std::string m_strBackFile;

  cSafeVector<cWorldTerrain> m_vTerrain;
  // The terrain index of every cell, m_nHeight rows of m_nPitch elements; the elements of a row
  // beyond m_nWidth are not part of the map. Indexes are not checked against m_vTerrain.
  cSafeVector<int32_t> m_vCell;
  cSafeVector<cWorldNode> m_vNode;
  // Stored and kept; not read by the play.
  cSafeVector<cWorldNode> m_vSpareNode;

  cWorldMap();

  // The map of a new project: ten terrains (0..4 blocked, 5..9 passable, terrain i showing
  // chip i), 20 × 15 cells of terrain 0, the cursor at (9, 7), no nodes, one spare node named
  // "デフォルト".
  void SetDefault();
  void RegisterFields(int version) override;
  // The record and the four lists. The cell addressing follows from the width whatever the
  // file says: the pitch and shift are computed again and the cells brought to height × pitch.
  // A width or height below 1, or a map larger than MAX_WORLD_MAP_CELLS, is refused: the map
  // becomes the default map and the stream fails. Then Validate.
  void Load(FILE* fp) override;
  // Validate, then the record and the four lists.
  void Save(FILE* fp) override;

  // Brings the cursor start onto the map and removes the nodes that lie off it (negative
  // coordinates are off the map), keeping the order of the others.
  void Validate();
  // Changes the size: the pitch becomes the smallest power of two not below the width, the
  // cells are made again, and the cells of the old map that lie inside the new one keep their
  // terrain. 0 (nothing changed) for a side below 1 or a map larger than MAX_WORLD_MAP_CELLS.
  int SetSize(int width, int height);

  // Whether a cell lies on the map.
  bool Contains(int x, int y) const { return x >= 0 && x < m_nWidth && y >= 0 && y < m_nHeight; }
  // The terrain index of a cell (through the checked access).
  int32_t& Cell(int x, int y) { return m_vCell.CheckedAt(x + (y << m_nPitchShift)); }
  // The first node of m_vNode at the cell, or null.
  cWorldNode* FindNode(POINT pt) { return FindNodeAt(pt.x, pt.y); }
  cWorldNode* FindNodeAt(int x, int y);
  // 1 when a stage entry (kind 0) of a node names the stage: its stage file without the
  // extension, cut after a "-1" series mark as "name." (else with "." appended), equals name,
  // and its condition matches (no condition when bCond is 0; else the same variable and value).
  int HasStageNode(const std::string& name, int bCond, int nCondVar, int nCondValue) const;
};

// The world map of the game (defined with the other global data objects).
extern cWorldMap g_WorldMap;
