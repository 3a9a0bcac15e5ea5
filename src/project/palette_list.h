// What the common palette and the stage share for their palette lists of blocks, characters
// and items: the file form of a list, the fixed default entry 0, the normalisation, and the
// binding of the lists to the definition context, through which the entries' inheritance and
// validation find palette kind 1 (the common palette) and kind 2 (the stage palette).
//
// Entry 0 of every palette list is a fixed default entry that stands for none; after loading
// every palette list holds at least two entries.
#pragma once

#include <cstddef>
#include <cstdio>

#include "core/save_record.h"
#include "defs/block_data.h"
#include "defs/chara_data.h"
#include "defs/def_context.h"
#include "defs/item_data.h"
#include "defs/record_list.h"

// The smallest file form of an entry: the record body (two counts), the raw head values, the
// flag count and the condition count, and the class's own list count and raw value.
constexpr size_t MIN_BLOCK_BYTES = MIN_RECORD_BYTES + 4 + 4 + 4;
constexpr size_t MIN_ITEM_BYTES = MIN_BLOCK_BYTES + 4;
constexpr size_t MIN_CHARA_BYTES = MIN_BLOCK_BYTES + 4 + 4;

inline size_t MinEntryBytes(const cBlockData*) { return MIN_BLOCK_BYTES; }
inline size_t MinEntryBytes(const cCharaData*) { return MIN_CHARA_BYTES; }
inline size_t MinEntryBytes(const cItemData*) { return MIN_ITEM_BYTES; }

// The fixed default entry: every registered field 0 and the name empty, all inheritance flags
// 0 at the class's group count, then the entry's few defaults (blocks: solid, no exempt layer;
// characters: computer-controlled on layer 1, carrying nothing; items: taken any number of
// times). Conditions, flows, commands and the placement values are kept.
void SetFixedDefault(cBlockData& entry);
void SetFixedDefault(cCharaData& entry);
void SetFixedDefault(cItemData& entry);

// Forces the fixed default entry on entry 0 of a list that is not empty.
template <class T>
void ForceFixedDefault(cSafeVector<T>& list) {
  if (!list.empty()) SetFixedDefault(list[0]);
}

// The list emptied and filled with n default records.
template <class T>
void ResetPaletteList(cSafeVector<T>& list, size_t n) {
  list.clear();
  list.resize(n);
}

// A uint32 count, then the list emptied and filled with that many default records, each then
// read in turn: an entry that inherits from a later entry of its own list sees a default record.
// A count that the bytes left cannot hold is refused (the stream fails, the list stays empty).
template <class T>
void LoadPaletteList(cSafeVector<T>& list, FILE* fp) {
  LoadRecordList(list, fp, MinEntryBytes(static_cast<const T*>(nullptr)));
}

// The block, character and item lists one after the other, each as LoadPaletteList reads it,
// then the fixed default entry forced on entry 0 of each that is not empty.
void LoadPaletteLists(cSafeVector<cBlockData>& blocks, cSafeVector<cCharaData>& charas, cSafeVector<cItemData>& items,
                      FILE* fp);
void SavePaletteLists(cSafeVector<cBlockData>& blocks, cSafeVector<cCharaData>& charas, cSafeVector<cItemData>& items,
                      FILE* fp);

// Fills a list up to n entries with default records.
template <class T>
void FillPaletteList(cSafeVector<T>& list, size_t n) {
  if (list.size() < n) list.resize(n);
}

// Repairs every entry's references against the palettes of the definition context: blocks
// with Validate and ValidateItemRef, characters and items with Validate and ValidatePalette.
void ValidatePaletteList(cSafeVector<cBlockData>& list);
void ValidatePaletteList(cSafeVector<cCharaData>& list);
void ValidatePaletteList(cSafeVector<cItemData>& list);

// Shows three lists to the definitions as palette kind 1 (the common palette) or 2 (the stage
// palette).
void BindPaletteLists(int kind, const cSafeVector<cBlockData>& blocks, const cSafeVector<cCharaData>& charas,
                      const cSafeVector<cItemData>& items);

// Binds three lists as palette kind 1 or 2 while it lives; the lists bound before come back
// when it ends, also when the scope is left by unwinding.
class cPaletteBinding {
 public:
  cPaletteBinding(int kind, const cSafeVector<cBlockData>& blocks, const cSafeVector<cCharaData>& charas,
                  const cSafeVector<cItemData>& items);
  ~cPaletteBinding();
  cPaletteBinding(const cPaletteBinding&) = delete;
  cPaletteBinding& operator=(const cPaletteBinding&) = delete;

 private:
  int m_nKind = 0;
  cPaletteList m_OldBlock;
  cPaletteList m_OldChara;
  cPaletteList m_OldItem;
};
