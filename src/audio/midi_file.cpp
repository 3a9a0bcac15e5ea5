#include "audio/midi_file.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <queue>
#include <vector>

#include "core/log.h"
#include "platform/file.h"

namespace {

// One event of a source track: its absolute tick, its status and the data bytes after the
// status, which stay in the file's bytes.
struct MidiEvent {
  uint64_t tick = 0;
  BYTE status = 0;
  size_t offset = 0;
  size_t length = 0;
};

struct ParsedTracks {
  std::vector<std::vector<MidiEvent>> tracks;
  uint64_t endTick = 0;  // the latest end of any track
};

DWORD ReadBe32(const BYTE* p) {
  return (static_cast<DWORD>(p[0]) << 24) | (static_cast<DWORD>(p[1]) << 16) | (static_cast<DWORD>(p[2]) << 8) | p[3];
}

// Reads one track's events from [pos, end). The track ends at FF 2F 00, or at the end of its
// chunk when that event is missing. False for events that do not fit in the chunk.
bool ParseTrack(const BYTE* data, size_t pos, size_t end, std::vector<MidiEvent>* events, uint64_t* endTick) {
  uint64_t tick = 0;
  BYTE running = 0;
  while (pos < end) {
    DWORD delta = 0;
    int n = ReadVarLen(data + pos, end - pos, &delta);
    if (n == 0) return false;
    pos += static_cast<size_t>(n);
    tick += delta;
    if (pos >= end) return false;
    BYTE status = running;
    if (data[pos] & 0x80) {
      status = data[pos++];
      running = status;  // meta and system-exclusive statuses run on too
    } else if (running == 0) {
      return false;  // data with no status before it
    }
    if (status == 0xFF && end - pos >= 2 && data[pos] == 0x2F && data[pos + 1] == 0x00) {
      *endTick = std::max(*endTick, tick);
      return true;
    }
    size_t length = 2;
    if (status >= 0xC0 && status <= 0xDF) {
      length = 1;
    } else if (status == 0xF0 || status == 0xF7) {
      DWORD count = 0;
      n = ReadVarLen(data + pos, end - pos, &count);
      if (n == 0) return false;
      length = static_cast<size_t>(n) + count;
    } else if (status == 0xFF) {
      if (end - pos < 1) return false;
      DWORD count = 0;
      n = ReadVarLen(data + pos + 1, end - pos - 1, &count);
      if (n == 0) return false;
      length = 1 + static_cast<size_t>(n) + count;
    }
    if (length > end - pos) return false;
    events->push_back(MidiEvent{tick, status, pos, length});
    pos += length;
  }
  *endTick = std::max(*endTick, tick);
  return true;
}

// Reads the tracks: up to the header's track count of "MTrk" chunks, from offset 14 on.
// Other chunks are skipped by their length; a file that ends early gives the tracks it holds.
bool ParseTracks(const BYTE* data, size_t size, ParsedTracks* out) {
  const unsigned count = (static_cast<unsigned>(data[10]) << 8) | data[11];
  size_t pos = 14;
  while (out->tracks.size() < count && size - pos >= 8) {
    const BYTE* head = data + pos;
    DWORD length = ReadBe32(head + 4);
    pos += 8;
    if (length > size - pos) return false;
    if (std::memcmp(head, "MTrk", 4) == 0) {
      out->tracks.emplace_back();
      if (!ParseTrack(data, pos, pos + length, &out->tracks.back(), &out->endTick)) return false;
    }
    pos += length;
  }
  return !out->tracks.empty();
}

// Every event in play order: the smallest tick first, the lower track first on equal
// ticks, file order within a track.
std::vector<const MidiEvent*> MergeTracks(const ParsedTracks& parsed) {
  std::vector<const MidiEvent*> merged;
  using Key = std::pair<uint64_t, size_t>;  // tick, track
  std::priority_queue<Key, std::vector<Key>, std::greater<Key>> heads;
  std::vector<size_t> next(parsed.tracks.size(), 0);
  size_t total = 0;
  for (size_t t = 0; t < parsed.tracks.size(); ++t) {
    total += parsed.tracks[t].size();
    if (!parsed.tracks[t].empty()) heads.push(Key(parsed.tracks[t][0].tick, t));
  }
  merged.reserve(total);
  while (!heads.empty()) {
    size_t t = heads.top().second;
    heads.pop();
    merged.push_back(&parsed.tracks[t][next[t]++]);
    if (next[t] < parsed.tracks[t].size()) heads.push(Key(parsed.tracks[t][next[t]].tick, t));
  }
  return merged;
}

bool AppendDelta(std::vector<BYTE>* image, uint64_t delta) {
  BYTE v[4];
  int n = delta < (1u << 28) ? WriteVarLen(v, static_cast<DWORD>(delta)) : 0;
  if (n == 0) return false;
  image->insert(image->end(), v, v + n);
  return true;
}

bool BuildFormat0(const BYTE* data, const ParsedTracks& parsed, const std::vector<const MidiEvent*>& merged,
                  std::vector<BYTE>* image) {
  const BYTE header[MIDI_IMAGE_HEADER] = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, data[12], data[13],
                                          'M', 'T', 'r', 'k', 0, 0, 0, 0};
  image->assign(header, header + MIDI_IMAGE_HEADER);
  uint64_t previous = 0;
  for (const MidiEvent* e : merged) {
    if (!AppendDelta(image, e->tick - previous)) return false;
    previous = e->tick;
    image->push_back(e->status);
    image->insert(image->end(), data + e->offset, data + e->offset + e->length);
  }
  if (!AppendDelta(image, parsed.endTick - previous)) return false;
  const BYTE end[3] = {0xFF, 0x2F, 0x00};
  image->insert(image->end(), end, end + 3);
  uint64_t n = image->size() - MIDI_IMAGE_HEADER;
  if (n > 0xFFFFFFFFu - MIDI_IMAGE_HEADER) return false;
  (*image)[18] = static_cast<BYTE>(n >> 24);
  (*image)[19] = static_cast<BYTE>(n >> 16);
  (*image)[20] = static_cast<BYTE>(n >> 8);
  (*image)[21] = static_cast<BYTE>(n);
  return true;
}

}  // namespace

int WriteVarLen(BYTE* lpOut, DWORD dwValue) {
  if (dwValue >= (1u << 28)) return 0;
  int n = 1;
  while (n < 4 && (dwValue >> (7 * n)) != 0) ++n;
  for (int i = 0; i < n; ++i) {
    BYTE group = static_cast<BYTE>((dwValue >> (7 * (n - 1 - i))) & 0x7F);
    lpOut[i] = i + 1 < n ? static_cast<BYTE>(group | 0x80) : group;
  }
  return n;
}

int ReadVarLen(const BYTE* lpData, size_t nAvail, DWORD* lpdwValue) {
  DWORD value = 0;
  for (size_t i = 0; i < 4 && i < nAvail; ++i) {
    value = (value << 7) | (lpData[i] & 0x7F);
    if (!(lpData[i] & 0x80)) {
      *lpdwValue = value;
      return static_cast<int>(i + 1);
    }
  }
  return 0;
}

cMidiFile::cMidiFile(const char* lpszFileName) { Create(lpszFileName); }

cMidiFile::~cMidiFile() = default;

void cMidiFile::Create(const char* lpszFileName) {
  m_pImage.reset();
  m_dwImageSize = 0;
  m_strName = lpszFileName ? lpszFileName : "";
  FILE* fp = lpszFileName ? FileOpen(lpszFileName, "rb") : nullptr;
  if (!fp) {
    ReportErrorLog("Midi %s Create ファイルが開けません", m_strName.c_str());
    return;
  }
  std::vector<BYTE> bytes;
  BYTE chunk[65536];
  size_t n;
  while ((n = std::fread(chunk, 1, sizeof chunk, fp)) > 0) bytes.insert(bytes.end(), chunk, chunk + n);
  std::fclose(fp);
  Init(bytes.data(), bytes.size());
}

bool cMidiFile::Init(const BYTE* lpData, size_t nSize) {
  m_pImage.reset();
  m_dwImageSize = 0;
  const char* name = m_strName.c_str();
  // Bytes past the end of a short file count as zero, so it fails the first check it cannot
  // pass.
  auto at = [&](size_t i) -> BYTE { return i < nSize ? lpData[i] : 0; };
  if (at(0) != 'M' || at(1) != 'T' || at(2) != 'h' || at(3) != 'd') {
    ReportErrorLog("Midi %s Init 標準MIDIでない(4)", name);
    return false;
  }
  if (at(4) != 0 || at(5) != 0 || at(6) != 0 || at(7) != 6) {
    ReportErrorLog("Midi %s Init 標準MIDIでない(6)", name);
    return false;
  }
  const unsigned format = (static_cast<unsigned>(at(8)) << 8) | at(9);
  if (format == 2) {
    ReportErrorLog("Midi %s Init 対応フォーマットが2でない", name);
    return false;
  }
  if (format > 2) {
    ReportErrorLog("Midi %s Init 対応フォーマットが0または1でない", name);
    return false;
  }
  if (at(14) != 'M' || at(15) != 'T' || at(16) != 'r' || at(17) != 'k') {
    ReportErrorLog("Midi %s Init 標準MIDIでない(4)", name);
    return false;
  }
  if (at(10) == 0 && at(11) == 0) {
    ReportErrorLog("Midi %s Init トラックがない", name);
    return false;
  }
  // From here on the header's 18 bytes exist.
  ParsedTracks parsed;
  std::vector<BYTE> image;
  if (!ParseTracks(lpData, nSize, &parsed) || !BuildFormat0(lpData, parsed, MergeTracks(parsed), &image)) {
    ReportErrorLog("Midi %s Init トラックが壊れている", name);
    return false;
  }
  m_pImage.reset(new BYTE[image.size()]);
  std::copy(image.begin(), image.end(), m_pImage.get());
  m_dwImageSize = static_cast<DWORD>(image.size());
  return true;
}
