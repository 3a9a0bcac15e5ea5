// Stands in for the D3DX utility library: textures made empty or from BMP files, the sprite
// batch, and the font, whose text engine plugs in through SetD3DXFontFactory.
#pragma once

#include "platform/d3d9.h"
#include "platform/gdi.h"

constexpr UINT D3DX_DEFAULT = 0xFFFFFFFFu;
constexpr DWORD D3DX_FILTER_NONE = 0x00000001;
constexpr HRESULT D3DXERR_INVALIDDATA = static_cast<HRESULT>(0x88760B59u);

constexpr DWORD D3DXSPRITE_ALPHABLEND = 0x00000010;
constexpr DWORD D3DXSPRITE_SORT_TEXTURE = 0x00000020;

// DrawText formats.
constexpr DWORD DT_LEFT = 0x00000000;
constexpr DWORD DT_NOCLIP = 0x00000100;
constexpr DWORD DT_CALCRECT = 0x00000400;

struct D3DXVECTOR3 {
  FLOAT x;
  FLOAT y;
  FLOAT z;
};

struct D3DXIMAGE_INFO {
  UINT Width;
  UINT Height;
  UINT Depth;
  UINT MipLevels;
  D3DFORMAT Format;
};

// Stands in for D3DXCreateTexture: IDirect3DDevice9::CreateTexture with D3DX_DEFAULT sizes
// taken as 256 and any level count as one.
HRESULT D3DXCreateTexture(IDirect3DDevice9* pDevice, UINT Width, UINT Height, UINT MipLevels, DWORD Usage,
                          D3DFORMAT Format, D3DPOOL Pool, IDirect3DTexture9** ppTexture);

// Stands in for D3DXCreateTextureFromFileExA for BMP files: a texture of the size asked for
// (D3DX_DEFAULT or 0: the picture's size) with the picture at its top-left corner, unscaled
// whatever the filter, and every texel outside the picture transparent black (0). Each pixel is
// taken as the opaque colour 0xFFRRGGBB; one equal to a non-zero ColorKey becomes transparent
// black; then it is narrowed to the texture format (pixels.h). pSrcInfo receives the picture's
// size; pPalette is not written. A file that is missing or not a readable BMP gives
// D3DXERR_INVALIDDATA; the device's errors (D3DERR_OUTOFVIDEOMEMORY...) are passed on.
HRESULT D3DXCreateTextureFromFileExA(IDirect3DDevice9* pDevice, const char* pSrcFile, UINT Width, UINT Height,
                                     UINT MipLevels, DWORD Usage, D3DFORMAT Format, D3DPOOL Pool, DWORD Filter,
                                     DWORD MipFilter, D3DCOLOR ColorKey, D3DXIMAGE_INFO* pSrcInfo,
                                     PALETTEENTRY* pPalette, IDirect3DTexture9** ppTexture);

// Stands in for ID3DXSprite: Draw queues a rectangle of a texture; Flush and End draw the queue
// into the device's render target (inside a scene), with the texture modulated by the colour
// in all four channels and, with D3DXSPRITE_ALPHABLEND, the device's alpha blend. The device's
// own states are neither used nor changed. D3DXSPRITE_SORT_TEXTURE draws the queue grouped by
// texture, the groups in the order of their first sprite, each in queue order. A sprite is drawn
// like a blit: for a whole-number position texel (left + i, top + j) of the rectangle lands on
// pixel (position − center + (i, j)).
class ID3DXSprite : public IUnknown {
 public:
  virtual HRESULT Begin(DWORD Flags) = 0;
  virtual HRESULT Draw(IDirect3DTexture9* pTexture, const RECT* pSrcRect, const D3DXVECTOR3* pCenter,
                       const D3DXVECTOR3* pPosition, D3DCOLOR Color) = 0;
  virtual HRESULT Flush() = 0;
  virtual HRESULT End() = 0;
  virtual HRESULT OnLostDevice() = 0;
  virtual HRESULT OnResetDevice() = 0;
};

HRESULT D3DXCreateSprite(IDirect3DDevice9* pDevice, ID3DXSprite** ppSprite);

struct D3DXFONT_DESCA {
  INT Height;
  UINT Width;
  UINT Weight;
  UINT MipLevels;
  BOOL Italic;
  BYTE CharSet;
  BYTE OutputPrecision;
  BYTE Quality;
  BYTE PitchAndFamily;
  char FaceName[32];
};

// Stands in for ID3DXFont. DrawTextA draws count bytes of Shift-JIS text (−1: up to the zero)
// at pRect through the sprite (null: the font's own), or with DT_CALCRECT measures it into
// pRect; it returns the height of the text. As on the real device, OnLostDevice must release
// every texture of the default pool the font holds: a device reset fails while one is alive.
class ID3DXFont : public IUnknown {
 public:
  virtual INT DrawTextA(ID3DXSprite* pSprite, const char* pString, INT Count, RECT* pRect, DWORD Format,
                        D3DCOLOR Color) = 0;
  virtual HRESULT OnLostDevice() = 0;
  virtual HRESULT OnResetDevice() = 0;
};

// The text engine makes the fonts. Without one, D3DXCreateFontIndirectA gives a font that
// draws nothing and measures an empty rectangle.
using D3DXFontFactory = HRESULT (*)(IDirect3DDevice9* pDevice, const D3DXFONT_DESCA* pDesc, ID3DXFont** ppFont);
void SetD3DXFontFactory(D3DXFontFactory factory);

HRESULT D3DXCreateFontIndirectA(IDirect3DDevice9* pDevice, const D3DXFONT_DESCA* pDesc, ID3DXFont** ppFont);
