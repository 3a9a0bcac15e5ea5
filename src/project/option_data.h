// The player's own options, which belong to the installation rather than to the game: the
// palette variant of 8-bit mode, music on or off, the sound-effect volume, how rankings are
// registered and the stored ranking name. Kept in "user_data\Option.dat".
//
// "user_data\Option.dat" is a record file the same in every data version: the int32 data
// version, the field count 4, the four int32 options, the string count 1 and the name.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "core/save_record.h"

// The ranges of the options.
constexpr int OPTION_PALETTE_MAX = 23;
constexpr int OPTION_SE_VOLUME_MAX = 10;
constexpr int OPTION_RANKING_METHOD_MAX = 3;
// The ranking name holds at most this many characters (a two-byte character counts one).
constexpr int OPTION_NAME_CHARS = 3;

class cOptionData : public cSaveRecord {
 public:
  // Palette file "bmp\hbt\hbt<nn>.dat" of 8-bit mode, 0..23.
  int32_t m_nPalette = 0;
  // Music on (1) or off (0).
  int32_t m_bBgm = 1;
  // Sound-effect volume step 0..10.
  int32_t m_nSeVolume = 7;
  // Ranking registration: 0 manual with name entry, 1 manual with the stored name, 2 automatic
  // with name entry, 3 automatic with the stored name.
  int32_t m_nRankingMethod = 0;
  std::string m_strRankingName = "aaa";

  // The defaults: palette 0, music on, volume 7, method 0, the name "aaa".
  cOptionData();

  void RegisterFields(int version) override;
  // The record, then every value brought into its range and the name cut to three characters,
  // so that no reader indexes a table with a value from the file.
  void Load(FILE* fp) override;
};

// The user options (defined with the other global data objects).
extern cOptionData g_OptionData;
