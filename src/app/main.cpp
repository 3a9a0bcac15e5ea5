// tessellwhirl [--project DIR] [--test-play] [stage file]
// The program runs in the project folder (default: the current folder); a relative stage file
// is found from there.
#include <cstdio>
#include <cstring>
#include <string>

#include "app/process.h"
#include "platform/disk_name.h"

int main(int argc, char** argv) {
  PlayerArgs args;
  // The stage file reaches the program as its own Shift-JIS name.
  std::string stage;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--project") == 0 && i + 1 < argc) {
      args.lpszProject = argv[++i];
    } else if (std::strcmp(argv[i], "--test-play") == 0) {
      args.bTestPlay = 1;
    } else if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
      std::printf(
          "usage: tessellwhirl [--project DIR] [--test-play] [stage file]\n"
          "  --project DIR  the game's project folder (default: the current folder)\n"
          "  --test-play    started for test play\n"
          "  stage file     a stage to play at once, relative to the project folder\n");
      return 0;
    } else if (argv[i][0] == '-' && argv[i][1] == '-') {
      std::fprintf(stderr, "tessellwhirl: unknown option %s\nusage: tessellwhirl [--project DIR] [--test-play] [stage file]\n",
                   DiskNameToUtf8(argv[i]).c_str());
      return 2;
    } else {
      stage = ArgumentPathToSjis(argv[i]);
      args.lpszStage = stage.c_str();
    }
  }
  return RunPlayer(args);
}
