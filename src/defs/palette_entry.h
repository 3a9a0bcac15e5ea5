// The part that the palette entries of blocks, characters and items share: the head of the
// entry (raw placement values, inheritance source and flags, name, appearance conditions), its
// file form, the rule of inheritance and the repair of palette references.
//
// An entry may inherit groups of members from another entry of the same class in the common or
// the stage palette: it names the palette (m_byInheritKind) and the index, and keeps one flag per
// group. Each class gives a copy table, one operation per group in group order; group 0 is the
// name and one group copies the conditions with their rule and once flag.
//
// File form of an entry: the record body (registered fields, then the name), m_wHeadA and
// m_wHeadB raw, the class's further raw head values, uint32 n and n flag bytes, uint32 m and m
// condition bodies, then the class's own list.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "core/save_record.h"
#include "defs/cond.h"
#include "defs/def_context.h"

class cPaletteEntry : public cSaveRecord {
 public:
  // Carried unchanged; a placed object's cell column and row.
  uint16_t m_wHeadA = 0;
  uint16_t m_wHeadB = 0;
  // 0 none, 1 the common palette, 2 the stage palette.
  uint8_t m_byInheritKind = 0;
  // Index of the source entry in that palette's list of the same class; 0 none.
  int16_t m_wInheritIndex = 0;
  // One flag per group of the class; not 0 = the group is inherited.
  cSafeVector<uint8_t> m_vInheritFlags;
  std::string m_strName;
  // Appearance conditions, their rule (0 all, 1 at least one) and the once latch switch.
  cSafeVector<cCond> m_vCond;
  uint8_t m_byCondRule = 0;
  uint8_t m_bCondOnce = 0;

  // The two groups every class has: the name, and the conditions with their rule and once
  // switch (element by element).
  void CopyName(const cPaletteEntry& src) { m_strName = src.m_strName; }
  void CopyConds(const cPaletteEntry& src);

 protected:
  // Registers m_byInheritKind and m_wInheritIndex (the first fields of every entry) and the name.
  void AddHeadFields();
  // The head in file order: the record body, the raw head values, the flags, the conditions.
  void LoadHead(FILE* fp);
  void SaveHead(FILE* fp);
  // Raw head values that one class stores after m_wHeadB.
  virtual void LoadHeadExtra(FILE* fp) {}
  virtual void SaveHeadExtra(FILE* fp) {}

  // The flag list cut or padded to exactly n entries, all 0.
  void ResetInheritFlags(size_t n);
  // A source of kind 1 or 2 beyond its list: kind and index become 0. Then every condition
  // is validated.
  void ValidatePaletteRef(const cPaletteLists& palettes);

  // Files older than 219 counted shot graphics from 0: graphic kind 3 is raised by one, at most
  // 119.
  template <class G>
  static void FixShotGraphic(uint8_t graphicKind, G& graphic) {
    if (g_nFileVersion >= 219 || graphicKind != 3) return;
    int g = static_cast<int>(graphic) + 1;
    graphic = static_cast<G>(g > 119 ? 119 : g);
  }
};

// One copy operation of a class's table: copies one group from the source to the entry.
template <class T>
using CopyGroupFn = void (*)(T& dst, const T& src);

// The group every class has for its graphic: the source kind, the cell index and the second
// value together.
template <class T>
void CopyGraphicGroup(T& dst, const T& src) {
  dst.m_byGraphicKind = src.m_byGraphicKind;
  dst.m_wGraphic = src.m_wGraphic;
  dst.m_wGraphicSub = src.m_wGraphicSub;
}

// Inheritance: copies the flagged groups of the source entry through the class's copy table.
// Nothing happens for index 0 or kind 0; a source of kind 1 or 2 beyond its list clears the kind
// (the index keeps its value); any other kind names the entry itself. Flags beyond the table
// are ignored.
template <class T, size_t N>
void ApplyInheritance(T& entry, const cPaletteLists& palettes, const CopyGroupFn<T> (&table)[N]) {
  if (entry.m_wInheritIndex == 0 || entry.m_byInheritKind == 0) return;
  const T* src = &entry;
  if (const cPaletteList* list = palettes.Of(entry.m_byInheritKind)) {
    src = list->template Entry<T>(entry.m_wInheritIndex);
    if (!src) {
      entry.m_byInheritKind = 0;
      return;
    }
  }
  // Copying from itself changes nothing.
  if (src == &entry) return;
  const size_t n = entry.m_vInheritFlags.size() < N ? entry.m_vInheritFlags.size() : N;
  for (size_t i = 0; i < n; ++i)
    if (entry.m_vInheritFlags[i]) table[i](entry, *src);
}
