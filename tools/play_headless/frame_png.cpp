#include "frame_png.h"

#include <cstdint>
#include <cstring>

#include "app/font_setup.h"
#include "app/play_screen.h"
#include "app/system_ini.h"
#include "draw/context.h"
#include "draw/palette.h"
#include "draw/png_file.h"
#include "draw/present.h"
#include "draw/setup.h"
#include "draw/surface.h"
#include "engine/play_scene.h"
#include "platform/display.h"
#include "project/global_data.h"
#include "project/system_data.h"
#include "project/system_image.h"

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr int kBpp = 32;
constexpr int kWindowed = 1;

// The headless display answers for any window; this one stands for the player's.
HWND FrameWindow() { return reinterpret_cast<HWND>(static_cast<uintptr_t>(0x9A1E5)); }

bool g_bFontsMade = false;

// The palette and the transparent colour, as the player sets them up in a window.
bool SetUpPalette() {
  const char* paletteFile = g_SystemBitmapTable[0].szFileName;
  if (!DDLoadPaletteFromFile(DDPalette, paletteFile, kWindowed)) return false;
  std::memcpy(DDPaletteWork, DDPalette, sizeof(DDPaletteWork));
  if (!g_SystemData.m_bFullColour) return DDSetTransmitFromFile(paletteFile) != 0;
  const uint8_t* rgb = g_SystemData.m_rgbTransparent;
  DDSetTransmit(rgb[0], rgb[1], rgb[2]);
  return true;
}

}  // namespace

bool OpenFrameDrawing(std::string* error) {
  gfx::ResetHeadlessPresenter();
  if (!DDInit(1, FrameWindow(), kWidth, kHeight, kBpp, 0, kWindowed, 1, 60, 0, g_SystemImage, g_SystemBitmapTable,
              SYSTEM_IMAGE_COUNT)) {
    *error = "the drawing layer cannot be set up";
    return false;
  }
  LinkSurfaceTables(g_SystemImage);
  if (!SetUpPalette()) {
    *error = std::string("the palette cannot be read from ") + g_SystemBitmapTable[0].szFileName;
    CloseFrameDrawing();
    return false;
  }
  const int debugImage = 1;
  if (!DDLoadSystemBitmaps(g_SystemImage, &debugImage, 1)) {
    *error = std::string("the image ") + g_SystemBitmapTable[debugImage].szFileName + " cannot be read";
    CloseFrameDrawing();
    return false;
  }
  PrepareFontDefs(g_SystemData.m_nFontFace, g_SystemIni.D3D_FontCache);
  if (!CreateStartupFonts(g_SystemData.m_bPictureChars, g_SystemData.m_bFixedPitch)) {
    *error = "the fonts cannot be made";
    CloseFrameDrawing();
    return false;
  }
  g_bFontsMade = true;
  // The scene loads its images and draws its banners through the play screen's hooks. The
  // palette fade-in is left out, so that a run plays the same frames as one without pictures.
  RegisterPlayScreen();
  g_PlayShellLink.lpfnFadeInStep = nullptr;
  return true;
}

bool WriteShownFrame(const std::vector<std::string>& files, std::string* unwritten) {
  DDPresent(60, 0, nullptr);
  const gfx::ShownFrame shown = gfx::HeadlessLastFrame();
  for (const std::string& file : files) {
    if (shown.argb.empty() || !WritePngFile(file.c_str(), shown.width, shown.height, shown.argb.data())) {
      *unwritten = file;
      return false;
    }
  }
  return true;
}

void CloseFrameDrawing() {
  g_PlayShellLink = cPlayShellLink();
  if (g_bFontsMade) ReleaseStartupFonts();
  g_bFontsMade = false;
  DDEnd();
}
