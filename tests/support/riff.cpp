#include "support/riff.h"

#include "support/bytes.h"

std::string RiffChunkDeclaring(const std::string& id, uint32_t declaredSize, const std::string& data) {
  ByteWriter w;
  w.Bytes(id.substr(0, 4)).U32(declaredSize).Bytes(data);
  if (data.size() % 2) w.U8(0);
  return w.str();
}

std::string RiffChunk(const std::string& id, const std::string& data) {
  return RiffChunkDeclaring(id, static_cast<uint32_t>(data.size()), data);
}

std::string PcmFormat(uint16_t channels, uint32_t rate, uint16_t bits, uint16_t formatTag) {
  uint16_t align = static_cast<uint16_t>(channels * bits / 8);
  return ByteWriter().U16(formatTag).U16(channels).U32(rate).U32(rate * align).U16(align).U16(bits).str();
}

std::string WaveFile(const std::string& chunks) { return RiffChunk("RIFF", "WAVE" + chunks); }

std::string PcmWave(uint16_t channels, uint32_t rate, uint16_t bits, const std::string& samples) {
  return WaveFile(RiffChunk("fmt ", PcmFormat(channels, rate, bits)) + RiffChunk("data", samples));
}
