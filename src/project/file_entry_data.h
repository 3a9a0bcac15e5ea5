// Pictures, music and sound effects: a name and the file handed to the image, music or sound
// loader exactly as stored. Three lists of the same layout, each of its own class.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "core/save_record.h"

class cFileEntryData : public cSaveRecord {
 public:
  // Stored and copied; the play does not read it. Stored from data version 151 on.
  int32_t m_nSpare = 0;
  std::string m_strName;
  std::string m_strFile;

  void RegisterFields(int version) override;
  // The record body; files older than 153 get the spare value 0.
  void Load(FILE* fp) override;

 protected:
  cFileEntryData() = default;
};

// A picture shown by the picture command; m_strFile is its image.
class cPictureData : public cFileEntryData {
 public:
  cPictureData() {
    Register(DATA_VERSION);
    Clear();
  }
};

// A piece of music (Standard MIDI File or Ogg).
class cBgmData : public cFileEntryData {
 public:
  cBgmData() {
    Register(DATA_VERSION);
    Clear();
  }
};

// A sound effect (PCM WAV file); entry n ≥ 1 is sound-effect slot n + 16.
class cSoundData : public cFileEntryData {
 public:
  cSoundData() {
    Register(DATA_VERSION);
    Clear();
  }
};
