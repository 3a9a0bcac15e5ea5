// RIFF chunks and PCM wave files built by hand.
#pragma once

#include <cstdint>
#include <string>

// A chunk: four-character id, little-endian 32-bit size (the data's, unless given), the
// data, and a pad byte when the data's length is odd.
std::string RiffChunk(const std::string& id, const std::string& data);
std::string RiffChunkDeclaring(const std::string& id, uint32_t declaredSize, const std::string& data);

// The 16 bytes of a PCM "fmt " chunk's data (block align and byte rate derived).
std::string PcmFormat(uint16_t channels, uint32_t rate, uint16_t bits, uint16_t formatTag = 1);

// A whole wave file: "RIFF" of form "WAVE" around the given chunks.
std::string WaveFile(const std::string& chunks);
// A plain PCM wave file: 16-byte "fmt " then "data".
std::string PcmWave(uint16_t channels, uint32_t rate, uint16_t bits, const std::string& samples);
