// The music manager: five music slots (title, world map and save, stage select, options,
// stage), each with an Ogg name, a MIDI name and a kind, played on one channel through the
// Ogg library ("Vox.dll") or through a MIDI stream player. One piece sounds at a time.
#pragma once

#include <mutex>

#include "audio/midi_player.h"
#include "core/safe_container.h"
#include "platform/vox.h"

// Sizes of one entry of the caller's name tables.
constexpr int BGM_OGG_NAME = 260;
constexpr int BGM_MIDI_NAME = 264;

// The binding to the Ogg library: one playback object per channel.
class cVox {
 public:
  cVox() = default;
  ~cVox() { Release(); }
  cVox(const cVox&) = delete;
  cVox& operator=(const cVox&) = delete;

  // Loads the library and finds "CreateVox"; without it, the error box "oggの初期化に失敗！"
  // and 0.
  int Init();
  // Makes one object per channel (destroying those made before). 0 when an object cannot be
  // made: the out-of-memory exit has been taken, and the missing objects stay null.
  int Create(int nCount);
  // Stops what plays, then opens and plays the file on the channel's object; 1 when it
  // plays, 0 for an empty name or a file that does not open.
  int Play(int nChannel, const char* lpszFileName, int bLoop);
  // Stops the object that plays.
  void Stop();
  // Destroys the objects and frees the library; nothing when neither exists, so a second
  // call does nothing.
  void Release();

  IVox** m_lpVox = nullptr;
  int m_nCount = 0;
  int m_nCurrent = -1;
  HMODULE m_hModule = nullptr;
  LPCREATEVOX m_lpCreateVox = nullptr;

 private:
  void DestroyObjects();
};

// The MIDI side: one player per channel, made for each piece.
class cBgmMidi {
 public:
  cBgmMidi() = default;
  ~cBgmMidi() { DeleteAll(); }
  cBgmMidi(const cBgmMidi&) = delete;
  cBgmMidi& operator=(const cBgmMidi&) = delete;

  // Ends every player, then plays the file (extension "mid" only) on a new player of the
  // channel; 1 when it plays.
  int Play(int nChannel, const char* lpszFileName, int bLoop);
  // Pauses (1) or stops (0) every player.
  void StopAll(int bPause);
  // Deletes every player; the channels stay, empty.
  void DeleteAll();

  cSafeVector<cMidiPlayer*> m_vPlayer;
};

class cBgm {
 public:
  cBgm() = default;
  ~cBgm();
  cBgm(const cBgm&) = delete;
  cBgm& operator=(const cBgm&) = delete;

  // Opens the audio output and the Ogg library, makes the channels and takes the caller's
  // name tables (nSlots entries of BGM_OGG_NAME and BGM_MIDI_NAME bytes). 0 when the Ogg
  // library or its objects fail: the manager stays off, and every call does nothing.
  int Init(int nChannels, char* lpOggName, char* lpMidiName, int nSlots);
  int Resize(int nChannels);
  // Sets the slot's file by its extension: "mid"/"MID" the MIDI name (extension "mid"),
  // "ogg"/"OGG" the Ogg name; 1 for those. Any other extension sets both names, none empties
  // both; 0 for those.
  int SetFile(int nSlot, const char* lpszFileName);
  // Plays the slot on the channel; an unforced play of the slot last started does nothing.
  // Starting Ogg pauses (bPauseMidi) or stops the MIDI players; starting MIDI ends them and
  // stops the Ogg object. 1 when music plays.
  int Play(int nChannel, int nSlot, int bLoop, int bPauseMidi, int bForce);
  void Stop();
  // Releases the Ogg objects and library, the MIDI players and the audio output; nothing
  // when not initialised.
  void Release();

  // Every operation holds this lock: the window thread and the game thread (the options
  // screen switching music on or off) both use the manager.
  std::recursive_mutex m_Lock;
  int m_bInit = 0;
  cVox m_Vox;
  char* m_lpOggName = nullptr;
  cBgmMidi m_Midi;
  char* m_lpMidiName = nullptr;
  int m_nSlot = -1;
  cSafeVector<int> m_vKind;
  cSafeVector<int> m_vPlaying;

 private:
  // The slot's entries of the name tables; an index outside the table takes the CheckedAt
  // error path and slot 0.
  int SlotIndex(int nSlot);
  char* OggName(int i) { return m_lpOggName + static_cast<size_t>(i) * BGM_OGG_NAME; }
  char* MidiName(int i) { return m_lpMidiName + static_cast<size_t>(i) * BGM_MIDI_NAME; }
};

// The one music manager, g_BgmPlayer, is a global data object of the project files.
