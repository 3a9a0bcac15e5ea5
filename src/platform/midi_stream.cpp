// The WinMM MIDI stream calls (declared in platform/winmm.h): events are timed on the shared
// audio output's sample clock and played by the process's synthesizer inside the mixer.

#include <cstdio>
#include <cstring>
#include <deque>
#include <mutex>
#include <new>

#include "platform/message.h"
#include "platform/midi_synth.h"
#include "platform/mixer.h"
#include "platform/winmm.h"

namespace {

constexpr DWORD kStartDivision = 96;
constexpr DWORD kStartTempo = 500000;  // microseconds per quarter note

DWORD ReadLe32(const char* p) {
  const auto* b = reinterpret_cast<const unsigned char*>(p);
  return static_cast<DWORD>(b[0]) | (static_cast<DWORD>(b[1]) << 8) | (static_cast<DWORD>(b[2]) << 16) |
         (static_cast<DWORD>(b[3]) << 24);
}

}  // namespace

// The open stream: a source of the mixer. Everything below is changed with the mixer's lock
// held; Mix runs with it held.
struct HMIDISTRM__ final : AudioSource {
  AudioMixer* mixer = nullptr;
  MidiSynth* synth = nullptr;
  DWORD callbackThread = 0;  // 0: no notifications

  DWORD division = kStartDivision;
  DWORD tempo = kStartTempo;
  bool running = false;
  std::deque<MIDIHDR*> queue;
  DWORD offset = 0;  // of the next event in the front buffer

  // Time while running, in frames since the start or the last stop.
  uint64_t playTime = 0;
  // When the last event was due, as whole frames plus a remainder in units of 1/Denominator()
  // frame: exact, so that no rounding adds up over a piece.
  uint64_t dueFrames = 0;
  uint64_t dueRemainder = 0;
  // The next event's due time is computed (its delta added) once it is the next.
  bool nextDue = false;
  uint64_t nextFrames = 0;
  uint64_t nextRemainder = 0;

  void Mix(float* out, int frames, uint64_t clock) override;

  void Post(UINT msg, LPARAM lParam) {
    if (callbackThread) PostThreadMessageA(callbackThread, msg, reinterpret_cast<WPARAM>(this), lParam);
  }
  void RenderSynth(float* out, int frames) {
    if (synth && frames > 0) synth->Render(out, frames);
  }
  // A frame of delta ticks lasts Numerator(delta) / Denominator() frames.
  unsigned __int128 Numerator(DWORD delta) const {
    unsigned __int128 n = static_cast<unsigned __int128>(delta) * static_cast<unsigned>(mixer->Rate());
    if (division & 0x8000) return n * 100u;
    return n * tempo;
  }
  uint64_t Denominator() const {
    if (division & 0x8000) {
      int fps = -static_cast<int>(static_cast<signed char>((division >> 8) & 0xFF));
      uint64_t fps100 = fps == 29 ? 2997u : static_cast<uint64_t>(fps > 0 ? fps : 30) * 100u;
      uint64_t perFrame = division & 0xFF;
      return fps100 * (perFrame ? perFrame : 1u);
    }
    uint64_t ppq = division & 0x7FFF;
    return (ppq ? ppq : kStartDivision) * 1000000u;
  }
  // The frame at which the next event is due, rounded up: never early.
  uint64_t NextDueFrame() const { return nextFrames + (nextRemainder ? 1 : 0); }
  void ComputeNextDue(DWORD delta) {
    uint64_t den = Denominator();
    unsigned __int128 total = Numerator(delta) + dueRemainder;
    nextFrames = dueFrames + static_cast<uint64_t>(total / den);
    nextRemainder = static_cast<uint64_t>(total % den);
    nextDue = true;
  }
  // The front buffer is finished: it goes back to its owner.
  void FinishFront() {
    MIDIHDR* h = queue.front();
    queue.pop_front();
    offset = 0;
    nextDue = false;
    h->dwFlags = (h->dwFlags & ~MHDR_INQUEUE) | MHDR_DONE;
  }
  void Dispatch(DWORD event, const char* params, uint64_t clock);
  // Back to position 0: every queued buffer returned, the start tempo.
  void Rewind() {
    running = false;
    while (!queue.empty()) {
      MIDIHDR* h = queue.front();
      FinishFront();
      Post(MM_MOM_DONE, reinterpret_cast<LPARAM>(h));
    }
    tempo = kStartTempo;
    playTime = 0;
    dueFrames = dueRemainder = 0;
    nextDue = false;
  }
};

void HMIDISTRM__::Dispatch(DWORD event, const char* params, uint64_t clock) {
  if (!(event & MEVT_F_LONG)) {
    switch (MEVT_EVENTTYPE(event) & ~(MEVT_F_CALLBACK >> 24)) {
      case MEVT_SHORTMSG: {
        // Channel messages only: the end record FF 2F 00 and the like are no system reset.
        DWORD status = event & 0xFF;
        if (synth && status >= 0x80 && status < 0xF0) synth->ShortMessage(MEVT_EVENTPARM(event), clock);
        break;
      }
      case MEVT_TEMPO:
        tempo = MEVT_EVENTPARM(event);
        break;
      default:  // MEVT_NOP and unknown events
        break;
    }
    return;
  }
  // A long message: its bytes are sent when they are a system-exclusive message.
  if ((MEVT_EVENTTYPE(event) & ~(MEVT_F_CALLBACK >> 24)) == MEVT_LONGMSG) {
    DWORD n = MEVT_EVENTPARM(event);
    const auto* bytes = reinterpret_cast<const BYTE*>(params);
    if (synth && n >= 2 && bytes[0] == 0xF0) synth->SysEx(bytes, n, clock);
  }
}

void HMIDISTRM__::Mix(float* out, int frames, uint64_t clock) {
  int done = 0;
  while (running && !queue.empty()) {
    MIDIHDR* h = queue.front();
    const DWORD size = h->dwBytesRecorded;
    if (offset + MIDIEVENT_SHORT_SIZE > size) {
      // Past the last whole record.
      FinishFront();
      Post(MM_MOM_DONE, reinterpret_cast<LPARAM>(h));
      continue;
    }
    const char* rec = h->lpData + offset;
    DWORD delta = ReadLe32(rec);
    DWORD event = ReadLe32(rec + 8);
    DWORD recordSize = MIDIEVENT_SHORT_SIZE;
    if (event & MEVT_F_LONG) recordSize += (MEVT_EVENTPARM(event) + 3) & ~3u;
    if (recordSize > size - offset) {
      FinishFront();
      Post(MM_MOM_DONE, reinterpret_cast<LPARAM>(h));
      continue;
    }
    if (!nextDue) ComputeNextDue(delta);
    const uint64_t due = NextDueFrame();
    const uint64_t end = playTime + static_cast<uint64_t>(frames - done);
    if (due >= end) break;
    if (due > playTime) {
      int n = static_cast<int>(due - playTime);
      RenderSynth(out + 2 * static_cast<size_t>(done), n);
      done += n;
      playTime = due;
    }
    Dispatch(event, rec + MIDIEVENT_SHORT_SIZE, clock + static_cast<uint64_t>(done));
    dueFrames = nextFrames;
    dueRemainder = nextRemainder;
    nextDue = false;
    const DWORD at = offset;
    offset += recordSize;
    const bool last = offset + MIDIEVENT_SHORT_SIZE > size;
    if (event & MEVT_F_CALLBACK) {
      h->dwOffset = at;
      // The buffer is returned before its owner hears of its last event, so that the owner
      // can refill it at once.
      if (last) FinishFront();
      Post(MM_MOM_POSITIONCB, reinterpret_cast<LPARAM>(h));
      if (last) Post(MM_MOM_DONE, reinterpret_cast<LPARAM>(h));
    } else if (last) {
      FinishFront();
      Post(MM_MOM_DONE, reinterpret_cast<LPARAM>(h));
    }
  }
  RenderSynth(out + 2 * static_cast<size_t>(done), frames - done);
  if (running) playTime += static_cast<uint64_t>(frames - done);
}

namespace {

// The one open stream. Every call holds this lock for its whole length (then the mixer's),
// so that a handle is checked and used in one piece; Mix takes only the mixer's.
std::mutex& StreamMutex() {
  static std::mutex* mutex = new std::mutex;
  return *mutex;
}
HMIDISTRM g_pOpen = nullptr;

HMIDISTRM Check(const void* handle) {
  return handle && handle == static_cast<const void*>(g_pOpen) ? g_pOpen : nullptr;
}

// Runs fn(stream) with both locks held, for a handle of the open stream.
template <class Fn>
MMRESULT WithStream(const void* handle, Fn fn) {
  std::lock_guard<std::mutex> lock(StreamMutex());
  HMIDISTRM s = Check(handle);
  if (!s) return MMSYSERR_INVALHANDLE;
  std::lock_guard<std::mutex> mix(s->mixer->Mutex());
  return fn(s);
}

}  // namespace

MMRESULT midiStreamOpen(HMIDISTRM* lphStream, UINT* puDeviceID, DWORD cMidi, DWORD_PTR dwCallback, DWORD_PTR,
                        DWORD fdwOpen) {
  if (!lphStream || cMidi != 1) return MMSYSERR_INVALPARAM;
  *lphStream = nullptr;
  UINT device = puDeviceID ? *puDeviceID : 0;
  if (device != MIDI_MAPPER && device != 0) return MMSYSERR_BADDEVICEID;
  DWORD type = fdwOpen & CALLBACK_TYPEMASK;
  if (type != CALLBACK_NULL && type != CALLBACK_THREAD) return MMSYSERR_INVALFLAG;
  std::lock_guard<std::mutex> lock(StreamMutex());
  if (g_pOpen) return MMSYSERR_ALLOCATED;
  auto* s = new (std::nothrow) HMIDISTRM__;
  if (!s) return MMSYSERR_NOMEM;
  s->mixer = AcquireAudioOutput();
  s->synth = OpenMidiSynth(s->mixer->Rate());
  s->callbackThread = type == CALLBACK_THREAD ? static_cast<DWORD>(dwCallback) : 0;
  {
    std::lock_guard<std::mutex> mix(s->mixer->Mutex());
    if (s->synth) s->synth->SystemReset(s->mixer->SampleClock());
  }
  s->mixer->AddSource(s);
  g_pOpen = s;
  *lphStream = s;
  s->Post(MM_MOM_OPEN, 0);
  return MMSYSERR_NOERROR;
}

MMRESULT midiStreamProperty(HMIDISTRM hStream, BYTE* lppropdata, DWORD dwProperty) {
  if (!lppropdata) return MMSYSERR_INVALPARAM;
  if ((dwProperty & ~(MIDIPROP_SET | MIDIPROP_GET)) != MIDIPROP_TIMEDIV) return MMSYSERR_INVALPARAM;
  auto* prop = reinterpret_cast<MIDIPROPTIMEDIV*>(lppropdata);
  if (prop->cbStruct < sizeof(MIDIPROPTIMEDIV)) return MMSYSERR_INVALPARAM;
  return WithStream(hStream, [&](HMIDISTRM s) -> MMRESULT {
    if (dwProperty & MIDIPROP_SET) {
      if ((prop->dwTimeDiv & 0xFFFF) == 0) return MMSYSERR_INVALPARAM;
      s->division = prop->dwTimeDiv & 0xFFFF;
      s->dueRemainder = 0;
      s->nextDue = false;
      return MMSYSERR_NOERROR;
    }
    if (dwProperty & MIDIPROP_GET) {
      prop->dwTimeDiv = s->division;
      return MMSYSERR_NOERROR;
    }
    return MMSYSERR_INVALPARAM;
  });
}

MMRESULT midiOutPrepareHeader(HMIDIOUT hmo, MIDIHDR* lpMidiOutHdr, UINT cbMidiOutHdr) {
  if (!lpMidiOutHdr || cbMidiOutHdr < sizeof(MIDIHDR) || !lpMidiOutHdr->lpData) return MMSYSERR_INVALPARAM;
  return WithStream(hmo, [&](HMIDISTRM s) -> MMRESULT {
    lpMidiOutHdr->dwFlags |= MHDR_PREPARED;
    return MMSYSERR_NOERROR;
  });
}

MMRESULT midiOutUnprepareHeader(HMIDIOUT hmo, MIDIHDR* lpMidiOutHdr, UINT cbMidiOutHdr) {
  if (!lpMidiOutHdr || cbMidiOutHdr < sizeof(MIDIHDR)) return MMSYSERR_INVALPARAM;
  return WithStream(hmo, [&](HMIDISTRM s) -> MMRESULT {
    if (lpMidiOutHdr->dwFlags & MHDR_INQUEUE) return MIDIERR_STILLPLAYING;
    lpMidiOutHdr->dwFlags &= ~MHDR_PREPARED;
    return MMSYSERR_NOERROR;
  });
}

MMRESULT midiStreamOut(HMIDISTRM hStream, MIDIHDR* lpMidiHdr, UINT cbMidiHdr) {
  if (!lpMidiHdr || cbMidiHdr < sizeof(MIDIHDR) || !lpMidiHdr->lpData) return MMSYSERR_INVALPARAM;
  return WithStream(hStream, [&](HMIDISTRM s) -> MMRESULT {
    if (!(lpMidiHdr->dwFlags & MHDR_PREPARED)) return MIDIERR_UNPREPARED;
    if (lpMidiHdr->dwFlags & MHDR_INQUEUE) return MIDIERR_STILLPLAYING;
    if (lpMidiHdr->dwBytesRecorded > lpMidiHdr->dwBufferLength || (lpMidiHdr->dwBytesRecorded & 3) != 0) {
      return MMSYSERR_INVALPARAM;
    }
    lpMidiHdr->dwFlags = (lpMidiHdr->dwFlags & ~MHDR_DONE) | MHDR_INQUEUE | MHDR_ISSTRM;
    s->queue.push_back(lpMidiHdr);
    return MMSYSERR_NOERROR;
  });
}

MMRESULT midiStreamRestart(HMIDISTRM hStream) {
  return WithStream(hStream, [&](HMIDISTRM s) -> MMRESULT {
    s->running = true;
    return MMSYSERR_NOERROR;
  });
}

MMRESULT midiStreamPause(HMIDISTRM hStream) {
  return WithStream(hStream, [&](HMIDISTRM s) -> MMRESULT {
    s->running = false;
    if (s->synth) s->synth->AllNotesOff(s->mixer->SampleClock());
    return MMSYSERR_NOERROR;
  });
}

MMRESULT midiStreamStop(HMIDISTRM hStream) {
  return WithStream(hStream, [&](HMIDISTRM s) -> MMRESULT {
    if (s->synth) s->synth->AllNotesOff(s->mixer->SampleClock());
    s->Rewind();
    return MMSYSERR_NOERROR;
  });
}

MMRESULT midiOutReset(HMIDIOUT hmo) {
  return WithStream(hmo, [&](HMIDISTRM s) -> MMRESULT {
    if (s->synth) s->synth->Reset(s->mixer->SampleClock());
    s->Rewind();
    return MMSYSERR_NOERROR;
  });
}

MMRESULT midiOutShortMsg(HMIDIOUT hmo, DWORD dwMsg) {
  return WithStream(hmo, [&](HMIDISTRM s) -> MMRESULT {
    DWORD status = dwMsg & 0xFF;
    if (s->synth && status >= 0x80 && status < 0xF0) s->synth->ShortMessage(dwMsg & 0xFFFFFF, s->mixer->SampleClock());
    return MMSYSERR_NOERROR;
  });
}

MMRESULT midiStreamClose(HMIDISTRM hStream) {
  std::lock_guard<std::mutex> lock(StreamMutex());
  HMIDISTRM s = Check(hStream);
  if (!s) return MMSYSERR_INVALHANDLE;
  {
    std::lock_guard<std::mutex> mix(s->mixer->Mutex());
    if (s->synth) s->synth->Reset(s->mixer->SampleClock());
    s->Rewind();
  }
  s->mixer->RemoveSource(s);
  g_pOpen = nullptr;
  s->Post(MM_MOM_CLOSE, 0);
  delete s;
  ReleaseAudioOutput();
  return MMSYSERR_NOERROR;
}

BOOL mciGetErrorStringA(DWORD mcierr, char* pszText, UINT cchText) {
  static const struct {
    DWORD code;
    const char* text;
  } kTexts[] = {
      {MMSYSERR_NOERROR, "The specified command was carried out."},
      {MMSYSERR_ERROR, "Undefined external error."},
      {MMSYSERR_BADDEVICEID, "A device ID has been used that is out of range for your system."},
      {MMSYSERR_ALLOCATED, "The specified device is already in use."},
      {MMSYSERR_INVALHANDLE, "The device handle is invalid."},
      {MMSYSERR_NOMEM, "Not enough memory is available for this task."},
      {MMSYSERR_INVALFLAG, "An invalid flag was passed to a system function."},
      {MMSYSERR_INVALPARAM, "An invalid parameter was passed to a system function."},
      {MIDIERR_UNPREPARED, "The MIDI header was not prepared."},
      {MIDIERR_STILLPLAYING, "The MIDI buffer is still playing."},
  };
  if (!pszText || cchText == 0) return FALSE;
  for (const auto& t : kTexts) {
    if (t.code == mcierr) {
      std::snprintf(pszText, cchText, "%s", t.text);
      return TRUE;
    }
  }
  std::snprintf(pszText, cchText, "Unknown error %u.", static_cast<unsigned>(mcierr));
  return FALSE;
}
