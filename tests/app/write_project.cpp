// Writes the test project folder of the player's tests into the folder given, for running the
// player by hand: write_test_project DIR
#include <cstdio>

#include "app_fixture.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: write_test_project DIR\n");
    return 2;
  }
  if (!appfixture::WriteProject(argv[1])) {
    std::fprintf(stderr, "write_test_project: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
