#include "script/cmd_effect.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <string>

#include "core/log.h"
#include "core/shell_link.h"
#include "defs/cond.h"
#include "defs/flow_cmd.h"
#include "draw/context.h"
#include "draw/present.h"
#include "draw/surface.h"
#include "engine/chara.h"
#include "engine/object_limits.h"
#include "engine/effect.h"
#include "engine/message_window.h"
#include "engine/picture.h"
#include "engine/play_scene.h"
#include "engine/player.h"
#include "engine/stage_images.h"
#include "platform/message.h"
#include "project/database.h"
#include "project/stage.h"

namespace {

constexpr int SCREEN_CENTRE_X = VIEW_WIDTH / 2;
constexpr int SCREEN_CENTRE_Y = 240;
constexpr int FRAMES_PER_TENTH = 6;
constexpr int SCREEN_COLOR_PARAMS = 8;

// Background modes of "背景の変更".
constexpr int BACK_SHOW = 0;
constexpr int BACK_HIDE = 1;
constexpr int BACK_TOGGLE = 2;

// percent × size / 100, rounded to the nearest whole number with halves away from zero and
// kept within the int range.
int ScalePercent(int percent, int size) {
  const long long q = static_cast<long long>(percent) * size;
  const long long r = q >= 0 ? (q + 50) / 100 : -((-q + 50) / 100);
  return static_cast<int>(std::clamp<long long>(r, INT_MIN, INT_MAX));
}

// The frames an effect entry takes to play: each step's wait counts six frames per tenth.
int EffectFrames(const cEffectData& def) {
  long long total = 0;
  for (const cEffectFrame& f : def.m_vFrame) total += static_cast<long long>(f.m_nTime) * FRAMES_PER_TENTH;
  return static_cast<int>(std::clamp<long long>(total, 0, INT_MAX));
}

// Parameters of "ピクチャーの表示".
enum ePictureParam {
  PIC_NUMBER = 0,
  PIC_PLACEMENT = 1,
  PIC_BLOCK_X = 2,
  PIC_BLOCK_Y = 3,
  PIC_OFFSET_X = 4,
  PIC_OFFSET_Y = 5,
  PIC_LAYER = 6,
  PIC_PERCENT = 7,
  PIC_DISPLAY = 8,
  PIC_TENTHS = 9,
  PIC_HOLD = 10,
  PIC_SCREEN_FIXED = 11,
  PIC_HAS_ID = 12,
  PIC_ID = 13,
  PIC_ONE_FRAME = 14,
};
constexpr int PAUSE_PICTURE = 3;

// The creation entry of a picture file: transparent, in video memory, except under DirectDraw
// where a scaled picture goes to system memory unless stretching in video memory is on, and
// any picture does when less than 20 % of the video memory is free.
BitmapEntry PictureEntry(const std::string& file, int percent) {
  BitmapEntry e;
  std::memcpy(e.szFileName, file.c_str(), file.size() + 1);
  e.nTransmit = 1;
  if (!lpDTCon && lpDDCon) {
    int total = 0, free = 0;
    GetVideoMemoryMB(lpDD, &total, &free);
    if (percent != 100 && !g_bVideoStretch)
      e.nDDMemory = 1;
    else if (total > 0 && free * 100 / total < 20)
      e.nDDMemory = 1;
  }
  return e;
}

// The position of the first picture with that ID, or -1.
int FindPictureById(const cSafeList<cPicture>& list, int id) {
  int i = 0;
  for (const cPicture& p : list) {
    if (p.m_nPictureValue[0] && p.m_nPictureValue[1] == id) return i;
    ++i;
  }
  return -1;
}

// Loads the picture file into a new surface at position i of the picture surfaces (the end for
// -1), with its creation entry beside it; both are taken out again when the file does not load.
DDSURFACEDATA* LoadPictureSurface(int i, const std::string& file, int percent) {
  // A name that does not fit the creation entry is refused like a file that does not load.
  if (file.size() >= sizeof(BitmapEntry::szFileName)) return nullptr;
  const BitmapEntry entry = PictureEntry(file, percent);
  const int n = static_cast<int>(g_lPictureSurface.size());
  const int at = i < 0 || i > n ? n : i;
  auto sd = g_lPictureSurface.insert(std::next(g_lPictureSurface.begin(), at), DDSURFACEDATA{});
  const int entryAt = std::min(at, static_cast<int>(g_lPictureBmpEntry.size()));
  g_lPictureBmpEntry.insert(std::next(g_lPictureBmpEntry.begin(), entryAt), entry);
  const int result = DDCreateSurfaceFromFile(&*sd, entry.szFileName, entry.nTransmit, DDBpp, entry.nDDMemory,
                                             static_cast<DWORD>(entry.nD3DMemory), entry.bNoTexture, entry.bPaletteMap,
                                             entry.nMirrorCellW, entry.nMirrorCellH, 0);
  if (DDCheckCreateResult(result)) return &*sd;
  DDRemoveSurface(g_lPictureSurface, g_lPictureBmpEntry, &*sd);
  return nullptr;
}

void CentreOf(const cChara& c, double sx, double sy, double& cx, double& cy) {
  cx = c.CenterX() + sx;
  cy = c.CenterY() + sy;
}

}  // namespace

void CalcDisplayPosition(double& x, double& y, int w, int h, const cChara& chara, int placement, int blockX,
                         int blockY, int offsetX, int offsetY) {
  const double sx = g_lpPlayScene ? g_lpPlayScene->m_ScrollX.m_dPos : 0;
  const double sy = g_lpPlayScene ? g_lpPlayScene->m_ScrollY.m_dPos : 0;
  double cx = sx + SCREEN_CENTRE_X;
  double cy = sy + SCREEN_CENTRE_Y;
  switch (placement) {
    case PLACE_CHARA_CENTRE:
      CentreOf(chara, sx, sy, cx, cy);
      break;
    case PLACE_HERO_CENTRE:
      if (!g_vPlayer.empty()) CentreOf(g_vPlayer[0], sx, sy, cx, cy);
      break;
    case PLACE_SCREEN_BLOCK:
      x = sx + static_cast<double>(blockX) * CELL_DOTS + offsetX;
      y = sy + static_cast<double>(blockY) * CELL_DOTS + offsetY;
      return;
    case PLACE_STAGE_BLOCK:
      x = (static_cast<double>(blockX) + MAP_MARGIN) * CELL_DOTS + offsetX;
      y = (static_cast<double>(blockY) + MAP_MARGIN) * CELL_DOTS + offsetY;
      return;
    default:
      break;
  }
  x = offsetX + cx - w / 2;
  y = offsetY + cy - h / 2;
}

int CmdPlayEffect(cChara& chara, cFlowCmd& cmd) {
  cPlayScene* scene = g_lpPlayScene;
  if (!scene || scene->m_bQuit) return 0;
  const int number = static_cast<int16_t>(cmd.Param(0));
  if (number == 0) {
    scene->m_lEffect.clear();
    return 0;
  }
  // A number outside the table is reported (and closes the program) through the checked
  // access; nothing is started then.
  if (number < 0 || static_cast<size_t>(number) >= g_Database.m_vEffect.size()) {
    (void)g_Database.m_vEffect.CheckedAt(number);
    return 0;
  }
  const cEffectData& def = g_Database.m_vEffect[static_cast<size_t>(number)];
  const int w = ScalePercent(cmd.Param(6), def.m_nWidth);
  const int h = ScalePercent(cmd.Param(6), def.m_nHeight);
  double x = 0, y = 0;
  CalcDisplayPosition(x, y, w, h, chara, cmd.Param(1), cmd.Param(2), cmd.Param(3), cmd.Param(4), cmd.Param(5));
  const int hold = cmd.Param(7) == 1 ? 1 : 0;
  cEffect effect;
  if (!effect.Start(number, x, y, w, h, cmd.Param(7))) return 0;
  if (!RoomForObject(LIMIT_EFFECTS, scene->m_lEffect.size())) return 0;
  scene->m_lEffect.push_back(effect);
  if (hold) {
    SetPauseWait(2, 0, EffectFrames(def), 0);
    scene->RunPauseLoop();
  }
  return 0;
}

int CmdShowPicture(cChara& chara, cFlowCmd& cmd) {
  cPlayScene* scene = g_lpPlayScene;
  if (!scene || scene->m_bQuit) return 0;
  const int number = static_cast<int16_t>(cmd.Param(PIC_NUMBER));
  const int hasId = cmd.Param(PIC_HAS_ID) == 1 ? 1 : 0;
  if (number == 0 && !hasId) {
    scene->ClearPictures();
    return 0;
  }
  int at = -1;
  if (hasId) {
    const int found = FindPictureById(scene->m_lPicture, cmd.Param(PIC_ID));
    if (found >= 0) scene->RemovePicture(&*std::next(scene->m_lPicture.begin(), found));
    if (number == 0) return 0;
    at = found;
  }
  // A number outside the database is reported (and closes the program) through the checked
  // access; nothing is shown then.
  if (number < 0 || static_cast<size_t>(number) >= g_Database.m_vPicture.size()) {
    (void)g_Database.m_vPicture.CheckedAt(number);
    return 0;
  }
  const std::string& file = g_Database.m_vPicture[static_cast<size_t>(number)].m_strFile;
  const int percent = cmd.Param(PIC_PERCENT);
  DDSURFACEDATA* sd = LoadPictureSurface(at, file, percent);
  if (!sd) {
    ReportErrorBox("%s 読み込み失敗！", file.c_str());
    PostMessageA(g_hWnd, WM_CLOSE, 0, 0);
    return 0;
  }
  const int w = PercentOf(sd->nWidth, percent);
  const int h = PercentOf(sd->nHeight, percent);
  double x = 0, y = 0;
  CalcDisplayPosition(x, y, w, h, chara, cmd.Param(PIC_PLACEMENT), cmd.Param(PIC_BLOCK_X), cmd.Param(PIC_BLOCK_Y),
                      cmd.Param(PIC_OFFSET_X), cmd.Param(PIC_OFFSET_Y));
  const int displayMode = cmd.Param(PIC_DISPLAY);
  const int frames = cmd.Param(PIC_ONE_FRAME) == 1
                         ? 1
                         : static_cast<int>(std::clamp<long long>(
                               static_cast<long long>(cmd.Param(PIC_TENTHS)) * FRAMES_PER_TENTH, INT_MIN, INT_MAX));
  const int hold = cmd.Param(PIC_HOLD);
  cPicture picture;
  picture.Setup(number, x, y, w, h, cmd.Param(PIC_SCREEN_FIXED), cmd.Param(PIC_LAYER), percent, displayMode, frames,
                hold, hasId, cmd.Param(PIC_ID));
  const int n = static_cast<int>(scene->m_lPicture.size());
  auto shown = scene->m_lPicture.insert(std::next(scene->m_lPicture.begin(), at < 0 || at > n ? n : at), picture);
  if (hold != 1) return 0;
  // A picture shown until the stage ends holds the game like a key-wait one: the request is
  // always set here, so an older one never decides how long the hold lasts.
  if (displayMode == MESSAGE_TIMED)
    SetPauseWait(PAUSE_PICTURE, 0, frames, 0);
  else
    SetPauseWait(PAUSE_PICTURE, 1, 0, 0);
  scene->RunPauseLoop();
  // By identity: pictures before it may have ended while the game was held.
  scene->RemovePicture(&*shown);
  return 0;
}

int CmdCharaEffect(cChara& chara, cFlowCmd& cmd) {
  chara.m_Effect.Start(static_cast<int16_t>(cmd.Param(0)), cmd.Param(1), cmd.Param(2));
  return 0;
}

int CmdScreenEffect(cChara&, cFlowCmd& cmd) {
  cPlayScene* scene = g_lpPlayScene;
  if (!scene) return 0;
  scene->m_ScrEffect.Start(static_cast<int16_t>(cmd.Param(0)), cmd.Param(1), cmd.Param(2));
  if (scene->m_ScrEffect.m_sEffect == 0 && lpDTCon && lpDTCon->bVirtualBackBuffer) DDSetVirtualBackBuffer(0);
  return 0;
}

int CmdScreenColor(cChara&, cFlowCmd& cmd) {
  if (!g_lpPlayScene) return 0;
  int32_t params[SCREEN_COLOR_PARAMS];
  for (int i = 0; i < SCREEN_COLOR_PARAMS; ++i) params[i] = cmd.Param(static_cast<size_t>(i));
  const int paletteMode = !lpDTCon && DDBpp == 8 ? 1 : 0;
  g_lpPlayScene->m_ScreenColor.Start(params, paletteMode);
  return 0;
}

int CmdChangeBack(cChara&, cFlowCmd& cmd) {
  cSafeVector<cBgData>& layers = g_StageData.m_vBg;
  const uint32_t index = static_cast<uint32_t>(cmd.Param(0)) - 1u;
  if (index >= layers.size()) return 0;
  cBgData& layer = layers[index];
  switch (cmd.Param(1)) {
    case BACK_SHOW: layer.m_bShow = 1; break;
    case BACK_HIDE: layer.m_bShow = 0; break;
    case BACK_TOGGLE: layer.m_bShow = layer.m_bShow ? 0 : 1; break;
    default: break;
  }
  return 0;
}
