#include "support/bytes.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>

ByteWriter& ByteWriter::Raw(const void* p, size_t n) {
  data_.append(static_cast<const char*>(p), n);
  return *this;
}

ByteWriter& ByteWriter::Str(const std::string& s) {
  I32(static_cast<int32_t>(s.size() + 1));
  if (!s.empty()) {
    data_ += s;
    data_.push_back('\0');
  }
  return *this;
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  ASSERT_TRUE(out.good()) << "cannot write " << path;
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::string();
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

std::string Hex(const std::string& bytes) {
  std::string out;
  char buf[4];
  for (unsigned char c : bytes) {
    std::snprintf(buf, sizeof buf, "%02X ", c);
    out += buf;
  }
  if (!out.empty()) out.pop_back();
  return out;
}

std::string OneNoteMidiFile() {
  const std::string track("\x00\x90\x3C\x40\x60\xFF\x2F\x00", 8);
  return std::string("MThd\0\0\0\x06\0\0\0\x01\0\x60MTrk\0\0\0\x08", 22) + track;
}
