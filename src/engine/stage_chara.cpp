#include "engine/stage_chara.h"

#include "core/sound_request.h"
#include "defs/flow_cmd.h"
#include "engine/block_index.h"
#include "engine/box.h"
#include "engine/play_scene.h"
#include "project/stage.h"
#include "project/system_data.h"
#include "script/cmd_state.h"

namespace {

double AutoSpeed(const cScroll& s) { return s.MovesByItself() ? s.m_dAutoSpeed : 0.0; }

}  // namespace

void cStageChara::Place(int id, const cCharaData& def, const cItem* lpDrop, const int32_t placeValue[4], int16_t tag,
                        cChara* lpCreator) {
  (void)lpCreator;
  Reset(&def, placeValue, tag);
  if (m_Data.m_byZoom == 0) m_Data.m_byZoom = 1;
  const cStage& st = g_StageData;
  int w = 32, h = 32, gx = 0, gy = 0;
  bool block = m_Data.m_bBlockChara != 0;
  bool free = m_Data.m_byFlying != 0;
  if (!block) {
    w = free ? st.m_nCharaFlyW : st.m_nCharaW;
    h = free ? st.m_nCharaFlyH : st.m_nCharaH;
    int bottom = free ? st.m_bCharaFlyBottom : st.m_bCharaBottom;
    gx = (32 - w) >> 1;
    gy = bottom ? 32 - h : (32 - h) >> 1;
  }
  Init(id, m_Data.m_byControl, m_Data.m_byPlayerNo, m_Data.m_byLayer, m_Data.m_wGraphic, nullptr, 0, gx, gy, w, h, 32,
       32, m_Data.m_byDirection, m_Data.m_byFlying, tag);
  m_nZoom = 1;
  if (block) {
    m_BoxA = cBox();
    SetBox(m_BoxB, 0, 0, 32, 32);
  } else {
    if (m_bFree)
      ChooseBoxA(*this, m_Data.m_byContactBox,
                 {st.m_bCharaFlyContactBottom, st.m_nCharaFlyContactW, st.m_nCharaFlyContactH, st.m_nCharaShotHitW,
                  st.m_nCharaShotHitH, st.m_nCharaShotW, st.m_nCharaShotH});
    else
      ChooseBoxA(*this, m_Data.m_byContactBox,
                 {st.m_bCharaContactBottom, st.m_nCharaContactW, st.m_nCharaContactH, st.m_nCharaShotHitW,
                  st.m_nCharaShotHitH, st.m_nCharaShotW, st.m_nCharaShotH});
    CentreBox(m_BoxB, st.m_nCharaShotHitW, st.m_nCharaShotHitH, gx, gy);
  }
  SetZoom(m_Data.m_byZoom, 1);
  m_nZoom = m_Data.m_byZoom;
  m_bAppeared = 0;
  m_nIconCount = 0;
  if (lpDrop) {
    m_DropItem = *lpDrop;
  } else {
    m_DropItem.m_bCarried = 0;
  }
  static const int32_t kFreeX[4] = {0, 0, 1, 1};
  static const int32_t kFreeY[4] = {0, 1, 0, 1};
  int range = m_Data.m_byActRange < 4 ? m_Data.m_byActRange : 0;
  m_bFreeX = kFreeX[range];
  m_bFreeY = kFreeY[range];
  m_bActivated = 0;
  m_Anime.Set(m_bFree ? 0 : 1, 1);
  BuildFlows(m_Data.m_vFlow, 0, -1);
}

void cStageChara::SetBlockXY(int column, int row) {
  SetCellDotXY((column + MAP_MARGIN) * CELL_DOTS, (row + MAP_MARGIN) * CELL_DOTS);
}

void cStageChara::SetCellDotXY(int x, int y) {
  m_dX = static_cast<double>(x) + m_nBaseGraphicX + 0.5;
  m_dY = static_cast<double>(y) + m_nBaseGraphicY;
  ChangeZoom(m_nZoom, 1);
  OnMoveX();
  OnMoveY();
}

void cStageChara::OnZoom(int nZoom) {
  if (m_Data.m_bBlockChara) {
    m_BoxA.nOffsetX = m_BoxA.nOffsetY = 0;
    m_BoxA.nWidth = m_nWidth;
    m_BoxA.nHeight = m_nHeight;
    m_BoxB.nOffsetX = m_BoxB.nOffsetY = 0;
    m_BoxB.nWidth = m_nWidth;
    m_BoxB.nHeight = m_nHeight;
    return;
  }
  ScaleBox(m_BoxA, nZoom);
  ScaleBox(m_BoxB, nZoom);
}

void cStageChara::UpdateHitX() {
  if (m_Data.m_bBlockChara) NoteBlockCharaMoved();
  int p = TruncPos(m_dX);
  PlaceBoxX(m_BoxA, p);
  PlaceBoxX(m_BoxB, p);
}

void cStageChara::UpdateHitY() {
  if (m_Data.m_bBlockChara) NoteBlockCharaMoved();
  int p = TruncPos(m_dY);
  PlaceBoxY(m_BoxA, p);
  PlaceBoxY(m_BoxB, p);
}

int cStageChara::StepX() {
  if (m_dKnockX != 0) {
    m_dVX = m_dKnockX;
  } else if (m_dAX != 0) {
    Friction(m_dAX, m_bFrictionX);
    m_dVX += m_dAX;
  }
  int r = MoveStepX(2);
  OnMoveX();
  return r == 3 ? 4 : r;
}

int cStageChara::StepY() {
  ApplyKnockY();
  if (m_dKnockY == 0 && m_bFree && m_dAY != 0) {
    Friction(m_dAY, m_bFrictionY);
    m_dVY += m_dAY;
  }
  int r = MoveStepY(2);
  OnMoveY();
  if (m_bFree) return r == 3 || r == 6 ? 8 : r;
  return r == 5 || r == 6 ? 7 : r;
}

int cStageChara::Act(int bDying) {
  if (g_lpPlayScene) g_lpPlayScene->m_bCheckHp = 0;
  if (!g_SystemData.m_bLegacy214 && m_bScrollSync && g_lpPlayScene) {
    m_dVX = AutoSpeed(g_lpPlayScene->m_ScrollX);
    if (m_bFree) m_dVY = AutoSpeed(g_lpPlayScene->m_ScrollY);
  } else {
    m_dVX = 0;
    if (m_bFree) m_dVY = 0;
  }
  m_bGravityHold = 0;
  m_bFrictionX = m_bFrictionY = 1;
  m_bMovedByCmd = 0;
  if (m_nModeCountdown > 0) --m_nModeCountdown;
  StartCommandAnims();
  if (RunActFlows(bDying)) return 1;
  EndAct();
  return m_nHp <= 0 ? 1 : 0;
}

void cStageChara::StepJump(cCmdState& state) {
  bool grounded = !m_bAirborne && !m_bJumping && !m_bKnocked && m_nAirCount == 0;
  auto start = [&]() {
    state.m_bStarted = 1;
    if (state.m_pCmd) PlayUserSe(state.m_pCmd->m_sSound);
    m_dVY = state.m_dSpeed;
    m_bJumpStartA = m_bJumpStartB = 1;
    m_bRiding = 0;
  };
  if (g_SystemData.m_bLegacy749) {
    if (grounded) start();
    return;
  }
  if (!state.m_bStarted) {
    if (grounded) {
      start();
    } else if (state.m_nCounter >= 4 * SubSteps()) {
      state.m_bStarted = 1;
      m_bJumping = 0;
      m_bKnocked = 0;
      state.m_nRemaining = 0;
    }
  } else if (IsOnGround()) {
    m_bJumping = 0;
    m_bKnocked = 0;
    state.m_nRemaining = 0;
  }
}

int cStageChara::UpdateInRange(cSafeVector<uint8_t>& flags) {
  m_bInRange = IsOnScreenAxes(m_bFreeX, m_bFreeY) ? 1 : 0;
  int group = m_Data.m_wActGroup;
  if (m_bInRange && m_Data.m_bActGroup && group < static_cast<int>(flags.size())) flags[group] = 1;
  return m_bInRange;
}

int cStageChara::TestActivation(cSafeVector<uint8_t>& flags) {
  int group = m_Data.m_wActGroup;
  bool groupSet = m_Data.m_bActGroup && group < static_cast<int>(flags.size()) && flags[group];
  bool active = m_bInRange || groupSet;
  if (!active && !m_bFree) active = m_bJumpStartB || (m_bActivated && m_bAirborne);
  if (!active) return 0;
  m_bActivated = 1;
  if (m_Data.m_byActRule == 1) m_bFreeX = m_bFreeY = 1;
  CalcScreenRect();
  return 1;
}

int cStageChara::StepDropIcon() {
  if (!m_DropItem.m_bCarried || !IsOnScreen() || m_Data.m_bTransparent || m_DropItem.m_bHidden) return 0;
  if (++m_nIconCount >= DROP_ICON_PERIOD) m_nIconCount = 0;
  return m_nIconCount >= DROP_ICON_FROM ? 1 : 0;
}
