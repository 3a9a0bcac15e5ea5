// A shot or sword in play: its set-up from the command's shot data, its movement per sub-step
// with the ten trajectories, the sword's frames and anchors beside its owner, its map-chip
// test, its hit box and its links to the owner and target.
#pragma once

#include <cstdint>

#include "defs/ed_shot.h"
#include "engine/chara.h"
#include "engine/object.h"
#include "engine/object_list.h"

// Command kinds that create shot objects.
constexpr int SHOT_KIND_SHOT = 11;
constexpr int SHOT_KIND_SWORD = 12;

// What a formation lays out for one object of a volley (the shot set-up reads the volley,
// speed, range, lifetime, velocity and position).
struct cShotSpawn {
  int32_t nVolley = 0;
  // Dots per frame.
  double dSpeed = 0;
  // Degrees; velocity = (-cos, -sin) × speed: 0 left, 90 up, 180 right, 270 down.
  double dAngle = 0;
  // Half-blocks and tenths of a second.
  int32_t nRange = 0;
  int32_t nLifetime = 0;
  // Dots per frame.
  double dVx = 0;
  double dVy = 0;
  // Top-left of the object in stage dots.
  int32_t nX = 0;
  int32_t nY = 0;
  // The object's size and the offsets of the volley.
  int32_t nWidth = 0;
  int32_t nHeight = 0;
  int32_t nOffsetX = 0;
  int32_t nOffsetY = 0;
  // Resolved direction code (2 left, 3 right, 6 up, 7 down, 8..11 diagonals).
  int32_t nDir = 0;
};

struct DDSURFACEDATA;
class cSwordTypeSub;

// The frames of a sword type; null (reported once) for a type outside the table or without
// frames.
const cSafeVector<cSwordTypeSub>* SwingOf(int type);

class cShot : public cObject {
 public:
  int32_t m_nOwnerId = 0;
  // 1 shot, 0 sword.
  int32_t m_bShot = 1;
  // Sub-steps left until the range is reached, and to live.
  int32_t m_nRangeCount = 0;
  int32_t m_nLifeCount = 0;
  // Sub-steps since the set-up (shot), or spent in the current frame (sword).
  int32_t m_nClock = 0;
  int32_t m_nFrame = 0;
  // The acceleration's magnitude per sub-step; its vector is m_dAX, m_dAY.
  double m_dAccel = 0;
  // The speed per sub-step that the trajectories aim and home with.
  double m_dTrajSpeed = 0;
  // The shot's own velocity per sub-step, without the scroll carry.
  double m_dSpeedX = 0;
  double m_dSpeedY = 0;
  int32_t m_bAccel = 0;
  // Clock values at which the trajectory changes and at which homing ends.
  int32_t m_nChangeTime = 0;
  int32_t m_nHomingEnd = 0;
  int32_t m_bTrajDone = 0;
  double m_dWavePhase = 0;
  double m_dWaveSin = 0;
  double m_dWaveCos = 0;
  // The wave's amplitude in dots.
  int32_t m_nWaveAmplitude = 0;
  int32_t m_nVolley = 0;
  cBox m_Box;
  // The command's shot data: power, impact, hit effect, zoom.
  cEdShot m_Shot;
  // The character aimed at and the one that fired it; cleared when they go.
  cChara* m_lpTarget = nullptr;
  cChara* m_lpOwner = nullptr;
  // A hit is reported to the owner (events 18..20) with this value: the shot data's hit event
  // and its flow id.
  int32_t m_bReport = 0;
  uint8_t m_byReportValue = 0;

  cShot() = default;
  // A copy keeps no links: they stay the original's.
  cShot(const cShot& other);
  cShot& operator=(const cShot&) = delete;
  ~cShot() override { Unlink(); }

  void OnZoom(int nZoom) override;
  void ReanchorY(int nNew, int nOld) override;
  void UpdateHitX() override;
  void UpdateHitY() override;
  void OnRemoved() override { Unlink(); }

  // Links the shot to its owner and target (each keeps a shot link back to it).
  void Link(cChara* lpOwner, cChara* lpTarget);
  // Adds the shot to the character's shot links as kind (0 target, 4 owner) unless an equal
  // link is there already, and keeps the character as that reference.
  void LinkOnce(cChara& chara, int kind);
  // Drops the links both ways.
  void Unlink();

  // The set-up from the shot data and a spawn record; kind 11 shot, 12 sword. A sword whose
  // type is outside the table or has no frames is not set up (0; reported once).
  int SetData(int id, cChara& owner, int kind, const cEdShot& shot, const cShotSpawn& spawn);
  // The acceleration vector along (vx, vy) with the magnitude m_dAccel.
  void SetAccelDir(double vx, double vy);
  // One sub-step of movement; 1 when the shot is to be erased. Swords move by MoveSword.
  int Move();
  int MoveSword();
  void StepX();
  void StepY();
  void ClampX();
  // 1 when a map chip that is solid for the shot's side lies under its body.
  int HitMap();
  // 1 when the shot is off screen beyond its side's removal range.
  int IsOutOfShotRange() const;

  // The screen centre.
  int CenterX() const { return m_rcScreen.left + (m_nGraphicW >> 1); }
  int CenterY() const { return m_rcScreen.top + (m_nGraphicH >> 1); }

 private:
  void RunTrajectory();
  void StartTrajectory(int homing);
  void AimOnce();
  void Home();
  void Wave();
  void Fall();
  // The carry by the automatic scroll for a scroll-bound shot, else 0.
  void SetCarry();

 public:
  // Drawing: nothing when hidden; a shot from the shot sheet of its facing (its animation
  // stepped unless held), a sword from its type's image of its facing at the current frame;
  // stretched above zoom 1, both with the transparent colour.
  void Draw(DDSURFACEDATA* lpDst, int bHold);

  // Read by the damage pass
  // The ids of the characters this shot or sword has already hit (they are not hit again).
  cSafeList<int32_t> m_lHitList;
};

// Appends a copy of the shot to the list and its pointer to the scene's shot list of its side
// (a side outside the lists uses list 0); returns the copy.
cShot& CloneShot(cObjectList<cShot>& list, const cShot& shot);
// Takes the shot out of play: marked removed and its links dropped; SweepShots frees it.
void EraseShot(cShot& shot);
class cPlayScene;
// At a safe point: drops the removed shots from the scene's side lists and frees them unless a
// walk of the shot list is active. Returns how many were freed.
size_t SweepShots(cPlayScene& scene);
