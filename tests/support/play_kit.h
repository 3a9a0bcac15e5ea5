// The shared kit of the play-engine tests: a stage in play built from a stage record made in
// memory (tools/fixture builds one in a few lines), with its scroll axes, map grid, hero and
// characters; a log of the events fired on characters; a recorder of the requests sent to the
// main window (sounds, music); and a digest of the state of the play objects that proves two
// runs alike. The drivable clock is the platform's (UseTestClock, AdvanceTestClock).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engine/play_scene.h"
#include "engine/player.h"
#include "engine/stage_chara.h"
#include "platform/wintypes.h"
#include "project/save_data.h"
#include "project/stage.h"
#include "project/system_data.h"
#include "script/cmd_dispatch.h"

namespace playkit {

// One event fired on a character.
struct FiredEvent {
  int charaId = 0;
  int key = 0;
  // The partner's id, -1 none.
  int partnerId = -1;
  int value = 0;
};

// A stage in play. While it lives it is the running stage: the working stage, the system
// settings, the progress and the engine's globals are its own, and they are put back (the
// engine's emptied) when it ends. One at a time.
class PlayWorld {
 public:
  // The stage runs at its speed level; its scroll axes and map grid are set up and the
  // camera stands at the top-left limits. The hero and the characters are added by the test.
  explicit PlayWorld(const cStage& stage);
  ~PlayWorld();
  PlayWorld(const PlayWorld&) = delete;
  PlayWorld& operator=(const PlayWorld&) = delete;

  cPlayScene scene;
  std::vector<FiredEvent> events;
  // Stands in for the flows: called after each fired event is logged (for example to set a
  // velocity as a movement command would). Empty: events are only logged.
  std::function<void(cChara& chara, int key, cObject* partner, int value)> onEvent;

  // A stand-in for the placements of the hero and the stage characters, enough to move and
  // collide: definition copied (Reset), body of the stage's hero or character box size inside
  // a 32 × 32 graphic cell, standing on the bottom of the cell and centred in it, facing
  // right, movement mode from the definition. The hero becomes element 0 of g_vPlayer.
  cPlayer& AddHero(const cCharaData& def, int cellX, int cellY);
  cStageChara& AddChara(const cCharaData& def, int cellX, int cellY);
  cPlayer& Hero() { return g_vPlayer[0]; }
  // An item of the stage at a cell, 32 × 32, appended to g_lItem (a stand-in for the item
  // placement).
  cItem& AddItem(const cItemData& def, int cellX, int cellY);
  // The engine's own placements: the hero set up for the stage start in a cell (element 0 of
  // g_vPlayer), a stage character placed and put on a cell (with a copy of the drop item, or
  // none), an item set up from its definition and put on a cell. Each is active.
  cPlayer& PlaceHero(const cCharaData& def, int cellX, int cellY);
  cStageChara& PlaceChara(const cCharaData& def, int cellX, int cellY, const cItem* drop = nullptr);
  cItem& PlaceItem(const cItemData& def, int cellX, int cellY);

  // The keys fired on one character, in order.
  std::vector<int> KeysOf(int charaId) const;

 private:
  void SetUpBody(cChara& chara, const cCharaData& def, int cellX, int cellY, int bodyW, int bodyH);

  cStage savedStage_;
  cSystemData savedSystem_;
  cSaveData savedProgress_;
  size_t savedInputCount_ = 0;
};

// Records the requests sent to the main window (WM_USER and above: the sounds, the music)
// while it lives; g_hWnd is its window.
class WindowRequestRecorder {
 public:
  struct Request {
    UINT msg = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
  };
  WindowRequestRecorder();
  ~WindowRequestRecorder();
  WindowRequestRecorder(const WindowRequestRecorder&) = delete;
  WindowRequestRecorder& operator=(const WindowRequestRecorder&) = delete;

  std::vector<Request> requests;
  // The slots of the sound requests, in order.
  std::vector<int> Sounds() const;

 private:
  HWND window_ = nullptr;
  HWND saved_ = nullptr;
};

// Item command lists run for real while it lives, with a recording implementation in place of
// "コードの実行": each such command logs its first parameter (a tag telling the lists apart)
// and, when `result` is 2, sets the HP of the character it runs on to 0 (so the list reports
// that the hero died).
class ItemListRecorder {
 public:
  ItemListRecorder();
  ~ItemListRecorder();
  ItemListRecorder(const ItemListRecorder&) = delete;
  ItemListRecorder& operator=(const ItemListRecorder&) = delete;

  // An item-list "コードの実行" command carrying the tag.
  static cFlowCmd Tagged(int tag);
  // An item-list "ステージクリア" command (the list ends with 1).
  static cFlowCmd StageClear();
  // The tags logged, in order.
  std::vector<int> taken;
  int result = 0;

 private:
  static int Record(cChara& chara, cFlowCmd& cmd);
  CmdImpl saved_ = nullptr;
};

// The state of the play objects as text, one line per object (hero, then the characters in
// list order that are in play, the count of removed ones not yet freed, then the items), with every position and speed written
// exactly (hexadecimal floating point), hit points, skill points, states and links by id, the
// states of each character's flow runs, then the scroll axes and the time.
std::string DescribePlay();
// A 64-bit FNV-1a hash of DescribePlay.
uint64_t PlayDigest();

}  // namespace playkit
