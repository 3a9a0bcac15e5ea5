#include "platform/d3dx9.h"

#include <gtest/gtest.h>

#include "bmp_builder.h"
#include "device_fixture.h"
#include "support/temp_dir.h"

namespace {

using D3DXTest = DeviceTest;

// A 3 × 2 8-bit picture whose top-left pixel has the key colour magenta.
std::string KeyedPicture() {
  BmpSpec s;
  s.width = 3;
  s.height = 2;
  s.bitCount = 8;
  s.palette = {0xFF00FF, 0x102030, 0xFFFFFF};
  s.clrUsed = 3;
  s.data = PackRows(8, 3, 2, {0, 1, 2, 2, 1, 0});
  return BuildBmp(s);
}

TEST_F(D3DXTest, TextureFromFileKeysAndPadsWithTransparentBlack) {
  TempDir dir;
  const std::string file = WriteBmp(dir.path(), "pic.bmp", KeyedPicture());
  struct Row {
    D3DFORMAT format;
    D3DPOOL pool;
    DWORD usage;
    std::vector<uint32_t> expect;  // 4 × 4 texels
  };
  const Row rows[] = {
      {D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, 0,
       {0, 0xFF102030, 0xFFFFFFFF, 0, 0xFFFFFFFF, 0xFF102030, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
      {D3DFMT_A1R5G5B5, D3DPOOL_SYSTEMMEM, D3DUSAGE_DYNAMIC,
       {0, 0x8886, 0xFFFF, 0, 0xFFFF, 0x8886, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.format);
    IDirect3DTexture9* t = nullptr;
    D3DXIMAGE_INFO info{};
    ASSERT_EQ(D3DXCreateTextureFromFileExA(dev, file.c_str(), 4, 4, 1, r.usage, r.format, r.pool, D3DX_FILTER_NONE,
                                           D3DX_DEFAULT, 0xFFFF00FF, &info, nullptr, &t),
              D3D_OK);
    EXPECT_EQ(info.Width, 3u);
    EXPECT_EQ(info.Height, 2u);
    D3DLOCKED_RECT lr{};
    ASSERT_EQ(t->LockRect(0, &lr, nullptr, 0), D3D_OK);
    std::vector<uint32_t> got;
    const int bpp = r.format == D3DFMT_A8R8G8B8 ? 4 : 2;
    for (int y = 0; y < 4; ++y) {
      for (int x = 0; x < 4; ++x) {
        uint32_t v = 0;
        std::memcpy(&v, static_cast<uint8_t*>(lr.pBits) + y * lr.Pitch + x * bpp, static_cast<size_t>(bpp));
        got.push_back(v);
      }
    }
    t->UnlockRect(0);
    t->Release();
    EXPECT_EQ(got, r.expect) << PixelList(got);
  }
}

TEST_F(D3DXTest, TextureFromFileSizesAndFailures) {
  TempDir dir;
  const std::string file = WriteBmp(dir.path(), "pic.bmp", KeyedPicture());
  IDirect3DTexture9* t = nullptr;
  ASSERT_EQ(D3DXCreateTextureFromFileExA(dev, file.c_str(), D3DX_DEFAULT, D3DX_DEFAULT, 1, 0, D3DFMT_A8R8G8B8,
                                         D3DPOOL_MANAGED, D3DX_FILTER_NONE, D3DX_DEFAULT, 0, nullptr, nullptr, &t),
            D3D_OK);
  D3DSURFACE_DESC d{};
  t->GetLevelDesc(0, &d);
  EXPECT_EQ(d.Width, 3u);
  EXPECT_EQ(d.Height, 2u);
  t->Release();

  const std::string missing = dir.path() + "/none.bmp";
  EXPECT_EQ(D3DXCreateTextureFromFileExA(dev, missing.c_str(), 4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED,
                                         D3DX_FILTER_NONE, D3DX_DEFAULT, 0, nullptr, nullptr, &t),
            D3DXERR_INVALIDDATA);
  gfx::SetVideoMemoryBudgetForTest(0);
  EXPECT_EQ(D3DXCreateTextureFromFileExA(dev, file.c_str(), 4, 4, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8,
                                         D3DPOOL_DEFAULT, D3DX_FILTER_NONE, D3DX_DEFAULT, 0, nullptr, nullptr, &t),
            D3DERR_OUTOFVIDEOMEMORY);
  EXPECT_EQ(t, nullptr);
}

TEST_F(D3DXTest, EmptyTexture) {
  IDirect3DTexture9* t = nullptr;
  ASSERT_EQ(D3DXCreateTexture(dev, 100, 40, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &t), D3D_OK);
  D3DSURFACE_DESC d{};
  t->GetLevelDesc(0, &d);
  EXPECT_EQ(d.Width, 100u);  // no power-of-two rounding on this device
  EXPECT_EQ(d.Height, 40u);
  EXPECT_EQ(d.Usage, D3DUSAGE_RENDERTARGET);
  t->Release();
}

TEST_F(D3DXTest, SpriteModulatesBlendsAndGroupsByTexture) {
  auto target = Target(D3DFMT_A8R8G8B8, 4, 1, 0xFF000000);
  dev->SetRenderTarget(0, Level(target.get()));
  auto red = Texture(D3DFMT_A8R8G8B8, 2, 1, {0xFFFF0000, 0x00FF0000});
  auto blue = Texture(D3DFMT_A8R8G8B8, 1, 1, {0xFF0000FF});
  ID3DXSprite* sprite = nullptr;
  ASSERT_EQ(D3DXCreateSprite(dev, &sprite), D3D_OK);
  const D3DXVECTOR3 at0{0, 0, 0}, at2{2, 0, 0}, at3{3, 0, 0};
  EXPECT_EQ(sprite->Draw(red.get(), nullptr, nullptr, &at0, 0xFFFFFFFF), D3DERR_INVALIDCALL);  // not begun
  ASSERT_EQ(sprite->Begin(D3DXSPRITE_ALPHABLEND | D3DXSPRITE_SORT_TEXTURE), D3D_OK);
  EXPECT_EQ(sprite->Begin(D3DXSPRITE_ALPHABLEND), D3DERR_INVALIDCALL);
  // Queued red, blue, red: the groups are red (both), then blue, so blue lands last on pixel 3.
  ASSERT_EQ(sprite->Draw(red.get(), nullptr, nullptr, &at0, 0xFFFFFFFF), D3D_OK);
  ASSERT_EQ(sprite->Draw(blue.get(), nullptr, nullptr, &at3, 0x80FFFFFF), D3D_OK);
  const RECT first{0, 0, 1, 1};
  ASSERT_EQ(sprite->Draw(red.get(), &first, nullptr, &at3, 0xFF808080), D3D_OK);
  ASSERT_EQ(sprite->Draw(red.get(), &first, nullptr, &at2, 0xFFFFFFFF), D3D_OK);
  ASSERT_EQ(sprite->End(), D3D_OK);
  const std::vector<uint32_t> got = Read(target.get());
  EXPECT_EQ(got[0], 0xFFFF0000u);
  EXPECT_EQ(got[1], 0xFF000000u);  // the transparent texel
  EXPECT_EQ(got[2], 0xFFFF0000u);
  // Pixel 3: red at half brightness (round(255 × 128 / 255) = 0x80), then blue at half alpha
  // over it: A round((128 × 128 + 255 × 127) / 255) = 0xBF, R round(128 × 127 / 255) = 0x40
  // (63.75, cut 0x3F), B 0x80.
  EXPECT_EQ(got[3], 0xBF400080u) << PixelList(got);
  sprite->Release();
}

TEST_F(D3DXTest, SpriteDrawsOnlyInsideAScene) {
  auto tex = Texture(D3DFMT_A8R8G8B8, 1, 1, {0xFFFFFFFF});
  ID3DXSprite* sprite = nullptr;
  ASSERT_EQ(D3DXCreateSprite(dev, &sprite), D3D_OK);
  dev->EndScene();
  ASSERT_EQ(sprite->Begin(D3DXSPRITE_ALPHABLEND), D3D_OK);
  ASSERT_EQ(sprite->Draw(tex.get(), nullptr, nullptr, nullptr, 0xFFFFFFFF), D3D_OK);
  EXPECT_EQ(sprite->End(), D3DERR_INVALIDCALL);
  sprite->Release();
  dev->BeginScene();
}

ID3DXFont* g_made = nullptr;
HRESULT FakeFactory(IDirect3DDevice9*, const D3DXFONT_DESCA* desc, ID3DXFont** out) {
  EXPECT_STREQ(desc->FaceName, "face");
  EXPECT_EQ(desc->Height, 16);
  *out = g_made;
  return D3D_OK;
}

TEST_F(D3DXTest, FontComesFromTheTextEngine) {
  D3DXFONT_DESCA desc{};
  desc.Height = 16;
  desc.Weight = 400;
  desc.CharSet = 128;
  std::strcpy(desc.FaceName, "face");
  ID3DXFont* font = nullptr;
  ASSERT_EQ(D3DXCreateFontIndirectA(dev, &desc, &font), D3D_OK);  // no engine: a font that draws nothing
  RECT r{5, 6, 100, 100};
  EXPECT_EQ(font->DrawTextA(nullptr, "abc", -1, &r, DT_CALCRECT, 0xFFFFFFFF), 0);
  EXPECT_EQ(r.right, 5);
  EXPECT_EQ(r.bottom, 6);
  ID3DXFont* nullFont = font;
  SetD3DXFontFactory(&FakeFactory);
  g_made = nullFont;
  font = nullptr;
  ASSERT_EQ(D3DXCreateFontIndirectA(dev, &desc, &font), D3D_OK);
  EXPECT_EQ(font, nullFont);
  SetD3DXFontFactory(nullptr);
  font->Release();
}

}  // namespace
