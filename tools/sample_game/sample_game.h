// The sample game: a small but complete game project written by code, with its pictures,
// sound effects and music. Everything is made here; nothing is read from elsewhere.
#pragma once

#include <string>
#include <vector>

#include "fixture/fixture.h"

namespace sample {

// The game's title (Shift-JIS at run time).
extern const char* const kTitle;

// One stage of the game: the name shown on the world map and the file's name under "data\stg4"
// (without its extension).
struct StageInfo {
  const char* title;
  const char* file;
};
const std::vector<StageInfo>& Stages();

// Cells of the sheets, by what they show. Block chips (graphic kind 0).
enum BlockChip {
  CHIP_GRASS = 1,
  CHIP_DIRT,
  CHIP_BRICK,
  CHIP_STONE,
  CHIP_SPIKES,
  CHIP_SPRING,
  CHIP_BRIDGE,
  CHIP_CASTLE,
  CHIP_CLOUD,
  CHIP_COUNT
};
// Rows of the character sheet (graphic kind 1); cells 0 stand, 1 and 2 walk, 3 jump, then the
// same four shaded as invincible (cells 4..7) and as a block (8..11).
enum CharaRow { ROW_HERO = 1, ROW_WALKER, ROW_JUMPER, ROW_SHOOTER, ROW_BOSS, ROW_CRATE, ROW_COUNT };
// Items (graphic kind 2), two animation cells each. Signs and the goal flag are items, so that
// only the hero reads them and reaches the goal.
enum ItemCell { ITEM_COIN = 1, ITEM_HEART, ITEM_KEY, ITEM_GEM, ITEM_SIGN, ITEM_GOAL, ITEM_COUNT };
// Shots, two animation cells each.
enum ShotCell { SHOT_HERO = 1, SHOT_PELLET, SHOT_FIRE, SHOT_COUNT };

// Database entries (index 0 of each list stands for none).
enum Sound { SE_JUMP = 1, SE_SHOT, SE_COIN, SE_HIT, SE_BREAK, SE_POWER, SE_BOSS, SE_CLEAR, SE_COUNT };
enum Bgm { BGM_TITLE = 1, BGM_FIELD, BGM_CAVE, BGM_SKY, BGM_BOSS, BGM_MAP, BGM_COUNT };
enum Effect { EFFECT_BURST = 1, EFFECT_SPARKLE, EFFECT_COUNT };
enum CharaEffect { CHARA_EFFECT_BLINK = 1, CHARA_EFFECT_BURST, CHARA_EFFECT_COUNT };
enum ScrEffect { SCR_EFFECT_SHAKE = 1, SCR_EFFECT_COUNT };

// The records of the game: database, system settings, world map, common palette.
void BuildDatabase(cDatabase& db);
void BuildSystemData(cSystemData& data);
void BuildWorldMap(cWorldMap& map);
// The palette entries of blocks, characters and items the stages use.
cCharaData HeroDef();
cCharaData WalkerDef();
cCharaData JumperDef();
cCharaData ShooterDef();
// The boss; its defeat summons the fanfare, entry `fanfareIndex` of the stage palette.
cCharaData BossDef(int fanfareIndex);
// The fanfare clears the stage a while after the boss's defeat.
cCharaData FanfareDef();
cCharaData CrateDef();
cItemData CoinDef();
cItemData HeartDef();
cItemData KeyDef();
cItemData GemDef();
// A sign shows its message in the message window while the hero touches it; the goal flag clears
// the stage.
cItemData SignDef(const std::string& message);
cItemData GoalDef();
// Stage n (0-based) of Stages().
cStage BuildStage(size_t n);

// Files written under the root, relative to it with forward slashes, by the writers below.
// Each returns false when a file cannot be written, with the file's name in *failed.
bool WriteImages(const std::string& root, std::string* failed);
bool WriteSounds(const std::string& root, std::string* failed);
bool WriteMusic(const std::string& root, std::string* failed);

// Writes the whole game into root (created when missing): the project files under "data",
// the pictures under "bmp", sound effects under "wave", music under "bgm", and System.ini.
// False with a message in *error when something cannot be written.
bool WriteSampleGame(const std::string& root, std::string* error);

}  // namespace sample
