// What the definition records read while loading that other subsystems own, gathered in one
// place: the palette lists that inheritance and references point into, the sizes of the game
// database's lists, the switches of the system settings that change loading, and the play
// scene's block-condition test.
//
// The project files fill it (they own the common palette, the working stage, the database and
// the system settings); the play scene registers its test while it runs. The definitions read
// only this context, so they depend on nothing above them, and a test sets exactly what it
// needs. g_DefContext = cDefContext() puts everything back to empty.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/safe_container.h"

class MapChip;

// One palette list of one entry class, bound to the vector that holds it. The list is read as it
// is at the moment of the read, so a list being filled shows the entries loaded so far.
class cPaletteList {
 public:
  template <class T>
  void Bind(const cSafeVector<T>* list) {
    m_lpList = list;
    m_lpfnSize = list ? &SizeOf<T> : nullptr;
    m_lpTag = list ? &kTag<T> : nullptr;
  }
  // 0 when nothing is bound.
  int Size() const { return m_lpList ? m_lpfnSize(m_lpList) : 0; }
  // True when index, taken as unsigned (a negative index counts as too large), is below Size().
  bool Holds(int index) const { return index >= 0 && index < Size(); }
  // The entry at index, or null when the index is outside the list or the list is not bound to
  // entries of class T.
  template <class T>
  const T* Entry(int index) const {
    if (m_lpTag != &kTag<T> || !Holds(index)) return nullptr;
    return &(*static_cast<const cSafeVector<T>*>(m_lpList))[static_cast<size_t>(index)];
  }

 private:
  template <class T>
  static int SizeOf(const void* list) {
    return static_cast<int>(static_cast<const cSafeVector<T>*>(list)->size());
  }

  // One distinct address per entry class: tells the class the list was bound with.
  template <class T>
  static constexpr char kTag = 0;

  const void* m_lpList = nullptr;
  int (*m_lpfnSize)(const void*) = nullptr;
  const char* m_lpTag = nullptr;
};

// The two palettes of one entry class, by the stored palette kind: 1 the common palette, 2 the
// working stage's palette.
struct cPaletteLists {
  cPaletteList common;
  cPaletteList stage;

  // The list of palette kind 1 or 2; null for any other kind.
  const cPaletteList* Of(int kind) const {
    if (kind == 1) return &common;
    if (kind == 2) return &stage;
    return nullptr;
  }
  // The size of the list of palette kind 1 or 2; 0 for any other kind.
  int SizeOf(int kind) const {
    const cPaletteList* list = Of(kind);
    return list ? list->Size() : 0;
  }
};

// The lists of the game database whose indexes the definitions repair, in loading order.
enum eDbList {
  DBLIST_ANIMESET,
  DBLIST_ANIME,
  DBLIST_BMP_CHARAEXC,
  DBLIST_SWORDTYPE,
  DBLIST_EFFECT,
  DBLIST_CHARAEFFECT,
  DBLIST_SCREFFECT,
  DBLIST_PICTURE,
  DBLIST_SOUND,
  DBLIST_BGM,
  DBLIST_COUNT
};

struct cDefContext {
  // Palette lists of the common palette and of the working stage, per entry class.
  cPaletteLists block;
  cPaletteLists chara;
  cPaletteLists item;

  // The number of entries of each database list; the database sets them whenever it loads.
  int anDbListSize[DBLIST_COUNT] = {};

  // The program runs for test play: flows marked test-only are kept.
  int bTestPlay = 0;
  // The system settings' switch that keeps flows marked test-only.
  int bKeepFlaggedFlows = 0;

  // The play scene's appearance test of a map chip (its conditions, rule and once latch
  // against player 1's hero): 1 when the chip takes part in play. Registered by the running
  // play scene; null when no scene runs, and the chip then counts as present.
  int (*lpfnCheckBlockConds)(MapChip& chip) = nullptr;

  // The wait values (tenths of a second) of the swing frames of a sword type, in frame order:
  // the sword command's time of use is their sum. Registered by the database when it loads;
  // an index outside the SwordType list, or no database, gives no frames.
  cSafeVector<int32_t> (*lpfnSwordSwingWaits)(int swordType) = nullptr;

  int DbListSize(eDbList list) const { return anDbListSize[list]; }
};

extern cDefContext g_DefContext;

// True when index, taken as unsigned (negative counts as too large), is below the size of the
// database list.
inline bool DbListHolds(eDbList list, int index) {
  return index >= 0 && index < g_DefContext.DbListSize(list);
}

// What a reference beyond its list becomes where the repair names the first real entry: 1, or
// 0 when the list has no entry 1 (entry 0 stands for none).
inline int FirstEntryOrNone(int listSize) { return listSize > 1 ? 1 : 0; }
