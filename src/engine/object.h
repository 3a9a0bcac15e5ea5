// The root of every game object of the play scene (hero, stage characters, items, shots and
// swords) and the motion functions they share: clamps against the scroll and stage edges,
// the per-sub-step steps, screen and range tests, off-screen removal, knock-back and wave
// speeds. Positions are dots as doubles in stage coordinates: a grid of 32-dot cells with a
// margin of 10 cells on every side of the stage proper.
#pragma once

#include <cstdint>

#include "core/anim_seq.h"
#include "platform/wintypes.h"

class cRemovalRule;
class cCmdState;

// A lifetime of this value never runs out.
constexpr int32_t LIFETIME_UNLIMITED = 2147483647;
// Scales the axis speeds of a diagonal aimed move.
constexpr double INV_SQRT2 = 0.7071067811865476;
// The border of the map grid around the stage proper, in cells, and the size of a cell.
constexpr int MAP_MARGIN = 10;
constexpr int CELL_DOTS = 32;
// The view in dots.
constexpr int VIEW_WIDTH = 640;
constexpr int VIEW_HEIGHT = 480;

class cObject {
 public:
  int32_t m_nId = 0;
  // Counted down once per sub-step by the play scene; LIFETIME_UNLIMITED never runs out.
  int32_t m_nLife = 0;
  // 0 left, 1 right.
  int32_t m_nDir = 0;
  int16_t m_sTag = 0;
  int32_t m_nGraphic = 0;
  cAnimSeq m_Anime;
  // Screen dots, written by CalcScreenRect.
  RECT m_rcScreen{};
  // Where the body lies inside the graphic cell and the size of the drawn cell, scaled by the
  // zoom, and the same at zoom 1.
  int32_t m_nGraphicX = 0;
  int32_t m_nGraphicY = 0;
  int32_t m_nGraphicW = 0;
  int32_t m_nGraphicH = 0;
  int32_t m_nBaseGraphicX = 0;
  int32_t m_nBaseGraphicY = 0;
  int32_t m_nBaseGraphicW = 0;
  int32_t m_nBaseGraphicH = 0;
  // 0 controlled by a player (deadly chips kill it), 1 computer controlled (deadly chips are
  // solid to it).
  int32_t m_nKind = 0;
  int32_t m_nPlayerNo = 0;
  // The collision layer, which is also the object's side.
  int32_t m_nLayer = 0;
  // The body: top-left corner and far edges (x + width - 1, y + height - 1).
  double m_dX = 0;
  double m_dY = 0;
  double m_dFarX = 0;
  double m_dFarY = 0;
  int32_t m_nCellX = 0;
  int32_t m_nCellY = 0;
  int32_t m_nFarCellX = 0;
  int32_t m_nFarCellY = 0;
  // Dots per sub-step, and per sub-step squared (also a decaying thrust under friction).
  double m_dVX = 0;
  double m_dVY = 0;
  double m_dAX = 0;
  double m_dAY = 0;
  double m_dFriction = 0;
  int32_t m_bFrictionX = 0;
  int32_t m_bFrictionY = 0;
  // Moves with the automatic scroll.
  int32_t m_bScrollSync = 0;
  // The body's size, scaled and at zoom 1.
  int32_t m_nWidth = 0;
  int32_t m_nHeight = 0;
  int32_t m_nBaseWidth = 0;
  int32_t m_nBaseHeight = 0;
  // 1: no gravity (flying).
  int32_t m_bFree = 0;
  // Block contact: 0 passes through blocks, 1 collides, 2 dies on touching a block.
  uint8_t m_byBlockMode = 0;
  int32_t m_bActive = 0;
  int32_t m_bOnScreen = 0;
  uint8_t m_byAppearLatch = 0;
  // The integer zoom of the body (characters: their definition's zoom).
  int32_t m_nZoom = 1;
  // Set when the object was taken out of play: its list frees it at the next safe point, and
  // every walk and search passes it by.
  int32_t m_bRemoved = 0;

  // Takes the object out of play (m_bRemoved) and counts it: a sweep of the lists passes by
  // when no object was taken out (or added) since the last one.
  void MarkRemoved() {
    m_bRemoved = 1;
    ++s_nMarkedRemoved;
  }
  // Objects taken out of play since the program started.
  static uint64_t MarkedRemoved() { return s_nMarkedRemoved; }

  cObject() = default;
  cObject(const cObject&) = default;
  cObject& operator=(const cObject&) = default;
  virtual ~cObject() = default;

  // Slot 1: copies every field of the object part.
  virtual void CopyBase(const cObject& other) { *this = other; }
  // Slot 2: display size, graphic offset and size = zoom × their values at zoom 1; keeps the
  // horizontal centre; then OnZoom.
  virtual void SetZoom(int nNew, int nOld);
  virtual void OnZoom(int nZoom) {}
  virtual void ReanchorY(int nNew, int nOld) {}
  virtual void UpdateHitX() {}
  virtual void UpdateHitY() {}
  virtual void MoveCenterTo(int gx, int gy) {}
  virtual void ArriveAt(int gx, int gy, cCmdState& state) {}
  virtual void MoveCenterX(int gx) {}
  virtual void ArriveX(int gx, cCmdState& state) {}
  virtual void MoveCenterY(int gy) {}
  virtual void ArriveY(int gy, cCmdState& state) {}
  // Called once when the object is taken out of play (marked removed): the object drops every
  // reference to it that others hold and every reference it holds.
  virtual void OnRemoved() {}

  // Stores the values (scaled and unscaled alike), lifetime unlimited; with animation lists
  // builds the sequencer and selects the first animation; zero velocities, accelerations,
  // active, on screen and the latch; then SetMoveMode.
  void Init(int id, int kind, int playerNo, int layer, int graphic, const int* const* lpAnime, int firstAnime,
            int graphicX, int graphicY, int width, int height, int graphicW, int graphicH, int dir, int moveMode,
            int16_t tag);
  // Movement mode 0..3: free vertical 0/1/1/1 and block mode 1/0/1/2; others change nothing.
  void SetMoveMode(int mode);
  // ReanchorX, then slot ReanchorY; nothing when equal.
  void ChangeZoom(int nNew, int nOld);
  // x -= (new - old) × (unscaled width >> 1), then ClampX(2); nothing when equal.
  void ReanchorX(int nNew, int nOld);

  // Clamp rules 0 (the scroll range), 1 (the stage proper), 2 (classify; only the field edges
  // clamp); then the far edge, UpdateHit and the cells. ClampX gives 0..3, ClampY 0..6.
  int ClampX(int rule);
  int ClampY(int rule);
  // Speed limit, move, clamp.
  int MoveStepX(int rule);
  int MoveStepY(int rule);
  // Velocity y += gravity step unless free vertical.
  void ApplyGravity();
  // Moves value toward 0 by the friction without crossing 0; nothing when off.
  void Friction(double& value, int on) const;
  // +1 facing right, -1 facing left.
  int DirSign() const { return m_nDir == 1 ? 1 : -1; }

  // Virtual: the hero computes its own.
  virtual void CalcScreenRect();
  bool IsOnScreen() const { return IsOnScreenAxes(0, 0); }
  bool IsOnScreenAxes(int skipX, int skipY) const;
  bool IsInsideStage(int wholeField) const;
  // 1 when the object is off screen beyond the rule's margins, or at the field's edge.
  int IsOutOfRange(const cRemovalRule& rule) const;
  // Any of the four corner cells of the object's stored cell box blocks its layer.
  bool CornerBlocked() const;
  // The distance condition on one axis (screen dots).
  bool IsInRange(int position, int size, int targetLow, int targetHigh, int targetOffset, int extentLow,
                 int extentHigh, int whole, int vertical, const cObject* target) const;

  // The far edges and cells from x, y and the size.
  void UpdateFarX();
  void UpdateFarY();

  // Contacts
  // 1 when the body overlaps the rectangle x1, y1 .. x2, y2 (edges included).
  int OverlapsRect(double x1, double y1, double x2, double y2) const;

 private:
  // Play objects live on the game thread alone.
  static inline uint64_t s_nMarkedRemoved = 0;
};

// Truncation toward zero of a position, as the cells and the screen use it; a value beyond
// the int range gives that range's end (and a value that is not a number gives 0).
int TruncPos(double v);

// The stage's sub-steps per frame (at least 1 for the divisions that need it).
int SubSteps();
double SubStepsReal();

// A value given per second as a per-sub-step step: v / k / 60.
double SpeedPerFrame(double v);
// A 16-bit value in 1/100 units as a per-sub-step acceleration: v × 0.01 / k².
double AccelFromParam(int v);
// n half-blocks as dots (n signed 8-bit).
int HblToDot(int n);

// The start speeds that carry an object 16 × |d| dots along (dx, dy) while losing 1/k per
// sub-step; nothing is written for an impact of 0.
void KnockbackSpeed(double& vx, double& vy, int impact, double dx, double dy);
// Wave motion: the phase (degrees × k) advances by step and wraps once at 360k.
double WaveVelocity(double amplitude, double period, double& phase, double step, double offset);
double WaveVelocityY(double amplitude, double period, double& phase, double step, double offset);

// The edges of a distance range on one axis.
void RangeEdges(int& low, int& high, int position, int size, int extentLow, int extentHigh, int whole);
