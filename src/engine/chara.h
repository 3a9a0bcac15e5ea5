// A character in play: the common base of the hero and the stage characters. It carries its
// own copy of its definition, hit points and skill points with their gauges, the response to
// damage and impact, contact pauses, death with its score and drop item, the four target
// slots with the references back to it, the contact boxes and the motion flags that the map
// collision and the jumps share.
#pragma once

#include <cstdint>

#include "core/safe_container.h"
#include "defs/block_data.h"
#include "defs/chara_data.h"
#include "engine/chara_effect.h"
#include "engine/link_list.h"
#include "engine/object.h"
#include "engine/partner_pause.h"
#include "script/flow_run.h"

struct DDSURFACEDATA;

class cChara;
class cShot;
class cStageChara;
template <class T>
class cObjectList;
class cItem;
class cEdMove;
class cCond;
struct cGraphicRef;

// Who refers to a character: the object and its slot (0..3 a target slot, 4 its summoner).
struct cCharaRef {
  cChara* lpChara = nullptr;
  int32_t nSlot = 0;
};
constexpr int TARGET_SLOTS = 4;
constexpr int SUMMONER_SLOT = 4;
bool IsSameTargetRef(const cCharaRef& a, const cCharaRef& b);

// A shot whose reference to a character must be cleared when the character goes: kind 0 its
// target, kind 4 its owner.
struct cShotLink {
  cShot* lpShot = nullptr;
  int32_t nKind = 0;
};

// A link's object and slot, as the character's link lists (link_list.h) know it.
inline const void* LinkObject(const cCharaRef& r) { return r.lpChara; }
inline int32_t LinkSlot(const cCharaRef& r) { return r.nSlot; }
inline const void* LinkObject(const cShotLink& l) { return l.lpShot; }
inline int32_t LinkSlot(const cShotLink& l) { return l.nKind; }

// An animated gauge (50 dots long): remaining frames, change in gauge dots, change per frame,
// target length.
struct cGauge {
  int32_t nFrames = 0;
  double dChange = 0;
  double dPerFrame = 0;
  int32_t nTarget = 0;
};

// An animation started by a command: its own sequencer, the remaining count, the extra loops,
// the flow that started it (-1 none) and the end flag.
struct cRunningAnime {
  cAnimSeq seq;
  int32_t nCount = 0;
  int32_t nLoops = 0;
  int32_t nFlowId = -1;
  int32_t bEnd = 0;
  // 1 for the animations the flows attach to their commands, 0 for the animation command's.
  int32_t bFlowStarted = 0;
};

// A contact box in stage coordinates, with its offset and size scaled and at zoom 1.
struct cBox {
  double dLeft = 0;
  double dTop = 0;
  double dRight = 0;
  double dBottom = 0;
  int32_t nOffsetX = 0;
  int32_t nOffsetY = 0;
  int32_t nWidth = 0;
  int32_t nHeight = 0;
  int32_t nBaseOffsetX = 0;
  int32_t nBaseOffsetY = 0;
  int32_t nBaseWidth = 0;
  int32_t nBaseHeight = 0;
};

constexpr int FLOW_GROUPS = 27;
constexpr int CHARA_VARIABLES = 9;
constexpr int SCORE_MAX = 999999;

class cChara : public cObject {
 public:
  // Set once the references of the character have been released; the destructor releases
  // them while it is 0.
  int32_t m_bLinksReleased = 0;
  // tg1..tg4; slot 0 is the hero after set-up.
  cSafeVector<cChara*> m_vTarget = cSafeVector<cChara*>(TARGET_SLOTS, nullptr);
  cChara* m_lpSummoner = nullptr;
  cLinkList<cCharaRef> m_vBackRef;
  cLinkList<cShotLink> m_vShotLink;
  // Set by the summoning command: contacts and damage of this character are also reported to
  // its summoner with events 18..20 and this value.
  int32_t m_bReportToSummoner = 0;
  uint8_t m_byReportValue = 0;
  cCharaData m_Data;
  // The flow runs (one per flow of m_Data) belong to the behaviour scripting, which adds them
  // here with the run records. The per-group bytes are read and written by it.
  cSafeVector<uint8_t> m_vGroupRunning = cSafeVector<uint8_t>(FLOW_GROUPS, 0);
  cSafeVector<uint8_t> m_vGroupStarted = cSafeVector<uint8_t>(FLOW_GROUPS, 0);
  cSafeVector<uint8_t> m_vGroupStopped = cSafeVector<uint8_t>(FLOW_GROUPS, 0);
  int32_t m_bAnyGroupStopped = 0;
  int32_t m_bAnyDelete = 0;
  int32_t m_nPlaceValue[4] = {};
  int32_t m_bMovedByCmd = 0;
  // Knock-back: dots per sub-step, decaying by 1/k per sub-step.
  double m_dKnockX = 0;
  double m_dKnockY = 0;
  int32_t m_bKnocked = 0;
  // The knock-back velocity y already added into velocity y.
  double m_dLastKnockY = 0;
  int32_t m_bGravityHold = 0;
  // 0 left, 1 right, -1 none: the side of the last wall contact.
  int32_t m_nWallSide = -1;
  int32_t m_bAirborne = 1;
  int32_t m_bJumpStartA = 0;
  int32_t m_bJumpStartB = 0;
  int32_t m_bJumping = 0;
  int32_t m_nAirCount = 0;
  // The chip under the feet (null: none) and the last one.
  MapChip* m_lpFloor = nullptr;
  MapChip* m_lpLastFloor = nullptr;
  // Counted down by Act; while positive a change of movement mode is settling and the hero is
  // not killed by crushing.
  int32_t m_nModeCountdown = 0;
  // The horizontal and vertical screen-pin words, cleared every frame and by the jump command.
  int32_t m_nPinX = 0;
  int32_t m_nPinY = 0;
  // Warp: the screen left and top the character is drawn at while the pin words are set.
  int32_t m_nPinLeft = 0;
  int32_t m_nPinTop = 0;
  int32_t m_bDead = 0;
  int32_t m_bPressLeft = 0;
  int32_t m_bPressRight = 0;
  int32_t m_bPressTop = 0;
  int32_t m_bPressBottom = 0;
  int32_t m_bShifted = 0;
  int32_t m_bRiding = 0;
  int32_t m_nCarrierId = 0;
  double m_dCarrier[4] = {};
  // x, y, far x, far y saved at the start of each sub-step.
  double m_dPrev[4] = {};
  int32_t m_nHp = 0;
  cGauge m_HpGauge;
  int32_t m_nSp = 0;
  cGauge m_SpGauge;
  cSafeVector<int32_t> m_vVar = cSafeVector<int32_t>(CHARA_VARIABLES, 0);
  int32_t m_nPause = 0;
  cPartnerPauses m_lPartnerPause;
  cSafeList<cRunningAnime> m_lAnime;
  cCharaEffectState m_Effect;
  int32_t m_bRemoveNow = 0;
  int32_t m_nSight = 0;
  // A: the contact box; B: the damage box against shots.
  cBox m_BoxA;
  cBox m_BoxB;

  cChara() = default;
  // A copy never owns the links it copied: they stay the original's, and destroying the copy
  // leaves them alone.
  cChara(const cChara& other);
  cChara& operator=(const cChara&) = delete;
  ~cChara() override;

  void SetZoom(int nNew, int nOld) override { cObject::SetZoom(nNew, nOld); }
  void ReanchorY(int nNew, int nOld) override;
  void MoveCenterTo(int gx, int gy) override;
  void ArriveAt(int gx, int gy, cCmdState& state) override;
  void MoveCenterX(int gx) override;
  void ArriveX(int gx, cCmdState& state) override;
  void MoveCenterY(int gy) override;
  void ArriveY(int gy, cCmdState& state) override;
  void OnRemoved() override { ReleaseLinks(); }

  // Copies every member of the character; the copy does not own the links it copied.
  virtual void CopyFrom(const cChara& other);
  virtual cItem* GetDropItem() { return nullptr; }
  virtual int OnMoveX() { return 0; }
  virtual int OnMoveY() { return 0; }
  virtual int StepX() { return 0; }
  virtual int StepY() { return 0; }
  virtual int Act(int bDying) { return 0; }
  virtual void StepJump(cCmdState& state) {}

  // The set-up shared by placement and re-initialisation.
  void Reset(const cCharaData* lpData, const int32_t placeValue[4], int16_t tag);
  void LinkInitialTargets(cChara* lpSummoner);
  void ReleaseLinks();
  // Puts chara into target slot 0..3 (null empties it), keeping the back-references; a slot
  // outside 0..3 selects nothing.
  void SetTarget(int slot, cChara* lpChara);
  // Target command: with bClear, or when lpChara is given, as SetTarget; without bClear a null
  // lpChara leaves the slot as it is. 1 when the slot holds lpChara afterwards (and it is not
  // null).
  int SetTarget(int slot, cChara* lpChara, int bClear);
  cChara* Target(int slot) const;

  int AddHp(int delta, int force, int animate);
  int AddSp(int delta, int animate);
  void StartGaugeAnim(int delta);
  void StartSpGaugeAnim(int delta);

  int TakeDamage(cChara& attacker);
  void ReportDamage(cChara& attacker);
  int TakeShotDamage(cShot& shot);
  void ReportShotDamage(cShot& shot);

  void ApplyImpact(int impact, double dx, double dy);
  void KnockFromChara(const cChara& attacker);
  void KnockFromShot(const cShot& shot);
  void ApplyKnockY();
  void DecayKnockX() { DecayKnock(m_dKnockX); }
  void DecayKnockY() { DecayKnock(m_dKnockY); }

  void StartPause();
  void StartPartnerPause(int partnerId);
  void AgePauses();
  bool IsPaused() const { return m_nPause > 0; }
  bool IsPausedFor(int partnerId) const;

  int Die();

  void SavePosition();
  void RestorePosition();
  void ClearPressed();
  void LeaveCarrier(int bShift);

  void SetBoxA(int bottom, int w, int h);
  void SetBlockX(int n);
  void SetBlockY(int n);
  void SetBlock(int column, int row) {
    SetBlockX(column);
    SetBlockY(row);
  }

  // The map collision's steps (the fields are this class's).
  void Land();
  void BumpCeiling();
  bool IsOnGround();
  // Velocity y += gravity step unless free vertical, riding, held, or knocked upward.
  void ApplyGravity();

  double JumpSpeedForHeight(double h) const;
  double JumpSpeedForHbl(int n) const;
  int JumpTicks(double vs) const;
  int JumpTimeForHbl(int n) const;

  // Aimed moves of the movement commands (screen positions; the screen rectangles must be
  // current). The goal is the centre plus the command's offsets.
  void GetMoveGoal(int& gx, int& gy, const cCmdState& state) const;
  int MoveToward(cCmdState& state, cChara* target, int gx, int gy, int moverScrollSync, int arrival);
  int MoveTowardX(cCmdState& state, cChara* target, int gx, int moverScrollSync, int arrival);
  int MoveTowardY(cCmdState& state, cChara* target, int gy, int moverScrollSync, int arrival);

  // Events: the flows of the key start (the behaviour scripting runs them).
  void FireEvent(int key) { FireEventEx(key, nullptr, 0); }
  void FireEventEx(int key, cObject* lpPartner, int value);

  // The centre of the character on screen.
  int CenterX() const { return m_rcScreen.left + (m_nGraphicW >> 1); }
  int CenterY() const { return m_rcScreen.top + (m_nGraphicH >> 1); }

 private:
  void DecayKnock(double& v) const;

 public:
  // Act (shared by the hero and the stage characters)
  // Makes the character the scene's current actor and steps its flow runs in order (only
  // death-triggered ones while dying); 1 when the act must end at once (a command set its
  // remove-now flag, or its HP reached 0 outside the death flows). The scene's current actor, run and
  // command are cleared afterwards either way.
  int RunActFlows(int bDying);
  // After the flows: runs the deferred flow changes, removes the runs marked for deletion and
  // releases the stopped flow groups.
  void EndFlowTurn();
  // EndFlowTurn, then the standing animation when nothing moved the character.
  void EndAct();
  void RemoveBackRef(const cCharaRef& ref);

 public:
  // Flow runs: one run per flow of m_Data.m_vFlow, in the same order.
  cSafeVector<cFlowRun> m_vFlowRun;
  int32_t m_nNextRunId = 0;
  // The clone value: per-clone figures of the commands are multiplied by it.
  int16_t m_sClone = 0;
  // Flow changes taken by the hero while its own flows step; run at the end of its turn.
  cSafeVector<cFlowCmd> m_vDeferredFlowCmd;

  // Builds runs for the source flows: bAdd 0 all runs from the own flow list (the source), bAdd
  // 1 copies of the source inserted at pos (or appended for -1 or past the end). Returns the
  // number of source flows.
  int BuildFlows(cSafeVector<cFlow>& src, int bAdd, int pos);
  // One tick of a command through the command table.
  void ExecCommand(cCmdState& state);
  void RelinkFlowRuns();
  void RemoveFlowAt(int index);
  // Flows of an ID (1..26) removed: the index of the first, -1 when none; 0 removes all.
  int RemoveFlowsById(int id);
  void CopyFlowRuns(const cChara& other);
  void RemoveFlowAnims(int runId);
  // The flow part of the character's sub-step turn: its runs stepped in order (only
  // death-triggered ones while dying), the current context cleared, the deferred flow changes
  // run, the runs marked for deletion removed, the stopped groups released.
  void StepFlowRuns(int bDying);

 private:
  void CopyFlowState(const cChara& o);

 public:
  // The hero's arrange entries waiting for the next command of an item command list.
  std::list<cFlowCmd> m_lPlayerArrange;

 public:
  // Movement commands: the steps they share (cmd_move.cpp) and the aimed and screen-edge steps
  // (cmd_chase.cpp). Velocities are dots per sub-step; requests are FACE_NONE/LEFT/RIGHT.
  // Effective angle (angle + per-clone angle × clone value, mirrored for a character whose
  // basic facing is right, 0..359) into the state.
  void CalcMoveAngle(cCmdState& state, const cEdMove& move) const;
  // Target offsets in dots (blocks × 32 + dots), mirrored for a basic facing to the right.
  void CalcMoveOffset(cCmdState& state, const cEdMove& move) const;
  // Front, back, front-Y and back-Y by the facing; the input direction from the running flow's
  // start direction (diagonals folded for a character that does not fly).
  int ResolveMoveDirection(int code) const;
  // The same without the fold: front and back by the facing, the input direction with the
  // given direction held at its start (the warp folds diagonals by its own switch).
  int ResolveDirectionCode(int code, int inputStart) const;
  void DirectionVelocity(double& vx, double& vy, int& request, double speed, int code) const;
  void AngleVelocity(double& vx, double& vy, int& request, double speed, int code, int angle) const;
  // Toward the point of the record's coordinate mode; may set the remaining ticks.
  void TargetPointVelocity(double& vx, double& vy, int& request, double speed, int offsetX, int offsetY,
                           const cEdMove& move, int32_t& remaining) const;
  void GroundTurnStep(cCmdState& state);
  // The facing request (unless fixed without force, or kept), the velocity or, with inertia,
  // the acceleration, and the walking animation.
  void ApplyCommandMove(double vx, double vy, int request, cCmdState& state, const cEdMove* move, int force);
  int StepToGoal(cCmdState& state, const cEdMove& move, cChara* target, int gx, int gy);
  void AvoidScreenEdgeVelocity(double& vx, double& vy, double speed, int code) const;
  // The turn-back request of the ground walk: set by the contact pass when the character
  // bumps into a solid character, with that character's id and x at the contact.
  int32_t m_bTurnBack = 0;
  int32_t m_nTurnBackId = 0;
  double m_dTurnBackX = 0;
  // Animations, cells and drawing of the character
  // Frames counted by the hero's death drawing.
  int32_t m_nDeathCount = 0;
  // Rebuilds the basic animations from an animation set (nothing when not forced and the set
  // is the current one); the current animation restarts at its first step.
  void SetAnimeSet(int set, int force);
  // Starts the scheduled animations of the running, unpaused flow runs whose tick has come.
  void StartCommandAnims();
  // The running animations of a flow run: ended when both counters are spent, else flagged to
  // end; or their end flags cleared.
  void StopFlowAnims(int runId);
  void UnmarkFlowAnims(int runId);
  // Steps the animations (unless held) and gives the pattern to show.
  int UpdateAnims(int hold);
  // The cell base of the sheet with the state patterns; fills the reference's colour.
  int GetCellBase(cGraphicRef& ref);
  void Draw(DDSURFACEDATA* surface, int hold);
  // 1 when the death drawing is over.
  int DrawDead(DDSURFACEDATA* surface, int hold);
  // Runs the character effect without drawing; 1 when it ended.
  int AdvanceEffect(int hold);
  // Fills the reference for the character's graphic at a pattern.
  void SetGraphicRef(cGraphicRef& ref, int pattern);
  // The picture as the plain drawing shows it, at (0, 0) of a work surface without the
  // transparent colour; uncoloured, or with the invincibility colour.
  void BlitToWork(DDSURFACEDATA* work, const cGraphicRef& ref);
  void BlitToWorkColoured(DDSURFACEDATA* work, const cGraphicRef& ref);
  // The plain picture at the screen rectangle.
  void DrawPlain(DDSURFACEDATA* surface, const cGraphicRef& ref);
  // Whether the picture is stretched to its drawn size.
  bool IsScaledPicture(const cGraphicRef& ref) const;
  void DrawHpGauge(DDSURFACEDATA* surface) { DrawGauge(surface, m_HpGauge, 0); }
  void DrawSpGauge(DDSURFACEDATA* surface) { DrawGauge(surface, m_SpGauge, 1); }
  void DrawGauge(DDSURFACEDATA* surface, cGauge& gauge, int sp);
  // The range of a distance condition on screen.
  void DrawDistanceRange(DDSURFACEDATA* surface, const cCond& cond, int phase);
};

// A stand-in for the event triggers (the engine's tests log the events through it). Null: an
// event starts the character's flows of its key.
extern void (*g_lpfnFireEventEx)(cChara& chara, int key, cObject* lpPartner, int value);

// The hero vector first, then the character list; null when absent or removed.
cChara* FindObjectById(int id);
// The first character of the list (in list order) with the id that is not removed; null when
// none. Looked up in an index of the list by id.
cStageChara* FindStageCharaById(cObjectList<cStageChara>& list, int id);
