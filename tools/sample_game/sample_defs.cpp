// The characters and items of the sample game and their behaviour, as flows of commands.
#include <initializer_list>

#include "defs/cmd_kind.h"
#include "defs/flow.h"
#include "defs/key_history.h"
#include "sample_game.h"

namespace sample {

namespace {

// Collision layers: the hero's side and the enemies' side.
constexpr int kHeroLayer = 0;
constexpr int kEnemyLayer = 1;

cFlowCmd Command(int kind, std::initializer_list<int32_t> params = {}, int tenths = 0) {
  cFlowCmd c;
  c.m_bySelector = 0;
  c.m_byKind = static_cast<int8_t>(kind);
  c.m_vParam.assign(static_cast<size_t>(g_CmdKindTable[kind].m_nParamCount), 0);
  size_t i = 0;
  for (int32_t p : params) c.m_vParam[i++] = p;
  c.m_sTime = static_cast<int16_t>(tenths);
  return c;
}

// A command of an item's list: list kind = flow kind − 15 for the kinds both lists share.
cFlowCmd ListCommand(int flowKind, std::initializer_list<int32_t> params) {
  cFlowCmd c = Command(flowKind, params);
  c.m_bySelector = 1;
  c.m_byKind = static_cast<int8_t>(flowKind - LISTCMD_KIND_OFFSET);
  return c;
}

// A movement of `tenths` tenths of a second at `speed` tenths of a dot per frame.
cFlowCmd Move(int kind, int direction, int speed, int tenths) {
  cFlowCmd c = Command(kind, {}, tenths);
  CreateEdMove(c.m_pMove);
  c.m_pMove->m_byGoalMode = 0;
  c.m_pMove->m_byDirection = static_cast<uint8_t>(direction);
  c.m_pMove->m_byTimeMode = 0;
  c.m_pMove->m_sSpeed = static_cast<int16_t>(speed);
  return c;
}

// A jump of `height` half blocks that the hero's button can cut short.
cFlowCmd Jump(int height, bool keyControlled) {
  cFlowCmd c = Command(CMD_JUMP, {keyControlled ? 1 : 0, 0, height, 0, height / 2});
  c.m_sSound = SE_JUMP;
  return c;
}

struct ShotParams {
  int graphic = SHOT_HERO;
  int count = 1;
  int formation = 0;
  int spread = 0;
  bool aimAtHero = false;
  int speed = 60;
  int range = 16;
  int power = 1;
  int tenths = 3;
  int sound = SE_SHOT;
  bool passBlocks = false;
};

cFlowCmd Shot(const ShotParams& s) {
  cFlowCmd c = Command(CMD_SHOT, {}, s.tenths);
  CreateEdShot(c.m_pShot);
  cEdShot& e = *c.m_pShot;
  e.m_byCount = static_cast<uint8_t>(s.count);
  e.m_byFormation = static_cast<uint8_t>(s.formation);
  e.m_sFormParam[0] = static_cast<int16_t>(s.spread);
  e.m_byDirection = 0;  // to the front
  e.m_bAim = s.aimAtHero ? 1 : 0;
  e.m_byAimOrigin = 1;  // aimed from the hero's position
  e.m_sGraphic = static_cast<int16_t>(s.graphic);
  e.m_sSpeed = static_cast<int16_t>(s.speed);
  e.m_bRange = 1;
  e.m_sRange = static_cast<int16_t>(s.range);
  e.m_bPassBlocks = s.passBlocks ? 1 : 0;
  e.m_byShotStrength = 1;
  e.m_nPower = s.power;
  e.m_sHitEffect = EFFECT_SPARKLE;
  c.m_sSound = static_cast<int16_t>(s.sound);
  return c;
}

// A message of an item's list shown for `tenths` tenths of a second in the message window: the
// font's framed box, centred on the screen and 150 dots above its middle, fixed there while the
// stage scrolls (over the sky of every stage, clear of the head-up display and the timer). Each
// line is padded by a space on either side, so that the text keeps off the frame. With an ID, so
// that touching the sign again sets the same window up again instead of stacking a second one.
cFlowCmd Message(const std::string& text, int id, int tenths) {
  std::string padded = " ";
  for (const char ch : text) padded += ch == '\n' ? std::string(" \n ") : std::string(1, ch);
  padded += " ";
  cFlowCmd c = ListCommand(CMD_MESSAGE, {});
  c.m_strText = padded;
  c.m_vParam[0] = 0;     // the middle of the screen
  c.m_vParam[4] = -150;  // moved up
  c.m_vParam[5] = 1;     // kept on screen
  c.m_vParam[6] = 2;     // for a time
  c.m_vParam[7] = tenths;
  c.m_vParam[10] = 1;  // fixed on the screen
  c.m_vParam[12] = 1;
  c.m_vParam[13] = id;
  c.m_vParam[14] = 1;  // in the framed box
  c.m_vParam[16] = 1;
  c.m_bZeroTime = 1;
  return c;
}

// "Go on to the next stage of the series".
cFlowCmd StageClear() {
  cFlowCmd c = Command(CMD_STAGE_CLEAR, {0});
  c.m_sSound = SE_CLEAR;
  return c;
}

// One key held: from the first frame only (a press), or for as long as it is held.
cKeyList Key(int position, bool pressOnly) {
  cKeyList k;
  k.m_vKeyState[static_cast<size_t>(position)] = KEYSTATE_HELD;
  if (pressOnly) {
    k.m_wMinFrames = 1;
    k.m_wMaxFrames = 1;
  } else {
    k.m_bAnyLength = 1;
  }
  return k;
}

cFlow Flow(const char* name, int trigger, std::initializer_list<cFlowCmd> cmds,
           std::initializer_list<cKeyList> keys = {}) {
  cFlow f;
  f.m_strName = name;
  f.m_byTrigger = static_cast<uint8_t>(trigger);
  for (const cKeyList& k : keys) f.m_vKeyList.push_back(k);
  for (const cFlowCmd& c : cmds) f.m_vCmd.push_back(c);
  return f;
}

cCharaData Enemy(const char* name, int row, int hp, int power, int score) {
  cCharaData c = fixture::Chara(row);
  c.m_strName = name;
  c.m_byLayer = kEnemyLayer;
  c.m_nMaxHp = hp;
  c.m_nPower = power;
  c.m_nScore = score;
  c.m_wHitEffect = EFFECT_SPARKLE;
  c.m_wDeathEffect = CHARA_EFFECT_BURST;
  c.m_vFlow.clear();
  return c;
}

cItemData Item(const char* name, int cell, int sound, std::initializer_list<cFlowCmd> cmds) {
  cItemData i = fixture::Item(cell);
  i.m_strName = name;
  i.m_wSound = static_cast<int16_t>(sound);
  for (const cFlowCmd& c : cmds) i.m_vCmd.push_back(c);
  return i;
}

// Status operation on a value: of the character running the list (object 0) or of the
// system (object 5); the value's number; add (operation 1) a constant.
cFlowCmd AddToStatus(bool system, int value, int amount) {
  return ListCommand(CMD_STATUS, {0, 0, 0, system ? 5 : 0, value, 1, 0, amount});
}

}  // namespace

cCharaData HeroDef() {
  cCharaData c = fixture::Hero(ROW_HERO);
  c.m_strName = "Lumi";
  c.m_byLayer = kHeroLayer;
  c.m_byDirection = 1;  // facing right
  c.m_bFixedFacing = 0;  // walking turns the hero, so it shoots the way it walks
  c.m_nMaxHp = 3;
  c.m_nPower = 0;
  c.m_wHitEffect = EFFECT_SPARKLE;
  c.m_vFlow.clear();
  c.m_vFlow.push_back(
      Flow("Walk left", TRIGGER_ALWAYS, {Move(CMD_MOVE_LINE, 2, 30, 1)}, {Key(KEYPOS_DIR_LEFT, false)}));
  c.m_vFlow.push_back(
      Flow("Walk right", TRIGGER_ALWAYS, {Move(CMD_MOVE_LINE, 3, 30, 1)}, {Key(KEYPOS_DIR_RIGHT, false)}));
  // Walking goes on while the direction is held: each step of a tenth of a second starts again.
  c.m_vFlow[0].m_bKeyRepeat = 1;
  c.m_vFlow[1].m_bKeyRepeat = 1;
  // A full jump rises some four and a half blocks (the hero's jump speed is a little under the
  // height's own): ledges four blocks above the ground are within reach, and a pit of three
  // cells is crossed with room to spare.
  c.m_vFlow.push_back(Flow("Jump", TRIGGER_ALWAYS, {Jump(10, true)}, {Key(KEYPOS_BUTTON_1, true)}));
  ShotParams shot;
  c.m_vFlow.push_back(Flow("Shoot", TRIGGER_ALWAYS, {Shot(shot)}, {Key(KEYPOS_BUTTON_2, true)}));
  return c;
}

cCharaData WalkerDef() {
  cCharaData c = Enemy("Poco", ROW_WALKER, 1, 1, 100);
  // Walks on the ground and turns at walls and ledges.
  c.m_vFlow.push_back(Flow("Walk", TRIGGER_ALWAYS, {Move(CMD_MOVE_GROUND_TURN, 0, 10, 10)}));
  return c;
}

cCharaData JumperDef() {
  cCharaData c = Enemy("Pyon", ROW_JUMPER, 2, 1, 200);
  c.m_vFlow.push_back(
      Flow("Hop", TRIGGER_ALWAYS, {Command(CMD_WAIT, {}, 8), Jump(5, false), Move(CMD_MOVE_GROUND_TURN, 0, 15, 6)}));
  return c;
}

cCharaData ShooterDef() {
  cCharaData c = Enemy("Don", ROW_SHOOTER, 3, 1, 300);
  ShotParams s;
  s.graphic = SHOT_PELLET;
  s.aimAtHero = true;
  s.speed = 30;
  s.range = 30;
  s.tenths = 3;
  // Shooters stand on ledges and aim down at the hero: their pellets fly through the blocks, or
  // the ledge under them would swallow every one.
  s.passBlocks = true;
  c.m_vFlow.push_back(Flow("Shoot", TRIGGER_ALWAYS, {Command(CMD_WAIT, {}, 15), Shot(s)}));
  return c;
}

cCharaData BossDef(int fanfareIndex) {
  cCharaData c = Enemy("Garm", ROW_BOSS, 24, 2, 5000);
  c.m_byZoom = 2;
  ShotParams s;
  s.graphic = SHOT_FIRE;
  s.count = 5;
  s.formation = 2;  // spread
  s.spread = 60;
  s.speed = 35;
  s.range = 30;
  s.tenths = 6;
  s.sound = SE_BOSS;
  // Each round it turns to the hero (target 1) first: walking on the ground turns only at floor
  // edges, never at the hall's walls, so without it the boss would stay pressed to one wall.
  c.m_vFlow.push_back(Flow("Rampage", TRIGGER_ALWAYS,
                           {Command(CMD_TURN, {2}), Move(CMD_MOVE_GROUND_TURN, 0, 20, 20), Jump(6, false), Shot(s),
                            Command(CMD_WAIT, {}, 10), Command(CMD_LOOP, {2, 1}), Shot(s)}));
  // The death pass steps the death flows once, so every command runs in that one step: its
  // fireballs go (the shots it owns), the screen shakes, and the fanfare is summoned where it
  // fell. The stage clears only once the boss's burst has played out (a clear in this step would
  // end the play with the boss still standing).
  cFlowCmd fireballsGo = Command(CMD_VANISH, {3});
  fireballsGo.m_bZeroTime = 1;
  cFlowCmd shake = Command(CMD_SCREEN_EFFECT, {SCR_EFFECT_SHAKE, 0, 0});
  shake.m_bZeroTime = 1;
  cFlowCmd fanfare = Command(CMD_SUMMON_CHARA);
  CreateEdShot(fanfare.m_pShot);
  fanfare.m_pShot->m_byCount = 1;
  fanfare.m_pShot->m_bySummonPalette = 1;  // the stage palette
  fanfare.m_pShot->m_sSummonIndex = static_cast<int16_t>(fanfareIndex);
  fanfare.m_bZeroTime = 1;
  c.m_vFlow.push_back(Flow("Fall", TRIGGER_DEATH, {fireballsGo, shake, fanfare}));
  return c;
}

cCharaData FanfareDef() {
  // Unseen and untouchable: not drawn (its graphic gives it only a size), not falling, on the
  // hero's side with no power.
  cCharaData c = fixture::Chara(ROW_BOSS);
  c.m_strName = "Fanfare";
  c.m_byLayer = kHeroLayer;
  c.m_bTransparent = 1;
  c.m_byFlying = 1;
  c.m_nMaxHp = 1;
  c.m_nPower = 0;
  c.m_vFlow.clear();
  c.m_vFlow.push_back(Flow("Clear", TRIGGER_ALWAYS, {Command(CMD_WAIT, {}, 20), StageClear()}));
  return c;
}

cCharaData CrateDef() {
  cCharaData c = Enemy("Crate", ROW_CRATE, 2, 0, 50);
  c.m_bBlockChara = 1;
  c.m_wDeathEffect = CHARA_EFFECT_BURST;
  cFlowCmd crack = Command(CMD_SOUND, {SE_BREAK});
  crack.m_bZeroTime = 1;
  c.m_vFlow.push_back(Flow("Break", TRIGGER_DEATH, {crack}));
  return c;
}

cItemData CoinDef() { return Item("Coin", ITEM_COIN, SE_COIN, {AddToStatus(true, 3, 10)}); }
cItemData HeartDef() { return Item("Heart", ITEM_HEART, SE_POWER, {AddToStatus(false, 1, 1)}); }
cItemData KeyDef() {
  cFlowCmd clear = ListCommand(CMD_STAGE_CLEAR, {0});
  return Item("Key", ITEM_KEY, SE_CLEAR, {clear});
}
cItemData GemDef() { return Item("Gem", ITEM_GEM, SE_POWER, {AddToStatus(true, 3, 100)}); }

cItemData SignDef(const std::string& message) {
  cItemData i = Item("Sign", ITEM_SIGN, 0, {Message(message, 1, 30)});
  i.m_byTakeRule = 1;  // stays, and is read again on every touch
  i.m_bTakePopup = 0;
  return i;
}

cItemData GoalDef() {
  cItemData i = Item("Goal flag", ITEM_GOAL, SE_CLEAR, {ListCommand(CMD_STAGE_CLEAR, {0})});
  i.m_bTakePopup = 0;
  return i;
}

}  // namespace sample
