// The text engine's two outlets: the GDI text calls on device-context pixels, and the D3DX font,
// which keeps its glyphs in textures and draws them through a sprite.
#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <vector>

#include "platform/d3dx9.h"
#include "platform/gdi.h"
#include "platform/text_engine.h"

namespace gfx {
namespace {

constexpr int kAntialiasedQuality = 4;
constexpr int kClearTypeQuality = 5;

// ---- GDI ----

class GdiEngine : public GdiTextEngine {
 public:
  BOOL TextOut(HDC hdc, int x, int y, const char* text, int count) override {
    DcInfo info;
    if (!GetDcInfo(hdc, &info)) return FALSE;
    std::shared_ptr<TextFace> face = FaceOf(info);
    if (!face || !info.pixels || info.pixels->Empty()) return TRUE;
    PixelBuffer& px = *info.pixels;
    if (info.bkMode == OPAQUE) {
      px.Fill(x, y, x + face->TextWidth(text, count), y + face->CellHeight(), ColorToPixel(info, RGB(255, 255, 255)));
    }
    const uint32_t pixel = ColorToPixel(info, info.textColor);
    const uint32_t argb = 0xFF000000u | WidenToArgb(PixelFormat::kX8R8G8B8,
                                                    (info.textColor & 0xFF) << 16 | (info.textColor & 0xFF00) |
                                                        ((info.textColor >> 16) & 0xFF));
    face->Render(text, count, x, y, [&](int px0, int py0, uint8_t a) {
      if (px0 < 0 || py0 < 0 || px0 >= px.width || py0 >= px.height) return;
      if (a == 255 || px.format == PixelFormat::kIndex8) {
        if (a >= 128) px.Set(px0, py0, pixel);
        return;
      }
      const uint32_t d = WidenToArgb(px.format, px.Get(px0, py0));
      uint32_t out = 0xFF000000u;
      for (int s = 0; s < 24; s += 8) out |= BlendChannel((argb >> s) & 0xFF, (d >> s) & 0xFF, a) << s;
      px.Set(px0, py0, NarrowFromArgb(px.format, out));
    });
    return TRUE;
  }

  BOOL GetTextExtent(HDC hdc, const char* text, int count, SIZE* size) override {
    DcInfo info;
    if (!GetDcInfo(hdc, &info)) return FALSE;
    std::shared_ptr<TextFace> face = FaceOf(info);
    size->cx = face ? face->TextWidth(text, count) : 0;
    size->cy = face ? face->CellHeight() : 0;
    return TRUE;
  }

 private:
  static std::shared_ptr<TextFace> FaceOf(const DcInfo& info) {
    const GdiFontDesc* d = GetFontDesc(info.font);
    if (!d) return nullptr;
    const bool aa = (d->quality == kAntialiasedQuality || d->quality == kClearTypeQuality) && info.pixels &&
                    info.pixels->format != PixelFormat::kIndex8;
    return TextFace::Open(d->faceName, d->height, d->width, aa);
  }
};

// ---- D3DX ----

// Glyphs as white texels with their coverage as alpha, on pages of 256 × 256 texels (larger
// for larger glyphs), placed row by row.
class GlyphAtlas {
 public:
  struct Slot {
    IDirect3DTexture9* texture = nullptr;
    RECT rect{};
  };

  explicit GlyphAtlas(IDirect3DDevice9* device) : device_(device) {}
  ~GlyphAtlas() {
    for (IDirect3DTexture9* t : pages_) t->Release();
  }

  const Slot* Place(uint32_t code, const Glyph& g) {
    auto it = slots_.find(code);
    if (it != slots_.end()) return &it->second;
    if (!pages_.empty() && (x_ + g.width > pageSide_ || y_ + std::max(rowHeight_, g.height) > pageSide_)) {
      x_ = 0;
      y_ += rowHeight_;
      rowHeight_ = 0;
    }
    if (pages_.empty() || y_ + g.height > pageSide_ || g.width > pageSide_) {
      int side = 256;
      while (side < g.width || side < g.height) side *= 2;
      IDirect3DTexture9* tex = nullptr;
      if (FAILED(device_->CreateTexture(static_cast<UINT>(side), static_cast<UINT>(side), 1, 0, D3DFMT_A8R8G8B8,
                                        D3DPOOL_MANAGED, &tex, nullptr))) {
        return nullptr;
      }
      pages_.push_back(tex);
      pageSide_ = side;
      x_ = y_ = rowHeight_ = 0;
    }
    IDirect3DTexture9* tex = pages_.back();
    PixelBuffer& px = tex->level->pixels;
    for (int j = 0; j < g.height; ++j) {
      for (int i = 0; i < g.width; ++i) {
        const uint32_t a = g.coverage[static_cast<size_t>(j) * static_cast<size_t>(g.width) + static_cast<size_t>(i)];
        px.Set(x_ + i, y_ + j, a << 24 | 0x00FFFFFFu);
      }
    }
    Slot& s = slots_[code];
    s.texture = tex;
    s.rect = RECT{x_, y_, x_ + g.width, y_ + g.height};
    x_ += g.width;
    rowHeight_ = std::max(rowHeight_, g.height);
    return &s;
  }

 private:
  IDirect3DDevice9* device_;
  std::vector<IDirect3DTexture9*> pages_;
  std::map<uint32_t, Slot> slots_;
  int pageSide_ = 0;
  int x_ = 0;
  int y_ = 0;
  int rowHeight_ = 0;
};

// Text is anti-aliased through the alpha channel. A target whose alpha has one bit would keep
// only the glyphs' solid middles, so on such targets the glyphs are drawn without
// anti-aliasing, whole.
class EngineFont : public ID3DXFont {
 public:
  EngineFont(IDirect3DDevice9* device, std::shared_ptr<TextFace> face, std::shared_ptr<TextFace> solid)
      : device_(device), face_(std::move(face)), solid_(std::move(solid)), atlas_(device) {
    device_->AddRef();
  }

  INT DrawTextA(ID3DXSprite* pSprite, const char* pString, INT Count, RECT* pRect, DWORD Format,
                D3DCOLOR Color) override {
    if (!pString || !pRect) return 0;
    const int count = Count < 0 ? static_cast<int>(std::strlen(pString)) : Count;
    // The lines of the text and its size.
    std::vector<std::pair<int, int>> lines;  // start, length
    for (int start = 0;;) {
      const void* nl = std::memchr(pString + start, '\n', static_cast<size_t>(count - start));
      const int end = nl ? static_cast<int>(static_cast<const char*>(nl) - pString) : count;
      lines.emplace_back(start, end - start);
      if (!nl) break;
      start = end + 1;
    }
    const int cell = face_->CellHeight();
    const int height = cell * static_cast<int>(lines.size());
    if (Format & DT_CALCRECT) {
      int width = 0;
      for (const auto& [start, len] : lines) width = std::max(width, face_->TextWidth(pString + start, len));
      pRect->right = pRect->left + width;
      pRect->bottom = pRect->top + height;
      return height;
    }
    IDirect3DSurface9* target = device_->renderTarget();
    const bool oneBitAlpha = target && target->desc.Format == D3DFMT_A1R5G5B5;
    TextFace& face = oneBitAlpha ? *solid_ : *face_;
    const uint32_t atlasKey = oneBitAlpha ? 0x80000000u : 0u;
    ID3DXSprite* sprite = pSprite;
    if (!sprite) {
      if (FAILED(D3DXCreateSprite(device_, &sprite))) return 0;
      sprite->Begin(D3DXSPRITE_ALPHABLEND);
    }
    for (size_t l = 0; l < lines.size(); ++l) {
      int pen = pRect->left;
      const int base = pRect->top + cell * static_cast<int>(l) + face.Ascent();
      for (const SjisChar& c : DecodeSjisText(pString + lines[l].first, lines[l].second)) {
        const Glyph& g = face.GlyphOf(c.code);
        if (g.width > 0 && g.height > 0) {
          if (const GlyphAtlas::Slot* s = atlas_.Place(c.code | atlasKey, g)) {
            const D3DXVECTOR3 pos{static_cast<FLOAT>(pen + g.left), static_cast<FLOAT>(base - g.top), 0.0f};
            sprite->Draw(s->texture, &s->rect, nullptr, &pos, Color);
          }
        }
        pen += g.advance;
      }
    }
    if (!pSprite) {
      sprite->End();
      sprite->Release();
    }
    return height;
  }

  HRESULT OnLostDevice() override { return D3D_OK; }  // the glyph pages live in the managed pool
  HRESULT OnResetDevice() override { return D3D_OK; }

 protected:
  ~EngineFont() override { device_->Release(); }

 private:
  IDirect3DDevice9* device_;
  std::shared_ptr<TextFace> face_;
  std::shared_ptr<TextFace> solid_;
  GlyphAtlas atlas_;
};

HRESULT CreateEngineFont(IDirect3DDevice9* pDevice, const D3DXFONT_DESCA* pDesc, ID3DXFont** ppFont) {
  char face[sizeof pDesc->FaceName + 1] = {};
  std::memcpy(face, pDesc->FaceName, sizeof pDesc->FaceName);
  std::shared_ptr<TextFace> tf = TextFace::Open(face, pDesc->Height, static_cast<int>(pDesc->Width), true);
  std::shared_ptr<TextFace> solid = TextFace::Open(face, pDesc->Height, static_cast<int>(pDesc->Width), false);
  if (!tf || !solid) return D3DXERR_INVALIDDATA;
  *ppFont = new EngineFont(pDevice, std::move(tf), std::move(solid));
  return D3D_OK;
}

}  // namespace

void UseTextEngine() {
  static GdiEngine engine;
  SetGdiTextEngine(&engine);
  SetD3DXFontFactory(&CreateEngineFont);
}

}  // namespace gfx
