#include "canvas.h"

#include <cstdlib>

#include "pixel_font.h"

void Canvas::Fill(int x, int y, int w, int h, uint8_t c) {
  for (int j = y; j < y + h; ++j)
    for (int i = x; i < x + w; ++i) Set(i, j, c);
}

void Canvas::Frame(int x, int y, int w, int h, uint8_t c) {
  Fill(x, y, w, 1, c);
  Fill(x, y + h - 1, w, 1, c);
  Fill(x, y, 1, h, c);
  Fill(x + w - 1, y, 1, h, c);
}

void Canvas::VerticalRamp(int x, int y, int w, int h, int rampBase, int from, int to) {
  for (int j = 0; j < h; ++j) {
    const int shade = h > 1 ? from + (to - from) * j / (h - 1) : from;
    Fill(x, y + j, w, 1, static_cast<uint8_t>(rampBase + shade));
  }
}

void Canvas::Disc(int cx, int cy, int r, uint8_t c) {
  for (int j = -r; j <= r; ++j)
    for (int i = -r; i <= r; ++i)
      if (i * i + j * j <= r * r + r / 2) Set(cx + i, cy + j, c);
}

void Canvas::Line(int x0, int y0, int x1, int y1, uint8_t c) {
  const int dx = std::abs(x1 - x0), sx = x0 < x1 ? 1 : -1;
  const int dy = -std::abs(y1 - y0), sy = y0 < y1 ? 1 : -1;
  int err = dx + dy;
  for (;;) {
    Set(x0, y0, c);
    if (x0 == x1 && y0 == y1) break;
    const int e2 = 2 * err;
    if (e2 >= dy) {
      err += dy;
      x0 += sx;
    }
    if (e2 <= dx) {
      err += dx;
      y0 += sy;
    }
  }
}

int Canvas::TextWidth(const std::string& text, int scale) {
  return text.empty() ? 0 : (static_cast<int>(text.size()) * 6 - 1) * scale;
}

int Canvas::Text(int x, int y, const std::string& text, uint8_t c, int scale, uint8_t shadow) {
  return StretchedText(x, y, text, c, scale, scale, shadow);
}

int Canvas::StretchedText(int x, int y, const std::string& text, uint8_t c, int sx, int sy, uint8_t shadow) {
  int cx = x;
  for (char ch : text) {
    if (const uint8_t* rows = GlyphRows(ch)) {
      for (int r = 0; r < 7; ++r)
        for (int b = 0; b < 5; ++b) {
          if (!(rows[r] & (0x10 >> b))) continue;
          if (shadow) Fill(cx + (b + 1) * sx, y + (r + 1) * sy, sx, sy, shadow);
        }
      for (int r = 0; r < 7; ++r)
        for (int b = 0; b < 5; ++b)
          if (rows[r] & (0x10 >> b)) Fill(cx + b * sx, y + r * sy, sx, sy, c);
    }
    cx += 6 * sx;
  }
  return cx - x;
}

void Canvas::CentredText(int cx, int y, const std::string& text, uint8_t c, int scale, uint8_t shadow) {
  Text(cx - TextWidth(text, scale) / 2, y, text, c, scale, shadow);
}

void Canvas::Pict(int x, int y, const std::vector<std::string>& rows, std::initializer_list<PictKey> keys, int scale) {
  for (size_t j = 0; j < rows.size(); ++j)
    for (size_t i = 0; i < rows[j].size(); ++i) {
      const char ch = rows[j][i];
      if (ch == '.' || ch == ' ') continue;
      for (const PictKey& k : keys)
        if (k.first == ch) {
          Fill(x + static_cast<int>(i) * scale, y + static_cast<int>(j) * scale, scale, scale, k.second);
          break;
        }
    }
}

void Canvas::Paste(const fixture::Image8& src, int sx, int sy, int w, int h, int dx, int dy) {
  for (int j = 0; j < h; ++j)
    for (int i = 0; i < w; ++i) {
      const int x = sx + i, y = sy + j;
      if (x < 0 || y < 0 || x >= src.width || y >= src.height) continue;
      const uint8_t c = src.At(x, y);
      if (c) Set(dx + i, dy + j, c);
    }
}
