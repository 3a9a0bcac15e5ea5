// The play scene: runs one stage. This holds what the game objects, the map collision and the
// time keeping need of it: the two scroll axes, the time limit and play time, the stage
// result, the deferred hit-point check, the running effects, the id counter and the map-chip
// collision of the hero and the stage characters. The scene's states, frame, set-up, drawing
// and menus come with the play scene itself.
#pragma once

#include <atomic>
#include <cstdint>

#include "core/safe_container.h"
#include <list>
#include <string>

#include "engine/block_index.h"
#include "engine/effect.h"
#include "engine/hit_index.h"
#include "engine/message_window.h"
#include "engine/object_list.h"
#include "engine/picture.h"
#include "engine/scr_effect.h"
#include "engine/screen_color.h"
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
class cStageChara;
struct DDSURFACEDATA;
class cCharaData;
class cItemData;
class cSaveData;
struct cCharaSummon;
struct cItemSummon;

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
  // The block characters of the character list, which the solid contacts walk.
  cBlockCharaIndex m_BlockCharas;
  // Set while the damage pass runs (cleared on every way out of it): shots removed meanwhile
  // are only flagged, the pass erases them.
  int32_t m_bHitPass = 0;
  // The damage pass's broad phase over the layer lists.
  cHitIndex m_HitIndex;
  // Shots and swords: the id of the next shot or sword.
  int32_t m_nNextShotId = 0;

  cScroll m_ScrollX;
  cScroll m_ScrollY;
  // Seconds left, the limit not running, frames played, play time in hundredths of a second.
  int32_t m_nTime = 0;
  int32_t m_bTimeStop = 0;
  int32_t m_nPlayFrames = 0;
  int32_t m_nPlayTime = 0;
  // 1 when the play ended (read by the character's death).
  int32_t m_nStageResult = 0;
  // Set by a command that left another character without hit points or made it vanish
  // (status operations, the vanish command, the code language's assignments). Every
  // character's Act clears it first; when it is set after the Act, the deferred hit-point check
  // runs at once.
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
  // Contacts and the damage pass
  // Once per sub-step after every object moved: shots against the damage boxes of the
  // characters of the other layers, characters of different layers against each other, shots
  // cancelling shots. 0; 1 end of play; 2 the hero dies; or the result of an item given by a
  // hit. The hit-pass flag is set while it runs; shots removed meanwhile are only marked, and
  // they are swept from the shot lists after it, on every way out.
  int StepHits(cObjectList<cStageChara>& charas);
  // A character whose hit points ran out: 2 for the hero (the caller lets it die), 0 for one
  // already dead, else the result of its death.
  int KillChara(cChara& chara);
  // The hit points checked after a command changed them: 1 when it ended the frame, else 0.
  int CheckHp();
  // The solid contact of a body with the block characters of the list: pushed out, riding,
  // crushed. 2 a deadly contact, else 0.
  int ResolveContacts(cChara& object, cObjectList<cStageChara>& charas);
  // The body pushed out of the block characters along one axis (vertical 1: up or down).
  void PushOutOfBlockCharas(cChara& object, cObjectList<cStageChara>& charas, int vertical);
  // 1 when a block character other than excludedId overlaps the body.
  int OverlapsBlockChara(cObject& object, int excludedId);
  // 1 when the strip of 5 dots under the feet still overlaps the carrier rectangle.
  int IsStillRiding(cChara& object);
  // The first block character under the feet (the same strip); null when none.
  cChara* FindCarrier(cChara& object);
  // 1 when each of the four sides of the body, at its current or at the saved rectangle
  // (x, y, far x, far y), lies whole inside one block character.
  int IsSqueezed(cChara& object, const double saved[4]);

 private:
  int HitShotsOnCharas();
  int HitCharaPairs();
  void CancelShots();
  // Frees the shots marked removed after taking them out of the layer lists (not while the
  // shot list is walked).
  void SweepRemovedShots();

 public:
  // Flow runs: the character, run and command being processed (commands find their subject
  // here), and the message chain of an item list.
  cChara* m_pCurChara = nullptr;
  cFlowRun* m_pCurRun = nullptr;
  cCmdState* m_pCurCmd = nullptr;
  int32_t m_bListMsgCont = 0;

 public:
  // Stage drawing: one frame of the stage into the back buffer (play frame: drawn from the
  // play state; frozen: nothing that counts frames advances; timer sound: the time warning may
  // sound; notice: the test-play notice line).
  void Draw(int bPlay, int bFrozen, int bTimerSound, int bNotice);
  void ScrollBackLayers();
  void DrawBackLayers(DDSURFACEDATA* lpTarget, int bFront);
  void DrawBlocks(DDSURFACEDATA* lpTarget, int nLayer);
  void DrawHero(int bFrozen);
  // 1 when the character's death drawing has ended (the caller erases it).
  int DrawChara(cChara& chara, int bFrozen);
  void DrawHud(DDSURFACEDATA* lpTarget);
  void DrawTimer(DDSURFACEDATA* lpTarget, int bTimerSound);
  void DrawBrightness(int bFrozen);
  // The two shot work surfaces from the shot sheets: each 16-dot cell pair side by side in a
  // 32-dot cell.
  void BuildChipSurfaces();
  // The sight mask for the hero's sight value: the mask larger than the screen, its window
  // cut in the middle (square, or a circle through the window surface).
  void MakeSightMask(DDSURFACEDATA* lpMask, DDSURFACEDATA* lpWindow);
  // The stage's own images, sword images and effect images (again), from the database lists.
  void LoadStageBmp();
  void LoadSwords();
  void LoadEffects();
  // The screen effect applied to the composed frame; the running effect; the screen colour.
  void DrawScrEffect(int bFrozen);
  cScrEffectState m_ScrEffect;
  cScreenColor m_ScreenColor;

 private:
  // One frame of the running screen effect; 1 when it has finished.
  int ApplyScrEffect(int bFrozen);
  static int ScrEffectWorkImage(int kind);
  void DrawObjectLayer(int nLayer, int bLayered, int bFrozen);

 public:
  // Scripting values: the stage variables (bank S; position n is Sn).
  cSafeVector<int32_t> m_vStageVar = cSafeVector<int32_t>(1000, 0);

  // States, frame and stage set-up (play_frame.cpp, stage_setup.cpp).
  // State 0 fade-in, 1 start display, 2 play, 3 menu, 4 end of play, 5 retry or quit, 6 game
  // over, 7 fade-out; -1 until Init has run. The step inside a state.
  int32_t m_nState = -1;
  int32_t m_nStep = 0;
  int32_t m_nSavedState = 0;
  int32_t m_nSavedStep = 0;
  // Set by the window's close while the pause thread runs: the next play frame closes. The
  // window thread writes it while the pause loop reads it.
  std::atomic<int32_t> m_bQuit{0};
  // Init failed: the scene does nothing more until the program closes.
  int32_t m_bInitFailed = 0;
  int32_t m_nPlayers = 1;
  int32_t m_nStartCount = 0;
  int32_t m_nStartCount2 = 0;
  int32_t m_nSeed = 0;
  int32_t m_bWaitRelease = 0;
  cSafeVector<uint8_t> m_vRangeFlag = cSafeVector<uint8_t>(60, 0);
  int32_t m_nFps = 0;
  int32_t m_nNextDropId = 0;
  int32_t m_bRemoveChara = 0;
  int32_t m_bRemoveBlockChara = 0;
  int32_t m_bRemoveItem = 0;
  int32_t m_nFrame = 0;
  int32_t m_nNextStage = 0;
  std::string m_strNextStage;
  // Message windows, pictures and the pause loop's wait request.
  cSafeList<cMessageWindow> m_lMessage;
  cSafeList<cPicture> m_lPicture;
  cMessageSurfaceOwner m_MessageSurfaces;
  cPictureSurfaceOwner m_PictureSurfaces;
  cPauseWait m_PauseWait;
  int32_t m_bRankIn = 0;
  cSafeVector<int32_t> m_vRankPos = cSafeVector<int32_t>(5, 0);
  cSafeVector<int32_t> m_vRankValue = cSafeVector<int32_t>(5, 0);
  std::string m_strRankName;
  int32_t m_bRanked = 0;
  int32_t m_nHudValue = 0;

  // One frame: Init first when the state is -1, then the handler of the state.
  void Update();
  // Set-up when the scene is entered: images, then SetStage; 0 when it failed.
  int Init();
  void FadeIn();
  void StateStart();
  void StatePlay();
  // One sub-step of the frame: 0 go on, 1 the frame ends.
  int SubStep(int i);
  // A character's two axes with their map collision and gravity: remove and death as the
  // steps report them.
  void MoveChara(cStageChara& c, int& remove, int& death);
  // A character's death inside the frame: 0 nothing more, 1 end of play, 2 the hero died.
  int DefeatChara(cChara& chara, cObjectList<cStageChara>& charas);
  // Carries a rider along with the character it stands on.
  int CarryRider(cChara& rider, cObjectList<cStageChara>& charas);
  // Active, on-screen and activity-range flags of the hero, the characters, items and shots.
  void UpdateAppearance();
  // The hero dies: sound 8 and its death; a death that ends the play ends it. 1 when play ended.
  int KillHero();
  // Takes a character out of play: links released, drawing list, list.
  void EraseCharaNode(cChara& chara);
  // Frees the objects taken out of play and drops them from the drawing lists; only between
  // walks, and only when an object was taken out of play or added since the last sweep.
  void SweepPlayLists();
  // What the last sweep of the play lists, and of the shots alone, found: the objects taken
  // out of play and those added to each list until then.
  struct SweepStamp {
    uint64_t removed = ~0ull, charas = 0, items = 0, shots = 0;
    bool operator==(const SweepStamp&) const = default;
  };
  SweepStamp Stamp() const;
  SweepStamp m_PlaySwept;
  SweepStamp m_ShotsSwept;

  // Builds the stage for a start (bFirst) or restart; bLoadStage restores the working stage
  // from the stage as loaded first. 0 when the stage cannot be played.
  int SetStage(int bLoadStage, int bFirst);
  void PlaceChara(int cellX, int cellY, const cCharaData& def, const cItem* lpDrop);
  void PlaceItem(int cellX, int cellY, const cItemData& def);
  // The characters and items the stage file placed at the start: the limits of what play
  // makes count beyond them.
  size_t m_nPlacedCharas = 0;
  size_t m_nPlacedItems = 0;
  // Summoned characters and items (the summon commands' placements); they use up ids.
  void SummonChara(const cCharaSummon& summon);
  void SummonItem(const cItemSummon& summon);
  // The damage-pass schedule of k sub-steps with m passes per frame.
  static cSafeVector<int32_t> BuildHitSchedule(int k, int m);
  void ResetPlayCounters();
  static int ConsumeLife(cSaveData& progress);
  // After the hero's death animation: restart, retry choice or game over.
  void RestartAfterDeath();
  void EndPlay();
  void AddTotalScore();
  void PlayBgm(int nBgm, int bLoop);
  // After the end-of-play display: the next scene type (4 plays the next stage or the same).
  int GoNextStage();
  // The newest file of the next stage of the series; 1 when there is one.
  int MakeResFileName(std::string& name, int number) const;
  // The name whose newest numbered file is the next stage: the path the stage clear named, or
  // the series base name with the number.
  std::string NextStageName(int number) const;
  int HasNoNextStage(int number) const;
  // Whether the end of play starts the stage file again (a stage file played on its own, or a
  // free stage outside a series): after a clear the same stage is played again.
  static int RestartsStageFile();

  // Removes that window (its surface with it) when it is still in the list; windows before
  // it may have ended while the game was held.
  void RemoveMessage(const cMessageWindow* lpWindow);
  // Pictures (picture.cpp). Empties the picture list with the picture surfaces (released) and
  // their creation entries.
  void ClearPictures();
  // Removes that picture with its surface and creation entry when it is still in the list.
  void RemovePicture(const cPicture* lpPicture);
  // Draws the pictures of a layer (0 behind the stage, 1 in front of it); one that has ended
  // goes with its surface and creation entry.
  void DrawPictures(DDSURFACEDATA* lpTarget, int nLayer, int bFrozen);
  // Holds the game in the pause loop until m_PauseWait is met (or the window closes): starts
  // the pause thread and waits for it. 0 when the loop ended because of the quit flag; the main
  // window is then closed again (WM_CLOSE posted), for the close's next step.
  int RunPauseLoop();
  // Registers the result in the rankings and shows them until decide.
  void EnterRanking();

  // Menus and end of play (play_menu.cpp, play_end.cpp): states 3 to 7, the menu's enable
  // flags and cursor row, the scene type to go to and the title menu's row (-1 unchanged).
  void StateMenu();
  void StateEnd();
  void StateChoice();
  void StateWaitKey();
  void FadeOut();
  // Space opens the menu: the state and step are kept for resume; 1 when it was pressed.
  int CheckMenuKey();
  int32_t m_nMenuEnable[4] = {1, 1, 1, 1};
  int32_t m_nMenuRow = 0;
  int32_t m_nNextScene = 0;
  int32_t m_nTitleRow = -1;

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

// What the play scene asks of the program shell around it: the screen's drawing, the fade and
// the frame rate live above the engine. A null entry does nothing (and the fade and the image
// loading count as done), which is how the tests and the headless tool run the scene.
struct cPlayShellLink {
  // The type of the screen shown before the play scene (4 when play goes on from stage to stage).
  int (*lpfnPrevScene)() = nullptr;
  // Loads the system images of the play: the long list, or the short one (bShort); 0 on failure.
  int (*lpfnLoadImages)(int bShort) = nullptr;
  // One step of the palette fade-in; 1 when the fade is complete.
  int (*lpfnFadeInStep)() = nullptr;
  // Draws a start banner: 0 the replay banner, 1 the stage number (nNumber), 2 the start banner.
  void (*lpfnDrawBanner)(int nKind, int nNumber) = nullptr;
  // The scene manager's frame rate and its current music number.
  void (*lpfnSetFrameRate)(int nFps) = nullptr;
  void (*lpfnSetCurrentBgm)(int nBgm) = nullptr;
  // Puts the shared menu cursor back to its first position.
  void (*lpfnResetCursor)() = nullptr;
};
extern cPlayShellLink g_PlayShellLink;

// The running play scene; null outside play.
extern cPlayScene* g_lpPlayScene;

// Enters the image files of the stage's background layers as system images 55..62; a missing
// layer or a layer filled with a colour gets an empty name.
void SetBackLayerImageNames(const cStage& stage);
