// The text engine under the graphics device: Shift-JIS text drawn and measured with FreeType
// faces found through fontconfig, for the GDI text calls (TextOutA, GetTextExtentPoint32A) and
// the D3DX font (DrawTextA and its measuring).
//
// Sizes follow the Windows convention: a negative height is the character (em) height in
// pixels, a positive one the cell height (ascent + descent), 0 a cell of 16 pixels; a non-zero
// width is the average character width. A text's width is the sum of the advances FreeType
// gives at that size; its height is the cell height. Glyphs are rendered once per face and
// size and kept; embedded bitmap strikes are used at the sizes a font has them.
//
// GDI text (DirectDraw surfaces) is drawn without anti-aliasing unless the font asks for
// ANTIALIASED_QUALITY, so that text on colour-keyed surfaces keeps clean edges; D3DX text is
// anti-aliased through the alpha channel.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace gfx {

// One character of a Shift-JIS text: its Unicode code point (0: draws nothing) and its bytes.
struct SjisChar {
  uint32_t code = 0;
  int bytes = 1;
};
// The characters of count bytes of Shift-JIS text: a lead byte with a trail byte is one
// character; a lead byte at the end is dropped; bytes that code page 932 does not define and
// control codes draw nothing.
std::vector<SjisChar> DecodeSjisText(const char* text, int count);

// A rendered glyph: coverage 0..255 per pixel, placed relative to the pen on the baseline.
struct Glyph {
  int left = 0;  // pen x to the bitmap's left column
  int top = 0;   // baseline to the bitmap's top row (upward)
  int width = 0;
  int height = 0;
  int advance = 0;
  std::vector<uint8_t> coverage;
};

// A face at one size and rendering mode, shared by every font that asks for the same.
class TextFace {
 public:
  // face: Shift-JIS Windows face name; height, width: the Windows convention above. Null when
  // no font can be found.
  static std::shared_ptr<TextFace> Open(const char* face, int height, int width, bool antialias);
  ~TextFace();
  TextFace(const TextFace&) = delete;
  TextFace& operator=(const TextFace&) = delete;

  int Ascent() const { return ascent_; }
  int CellHeight() const { return ascent_ + descent_; }
  // The glyph of a code point (rendered on first use; an empty glyph for 0).
  const Glyph& GlyphOf(uint32_t code);
  // The sum of the advances of the text's characters.
  int TextWidth(const char* text, int count);
  // How many glyphs FreeType has rendered for this face (the cache's misses).
  int RenderCount() const { return renders_; }

  // Calls plot(x, y, coverage) for each covered pixel of the text with its cell's top-left
  // corner at (x, y); "\n" is not special here.
  template <typename Plot>
  void Render(const char* text, int count, int x, int y, Plot plot) {
    int pen = x;
    const int base = y + ascent_;
    for (const SjisChar& c : DecodeSjisText(text, count)) {
      const Glyph& g = GlyphOf(c.code);
      for (int j = 0; j < g.height; ++j) {
        for (int i = 0; i < g.width; ++i) {
          const uint8_t a = g.coverage[static_cast<size_t>(j) * static_cast<size_t>(g.width) + static_cast<size_t>(i)];
          if (a) plot(pen + g.left + i, base - g.top + j, a);
        }
      }
      pen += g.advance;
    }
  }

 private:
  TextFace() = default;
  struct Impl;
  std::unique_ptr<Impl> impl_;
  std::mutex mutex_;
  std::map<uint32_t, Glyph> glyphs_;
  int ascent_ = 0;
  int descent_ = 0;
  int renders_ = 0;
};

// Installs the engine behind the GDI text calls and D3DXCreateFontIndirectA (SetGdiTextEngine
// and SetD3DXFontFactory with null take it out again).
void UseTextEngine();

}  // namespace gfx
