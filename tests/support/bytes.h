// Byte streams built by hand, for files in the exact layouts the system reads.
#pragma once

#include <cstdint>
#include <string>

class ByteWriter {
 public:
  ByteWriter& I8(int8_t v) { return Raw(&v, 1); }
  ByteWriter& U8(uint8_t v) { return Raw(&v, 1); }
  ByteWriter& I16(int16_t v) { return Raw(&v, 2); }
  ByteWriter& U16(uint16_t v) { return Raw(&v, 2); }
  ByteWriter& I32(int32_t v) { return Raw(&v, 4); }
  ByteWriter& U32(uint32_t v) { return Raw(&v, 4); }
  ByteWriter& F64(double v) { return Raw(&v, 8); }
  ByteWriter& Raw(const void* p, size_t n);
  ByteWriter& Bytes(const std::string& s) { return Raw(s.data(), s.size()); }
  // A record string: int32 length counting the zero (1 for the empty text), then the text
  // and its zero.
  ByteWriter& Str(const std::string& s);
  // n zero bytes.
  ByteWriter& Zeros(size_t n) { data_.append(n, '\0'); return *this; }

  const std::string& str() const { return data_; }
  size_t size() const { return data_.size(); }

 private:
  std::string data_;
};

// Writes bytes to a file (a UTF-8 path on disk); fails the test when it cannot.
void WriteFileBytes(const std::string& path, const std::string& bytes);
// The whole content of a file, or the empty string when it cannot be read.
std::string ReadFileBytes(const std::string& path);
// The bytes as hex pairs separated by spaces, for readable failure messages.
std::string Hex(const std::string& bytes);
// A Standard MIDI File of one track with one note, a quarter note long at 96 ticks a quarter.
std::string OneNoteMidiFile();
