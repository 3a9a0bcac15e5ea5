#include "platform/text_engine.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_BITMAP_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <tuple>

#include "platform/font_match.h"
#include "platform/disk_name.h"
#include "platform/sjis.h"

namespace gfx {

// ---- Shift-JIS to Unicode ----

namespace {

// A character to draw: 0 for the control codes, which draw nothing.
uint32_t Drawn(unsigned code) {
  if (code < 0x20 || code == 0x7F) return 0;
  if (IsUserCode(code)) return UserCodeShown(code);
  return Cp932ToUnicode(code);
}

}  // namespace

std::vector<SjisChar> DecodeSjisText(const char* text, int count) {
  std::vector<SjisChar> out;
  if (!text || count <= 0) return out;
  const auto* p = reinterpret_cast<const unsigned char*>(text);
  out.reserve(static_cast<size_t>(count));
  for (int i = 0; i < count;) {
    if (IsSjisLeadByte(p[i])) {
      if (i + 1 >= count) break;  // a lead byte at the end is dropped
      if (IsSjisTrailByte(p[i + 1])) {
        out.push_back({Drawn(static_cast<unsigned>(p[i] << 8 | p[i + 1])), 2});
        i += 2;
        continue;
      }
      out.push_back({0, 1});
      ++i;
      continue;
    }
    out.push_back({Drawn(p[i]), 1});
    ++i;
  }
  return out;
}

// ---- Faces ----

namespace {

std::mutex g_ftMutex;  // the library and the opening of faces
FT_Library g_ft = nullptr;

FT_Library Library() {
  if (!g_ft) FT_Init_FreeType(&g_ft);
  return g_ft;
}

}  // namespace

struct TextFace::Impl {
  FT_Face face = nullptr;
  bool antialias = false;
  ~Impl() {
    std::lock_guard<std::mutex> lock(g_ftMutex);
    if (face) FT_Done_Face(face);
  }
};

TextFace::~TextFace() = default;

std::shared_ptr<TextFace> TextFace::Open(const char* face, int height, int width, bool antialias) {
  FontFileRef file;
  if (!MatchFontFace(face, &file)) return nullptr;
  using Key = std::tuple<std::string, int, int, int, bool>;
  static std::mutex registryMutex;
  // Faces stay open until the process ends: fonts are made again after a device reset and
  // keep their rendered glyphs.
  static std::map<Key, std::shared_ptr<TextFace>> registry;
  const Key key{file.path, file.index, height, width, antialias};
  std::lock_guard<std::mutex> registryLock(registryMutex);
  if (auto known = registry[key]) return known;

  std::shared_ptr<TextFace> tf(new TextFace);
  tf->impl_ = std::make_unique<Impl>();
  tf->impl_->antialias = antialias;
  std::lock_guard<std::mutex> lock(g_ftMutex);
  FT_Library lib = Library();
  if (!lib || FT_New_Face(lib, file.path.c_str(), file.index, &tf->impl_->face) != 0) return nullptr;
  FT_Face f = tf->impl_->face;

  if (!FT_IS_SCALABLE(f)) {
    // A bitmap-only font: the strike nearest the height asked for.
    const int want = height < 0 ? -height : (height == 0 ? 16 : height);
    int best = 0;
    for (int i = 1; i < f->num_fixed_sizes; ++i) {
      if (std::abs(f->available_sizes[i].height - want) < std::abs(f->available_sizes[best].height - want)) best = i;
    }
    if (f->num_fixed_sizes > 0) FT_Select_Size(f, best);
  } else {
    const int upem = f->units_per_EM > 0 ? f->units_per_EM : 2048;
    int asc = f->ascender, desc = -f->descender, avg = upem / 2;
    if (const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(f, FT_SFNT_OS2))) {
      if (os2->usWinAscent + os2->usWinDescent > 0) {
        asc = os2->usWinAscent;
        desc = os2->usWinDescent;
      }
      if (os2->xAvgCharWidth > 0) avg = os2->xAvgCharWidth;
    }
    if (asc + desc <= 0) asc = upem, desc = 0;
    // Windows: a positive height is the cell, ascent + descent; a negative one the em.
    const int cell = height == 0 ? 16 : height;
    const long em = height < 0 ? -height : std::lround(static_cast<double>(cell) * upem / (asc + desc));
    const long emX = width > 0 ? std::lround(static_cast<double>(width) * upem / avg) : em;
    FT_Set_Pixel_Sizes(f, static_cast<FT_UInt>(std::max(1L, emX)), static_cast<FT_UInt>(std::max(1L, em)));
    if (height > 0) {
      tf->ascent_ = static_cast<int>(std::lround(static_cast<double>(asc) * cell / (asc + desc)));
      tf->descent_ = cell - tf->ascent_;
    } else {
      tf->ascent_ = static_cast<int>(std::lround(static_cast<double>(asc) * em / upem));
      tf->descent_ = static_cast<int>(std::lround(static_cast<double>(desc) * em / upem));
    }
  }
  if (!FT_IS_SCALABLE(f) || tf->ascent_ + tf->descent_ <= 0) {
    tf->ascent_ = static_cast<int>(f->size->metrics.ascender >> 6);
    tf->descent_ = static_cast<int>(-(f->size->metrics.descender >> 6));
  }
  registry[key] = tf;
  return tf;
}

const Glyph& TextFace::GlyphOf(uint32_t code) {
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = glyphs_.find(code);
  if (it != glyphs_.end()) return it->second;
  Glyph& g = glyphs_[code];
  if (code == 0) return g;
  std::lock_guard<std::mutex> ftLock(g_ftMutex);
  FT_Face f = impl_->face;
  const FT_UInt index = FT_Get_Char_Index(f, code);
  const FT_Int32 target = impl_->antialias ? FT_LOAD_TARGET_NORMAL : FT_LOAD_TARGET_MONO;
  if (FT_Load_Glyph(f, index, FT_LOAD_DEFAULT | target) != 0) return g;
  FT_GlyphSlot slot = f->glyph;
  if (slot->format != FT_GLYPH_FORMAT_BITMAP &&
      FT_Render_Glyph(slot, impl_->antialias ? FT_RENDER_MODE_NORMAL : FT_RENDER_MODE_MONO) != 0) {
    return g;
  }
  ++renders_;
  g.advance = static_cast<int>((slot->advance.x + 32) >> 6);
  g.left = slot->bitmap_left;
  g.top = slot->bitmap_top;
  FT_Bitmap gray;
  FT_Bitmap_Init(&gray);
  const FT_Bitmap* bm = &slot->bitmap;
  const bool mono = bm->pixel_mode == FT_PIXEL_MODE_MONO;
  if (!mono && bm->pixel_mode != FT_PIXEL_MODE_GRAY) {
    if (FT_Bitmap_Convert(Library(), bm, &gray, 1) != 0) return g;
    bm = &gray;
  }
  g.width = static_cast<int>(bm->width);
  g.height = static_cast<int>(bm->rows);
  g.coverage.assign(static_cast<size_t>(g.width) * static_cast<size_t>(g.height), 0);
  const int levels = bm->num_grays > 1 ? bm->num_grays - 1 : 1;
  for (int y = 0; y < g.height; ++y) {
    const unsigned char* row = bm->buffer + static_cast<ptrdiff_t>(y) * bm->pitch;
    for (int x = 0; x < g.width; ++x) {
      uint8_t a;
      if (mono) {
        a = (row[x >> 3] & (0x80 >> (x & 7))) ? 255 : 0;
      } else if (bm == &gray && levels != 255) {
        a = static_cast<uint8_t>(std::min(255, row[x] * 255 / levels));
      } else {
        a = row[x];
      }
      g.coverage[static_cast<size_t>(y) * static_cast<size_t>(g.width) + static_cast<size_t>(x)] = a;
    }
  }
  FT_Bitmap_Done(Library(), &gray);
  return g;
}

int TextFace::TextWidth(const char* text, int count) {
  int w = 0;
  for (const SjisChar& c : DecodeSjisText(text, count)) w += GlyphOf(c.code).advance;
  return w;
}

}  // namespace gfx
