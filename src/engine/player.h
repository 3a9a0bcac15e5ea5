// The hero: the character that the player steers. Its body and boxes come from the stage
// settings, the camera follows it, its horizontal motion is driven by an acceleration under a
// speed limit, its jump height depends on how long the jump key is held, and it keeps a
// contact list of the repeatable items under its pick-up box (box C).
#pragma once

#include <cstdint>
#include <list>

#include "core/safe_container.h"
#include "defs/flow_cmd.h"
#include "engine/chara.h"

struct DDSURFACEDATA;

class cCmdState;
class cInput;

// One rectangle of the box display: type 0 body, 1 box A, 2 box C, 3 box B; mode 0 off,
// 1 filled, 2 outline; a palette colour; the screen place (written when drawing) and size; a
// colour cycle counter 0..31.
struct cBoxDisplay {
  int32_t nType = 0;
  int32_t nMode = 0;
  int32_t nColor = 0;
  int32_t nX = 0;
  int32_t nY = 0;
  int32_t nWidth = 0;
  int32_t nHeight = 0;
  int32_t nCycle = 0;
};

class cPlayer : public cChara {
 public:
  // 1 when a new jump may start.
  int32_t m_bJumpReady = 1;

  // Hero
  // The input record that drives the hero: the per-player record of its player number.
  cInput* m_lpInput = nullptr;
  // Sub-steps for which the jump key has been held in the current press.
  int32_t m_nJumpHold = 0;
  // 4 / k at stage start: scales the speed-block effect on the acceleration.
  double m_dBlockEffectRate = 0;
  // Set by StepJump, cleared at the start of every Act.
  int32_t m_bJumpStepped = 0;
  // While set, player 1's direction (button) bits are cleared before they are recorded.
  int32_t m_bIgnoreDirections = 0;
  int32_t m_bIgnoreButtons = 0;
  int32_t m_nPrevDir = 0;
  // The movement mode 0..3 last applied.
  int32_t m_nMoveMode = 0;
  // The ids of the repeatable items that box C overlaps now.
  std::list<int32_t> m_lItemContact;
  // Box C: the item pick-up box.
  cBox m_BoxC;
  cSafeVector<cBoxDisplay> m_vBoxDisplay;

  // Hero jump flags. The jump step reads and clears them; other steps set them.
  //   forbidden            = m_bNoJump (the block effects' "no-jump flag")
  //   rise ended           = m_bRiseEnded
  //   jumped               = cChara::m_bJumping (the character's "jumping")
  //   riding               = cChara::m_bRiding
  //   first, second blocking flag = cChara::m_bJumpStartA, cChara::m_bJumpStartB
  //                          (the character's "jump started A/B")
  int32_t m_bNoJump = 0;
  int32_t m_bRiseEnded = 0;

  // Block effects. One set of fields under both names:
  //   effect kind          = m_nBlockEffect   ("block effect kind"; 3 speed, 4/5 push)
  //   effect amount        = m_dBlockEffect   ("block effect factor")
  //   effect timer         = m_nBlockEffectTimer ("on effect block": on it while not 0)
  //   block-item cool-down = m_nBlockItemWait ("block item contact")
  int32_t m_nBlockEffect = 0;
  double m_dBlockEffect = 0;
  int32_t m_nBlockEffectTimer = 0;
  int32_t m_nBlockItemWait = 0;
  // The last floor chip as it was at the previous block-item pass.
  MapChip* m_lpPrevLastFloor = nullptr;

  void OnZoom(int nZoom) override;
  void UpdateHitX() override;
  void UpdateHitY() override;
  int OnMoveX() override;
  int OnMoveY() override;
  int StepX() override;
  int StepY() override;
  int Act(int bDying) override;
  void StepJump(cCmdState& state) override;

  // Body size and graphic offset for the current vertical mode.
  void CalcBodyBox(int& w, int& h, int& gx, int& gy) const;
  // Sets movement mode 0..3 and rebuilds the body and the boxes (zoomed when bZoom).
  void ApplyPlacement(int mode, int bZoom);
  // Stage-start set-up: x, y the centre of the placement cell.
  void PlaceAtStageStart(int id, const cCharaData& def, double x, double y, int flag);
  void BuildBoxDisplay();
  // The hero, then its box display with the colours cycling.
  void DrawBoxes(DDSURFACEDATA* surface, int hold);
  void CalcScreenRect() override;
  void SaveFacing() { m_nPrevDir = m_nDir; }
  void SaveLastChip() { m_lpPrevLastFloor = m_lpLastFloor; }
  bool HasNoItemContact(int id) const;
  // The pop-up of a taken item: its graphic (sheet kind, number, cell) above the hero for 30
  // frames, appended to the scene's message windows.
  void ShowItemPopup(int kind, int graphic, int sub);
  void ForgetItemContact(int id);

 public:
  // Drawing: the sight mask around the hero.
  void DrawSight(DDSURFACEDATA* lpDst);
  // After a command changed the sight range (half blocks): the range in dots again and the
  // running stage's sight mask rebuilt for it, so that the darkness follows the new range.
  void UpdateSight();
};

// The heroes; element 0 is the hero of the running stage. The vector is sized once per stage
// set-up and never grows in play (the characters point at its elements).
extern cSafeVector<cPlayer> g_vPlayer;
