// Runs a fuzz target's entry point once on every input named on the command line (a file, or
// every file of a folder, in name order), as libFuzzer runs a corpus: each input in a buffer of
// its own exact size. A finding that has been mended and kept among the seeds stays mended.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);
extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int* argc, char*** argv);

namespace {

bool ReadInput(const std::filesystem::path& path, std::vector<uint8_t>* bytes) {
  FILE* fp = std::fopen(path.c_str(), "rb");
  if (!fp) return false;
  bytes->clear();
  uint8_t buf[4096];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, fp)) > 0) bytes->insert(bytes->end(), buf, buf + n);
  std::fclose(fp);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (LLVMFuzzerInitialize) LLVMFuzzerInitialize(&argc, &argv);
  std::vector<std::filesystem::path> inputs;
  for (int i = 1; i < argc; ++i) {
    const std::filesystem::path arg = argv[i];
    if (!std::filesystem::is_directory(arg)) {
      inputs.push_back(arg);
      continue;
    }
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(arg)) {
      if (entry.is_regular_file()) files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    inputs.insert(inputs.end(), files.begin(), files.end());
  }
  if (inputs.empty()) {
    std::fprintf(stderr, "no inputs\n");
    return 1;
  }
  std::vector<uint8_t> bytes;
  for (const auto& path : inputs) {
    if (!ReadInput(path, &bytes)) {
      std::fprintf(stderr, "cannot read %s\n", path.c_str());
      return 1;
    }
    std::printf("%s\n", path.c_str());
    std::fflush(stdout);
    // A buffer of the input's own size, so that a read past its end is caught.
    std::unique_ptr<uint8_t[]> copy(new uint8_t[bytes.size()]);
    std::copy(bytes.begin(), bytes.end(), copy.get());
    LLVMFuzzerTestOneInput(copy.get(), bytes.size());
  }
  std::printf("%zu inputs\n", inputs.size());
  return 0;
}
