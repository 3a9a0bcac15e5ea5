// What the fuzz targets of record files share: the input written to a temporary file, two
// companion files for what a target writes, all removed at exit; a check that aborts; the bytes
// of a file; and the dropping of the close requests that checked accesses post.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/message.h"

namespace fuzz {

inline void Check(bool ok) {
  if (!ok) std::abort();
}

struct TempFiles {
  std::string input;
  std::string saved;
  std::string again;
};

// Made on the first call, named after prefix ("/tmp/<prefix>_XXXXXX").
inline const TempFiles& Files(const char* prefix) {
  static TempFiles* files = [prefix] {
    std::string name = std::string("/tmp/") + prefix + "_XXXXXX";
    const int fd = mkstemp(name.data());
    if (fd < 0) std::abort();
    close(fd);
    auto* f = new TempFiles{name, name + ".saved", name + ".again"};
    std::atexit([] {
      std::remove(files->input.c_str());
      std::remove(files->saved.c_str());
      std::remove(files->again.c_str());
    });
    return f;
  }();
  return *files;
}

inline void WriteFile(const std::string& path, const uint8_t* data, size_t size) {
  FILE* fp = std::fopen(path.c_str(), "wb");
  if (!fp) std::abort();
  std::fwrite(data, 1, size, fp);
  std::fclose(fp);
}

inline std::string ReadFile(const std::string& path) {
  std::string bytes;
  FILE* fp = std::fopen(path.c_str(), "rb");
  if (!fp) std::abort();
  char buf[4096];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, fp)) > 0) bytes.append(buf, n);
  std::fclose(fp);
  return bytes;
}

// Close requests of checked accesses and of damaged files go to this thread: drop them.
inline void DropMessages() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
  }
}

}  // namespace fuzz
