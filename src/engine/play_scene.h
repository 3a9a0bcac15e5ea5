// The play scene: runs one stage. This holds what the game objects, the map collision and the
// time keeping need of it: the two scroll axes, the time limit and play time, the stage
// result, the deferred hit-point check, the running effects, the id counter and the map-chip
// collision of the hero and the stage characters. The scene's states, frame, set-up, drawing
// and menus come with the play scene itself.
#pragma once

#include <cstdint>

#include "core/safe_container.h"
#include <list>
#include <string>

#include "engine/effect.h"
#include "engine/message_window.h"
#include "engine/object_list.h"
#include "engine/picture.h"
#include "engine/scroll.h"

class cObject;
class cPlayer;
class cBlockData;

// The summon parameters a block needs: the mode (0 put, 1 remove, 2 toggle) and whether a put
// is refused over the hero or over characters.
struct cSummonBlockParams {
  int32_t nMode = 0;
  int32_t bCheckHero = 0;
  int32_t bCheckCharas = 0;
};
class cChara;
class cFlowRun;
class cCond;
class cCmdState;
class cStage;
class MapChip;
class cItem;
class cShot;

class cPlayScene {
 public:
  cPlayScene();
  cPlayScene(const cPlayScene&) = delete;
  cPlayScene& operator=(const cPlayScene&) = delete;
  ~cPlayScene();

  // The play lists. Shots and swords of the stage. The characters (and the hero) by collision
  // layer 0..7, which the drawing and the damage pass walk in layer order, and the shots by
  // drawing layer. A character or shot taken out of play stays in its drawing list until the
  // lists are swept at the safe points, like the object lists; walks pass removed ones by.
  cObjectList<cShot> m_lShot;
  cSafeVector<std::list<cChara*>> m_vDrawList = cSafeVector<std::list<cChara*>>(8, std::list<cChara*>());
  cSafeVector<std::list<cShot*>> m_vShotDrawList = cSafeVector<std::list<cShot*>>(8, std::list<cShot*>());
  // Per sub-step of a frame: 1 where the damage pass runs. Sub-steps run since the stage start.
  cSafeVector<int32_t> m_vHitSchedule;
  int32_t m_nSubStepCount = 0;
  // Set while the damage pass runs (cleared on every way out of it): shots removed meanwhile
  // are only flagged, the pass erases them.
  int32_t m_bHitPass = 0;

  cScroll m_ScrollX;
  cScroll m_ScrollY;
  // Seconds left, the limit not running, frames played, play time in hundredths of a second.
  int32_t m_nTime = 0;
  int32_t m_bTimeStop = 0;
  int32_t m_nPlayFrames = 0;
  int32_t m_nPlayTime = 0;
  // 1 when the play ended (read by the character's death).
  int32_t m_nStageResult = 0;
  // The hit points of the characters are to be checked at the end of the current pass.
  int32_t m_bCheckHp = 0;
  int32_t m_nNextId = 0;
  cSafeList<cEffect> m_lEffect;

  // Hero
  // The running sub-step of the frame, 1..k (the riding jump starts only on the last).
  int32_t m_nSubStep = 0;

  // Items
  // Once per sub-step after the damage pass: box C of the hero against the active items that
  // are neither carried nor hidden. 0, or 1 the stage ends, 2 the hero dies.
  int PickUpItems(cPlayer& hero);

  // Block effects
  // The cells toggled by the running summon command (each toggles at most once per command).
  cSafeVector<int32_t> m_vToggledCells;
  // The effect of the chip under the hero, once per sub-step.
  int ApplyBlockEffect(cPlayer& hero);
  // The item of the chip under the hero: 0, or the result of giving it (1, 2).
  int TakeBlockItem(cPlayer& hero);
  // Puts, removes or toggles the block at a top-left position in map dots.
  void SummonBlock(double x, double y, const cSummonBlockParams& params, const cBlockData& block);
  // Flags the objects that a new block at the cell covers; 1 when a tested kind is covered.
  int FlagBlockOverlaps(int cell, int column, int row, const cSummonBlockParams& params);

  // The scroll axes from the stage (the camera is placed by the stage set-up).
  void SetUpScrolls(const cStage& stage);
  // The time limit and the play time as a stage start sets them.
  void SetUpTime(const cStage& stage);
  // One frame of the time limit; 1 in the frame in which it runs out.
  int CountDownTime(int delta);
  // One frame of play time.
  void CountPlayTime();

  // Map-chip collision of one axis; 2 means a deadly contact.
  int MoveMapX(cChara& chara);
  int MoveMapY(cChara& chara);
  int HitLeft(cChara& chara);
  int HitRight(cChara& chara);
  int HitCeiling(cChara& chara);
  int HitFloor(cChara& chara);
  // The edge tests again after the contacts with block characters.
  int RetestX(cChara& chara);
  int RetestY(cChara& chara);
  // The hero kept inside a view that scrolls by itself (or while it flies).
  void ScreenEdgeX(cChara& hero);
  int ScreenEdgeY(cChara& hero);
  // 1 when the body may not stand where it is: a chip that does not pass, or a block
  // character overlapping it.
  int IsPlaceBlocked(cObject& object);

  // Cell choices: grid indexes of the map.
  int PickEdgeCell(cObject& object, int x1, int y1, int x2, int y2);
  int PickHeroFloorCell(cObject& object);
  int PickCornerCell(int x0, int y0, int x1, int y1, int layer);

  // The grid index of the cell at a column and row of the map grid; both are clamped into the
  // grid, so a probe beyond its border reads the nearest border cell.
  int CellIndex(int column, int row) const;
  // The grid index of the cell under a point in dots (probes far outside the grid are
  // counted in 64 bits).
  int CellAtDot(long long x, long long y) const;
  MapChip& Chip(int index);
  int HitType(int index, int layer);

 private:
  // The floor test; bCount: count the sub-steps without floor (the re-test does not).
  int FloorTest(cChara& chara, int bCount);
  int CeilingTest(cChara& chara);

 public:
  // Flow runs: the character, run and command being processed (commands find their subject
  // here), and the message chain of an item list.
  cChara* m_pCurChara = nullptr;
  cFlowRun* m_pCurRun = nullptr;
  cCmdState* m_pCurCmd = nullptr;
  int32_t m_bListMsgCont = 0;

 public:
  // Scripting values: the stage variables (bank S; position n is Sn) and the flag set when a
  // script left another character without hit points (the death pass then runs at once after
  // the running character's turn).
  cSafeVector<int32_t> m_vStageVar = cSafeVector<int32_t>(1000, 0);
  int32_t m_bAssignKilled = 0;

  // Message windows, pictures, the pause loop and the ranking registration. m_nFrame,
  // m_bQuit, m_bWaitRelease, the ranking values and Draw belong to the frame and the stage
  // drawing too (one declaration of each stays).
  cSafeList<cMessageWindow> m_lMessage;
  cSafeList<cPicture> m_lPicture;
  cMessageSurfaceOwner m_MessageSurfaces;
  cPauseWait m_PauseWait;
  int32_t m_bQuit = 0;
  int32_t m_bWaitRelease = 0;
  int32_t m_nFrame = 0;
  int32_t m_bRankIn = 0;
  cSafeVector<int32_t> m_vRankPos = cSafeVector<int32_t>(5, 0);
  cSafeVector<int32_t> m_vRankValue = cSafeVector<int32_t>(5, 0);
  std::string m_strRankName;
  int32_t m_bRanked = 0;
  void Draw(int bPlay, int bFrozen, int bTimerSound, int bNotice);
  // Removes that window (its surface with it) when it is still in the list; windows before
  // it may have ended while the game was held.
  void RemoveMessage(const cMessageWindow* lpWindow);
  // Holds the game in the pause loop until m_PauseWait is met (or the window closes): starts
  // the pause thread and waits for it. 0 when the loop ended because of the quit flag.
  int RunPauseLoop();
  // Registers the result in the rankings and shows them until decide.
  void EnterRanking();

  // Conditions: rule 0 all hold (an empty list holds), rule 1 one holds (an empty list
  // fails), other rules fail.
  int CheckCondList(const cSafeVector<cCond>& conds, int rule, cChara& subject);
  int CheckCond(const cCond& cond, cChara& subject);
  // A flow's conditions with its once latch: an empty list, or a once-flagged list that held
  // before, holds without a test; a list that holds sets the latch.
  int CheckFlowConds(cFlowRun& run, cChara& chara);
  // The appearance conditions of a map chip and of a placed item, tested against player 1's
  // hero (without a hero a list that needs a test fails), and of a placed character, tested
  // against the character itself; the same once latch rule, with the chip's latch byte and the
  // object's appearance latch.
  int CheckBlockConds(MapChip& chip);
  int CheckCharaConds(cChara& chara);
  int CheckItemConds(cItem& item);

 private:
  // The once latch rule: 0 the list fails, 1 it holds without a test (empty, or once-flagged
  // and latched), 2 it was tested and holds (the caller then sets its latch).
  int CheckLatchedConds(const cSafeVector<cCond>& conds, int rule, int once, int latched, cChara* subject);
};

// The running play scene; null outside play.
extern cPlayScene* g_lpPlayScene;
