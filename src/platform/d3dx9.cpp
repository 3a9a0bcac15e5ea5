#include "platform/d3dx9.h"

#include <algorithm>
#include <atomic>
#include <vector>

#include "platform/bmp.h"

HRESULT D3DXCreateTexture(IDirect3DDevice9* pDevice, UINT Width, UINT Height, UINT, DWORD Usage, D3DFORMAT Format,
                          D3DPOOL Pool, IDirect3DTexture9** ppTexture) {
  if (!pDevice || !ppTexture) return D3DERR_INVALIDCALL;
  if (Width == D3DX_DEFAULT || Width == 0) Width = 256;
  if (Height == D3DX_DEFAULT || Height == 0) Height = 256;
  return pDevice->CreateTexture(Width, Height, 1, Usage, Format, Pool, ppTexture, nullptr);
}

HRESULT D3DXCreateTextureFromFileExA(IDirect3DDevice9* pDevice, const char* pSrcFile, UINT Width, UINT Height, UINT,
                                     DWORD Usage, D3DFORMAT Format, D3DPOOL Pool, DWORD, DWORD, D3DCOLOR ColorKey,
                                     D3DXIMAGE_INFO* pSrcInfo, PALETTEENTRY*, IDirect3DTexture9** ppTexture) {
  if (!pDevice || !ppTexture) return D3DERR_INVALIDCALL;
  *ppTexture = nullptr;
  gfx::Dib dib;
  if (!gfx::LoadBmpFile(pSrcFile, &dib)) return D3DXERR_INVALIDDATA;
  if (Width == D3DX_DEFAULT || Width == 0) Width = static_cast<UINT>(dib.width);
  if (Height == D3DX_DEFAULT || Height == 0) Height = static_cast<UINT>(dib.height);
  if (Format == D3DFMT_UNKNOWN) Format = D3DFMT_X8R8G8B8;
  IDirect3DTexture9* tex = nullptr;
  const HRESULT hr = pDevice->CreateTexture(Width, Height, 1, Usage, Format, Pool, &tex, nullptr);
  if (FAILED(hr)) return hr;
  gfx::PixelBuffer& px = tex->level->pixels;
  const int w = std::min(px.width, dib.width), h = std::min(px.height, dib.height);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      uint32_t c = 0xFF000000u | dib.ColorAt(x, y);
      if (ColorKey != 0 && c == ColorKey) c = 0;
      px.Set(x, y, gfx::NarrowFromArgb(px.format, c));
    }
  }
  if (pSrcInfo) {
    *pSrcInfo = D3DXIMAGE_INFO{static_cast<UINT>(dib.width), static_cast<UINT>(dib.height), 1, 1, D3DFMT_X8R8G8B8};
  }
  *ppTexture = tex;
  return D3D_OK;
}

// ---- Sprite ----

namespace {

class Sprite : public ID3DXSprite {
 public:
  explicit Sprite(IDirect3DDevice9* device) : device_(device) { device_->AddRef(); }

  HRESULT Begin(DWORD Flags) override {
    if (active_) return D3DERR_INVALIDCALL;
    active_ = true;
    flags_ = Flags;
    return D3D_OK;
  }

  HRESULT Draw(IDirect3DTexture9* pTexture, const RECT* pSrcRect, const D3DXVECTOR3* pCenter,
               const D3DXVECTOR3* pPosition, D3DCOLOR Color) override {
    if (!active_ || !pTexture) return D3DERR_INVALIDCALL;
    Item item;
    item.texture = pTexture;
    pTexture->AddRef();
    const gfx::PixelBuffer& px = pTexture->level->pixels;
    item.src = pSrcRect ? *pSrcRect : RECT{0, 0, px.width, px.height};
    item.x = (pPosition ? pPosition->x : 0.0f) - (pCenter ? pCenter->x : 0.0f);
    item.y = (pPosition ? pPosition->y : 0.0f) - (pCenter ? pCenter->y : 0.0f);
    item.color = Color;
    queue_.push_back(item);
    return D3D_OK;
  }

  HRESULT Flush() override {
    if (!active_) return D3DERR_INVALIDCALL;
    std::vector<Item> items;
    items.swap(queue_);
    if (flags_ & D3DXSPRITE_SORT_TEXTURE) {
      std::vector<IDirect3DTexture9*> order;
      for (const Item& it : items) {
        if (std::find(order.begin(), order.end(), it.texture) == order.end()) order.push_back(it.texture);
      }
      std::stable_sort(items.begin(), items.end(), [&](const Item& a, const Item& b) {
        return std::find(order.begin(), order.end(), a.texture) < std::find(order.begin(), order.end(), b.texture);
      });
    }
    gfx::RasterState st;
    st.colorOp = gfx::kTopModulate;
    st.colorArg1 = gfx::kTaTexture;
    st.colorArg2 = gfx::kTaDiffuse;
    st.alphaOp = gfx::kTopModulate;
    st.alphaArg1 = gfx::kTaTexture;
    st.alphaArg2 = gfx::kTaDiffuse;
    st.blend = (flags_ & D3DXSPRITE_ALPHABLEND) != 0;
    st.srcBlend = gfx::kBlendSrcAlpha;
    st.destBlend = gfx::kBlendInvSrcAlpha;
    HRESULT result = D3D_OK;
    for (const Item& it : items) {
      const gfx::PixelBuffer& px = it.texture->level->pixels;
      const float tw = static_cast<float>(px.width), th = static_cast<float>(px.height);
      const float w = static_cast<float>(it.src.right - it.src.left), h = static_cast<float>(it.src.bottom - it.src.top);
      const float l = it.x - 0.5f, t = it.y - 0.5f;
      const float u0 = static_cast<float>(it.src.left) / tw, u1 = static_cast<float>(it.src.right) / tw;
      const float v0 = static_cast<float>(it.src.top) / th, v1 = static_cast<float>(it.src.bottom) / th;
      const gfx::Vertex quad[4] = {
          {l, t, 0, 1, it.color, u0, v0},
          {l, t + h, 0, 1, it.color, u0, v1},
          {l + w, t, 0, 1, it.color, u1, v0},
          {l + w, t + h, 0, 1, it.color, u1, v1},
      };
      const HRESULT hr = device_->DrawWithStates(&px, st, quad, 2);
      if (FAILED(hr)) result = hr;
      it.texture->Release();
    }
    return result;
  }

  HRESULT End() override {
    if (!active_) return D3DERR_INVALIDCALL;
    const HRESULT hr = Flush();
    active_ = false;
    return hr;
  }

  HRESULT OnLostDevice() override { return D3D_OK; }
  HRESULT OnResetDevice() override { return D3D_OK; }

 protected:
  ~Sprite() override {
    for (const Item& it : queue_) it.texture->Release();
    device_->Release();
  }

 private:
  struct Item {
    IDirect3DTexture9* texture = nullptr;
    RECT src{};
    float x = 0;
    float y = 0;
    D3DCOLOR color = 0;
  };

  IDirect3DDevice9* device_;
  bool active_ = false;
  DWORD flags_ = 0;
  std::vector<Item> queue_;
};

// The font without a text engine.
class NullFont : public ID3DXFont {
 public:
  INT DrawTextA(ID3DXSprite*, const char*, INT, RECT* pRect, DWORD Format, D3DCOLOR) override {
    if (pRect && (Format & DT_CALCRECT)) {
      pRect->right = pRect->left;
      pRect->bottom = pRect->top;
    }
    return 0;
  }
  HRESULT OnLostDevice() override { return D3D_OK; }
  HRESULT OnResetDevice() override { return D3D_OK; }
};

std::atomic<D3DXFontFactory> g_fontFactory{nullptr};

}  // namespace

HRESULT D3DXCreateSprite(IDirect3DDevice9* pDevice, ID3DXSprite** ppSprite) {
  if (!pDevice || !ppSprite) return D3DERR_INVALIDCALL;
  *ppSprite = new Sprite(pDevice);
  return D3D_OK;
}

void SetD3DXFontFactory(D3DXFontFactory factory) { g_fontFactory.store(factory); }

HRESULT D3DXCreateFontIndirectA(IDirect3DDevice9* pDevice, const D3DXFONT_DESCA* pDesc, ID3DXFont** ppFont) {
  if (!pDevice || !pDesc || !ppFont) return D3DERR_INVALIDCALL;
  D3DXFontFactory factory = g_fontFactory.load();
  if (factory) return factory(pDevice, pDesc, ppFont);
  *ppFont = new NullFont;
  return D3D_OK;
}
