// A dedicated character image sheet: an image file cut into cells of 32 dots, or of a
// multiple of 32 dots.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "core/save_record.h"

class cBmpCharaExc : public cSaveRecord {
 public:
  // Stored and copied; the play does not read it. Stored from data version 152 on.
  int32_t m_nSpare = 0;
  // When set the sheet is cut into cells of m_nCellUnits × 32 dots. From data version 172 on.
  int32_t m_bLargeCell = 0;
  // Cell size in units of 32 dots, with m_bLargeCell. From data version 172 on. Read it through
  // CellUnits: stored values outside 1..16 would break the cell lookup.
  int32_t m_nCellUnits = 2;
  std::string m_strName;
  std::string m_strFile;

  cBmpCharaExc() {
    Register(DATA_VERSION);
    Clear();
    m_nCellUnits = 2;
  }

  void RegisterFields(int version) override;
  // The record body; files older than 153 get the spare value 0.
  void Load(FILE* fp) override;

  // The cell size in units of 32 dots as the sheet is used: 1 without m_bLargeCell, otherwise
  // m_nCellUnits with a value below 1 used as 1 and one above 16 (a row of 16 units) as 16.
  int CellUnits() const;
  // The width and height of one cell in dots.
  int CellSize() const { return CellUnits() * 32; }
  // The cells in one row of the sheet (rows are 16 units wide); cell c is at column
  // c mod CellsPerRow() and row c div CellsPerRow().
  int CellsPerRow() const { return 16 / CellUnits(); }
};
