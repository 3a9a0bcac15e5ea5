// The game database: the ten record lists that every stage shares, each read from its own file
// of "data\database" once at start-up, and the step tables derived from them.
//
// A database file is an int32 data version, a uint32 record count and that many record bodies
// in the layout of the file's version; there is no top-level record body.
#pragma once

#include "core/anim_seq.h"
#include "core/save_record.h"
#include "defs/anime.h"
#include "defs/def_context.h"
#include "project/anime_set.h"
#include "project/bmp_chara_exc.h"
#include "project/effect_data.h"
#include "project/effect_kind_data.h"
#include "project/file_entry_data.h"
#include "project/sword_type.h"

// The stored name of the file of each list, in loading order (the order of eDbList).
extern const char* const g_lpszDatabaseFile[DBLIST_COUNT];

// Entry 0 of the Anime, Bmp_CharaExc, Effect, CharaEffect, ScrEffect and Sound lists stands for
// none. Every list holds at least its default entries after a load.
class cDatabase : public cSaveRecord {
 public:
  cSafeVector<cAnimeSet> m_vAnimeSet;
  cSafeVector<cAnime> m_vAnime;
  cSafeVector<cBmpCharaExc> m_vBmpCharaExc;
  cSafeVector<cSwordType> m_vSwordType;
  cSafeVector<cEffectData> m_vEffect;
  cSafeVector<cCharaEffectData> m_vCharaEffect;
  cSafeVector<cScrEffectData> m_vScrEffect;
  cSafeVector<cPictureData> m_vPicture;
  cSafeVector<cSoundData> m_vSound;
  cSafeVector<cBgmData> m_vBgm;
  // Start-up's copies of the character-effect and screen-effect lists, which the effect
  // template builders read; empty until CopyEffectLists.
  cSafeVector<cCharaEffectData> m_vCharaEffectCopy;
  cSafeVector<cScrEffectData> m_vScrEffectCopy;

  cDatabase() {
    Register(DATA_VERSION);
    SetDefault();
  }
  cDatabase(const cDatabase&) = default;
  cDatabase& operator=(const cDatabase&) = default;
  // A database that the definitions still see through g_DefContext stops answering there.
  ~cDatabase() override;

  // One default animation set and one default sword type; the animations "なし" and
  // "アクションA"; two default records in each other list; the copies empty.
  void SetDefault();

  // Reads the ten files "data\database\..." in the order of eDbList. Stops at the first file
  // that cannot be read, with its message (1 when all were read; 0 with its name in
  // *lplpszFailed when asked); lists read before it keep their new contents, it and the later
  // ones keep theirs. Then the first entries are reset (after a complete load only) and the
  // database is put in g_DefContext (SetDefContext).
  int LoadAll(const char** lplpszFailed = nullptr);
  // Reads one database file into one list: the count, then the records read over the entries
  // the list already holds (missing ones start as default records, surplus ones are removed).
  // A list left shorter than its defaults is padded with them, with a line in the report log.
  // A file that is missing, newer than the program, or damaged (a count it cannot hold, a
  // record that ends early) gives the message of ReportDatabaseLoadError and 0.
  int LoadList(eDbList list, const char* path);

  // Entry 0 of the character-effect and screen-effect lists becomes kind 0 (no effect).
  void ResetFirstEntries();
  // Makes the copies of the character-effect and screen-effect lists.
  void CopyEffectLists();
  // The entry an effect template is built from: a forward template from the list itself, a
  // reversed (backward) one from the start-up copy while the copy holds the entry. An index
  // outside the list takes the checked-access path.
  const cCharaEffectData& CharaEffectSource(int index, int reversed) const;
  const cScrEffectData& ScrEffectSource(int index, int backward) const;

  int ListSize(eDbList list) const;
  // The swing-frame times of a sword type, for the validation of sword commands; empty for an
  // index outside the SwordType list.
  cSafeVector<int32_t> SwordSwingTimes(int nSwordType) const;
  // Shows this database to the definitions through g_DefContext: the size of each list, against
  // which they repair their references, and the swing times of the sword types, from which
  // sword commands take their time of use. This database must outlive that use.
  void SetDefContext() const;
};

// The message of a database file that could not be read, naming the file; a file newer than
// the program (g_bFileTooNew) adds that such files cannot be used.
void ReportDatabaseLoadError(const char* path);

// The step lists of the animation sequencer derived from a database list, one per entry.
using cAnimStepTable = cSafeVector<cSafeVector<AnimStep>>;

// One step list per animation, one step per frame: {pattern, time × 6, flag}, then a
// terminator. Entry 0 (no animation) loops without waiting: waits 0, flags 1, terminator
// {-2, 0, 1}. Other entries report their end with {-4, 0, 0}; their flag is 0 up to the first
// frame whose flag is set and 1 from there on. An animation without frames gets one step of
// pattern 0 and wait 0, so the sequencer never steps past its table.
void BuildAnimeStepTable(const cDatabase& db, cAnimStepTable& table);
// The same for the effects, whose frames have no flag: entry 0 as above, other entries with
// flags 0.
void BuildEffectStepTable(const cDatabase& db, cAnimStepTable& table);

// The game database (defined with the other global data objects).
extern cDatabase g_Database;

// The tables start-up derives from the database (empty until then).
extern cAnimStepTable g_vAnimeSteps;
extern cAnimStepTable g_vEffectSteps;
