// A shot or sword in play: the members that the characters' damage, knock-back and links use.
// Its set-up, trajectories, map test and drawing come with the shots themselves.
#pragma once

#include <cstdint>

#include "defs/ed_shot.h"
#include "engine/chara.h"
#include "engine/object.h"

class cShot : public cObject {
 public:
  int32_t m_nOwnerId = 0;
  // 1 shot, 0 sword.
  int32_t m_bShot = 1;
  cBox m_Box;
  // The command's shot data: power, impact, hit effect, zoom.
  cEdShot m_Shot;
  // The character aimed at and the one that fired it; cleared when they go.
  cChara* m_lpTarget = nullptr;
  cChara* m_lpOwner = nullptr;
  // A hit is reported to the owner (events 18..20) with this value.
  int32_t m_bReport = 0;
  uint8_t m_byReportValue = 0;

  cShot() = default;
  // A copy keeps no links: they stay the original's.
  cShot(const cShot& other);
  cShot& operator=(const cShot&) = delete;
  ~cShot() override { Unlink(); }

  // Links the shot to its owner and target (each keeps a shot link back to it).
  void Link(cChara* lpOwner, cChara* lpTarget);
  // Drops the links both ways.
  void Unlink();
  void OnRemoved() override { Unlink(); }

  // The frame steps of a shot, run by the play frame: its own movement (non-zero: the shot
  // ends), one axis each, and its map test (non-zero: the shot ends).
  int Move();
  void StepX();
  void StepY();
  int HitMap();
};
