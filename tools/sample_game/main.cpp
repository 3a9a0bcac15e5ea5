// Writes the sample game's project folder: sample_game OUT_DIR
#include <cstdio>
#include <string>

#include "sample_game.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: sample_game OUT_DIR\n");
    return 2;
  }
  std::string error;
  if (!sample::WriteSampleGame(argv[1], &error)) {
    std::fprintf(stderr, "sample_game: %s\n", error.c_str());
    return 1;
  }
  return 0;
}
