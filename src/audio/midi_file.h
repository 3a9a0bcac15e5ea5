// Standard MIDI files (format 0 or 1), read whole and converted into one format-0 image: a
// single track whose events are merged from every track in time order, each with its own
// status byte, ending with one end-of-track event at the latest tick of any track.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "platform/wintypes.h"

// Image layout: "MThd", 00 00 00 06, format 00 00, one track 00 01, the source's time
// division (2 bytes), "MTrk", the big-endian event byte count N, then N bytes of events.
constexpr DWORD MIDI_IMAGE_HEADER = 22;

class cMidiFile {
 public:
  // Stores the name and reads the file (Create).
  explicit cMidiFile(const char* lpszFileName);
  virtual ~cMidiFile();
  cMidiFile(const cMidiFile&) = delete;
  cMidiFile& operator=(const cMidiFile&) = delete;

  // Reads the whole file through the path resolver and converts it. A missing file or one
  // refused by Init leaves no image; each failure writes one "Midi <name> ..." line to the
  // report log and the error log.
  void Create(const char* lpszFileName);
  // Checks the header of a whole file in memory and converts it into the image; false (no
  // image) when the file is refused. Nothing outside the given bytes is read.
  bool Init(const BYTE* lpData, size_t nSize);

  // The converted image and its length (MIDI_IMAGE_HEADER + N), or null and 0.
  const BYTE* Image() const { return m_pImage.get(); }
  DWORD ImageSize() const { return m_dwImageSize; }
  const std::string& Name() const { return m_strName; }

 protected:
  std::unique_ptr<BYTE[]> m_pImage{};  // null when reading or converting the file failed
  DWORD m_dwImageSize = 0;
  std::string m_strName;
};

// A variable-length quantity: 7 bits a byte, most significant group first, bit 7 set on every
// byte but the last. WriteVarLen writes 1..4 bytes, or nothing and returns 0 for values of
// 2^28 and above. ReadVarLen reads at most min(4, nAvail) bytes and returns the count used,
// or 0 when they do not end the quantity.
int WriteVarLen(BYTE* lpOut, DWORD dwValue);
int ReadVarLen(const BYTE* lpData, size_t nAvail, DWORD* lpdwValue);
