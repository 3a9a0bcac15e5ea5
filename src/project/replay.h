// Replays: player 1's two input words recorded once per frame with run-length coding and played
// back, the random seed of the attempt, and the replay files in "user_data\rpl4".
//
// A replay file (extension "rpl4_790") is a record file: the int32 data version; the stage as it
// was played (a stage file body whose settings come from the stage as loaded and whose palettes
// and placed objects come from the working stage, with the trailer); the cReplay record (the
// seed as its one field, then the direction values (u16), the button values (u16), the direction
// runs (u32) and the button runs (u32), each a uint32 count and the values); from data version
// 173 on the game progress at the start of the attempt.
#pragma once

#include <cstdint>
#include <cstdio>

#include "core/save_record.h"
#include "ui/input.h"

class cSaveData;
class cStage;

class cReplay : public cSaveRecord {
 public:
  int32_t m_nSeed = 0;
  // Channel A follows the direction word, channel B the button word: each value held for the
  // frames of its run (every run at least 1).
  cSafeVector<uint16_t> m_vValueA;
  cSafeVector<uint16_t> m_vValueB;
  cSafeVector<uint32_t> m_vRunA;
  cSafeVector<uint32_t> m_vRunB;
  // The playback position: the current run of each channel and its frames already played.
  int32_t m_nIndexA = 0;
  int32_t m_nIndexB = 0;
  uint32_t m_nCountA = 0;
  uint32_t m_nCountB = 0;
  // The data version the recording was made in: that of the file it was read from, the
  // program's own for a recording made here. Behaviour that changed between data versions
  // follows it while the recording plays.
  int32_t m_nDataVersion = DATA_VERSION;

  cReplay();

  void RegisterFields(int version) override;
  // The record, then the four lists; the file's data version is kept and the position zeroed.
  void Load(FILE* fp) override;
  void Save(FILE* fp) override;

  // Appends one frame: the input's direction and button words.
  void Record(const cInput& input);
  // Writes the next frame into the input's two words and returns 0; 1 (nothing written) at the
  // end of either channel.
  int Play(cInput& input);
  // The recording of another (the lists, the seed and its data version), not its position.
  void CopyFrom(const cReplay& src);
  // An empty recording of this program's data version, seed 0, position 0.
  void Reset();
  void ResetPosition();
  // Every channel's value and run lists have the same length and every run is at least 1.
  bool IsWellFormed() const;

  // The direction value of the input direction (the movement and shot commands): while this
  // recording plays, its data version decides whether direction code 9 means the front.
  int InputDirection(int nInput, int bAllow, int bFacingRight, int bPlaying) const;
  // Whether the distance condition keeps the screen rectangle of its target as it was: the
  // system settings' switch (bSwitch), or while this recording plays, a recording made before
  // data version 782.
  int KeepsTargetRect(int bSwitch, int bPlaying) const;
};

// The replay extension "rpl4_790" and the folder "user_data\rpl4".
extern const char* const g_lpszReplayFolder;
const char* ReplayExtension();

// Writes a replay file: the stage image (the palettes and objects of stage, the settings of
// header), the recording and the progress at the attempt's start. 1, or 0 after an error box
// when the file cannot be written (an older file of that name stays as it was).
int WriteReplayFile(cReplay& replay, const char* path, cStage& stage, cStage& header, cSaveData& progress);
// Reads a replay file. Nothing live is touched until the whole file is known to be good: the
// stage image, the recording and the progress are read into records of their own, the stage's
// trailer is checked and so are the recording's lists; only then stage becomes the image (its
// file path becomes path), out its header copy without objects, replay the recording with its
// position zeroed, and progress the file's progress (files of data version 172 and older hold
// none: progress stays). 0 after an error box when the file cannot be opened, is too new or is
// damaged; every record is then as it was.
int ReadReplayFile(cReplay& replay, const char* path, cStage& stage, cStage& out, cSaveData& progress);

// The name proposed for saving a replay of the stage name (the progress's m_strStage): its file
// part with the progress's condition suffix, "_ij" and the replay extension, the first i, j in
// 0..8 whose file does not exist in "user_data\rpl4" (all exist: 88); without a name, empty.
void ProposeReplayFileName(char* buffer, const char* name, const cSaveData& progress);

// The game thread's test of F1 (save the current attempt, g_Replay) and F2 (the previous one,
// g_PrevReplay) in every play frame: nothing during replay playback or while plays are not
// recorded. An empty recording is refused with system sound 3, at most once every 60 frames;
// otherwise system sound 1 and the save request to the window thread. 1 when a replay was saved
// (the request made) this frame.
int CheckReplaySaveKeys();
// Frames left before the refusal sound may play again.
extern int g_nReplayRefuseWait;
// The title menu's request to load a replay; 1 when the window thread read one.
int RequestReplayLoad();

// What the window thread does for the two requests once its file dialog has given a path: the
// replay of attempt 0 (current) or 1 (previous) with its progress snapshot, written with the
// working stage and the stage as loaded; a replay read into g_Replay, g_StageData, g_StageInit
// and g_SaveData for playback. Both answer 1 or 0 after their error box; the program goes on.
int SaveAttemptReplay(int nAttempt, const char* path);
int LoadReplayForPlayback(const char* path);

// The recordings of the current and of the previous attempt (defined with the other global data
// objects).
extern cReplay g_Replay;
extern cReplay g_PrevReplay;
