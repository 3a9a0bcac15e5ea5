// The MIDI stream player: plays the format-0 image of a cMidiFile through a WinMM MIDI stream.
// The image is converted into MIDIEVENT records in two buffers queued in turn; a callback
// thread of the player refills a buffer when the stream reaches the last event of the other,
// and at the end of the piece rewinds and, when looping, starts again.
#pragma once

#include <atomic>
#include <mutex>
#include <thread>

#include "audio/midi_file.h"
#include "platform/winmm.h"

class cMidiPlayer : public cMidiFile {
 public:
  // Reads and converts the file; with an image, opens the stream with the first buffer queued
  // (stopped). Without one, nothing is opened and every operation does nothing.
  explicit cMidiPlayer(const char* lpszFileName);
  // Ends the callback thread, then resets and closes the stream.
  ~cMidiPlayer() override;

  // Starts playing (from the beginning when stopped, where it stood when paused); a playing
  // player only takes the new loop flag.
  void Restart(int bLoop);
  // 1: pauses a playing player. 0: stops and rewinds; the first buffer is queued again.
  void Stop(int bPause);

  // Fills the next buffer from the read position and queues it; nothing when the image is
  // fully queued or that buffer is still queued.
  void Out();
  // Converts events from image offset dwReadPos into the header's buffer; returns the image
  // bytes consumed. Only events up to the last record written count as consumed, so that the
  // deltas of the meta events skipped after it come with the next buffer.
  DWORD FillBuffer(DWORD dwReadPos, MIDIHDR* lpHeader);
  // The text of a WinMM result for the log lines.
  static const char* ErrorText(MMRESULT mmr);

  static constexpr int BUFFER_COUNT = 2;
  static constexpr DWORD BUFFER_SIZE = 24000;
  enum { STATE_STOPPED = 0, STATE_PLAYING = 1, STATE_PAUSED = 2 };

  // State for tests and the owner: taken under the player's lock.
  int GetState();
  DWORD GetReadPos();
  // The headers: their flags are changed under this lock and under the audio mixer's.
  const MIDIHDR* Header(int i) const { return &m_pHeader[i]; }
  std::recursive_mutex& Mutex() { return m_Lock; }

 private:
  void Open();
  bool FullyQueued() const { return m_dwReadPos >= m_dwImageSize; }
  // Each writes one record at *lpdwWritePos and advances it; returns the image bytes of the
  // event (status and data), or 0 when the record does not fit.
  DWORD AddShortEvent(DWORD dwDelta, const BYTE* lpEvent, BYTE* lpBuffer, DWORD* lpdwWritePos);
  DWORD AddLongEvent(DWORD dwDelta, const BYTE* lpEvent, DWORD dwAvail, BYTE* lpBuffer, DWORD* lpdwWritePos);
  DWORD AddEndEvent(DWORD dwDelta, BYTE* lpBuffer, DWORD* lpdwWritePos);
  void Log(const char* step, MMRESULT mmr);
  static void MidiThreadProc(cMidiPlayer* self);
  void OnPosition(MIDIHDR* lpHeader);

  int m_nNextBuffer = 0;
  HMIDISTRM m_hStream = nullptr;
  MIDIHDR m_pHeader[BUFFER_COUNT] = {};
  BYTE m_nBufferCount = BUFFER_COUNT;
  DWORD m_dwBufferSize = BUFFER_SIZE;
  DWORD m_dwReadPos = MIDI_IMAGE_HEADER;
  int m_nState = STATE_STOPPED;
  std::thread m_Thread;
  std::atomic<DWORD> m_dwThreadId{0};
  int m_bLoop = 0;
  BYTE m_Buffer[BUFFER_COUNT][BUFFER_SIZE] = {};
  // The callback thread and the owner's thread take turns through this lock.
  std::recursive_mutex m_Lock;
};
