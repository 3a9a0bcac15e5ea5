// WinMM: the wave format record and the multimedia-file (mmio) calls that read RIFF files.
#pragma once

#include "platform/wintypes.h"

// The format of PCM sample data, laid out as in a wave file's "fmt " chunk (18 bytes,
// without padding).
#pragma pack(push, 1)
struct WAVEFORMATEX {
  WORD wFormatTag = 0;
  WORD nChannels = 0;
  DWORD nSamplesPerSec = 0;
  DWORD nAvgBytesPerSec = 0;
  WORD nBlockAlign = 0;
  WORD wBitsPerSample = 0;
  WORD cbSize = 0;
};
#pragma pack(pop)
static_assert(sizeof(WAVEFORMATEX) == 18, "WAVEFORMATEX is stored as 18 bytes");

constexpr WORD WAVE_FORMAT_PCM = 1;

typedef UINT MMRESULT;
typedef DWORD FOURCC;

constexpr MMRESULT MMSYSERR_NOERROR = 0;
constexpr MMRESULT MMSYSERR_INVALHANDLE = 5;
constexpr MMRESULT MMSYSERR_INVALPARAM = 11;
constexpr MMRESULT MMIOERR_CHUNKNOTFOUND = 265;
constexpr MMRESULT MMIOERR_CANNOTSEEK = 263;

// A four-character code as stored in a file: the first character in the lowest byte.
constexpr FOURCC mmioFOURCC(char a, char b, char c, char d) {
  return static_cast<FOURCC>(static_cast<unsigned char>(a)) | (static_cast<FOURCC>(static_cast<unsigned char>(b)) << 8) |
         (static_cast<FOURCC>(static_cast<unsigned char>(c)) << 16) |
         (static_cast<FOURCC>(static_cast<unsigned char>(d)) << 24);
}

// An open multimedia file.
struct HMMIO__;
typedef HMMIO__* HMMIO;

// Extra open parameters; the system always passes null.
struct MMIOINFO;

// One chunk of a RIFF file, as mmioDescend finds it.
struct MMCKINFO {
  FOURCC ckid = 0;         // chunk id
  DWORD cksize = 0;        // size of the chunk's data as declared
  FOURCC fccType = 0;      // form type of a "RIFF" chunk, list type of a "LIST" chunk
  DWORD dwDataOffset = 0;  // file offset of the chunk's data
  DWORD dwFlags = 0;
};

// Open flags: reading is the only mode supported.
constexpr DWORD MMIO_READ = 0x00000000;
constexpr DWORD MMIO_ALLOCBUF = 0x00010000;
// Descend flags.
constexpr UINT MMIO_FINDCHUNK = 0x0010;
constexpr UINT MMIO_FINDRIFF = 0x0020;

// Stands in for mmioOpenA: opens a file for reading through the path resolver. Returns null
// when the file cannot be opened or a writing mode is asked for.
HMMIO mmioOpen(const char* pszFileName, MMIOINFO* pmmioinfo, DWORD fdwOpen);

// Stands in for mmioClose.
MMRESULT mmioClose(HMMIO hmmio, UINT fuClose);

// Stands in for mmioRead: the number of bytes read (0 at the end of the file), -1 on error.
LONG mmioRead(HMMIO hmmio, char* pch, LONG cch);

// Stands in for mmioSeek (origin SEEK_SET, SEEK_CUR or SEEK_END): the new position, -1 on error.
LONG mmioSeek(HMMIO hmmio, LONG lOffset, int iOrigin);

// Stands in for mmioDescend: reads chunk headers from the current position and enters the
// first chunk that matches: MMIO_FINDRIFF a "RIFF" chunk whose form type is lpck->fccType,
// MMIO_FINDCHUNK a chunk whose id is lpck->ckid, no flag the next chunk. Chunks that do not
// match are skipped by their declared size, padded to an even count. With a parent, the
// search stays inside the parent's data. On success lpck is filled and the file is
// positioned at the chunk's data (after the form type of a "RIFF" or "LIST" chunk);
// otherwise MMIOERR_CHUNKNOTFOUND.
MMRESULT mmioDescend(HMMIO hmmio, MMCKINFO* lpck, const MMCKINFO* lpckParent, UINT wFlags);

// Stands in for mmioAscend: positions the file after the chunk (its declared end, padded to
// an even offset).
MMRESULT mmioAscend(HMMIO hmmio, MMCKINFO* lpck, UINT wFlags);

// ---- MIDI streams ----
// A MIDI stream plays buffers of timed events on the shared audio output's sample clock,
// through the process's General MIDI synthesizer (platform/midi_synth.h). One stream can be
// open at a time. Notifications go to the callback thread's message queue as thread
// messages; nothing is called back on the output's thread.

struct HMIDISTRM__;
typedef HMIDISTRM__* HMIDISTRM;
// An output handle; a stream handle cast to it addresses the stream.
struct HMIDIOUT__;
typedef HMIDIOUT__* HMIDIOUT;

// A buffer of events handed to a stream.
struct MIDIHDR {
  char* lpData = nullptr;      // the events: MIDIEVENT records
  DWORD dwBufferLength = 0;    // size of lpData
  DWORD dwBytesRecorded = 0;   // bytes of records in lpData (a multiple of 4)
  DWORD_PTR dwUser = 0;        // the owner's
  DWORD dwFlags = 0;           // MHDR_*
  MIDIHDR* lpNext = nullptr;   // not used
  DWORD_PTR reserved = 0;      // not used
  DWORD dwOffset = 0;          // byte offset of the event of the last MEVT_F_CALLBACK
  DWORD_PTR dwReserved[8] = {};
};

// One timed event: the delta time in ticks since the previous event, the stream (0), the
// event word, and for MEVT_F_LONG events the parameter bytes padded to a multiple of 4.
struct MIDIEVENT {
  DWORD dwDeltaTime;
  DWORD dwStreamID;
  DWORD dwEvent;
  DWORD dwParms[1];
};
constexpr DWORD MIDIEVENT_SHORT_SIZE = 12;

// The time division property.
struct MIDIPROPTIMEDIV {
  DWORD cbStruct;
  DWORD dwTimeDiv;
};

constexpr UINT MIDI_MAPPER = static_cast<UINT>(-1);

// Open flags.
constexpr DWORD CALLBACK_NULL = 0x00000000;
constexpr DWORD CALLBACK_THREAD = 0x00020000;
constexpr DWORD CALLBACK_TYPEMASK = 0x00070000;

// Messages posted to the callback thread.
constexpr UINT MM_MOM_OPEN = 0x3C7;
constexpr UINT MM_MOM_CLOSE = 0x3C8;
constexpr UINT MM_MOM_DONE = 0x3C9;
constexpr UINT MM_MOM_POSITIONCB = 0x3CA;

// MIDIHDR flags.
constexpr DWORD MHDR_DONE = 0x00000001;
constexpr DWORD MHDR_PREPARED = 0x00000002;
constexpr DWORD MHDR_INQUEUE = 0x00000004;
constexpr DWORD MHDR_ISSTRM = 0x00000008;

// The event word: the type in the top byte, parameters in the low 24 bits.
constexpr DWORD MEVT_F_SHORT = 0x00000000;
constexpr DWORD MEVT_F_LONG = 0x80000000;
constexpr DWORD MEVT_F_CALLBACK = 0x40000000;
constexpr BYTE MEVT_SHORTMSG = 0x00;
constexpr BYTE MEVT_TEMPO = 0x01;
constexpr BYTE MEVT_NOP = 0x02;
constexpr BYTE MEVT_LONGMSG = 0x80;
constexpr BYTE MEVT_COMMENT = 0x82;
constexpr BYTE MEVT_VERSION = 0x84;
constexpr BYTE MEVT_EVENTTYPE(DWORD x) { return static_cast<BYTE>((x >> 24) & 0xFF); }
constexpr DWORD MEVT_EVENTPARM(DWORD x) { return x & 0x00FFFFFF; }

// Stream properties.
constexpr DWORD MIDIPROP_SET = 0x80000000;
constexpr DWORD MIDIPROP_GET = 0x40000000;
constexpr DWORD MIDIPROP_TIMEDIV = 0x00000001;

// Results.
constexpr MMRESULT MMSYSERR_ERROR = 1;
constexpr MMRESULT MMSYSERR_BADDEVICEID = 2;
constexpr MMRESULT MMSYSERR_ALLOCATED = 4;
constexpr MMRESULT MMSYSERR_NOMEM = 7;
constexpr MMRESULT MMSYSERR_INVALFLAG = 10;
constexpr MMRESULT MIDIERR_UNPREPARED = 64;
constexpr MMRESULT MIDIERR_STILLPLAYING = 65;

// Stands in for midiStreamOpen: opens the one stream on the MIDI mapper (device MIDI_MAPPER
// or 0) with cMidi 1, notifying the thread dwCallback (CALLBACK_THREAD) or nobody
// (CALLBACK_NULL). The stream starts paused at position 0, with a division of 96 ticks per
// quarter note and a tempo of 500000 microseconds per quarter note; the synthesizer is reset.
// MMSYSERR_ALLOCATED while another stream is open. Posts MM_MOM_OPEN.
MMRESULT midiStreamOpen(HMIDISTRM* lphStream, UINT* puDeviceID, DWORD cMidi, DWORD_PTR dwCallback,
                        DWORD_PTR dwInstance, DWORD fdwOpen);
// Stands in for midiStreamProperty: sets or gets MIDIPROP_TIMEDIV (MIDIPROPTIMEDIV). A
// division with bit 15 set counts SMPTE frames: the high byte is minus the frame rate (-29
// for 29.97), the low byte ticks per frame; otherwise it is ticks per quarter note.
MMRESULT midiStreamProperty(HMIDISTRM hStream, BYTE* lppropdata, DWORD dwProperty);
// Stand in for midiOutPrepareHeader / midiOutUnprepareHeader: set or clear MHDR_PREPARED.
// Preparing a prepared header again is allowed; unpreparing a queued one gives
// MIDIERR_STILLPLAYING.
MMRESULT midiOutPrepareHeader(HMIDIOUT hmo, MIDIHDR* lpMidiOutHdr, UINT cbMidiOutHdr);
MMRESULT midiOutUnprepareHeader(HMIDIOUT hmo, MIDIHDR* lpMidiOutHdr, UINT cbMidiOutHdr);
// Stands in for midiStreamOut: queues a prepared buffer of dwBytesRecorded bytes (at most its
// length, a multiple of 4); sets MHDR_INQUEUE and clears MHDR_DONE. When the stream reaches
// an event flagged MEVT_F_CALLBACK it sets dwOffset to that event and posts
// MM_MOM_POSITIONCB (wParam the stream, lParam the header); when the event is the buffer's
// last, the buffer is marked done (MHDR_DONE, no MHDR_INQUEUE) before that post. After the
// last event of a buffer it posts MM_MOM_DONE.
MMRESULT midiStreamOut(HMIDISTRM hStream, MIDIHDR* lpMidiHdr, UINT cbMidiHdr);
// Stands in for midiStreamRestart: runs the stream from where it stands.
MMRESULT midiStreamRestart(HMIDISTRM hStream);
// Stands in for midiStreamPause: holds the stream where it stands; sounding notes end.
MMRESULT midiStreamPause(HMIDISTRM hStream);
// Stands in for midiStreamStop: sounding notes end, every queued buffer is marked done (with
// an MM_MOM_DONE each), and the stream is paused at position 0 with the tempo back to its
// start value, so a new buffer plays from its start exactly as the first time.
MMRESULT midiStreamStop(HMIDISTRM hStream);
// Stands in for midiStreamClose: returns the queued buffers and closes; posts MM_MOM_CLOSE.
MMRESULT midiStreamClose(HMIDISTRM hStream);
// Stands in for midiOutShortMsg: sends a channel message (status 0x80..0xEF) at once;
// system messages are not sent.
MMRESULT midiOutShortMsg(HMIDIOUT hmo, DWORD dwMsg);
// Stands in for midiOutReset: as midiStreamStop, and every sound ends at once and the
// controllers are reset.
MMRESULT midiOutReset(HMIDIOUT hmo);
// Stands in for mciGetErrorStringA: the text of a result code; FALSE for an unknown code.
BOOL mciGetErrorStringA(DWORD mcierr, char* pszText, UINT cchText);
