#include "audio/midi_player.h"

#include <cstdio>
#include <cstring>
#include <system_error>

#include "core/log.h"
#include "platform/message.h"
#include "platform/thread.h"

namespace {

void WriteLe32(BYTE* p, DWORD v) {
  p[0] = static_cast<BYTE>(v);
  p[1] = static_cast<BYTE>(v >> 8);
  p[2] = static_cast<BYTE>(v >> 16);
  p[3] = static_cast<BYTE>(v >> 24);
}

DWORD ReadLe32(const BYTE* p) {
  return static_cast<DWORD>(p[0]) | (static_cast<DWORD>(p[1]) << 8) | (static_cast<DWORD>(p[2]) << 16) |
         (static_cast<DWORD>(p[3]) << 24);
}

void WriteRecord(BYTE* at, DWORD delta, DWORD event) {
  WriteLe32(at, delta);
  WriteLe32(at + 4, 0);  // stream id
  WriteLe32(at + 8, event);
}

constexpr DWORD kEndRecord = MEVT_F_CALLBACK | 0x002FFF;  // FF 2F 00 as a short message
constexpr UINT kQueuePing = 0x8000;

}  // namespace

cMidiPlayer::cMidiPlayer(const char* lpszFileName) : cMidiFile(lpszFileName) {
  if (m_pImage) Open();
}

void cMidiPlayer::Open() {
  m_nNextBuffer = 0;
  for (int i = 0; i < m_nBufferCount; ++i) {
    m_pHeader[i] = MIDIHDR{};
    m_pHeader[i].lpData = reinterpret_cast<char*>(m_Buffer[i]);
    m_pHeader[i].dwBufferLength = m_dwBufferSize;
    m_pHeader[i].dwUser = static_cast<DWORD_PTR>(i);
  }
  // The callback thread; once a post to it succeeds its queue exists and no notification of
  // the stream can be lost. It is joined by the destructor, which cannot stop halfway, hence
  // a plain thread and not one that a stop request could unwind.
  try {
    m_Thread = std::thread(&cMidiPlayer::MidiThreadProc, this);
  } catch (const std::system_error&) {
    // Without its thread the player could never refill or loop: it plays nothing.
    ReportErrorLog("Midi %s Thread", m_strName.c_str());
    m_pImage.reset();
    return;
  }
  for (;;) {
    DWORD id = m_dwThreadId.load();
    if (id && PostThreadMessageA(id, kQueuePing, 0, 0)) break;
    std::this_thread::yield();
  }
  UINT device = MIDI_MAPPER;
  MMRESULT mmr = midiStreamOpen(&m_hStream, &device, 1, m_dwThreadId.load(), 0, CALLBACK_THREAD);
  if (mmr != MMSYSERR_NOERROR) Log("Open", mmr);
  MIDIPROPTIMEDIV prop{};
  prop.cbStruct = sizeof prop;
  prop.dwTimeDiv = (static_cast<DWORD>(m_pImage[12]) << 8) | m_pImage[13];
  mmr = midiStreamProperty(m_hStream, reinterpret_cast<BYTE*>(&prop), MIDIPROP_SET | MIDIPROP_TIMEDIV);
  if (mmr != MMSYSERR_NOERROR) Log("Property", mmr);
  m_dwReadPos = MIDI_IMAGE_HEADER;
  m_nState = STATE_STOPPED;
  Out();
}

cMidiPlayer::~cMidiPlayer() {
  if (!m_pImage) return;
  // The thread first, without the lock: it may be waiting for it.
  while (!PostThreadMessageA(m_dwThreadId.load(), WM_QUIT, 0, 0)) {
    std::this_thread::yield();
  }
  m_Thread.join();
  MMRESULT mmr = midiOutReset(reinterpret_cast<HMIDIOUT>(m_hStream));
  if (mmr != MMSYSERR_NOERROR) Log("Reset", mmr);
  for (int i = 0; i < m_nBufferCount; ++i) {
    mmr = midiOutUnprepareHeader(reinterpret_cast<HMIDIOUT>(m_hStream), &m_pHeader[i], sizeof(MIDIHDR));
    if (mmr != MMSYSERR_NOERROR) Log("Unprepare", mmr);
  }
  mmr = midiStreamClose(m_hStream);
  if (mmr != MMSYSERR_NOERROR) Log("Close", mmr);
}

void cMidiPlayer::Log(const char* step, MMRESULT mmr) {
  ReportErrorLog("Midi %s %s %s", m_strName.c_str(), step, ErrorText(mmr));
}

const char* cMidiPlayer::ErrorText(MMRESULT mmr) {
  // One buffer per thread: the callback thread and the owner's may both log.
  thread_local char text[512];
  if (mmr != MMSYSERR_NOERROR) mciGetErrorStringA(mmr, text, sizeof text);
  return text;
}

int cMidiPlayer::GetState() {
  std::lock_guard<std::recursive_mutex> lock(m_Lock);
  return m_nState;
}

DWORD cMidiPlayer::GetReadPos() {
  std::lock_guard<std::recursive_mutex> lock(m_Lock);
  return m_dwReadPos;
}

void cMidiPlayer::Restart(int bLoop) {
  if (!m_pImage) return;
  std::lock_guard<std::recursive_mutex> lock(m_Lock);
  m_bLoop = bLoop;
  if (m_nState == STATE_PLAYING) return;
  MMRESULT mmr = midiStreamRestart(m_hStream);
  if (mmr != MMSYSERR_NOERROR) Log("Restart", mmr);
  int previous = m_nState;
  m_nState = STATE_PLAYING;
  if (previous == STATE_PAUSED) return;
  if (!FullyQueued()) Out();
}

void cMidiPlayer::Stop(int bPause) {
  if (!m_pImage) return;
  std::lock_guard<std::recursive_mutex> lock(m_Lock);
  if (bPause) {
    if (m_nState != STATE_PLAYING) return;
    MMRESULT mmr = midiStreamPause(m_hStream);
    if (mmr != MMSYSERR_NOERROR) Log("Pause", mmr);
    m_nState = STATE_PAUSED;
    return;
  }
  MMRESULT mmr = midiStreamStop(m_hStream);
  if (mmr != MMSYSERR_NOERROR) Log("Stop", mmr);
  m_nState = STATE_STOPPED;
  m_dwReadPos = MIDI_IMAGE_HEADER;
  Out();
}

void cMidiPlayer::Out() {
  if (!m_pImage) return;
  std::lock_guard<std::recursive_mutex> lock(m_Lock);
  MIDIHDR* h = &m_pHeader[m_nNextBuffer];
  if (FullyQueued() || (h->dwFlags & MHDR_INQUEUE)) return;
  m_dwReadPos += FillBuffer(m_dwReadPos, h);
  MMRESULT mmr = midiOutPrepareHeader(reinterpret_cast<HMIDIOUT>(m_hStream), h, sizeof(MIDIHDR));
  if (mmr != MMSYSERR_NOERROR) Log("Prepare", mmr);
  mmr = midiStreamOut(m_hStream, h, sizeof(MIDIHDR));
  if (mmr != MMSYSERR_NOERROR) Log("Out", mmr);
  m_nNextBuffer = (m_nNextBuffer + 1) % m_nBufferCount;
}

DWORD cMidiPlayer::AddShortEvent(DWORD dwDelta, const BYTE* lpEvent, BYTE* lpBuffer, DWORD* lpdwWritePos) {
  if (*lpdwWritePos + MIDIEVENT_SHORT_SIZE > m_dwBufferSize) return 0;
  BYTE status = lpEvent[0];
  DWORD event = status | (static_cast<DWORD>(lpEvent[1]) << 8);
  DWORD size = 2;
  if (status < 0xC0 || status > 0xDF) {
    event |= static_cast<DWORD>(lpEvent[2]) << 16;
    size = 3;
  }
  WriteRecord(lpBuffer + *lpdwWritePos, dwDelta, (static_cast<DWORD>(MEVT_SHORTMSG) << 24) | event);
  *lpdwWritePos += MIDIEVENT_SHORT_SIZE;
  return size;
}

DWORD cMidiPlayer::AddLongEvent(DWORD dwDelta, const BYTE* lpEvent, DWORD dwAvail, BYTE* lpBuffer,
                                DWORD* lpdwWritePos) {
  DWORD count = 0;
  int n = ReadVarLen(lpEvent + 1, dwAvail - 1, &count);
  DWORD message = count + 1;  // the status byte, then the data
  DWORD record = MIDIEVENT_SHORT_SIZE + ((message + 3) & ~3u);
  if (*lpdwWritePos + record > m_dwBufferSize) return 0;
  BYTE* at = lpBuffer + *lpdwWritePos;
  WriteRecord(at, dwDelta, (static_cast<DWORD>(MEVT_LONGMSG) << 24) | message);
  at[MIDIEVENT_SHORT_SIZE] = lpEvent[0];
  std::memcpy(at + MIDIEVENT_SHORT_SIZE + 1, lpEvent + 1 + n, count);
  *lpdwWritePos += record;
  return 1 + static_cast<DWORD>(n) + count;
}

DWORD cMidiPlayer::AddEndEvent(DWORD dwDelta, BYTE* lpBuffer, DWORD* lpdwWritePos) {
  if (*lpdwWritePos + MIDIEVENT_SHORT_SIZE > m_dwBufferSize) return 0;
  WriteRecord(lpBuffer + *lpdwWritePos, dwDelta, kEndRecord);
  *lpdwWritePos += MIDIEVENT_SHORT_SIZE;
  return 3;
}

DWORD cMidiPlayer::FillBuffer(DWORD dwReadPos, MIDIHDR* lpHeader) {
  BYTE* buffer = reinterpret_cast<BYTE*>(lpHeader->lpData);
  std::memset(buffer, 0, m_dwBufferSize);
  const BYTE* image = m_pImage.get();
  const DWORD end = m_dwImageSize;
  DWORD write = 0;
  DWORD lastRecord = 0;      // offset of the last record written, for the callback flag
  bool written = false;
  DWORD pos = dwReadPos;
  DWORD consumedTo = dwReadPos;  // the image position after the last record written
  DWORD delta = 0;               // ticks of the events read since that record
  bool full = false;  // stopped at a record that does not fit
  while (pos < end) {
    DWORD d = 0;
    int n = ReadVarLen(image + pos, end - pos, &d);
    if (n == 0 || pos + static_cast<DWORD>(n) >= end) break;
    const BYTE* ev = image + pos + n;
    const DWORD avail = end - pos - static_cast<DWORD>(n);
    const BYTE status = ev[0];
    const DWORD recordAt = write;
    DWORD used = 0;
    bool record = true;
    bool last = false;
    if (status == 0xF0 || status == 0xF7) {
      DWORD count = 0;
      int c = ReadVarLen(ev + 1, avail - 1, &count);
      if (c == 0 || count > avail - 1 - static_cast<DWORD>(c)) break;
      if (MIDIEVENT_SHORT_SIZE + ((count + 1 + 3) & ~3u) > m_dwBufferSize) {
        // No buffer can hold it: skipped, and its time passes on to the next event.
        ReportErrorLog("Midi %s SysEx %u bytes skipped", m_strName.c_str(), static_cast<unsigned>(count + 1));
        used = 1 + static_cast<DWORD>(c) + count;
        record = false;
      } else {
        used = AddLongEvent(delta + d, ev, avail, buffer, &write);
      }
    } else if (status == 0xFF) {
      if (avail < 2) break;
      if (ev[1] == 0x2F) {
        used = AddEndEvent(delta + d, buffer, &write);
        last = true;
      } else {
        DWORD count = 0;
        int c = ReadVarLen(ev + 2, avail - 2, &count);
        if (c == 0 || count > avail - 2 - static_cast<DWORD>(c)) break;
        const BYTE* data = ev + 2 + c;
        if (ev[1] == 0x51 && count >= 3) {
          // A tempo change: microseconds per quarter note.
          if (write + MIDIEVENT_SHORT_SIZE <= m_dwBufferSize) {
            DWORD tempo = (static_cast<DWORD>(data[0]) << 16) | (static_cast<DWORD>(data[1]) << 8) | data[2];
            WriteRecord(buffer + write, delta + d, (static_cast<DWORD>(MEVT_TEMPO) << 24) | tempo);
            write += MIDIEVENT_SHORT_SIZE;
            used = 2 + static_cast<DWORD>(c) + count;
          }
        } else {
          // Other meta events make no record; their time passes on to the next event.
          used = 2 + static_cast<DWORD>(c) + count;
          record = false;
        }
      }
    } else {
      if (avail < ((status >= 0xC0 && status <= 0xDF) ? 2u : 3u)) break;
      used = AddShortEvent(delta + d, ev, buffer, &write);
    }
    if (used == 0) {
      full = true;
      break;
    }
    pos += static_cast<DWORD>(n) + used;
    if (!record) {
      delta += d;
      continue;
    }
    lastRecord = recordAt;
    written = true;
    delta = 0;
    consumedTo = pos;
    if (last) break;
  }
  // Skipped events with no record after them are consumed when the image ends with them.
  if (!full && !written) consumedTo = pos;
  // The owner hears of the buffer's last record (the end record carries the flag already).
  if (written) {
    BYTE* ev = buffer + lastRecord + 8;
    WriteLe32(ev, ReadLe32(ev) | MEVT_F_CALLBACK);
  }
  lpHeader->dwBytesRecorded = write;
  lpHeader->dwFlags = 0;
  lpHeader->lpNext = nullptr;
  lpHeader->reserved = 0;
  lpHeader->dwOffset = 0;
  std::memset(lpHeader->dwReserved, 0, sizeof lpHeader->dwReserved);
  return consumedTo - dwReadPos;
}

void cMidiPlayer::MidiThreadProc(cMidiPlayer* self) {
  self->m_dwThreadId = GetCurrentThreadId();
  MSG msg{};
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    if (msg.message == MM_MOM_POSITIONCB) self->OnPosition(reinterpret_cast<MIDIHDR*>(msg.lParam));
  }
}

void cMidiPlayer::OnPosition(MIDIHDR* lpHeader) {
  std::lock_guard<std::recursive_mutex> lock(m_Lock);
  const BYTE* record = reinterpret_cast<const BYTE*>(lpHeader->lpData) + lpHeader->dwOffset;
  if ((ReadLe32(record + 8) & 0xFFFFFF) == 0x2FFF) {
    // The end of the piece: back to the start, and again when looping.
    Stop(0);
    if (m_bLoop) Restart(1);
  } else if (!FullyQueued()) {
    Out();
  }
}
