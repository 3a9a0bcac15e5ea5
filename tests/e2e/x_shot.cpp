// x_shot OUT.png [WINDOW]: writes the screen of the display in DISPLAY (or one window of it,
// given by its number) as a PNG file.
#include <cstdio>
#include <cstdlib>

#include "draw/png_file.h"
#include "x_display.h"

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3) {
    std::fprintf(stderr, "usage: x_shot OUT.png [WINDOW]\n");
    return 2;
  }
  const char* name = std::getenv("DISPLAY");
  XDisplay display;
  if (!name || !display.Attach(name)) {
    std::fprintf(stderr, "x_shot: cannot open the display %s\n", name ? name : "(DISPLAY not set)");
    return 1;
  }
  Shot shot;
  const unsigned long window = argc == 3 ? std::strtoul(argv[2], nullptr, 0) : 0;
  if (!display.Capture(window, &shot)) {
    std::fprintf(stderr, "x_shot: cannot read the pixels\n");
    return 1;
  }
  if (!WritePngFile(argv[1], shot.w, shot.h, shot.px.data())) {
    std::fprintf(stderr, "x_shot: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
