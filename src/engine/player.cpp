#include "engine/player.h"

#include <algorithm>

#include "core/sound_request.h"
#include "engine/box.h"
#include "engine/flow_seam.h"
#include "engine/play_scene.h"
#include "engine/scroll.h"
#include "project/global_data.h"
#include "project/stage.h"
#include "project/system_data.h"
#include "script/cmd_state.h"
#include "script/key_cond.h"

namespace {

// The camera follows the hero on an axis that does not scroll by itself.
void Follow(cScroll& s, double pos, int size, int half) {
  if (s.m_bAuto) return;
  s.m_dPos = pos - (half - (size >> 1));
  if (s.m_nMin > s.m_dPos) {
    s.m_dPos = s.m_nMin;
  } else if (s.m_nMax <= s.m_dPos + s.m_nView) {
    s.m_dPos = s.m_nMax - s.m_nView;
  }
}

int BoxColor(int choice) { return 208 + 4 * choice; }

}  // namespace

void cPlayer::OnZoom(int nZoom) {
  ScaleBox(m_BoxA, nZoom);
  ScaleBox(m_BoxB, nZoom);
  ScaleBox(m_BoxC, nZoom);
}

void cPlayer::UpdateHitX() {
  int p = TruncPos(m_dX);
  PlaceBoxX(m_BoxA, p);
  PlaceBoxX(m_BoxB, p);
  PlaceBoxX(m_BoxC, p);
}

void cPlayer::UpdateHitY() {
  int p = TruncPos(m_dY);
  PlaceBoxY(m_BoxA, p);
  PlaceBoxY(m_BoxB, p);
  PlaceBoxY(m_BoxC, p);
}

int cPlayer::OnMoveX() {
  if (g_lpPlayScene) Follow(g_lpPlayScene->m_ScrollX, m_dX, m_nWidth, VIEW_WIDTH / 2);
  int r = ClampX(m_bFree ? 0 : 1);
  m_dFarX = m_dX + m_nWidth - 1;
  return r;
}

int cPlayer::OnMoveY() {
  if (g_lpPlayScene) Follow(g_lpPlayScene->m_ScrollY, m_dY, m_nHeight, VIEW_HEIGHT / 2);
  int r = ClampY(m_bFree ? 0 : 1);
  m_dFarY = m_dY + m_nHeight - 1;
  return r;
}

void cPlayer::CalcScreenRect() {
  if (!g_lpPlayScene) {
    cObject::CalcScreenRect();
    return;
  }
  const cScroll& sx = g_lpPlayScene->m_ScrollX;
  const cScroll& sy = g_lpPlayScene->m_ScrollY;
  int left = sx.m_bAuto ? TruncPos(m_dX) - TruncPos(sx.m_dPos) - m_nGraphicX : TruncPos(m_dX - sx.m_dPos - m_nGraphicX);
  int top = sy.m_bAuto ? TruncPos(m_dY) - TruncPos(sy.m_dPos) - m_nGraphicY : TruncPos(m_dY - sy.m_dPos - m_nGraphicY);
  m_rcScreen.left = left;
  m_rcScreen.right = left + m_nGraphicW - 1;
  m_rcScreen.top = top;
  m_rcScreen.bottom = top + m_nGraphicH - 1;
}

int cPlayer::StepX() {
  if (m_dKnockX != 0) {
    m_dVX = m_dKnockX;
  } else if (m_dAX != 0) {
    Friction(m_dAX, 1);
    if (m_nBlockEffectTimer != 0 && m_nBlockEffect == 3) {
      double t = SpeedPerFrame(m_dBlockEffectRate);
      if (m_dAX > 0) {
        m_dAX += t * (m_dBlockEffect - 1);
        if (m_dAX < 0) m_dAX = 0;
      } else {
        m_dAX -= t * (m_dBlockEffect - 1);
        if (m_dAX > 0) m_dAX = 0;
      }
    }
    m_dVX += m_dAX;
  }
  double limit = g_StageData.m_dSpeedLimitStep;
  if (m_dVX > limit) m_dVX = limit;
  if (m_dVX < -limit) m_dVX = -limit;
  m_dX += m_dVX;
  OnMoveX();
  return 0;
}

int cPlayer::StepY() {
  // Gravity itself is the play scene's step before this one.
  ApplyKnockY();
  if (m_dKnockY == 0 && m_bFree && m_dAY != 0) {
    Friction(m_dAY, m_bFrictionY);
    m_dVY += m_dAY;
  }
  int r = MoveStepY(m_bFree ? 0 : 2);
  OnMoveY();
  if (!m_bFree && (r == 5 || r == 6)) return 7;
  return r;
}

int cPlayer::Act(int bDying) {
  cPlayScene* scene = g_lpPlayScene;
  if (scene) scene->m_bCheckHp = 0;
  const cScroll* sx = scene ? &scene->m_ScrollX : nullptr;
  const cScroll* sy = scene ? &scene->m_ScrollY : nullptr;
  auto autoSpeed = [](const cScroll* s) { return s && s->MovesByItself() ? s->m_dAutoSpeed : 0.0; };
  if (g_SystemData.m_bLegacy214) {
    if (m_bFree) {
      m_dVX = autoSpeed(sx);
      m_dVY = autoSpeed(sy);
    } else {
      m_dVX = 0;
    }
  } else if (m_bScrollSync) {
    m_dVX = autoSpeed(sx);
    if (m_bFree) m_dVY = autoSpeed(sy);
  } else {
    m_dVX = 0;
    if (m_bFree) m_dVY = 0;
  }
  m_bMovedByCmd = 0;
  m_bJumpStepped = 0;
  m_bIgnoreDirections = m_bIgnoreButtons = 0;
  m_bFrictionX = m_bFrictionY = 1;
  if (m_nModeCountdown > 0) --m_nModeCountdown;
  StartCommandAnims();
  if (RunActFlows(bDying)) return 1;
  EndAct();
  if (!m_bJumpStepped) {
    m_nJumpHold = 0;
    m_bJumpReady = 1;
    m_bJumpStartA = 0;
  }
  return m_nHp <= 0 ? 1 : 0;
}

void cPlayer::StepJump(cCmdState& state) {
  if (m_bFree || m_bJumpStepped) return;
  const cFlowCmd* cmd = state.m_pCmd;
  int p0 = cmd ? cmd->Param(0) : 0;
  // -1: the run that started the jump has no key entries.
  int keyState = g_lpfnJumpKeyHeld ? g_lpfnJumpKeyHeld(*this, state) : RunKeysHeld(*this, state);
  bool held = p0 == 0 || keyState == 1;
  int k = SubSteps();
  double v = state.m_dSpeed;
  if (p0 == 2) {
    double s = m_dAX < 0 ? -m_dAX : m_dAX;
    double a = cmd->Param(1) / (10.0 * k);
    double b = cmd->Param(3) / (10.0 * k);
    int p2 = cmd->Param(2);
    int p4 = cmd->Param(4);
    double height;
    if (s >= a) {
      height = p2;
    } else if (s <= b) {
      height = p4;
    } else {
      height = TruncPos((p2 - p4) * s / a + p4);
    }
    v = JumpSpeedForHeight(height * 16);
  }
  int d = state.m_nDuration;
  if (held) {
    ++m_nJumpHold;
    if (m_nJumpHold >= d && (!m_bRiseEnded || m_bRiding) && m_bJumpReady && !m_bJumpStartA &&
        (m_dVY < 0 || m_bRiding)) {
      m_bRiseEnded = 1;
      m_bJumpReady = 0;
    } else if (!m_bNoJump && m_nJumpHold <= k && (!m_bRiseEnded || m_bRiding) && m_bJumpReady && !m_bJumpStartA &&
               !m_bJumpStartB && !state.m_bStarted) {
      bool start = true;
      m_bJumping = 1;
      if (!m_bRiding) {
        m_dVY = v;
      } else if (g_lpPlayScene && g_lpPlayScene->m_nSubStep == k) {
        m_bRiding = 0;
        m_dVY = v * static_cast<double>(1.02f);
      } else {
        start = false;
      }
      if (start) {
        state.m_bStarted = 1;
        if (cmd) PlayUserSe(cmd->m_sSound);
      }
    }
  } else {
    if (0 < m_nJumpHold && m_nJumpHold < d && !m_bRiseEnded && !m_bJumpStartA && !m_bJumpStartB) {
      m_bRiding = 0;
      if (m_dVY < 0) m_dVY *= 0.3;
      m_bRiseEnded = 1;
    }
    m_nJumpHold = 0;
    m_bJumpReady = 1;
    m_bJumpStartA = 0;
  }
  // Back on the ground the jump is over: its rise has ended too, so that the next press can
  // jump again (nothing else clears that flag once a rise was ended).
  if (IsOnGround() && m_dVY >= 0) {
    if (keyState == -1) {
      m_nJumpHold = 0;
      m_bJumpReady = 1;
      m_bJumpStartA = m_bJumpStartB = 0;
      m_bRiseEnded = 0;
      state.m_bStarted = 0;
      m_bJumpStepped = 1;
      return;
    }
    if (!held) {
      m_nJumpHold = 0;
      m_bJumpReady = 1;
      m_bJumpStartA = m_bJumpStartB = 0;
      m_bRiseEnded = 0;
      state.m_nRemaining = 0;
    }
  }
  m_bJumpStepped = 1;
}

void cPlayer::CalcBodyBox(int& w, int& h, int& gx, int& gy) const {
  const cStage& st = g_StageData;
  w = m_bFree ? st.m_nHeroFlyW : st.m_nHeroW;
  h = m_bFree ? st.m_nHeroFlyH : st.m_nHeroH;
  int bottom = m_bFree ? st.m_bHeroFlyBottom : st.m_bHeroBottom;
  gx = (32 - w) >> 1;
  gy = bottom ? 32 - h : (32 - h) >> 1;
}

void cPlayer::ApplyPlacement(int mode, int bZoom) {
  const cStage& st = g_StageData;
  int wasFree = m_bFree;
  m_nMoveMode = mode;
  SetMoveMode(mode);
  if (m_bFree != wasFree) {
    m_nModeCountdown = 2;
    if (wasFree) m_dVX = m_dVY = m_dAX = m_dAY = 0;
  }
  int w, h, gx, gy;
  CalcBodyBox(w, h, gx, gy);
  m_nWidth = m_nBaseWidth = w;
  m_nHeight = m_nBaseHeight = h;
  m_nGraphicX = m_nBaseGraphicX = gx;
  m_nGraphicY = m_nBaseGraphicY = gy;
  m_nGraphicW = m_nBaseGraphicW = 32;
  m_nGraphicH = m_nBaseGraphicH = 32;
  if (m_bFree)
    ChooseBoxA(*this, m_Data.m_byContactBox,
               {st.m_bHeroFlyContactBottom, st.m_nHeroFlyContactW, st.m_nHeroFlyContactH, st.m_nHeroShotHitW,
                st.m_nHeroShotHitH, st.m_nHeroShotW, st.m_nHeroShotH});
  else
    ChooseBoxA(*this, m_Data.m_byContactBox,
               {st.m_bHeroContactBottom, st.m_nHeroContactW, st.m_nHeroContactH, st.m_nHeroShotHitW,
                st.m_nHeroShotHitH, st.m_nHeroShotW, st.m_nHeroShotH});
  CentreBox(m_BoxB, st.m_nHeroShotHitW, st.m_nHeroShotHitH, gx, gy);
  CentreBox(m_BoxC, st.m_nHeroItemW, st.m_nHeroItemH, gx, gy);
  if (bZoom) {
    int z = m_nZoom;
    m_nWidth = z * m_nBaseWidth;
    m_nHeight = z * m_nBaseHeight;
    m_nGraphicX = z * m_nBaseGraphicX;
    m_nGraphicY = z * m_nBaseGraphicY;
    m_nGraphicW = z * m_nBaseGraphicW;
    m_nGraphicH = z * m_nBaseGraphicH;
    OnZoom(z);
  }
  BuildBoxDisplay();
}

void cPlayer::PlaceAtStageStart(int id, const cCharaData& def, double x, double y, int flag) {
  (void)flag;
  static const int32_t none[4] = {0, 0, 0, 0};
  Reset(&def, none, 0);
  if (m_Data.m_byZoom == 0) m_Data.m_byZoom = 1;
  int zoom = m_Data.m_byZoom;
  m_bFree = 0;
  int w, h, gx, gy;
  CalcBodyBox(w, h, gx, gy);
  Init(id, m_Data.m_byControl, m_Data.m_byPlayerNo, m_Data.m_byLayer, m_Data.m_wGraphic, nullptr, 0, gx, gy, w, h, 32,
       32, 1, 0, 0);
  m_nZoom = 1;
  m_lpInput = &g_vInput.CheckedAt(m_Data.m_byPlayerNo);
  // The body stands in the placement cell whose centre is (x, y).
  m_dX = x - 16 + gx;
  m_dY = y - 16 + gy;
  ApplyPlacement(m_Data.m_byFlying, 0);
  m_nZoom = zoom;
  SetZoom(zoom, 1);
  UpdateFarX();
  UpdateFarY();
  m_nDir = m_nPrevDir = m_Data.m_byDirection ? 1 : 0;
  m_nJumpHold = 0;
  m_bJumpReady = 1;
  m_bJumpStartA = 0;
  m_bNoJump = m_bRiseEnded = 0;
  m_bJumpStepped = 0;
  m_bIgnoreDirections = m_bIgnoreButtons = 0;
  m_dBlockEffectRate = 4.0 / SubStepsReal();
  m_nBlockEffect = 0;
  m_dBlockEffect = 0;
  m_nBlockEffectTimer = 0;
  m_nBlockItemWait = 0;
  m_lpPrevLastFloor = nullptr;
  m_vDeferredFlowCmd.clear();
  BuildBoxDisplay();
  m_lItemContact.clear();
  BuildFlows(m_Data.m_vFlow, 0, -1);
}

void cPlayer::BuildBoxDisplay() {
  const cStage& st = g_StageData;
  m_vBoxDisplay.clear();
  m_vBoxDisplay.push_back({0, st.m_nShowBody, BoxColor(st.m_nBodyColor), 0, 0, m_nWidth, m_nHeight, 0});
  m_vBoxDisplay.push_back({2, st.m_nShowItem, BoxColor(st.m_nItemColor), 0, 0, m_BoxC.nWidth, m_BoxC.nHeight, 0});
  m_vBoxDisplay.push_back({1, st.m_nShowContact, BoxColor(st.m_nContactColor), 0, 0, m_BoxA.nWidth, m_BoxA.nHeight, 0});
  m_vBoxDisplay.push_back({3, st.m_nShowShotHit, BoxColor(st.m_nShotHitColor), 0, 0, m_BoxB.nWidth, m_BoxB.nHeight, 0});
  std::stable_sort(m_vBoxDisplay.begin(), m_vBoxDisplay.end(), [](const cBoxDisplay& a, const cBoxDisplay& b) {
    return static_cast<long long>(a.nWidth) * a.nHeight > static_cast<long long>(b.nWidth) * b.nHeight;
  });
}

void cPlayer::ShowItemPopup(int kind, int graphic, int sub) {
  if (!g_lpPlayScene) return;
  // A graphic window placed above its anchor (placement 4), fixed, counted down for 30 frames.
  g_lpPlayScene->m_lMessage.emplace_back(2, "", kind, graphic, sub, 4, 0, 0, 0, 0, 0, 1, 2, 30, 0, m_nId, 0, 0, 0, 0, 0,
                                         0, 0, 0);
}

bool cPlayer::HasNoItemContact(int id) const {
  return std::find(m_lItemContact.begin(), m_lItemContact.end(), id) == m_lItemContact.end();
}

void cPlayer::ForgetItemContact(int id) { m_lItemContact.remove(id); }
