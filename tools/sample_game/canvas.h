// A picture of palette indexes with the few drawing operations the sample game's pixel art
// needs: rectangles, gradients, discs, lines, lettering in the 5 × 7 font and small pictures
// given as rows of characters.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "fixture/bmp8.h"

// One character of a text picture and the palette index it stands for; '.' and ' ' are
// always transparent (left as they are).
using PictKey = std::pair<char, uint8_t>;

class Canvas : public fixture::Image8 {
 public:
  Canvas(int w, int h, uint8_t fill = 0) : fixture::Image8(w, h, fill) {}

  void Fill(int x, int y, int w, int h, uint8_t c);
  // A rectangle outline one dot thick.
  void Frame(int x, int y, int w, int h, uint8_t c);
  // Rows y .. y + h − 1 shaded from ramp shade `from` to `to` (0..15) of a ramp.
  void VerticalRamp(int x, int y, int w, int h, int rampBase, int from, int to);
  void Disc(int cx, int cy, int r, uint8_t c);
  void Line(int x0, int y0, int x1, int y1, uint8_t c);

  // Text in the 5 × 7 font, each dot scale × scale, characters 6 × scale apart; with a shadow
  // colour other than 0 every dot gets a shadow one scaled dot down and right. Returns the
  // width drawn.
  int Text(int x, int y, const std::string& text, uint8_t c, int scale = 1, uint8_t shadow = 0);
  // The same with dots of sx × sy.
  int StretchedText(int x, int y, const std::string& text, uint8_t c, int sx, int sy, uint8_t shadow = 0);
  static int TextWidth(const std::string& text, int scale = 1);
  // Text centred on the column cx.
  void CentredText(int cx, int y, const std::string& text, uint8_t c, int scale = 1, uint8_t shadow = 0);

  // A picture given as rows of characters, each character a dot of scale × scale in the colour
  // the key gives it; characters without a key are left out.
  void Pict(int x, int y, const std::vector<std::string>& rows, std::initializer_list<PictKey> keys, int scale = 1);

  // Copies a region of another canvas, leaving out its transparent dots (index 0).
  void Paste(const fixture::Image8& src, int sx, int sy, int w, int h, int dx, int dy);
};
