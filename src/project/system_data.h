// The system settings: the game-wide settings an author makes for the whole game (title, menus,
// system texts, head-up display, lives and rankings per game mode, music of the screens, system
// sound files, font, colour mode, carry-over rules) and the behaviour switches that keep the
// behaviour of projects made before a given data version. Stored as the record file
// "data\System.dat"; read once at start-up and constant afterwards.
//
// "data\System.dat" is a record file: the int32 data version, the record body of the fields and
// the title, then the lists in this order (a uint32 count, then the elements; texts in the form
// of LoadString): carry groups (bytes), restart reset (bytes, from 501), display items, start
// lives (int32), unlimited lives (int32, from 191), ranking kinds (from 186), system texts, system
// sound names, screen music (int32), screen music loop flags (bytes, from 202), the title, save
// and options menus, ranking method names (from 674), the System.ini key table.
//
// Game modes index the per-mode lists: 0 story (new game and continue), 1 challenge, 2 free play
// of a stage file; entry 3 exists in the file and no screen selects it.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "core/save_record.h"
#include "core/sound_request.h"
#include "project/cmd_item.h"

// The lengths of the lists that readers address by position (and SYSTEM_SE_COUNT, the system
// sounds). A loaded list shorter than this is padded with the defaults.
constexpr int CARRY_GROUP_COUNT = 25;
constexpr int DISPLAY_ITEM_COUNT = 5;
constexpr int GAME_MODE_COUNT = 4;
constexpr int RANKING_KIND_COUNT = 5;
constexpr int SYSTEM_TEXT_COUNT = 29;
constexpr int SCREEN_BGM_COUNT = 4;
constexpr int TITLE_MENU_COUNT = 7;
constexpr int SAVE_MENU_COUNT = 4;
constexpr int OPTION_MENU_COUNT = 6;
constexpr int RANKING_METHOD_COUNT = 4;
constexpr int INI_KEY_COUNT = 10;

// The head-up display items by position.
enum eDisplayItem { DISPITEM_TOTAL_SCORE, DISPITEM_STAGE_SCORE, DISPITEM_HP, DISPITEM_SP, DISPITEM_LIVES };

// The positions of the System.ini keys in the key table; the configuration reader takes the
// defaults of positions 0..7 (numbers) and 8 (text) by position.
enum eIniKey {
  INIKEY_DIRECT3D,
  INIKEY_WINDOW_MODE,
  INIKEY_BPP,
  INIKEY_VSYNC,
  INIKEY_D3D_FONT_CACHE,
  INIKEY_DD_FONT_CACHE,
  INIKEY_DD_VIDEO_STRETCH,
  INIKEY_SHOW_FPS,
  INIKEY_FREE_STAGE,
  INIKEY_ENGLISH
};

// One head-up display item.
class DisplayItem : public cSaveRecord {
 public:
  uint32_t m_bShow = 0;
  // 1: a 16-dot icon from the system image stands for the label; 0: the label text.
  uint32_t m_bIcon = 0;
  std::string m_strLabel;
  // Gauges (items 2 and 3): the number is drawn over the gauge in the first font. Stored from
  // data version 204; older files read 1.
  uint32_t m_bShowValue = 0;
  // Width of the number in characters (the gauges use a fixed 50-dot bar instead).
  uint32_t m_nDigits = 0;
  // Gauges: the level at or below which the gauge shows its low colour, an absolute value or,
  // with m_bLowPercent, a percentage of the maximum. Stored from data version 587.
  uint32_t m_nLowLevel = 0;
  uint32_t m_bLowPercent = 0;

  DisplayItem() {
    Register(DATA_VERSION);
    Clear();
  }

  void RegisterFields(int version) override;
  void Load(FILE* fp) override;
};

// The ranking settings of one game mode.
class RankingEntry : public cSaveRecord {
 public:
  // Rankings are recorded in this game mode.
  uint32_t m_bRanking = 0;
  // Which ranking kinds are recorded: kind i ranks the value of system text 5 + i (score,
  // remaining time, clear time, remaining HP, remaining SP). A new entry holds 5 zero bytes.
  cSafeVector<uint8_t> m_vKinds = cSafeVector<uint8_t>(RANKING_KIND_COUNT, 0);

  RankingEntry() {
    Register(DATA_VERSION);
    Clear();
  }

  void RegisterFields(int version) override;
  // The record body, then a uint32 count and that many bytes of kinds.
  void Load(FILE* fp) override;
  void Save(FILE* fp) override;
};

// One System.ini key with its default.
class IniKeyEntry : public cSaveRecord {
 public:
  // 0 a number, 1 a text.
  uint32_t m_nKind = 0;
  std::string m_strKey;
  int32_t m_nDefault = 0;
  std::string m_strDefault;

  IniKeyEntry() {
    Register(DATA_VERSION);
    Clear();
  }

  void RegisterFields(int version) override;

  // A number key: the key, kind 0 and the default number; the default text stays.
  void SetNumberKey(const char* key, int32_t value);
  // A text key: the key, kind 1 and the default text; the default number stays.
  void SetTextKey(const char* key, const char* text);
};

class cSystemData : public cSaveRecord {
 public:
  // The game title: caption of the main window and of the start dialog.
  std::string m_strTitle;
  // One switch per group of hero attributes carried from one stage to the next (groups 11 and
  // 12 are the two extra carried values).
  cSafeVector<uint8_t> m_vCarryGroup;
  // One switch per carry group: a restart of a stage that asks for it drops the stored carry of
  // every group whose switch is set.
  cSafeVector<uint8_t> m_vRestartReset;
  // Lives are awarded by score, one per m_nExtraLifeScore.
  int32_t m_bExtraLife = 0;
  int32_t m_nExtraLifeScore = 0;
  // Read by the stage drawing while the in-game menu is open.
  int32_t m_bMenuDraw = 0;
  // Copied into the second font's picture-character switch at start-up (the font's m_bPicture:
  // letters drawn as picture characters).
  int32_t m_bPictureChars = 0;
  // Index into the font face table (FontFaceName); start-up writes that face into the three
  // font definitions.
  int32_t m_nFontFace = 0;
  // Copied into the second font's fixed-pitch switch at start-up (the font's m_bCenter:
  // characters centred in their cells).
  int32_t m_bFixedPitch = 0;
  // Plays are recorded for replays (input recording, F1/F2).
  int32_t m_bReplay = 0;
  // 0: loading a character definition or a flow command drops the flows whose third option
  // byte is set, unless the program runs for test play.
  int32_t m_bKeepFlaggedFlows = 0;
  // The head-up display items, by eDisplayItem.
  cSafeVector<DisplayItem> m_vDisplayItems;
  // The title's picture menu (system image 48) and its cursor are centred (x = 288 − half the
  // picture's width instead of 192); also called the title's picture-menu flag.
  int32_t m_bTitleMenuCentre = 0;
  // Title menu entries: 0 new game, 1 continue, 2 challenge, 3 free play, 4 replay, 5 options,
  // 6 quit.
  cSafeVector<cCmdItem> m_vTitleMenu;
  // Save screen entries: 0 save, 1 auto-save, 2 back, 3 to the title.
  cSafeVector<cCmdItem> m_vSaveMenu;
  // Options screen entries: position k edits user option k (0 palette, 1 music, 2 sound
  // volume, 3 ranking method, 4 ranking name); position 5 leaves the screen.
  cSafeVector<cCmdItem> m_vOptionMenu;
  // Names of the four ranking registration methods.
  cSafeVector<std::string> m_vRankingMethods;
  // Story mode, entering a stage from the world map: 1 the lives carry on (the lives-carry-over
  // switch), 0 they restart at m_vStartLives[0].
  int32_t m_bMapKeepsLives = 0;
  // Story mode: after a miss the choice of texts 23 and 24 instead of an immediate restart.
  int32_t m_bMissChoice = 0;
  // The world map shows the lives (show-lives).
  int32_t m_bMapShowLives = 0;
  // Number of challenge stages.
  int32_t m_nChallengeStages = 0;
  // 1: every challenge stage can be selected; 0: only those reached.
  int32_t m_bChallengeAllOpen = 0;
  // Lives at the start of a game, by game mode.
  cSafeVector<int32_t> m_vStartLives;
  // 1: lives are unlimited (999999) in that game mode.
  cSafeVector<int32_t> m_vUnlimitedLives;
  // Ranking settings by game mode (the four mode records).
  cSafeVector<RankingEntry> m_vRankingKinds;
  // Story mode: the world map shows the selected stage's score (show-best).
  int32_t m_bStoryMapScore = 0;
  // Story mode: the save screen shows the total score (show-total of the save screen).
  int32_t m_bStoryTotalScore = 0;
  // Story mode: a retry restores the progress of the stage start.
  int32_t m_bStoryRestore = 0;
  // Story mode: the in-game menu offers retry; and return to the map.
  int32_t m_bStoryMenuRetry = 0;
  int32_t m_bStoryMenuMap = 0;
  // Challenge mode: the stage-select list shows the stages' high scores (show-best).
  int32_t m_bChallengeScores = 0;
  // Challenge mode: the stage-select screen shows the total score (show-total).
  int32_t m_bChallengeTotalScore = 0;
  // Challenge mode: a retry restores the progress of the stage start.
  int32_t m_bChallengeRestore = 0;
  // Challenge mode: the in-game menu offers retry.
  int32_t m_bChallengeMenuRetry = 0;
  // Free play, and play of a stage file (FreeStage or the command line): a retry restores the
  // progress of the stage start.
  int32_t m_bFreeRestore = 0;
  int32_t m_bFileRestore = 0;
  // Colour mode of the project (the image colour mode): 0 256 colours with a palette, 1 full
  // colour without palette.
  int32_t m_bFullColour = 0;
  // Full-colour mode: red, green, blue of the transparent colour handed to the drawing layer.
  // There is no separate choice flag: the colour mode decides whether this colour is used.
  uint8_t m_rgbTransparent[3] = {};
  // File names of the 17 system sound effects (slots 0..16).
  cSafeVector<std::string> m_vSystemSe;
  // Music number of each screen slot (also called g_vScreenBgm): 0 title, 1 world map and save,
  // 2 stage select, 3 options; 0 silence; never at or beyond the music database's count.
  cSafeVector<int32_t> m_vScreenBgm;
  // Per screen slot: 1 the music loops.
  cSafeVector<uint8_t> m_vScreenBgmFlag;
  // The system message texts at fixed indexes.
  cSafeVector<std::string> m_vTexts;
  // The System.ini key table with defaults, by eIniKey.
  cSafeVector<IniKeyEntry> m_vIniKeys;

  // Behaviour switches: each keeps the behaviour of projects made before the data version in
  // its name; 0 in a new project, 1 when an older file is read (unless said otherwise).
  //
  // Scroll-bound objects ignore the auto-scroll (stage characters, hero, shots, movement toward
  // a point).
  int32_t m_bLegacy214 = 0;
  // Re-anchoring of a character's y after a zoom change.
  int32_t m_bLegacy261 = 0;
  // Handling of defeated characters in the play frame and the deferred hit-point check (0 for
  // older files too).
  int32_t m_bOption272 = 0;
  // Draw set-up of characters (0 for older files too).
  int32_t m_bOption287 = 0;
  // Direct3D palette animation: step of the colour pulse (the palette animation speed); 16.
  int32_t m_nPaletteAnimStep = 0;
  // 8-bit palette animation (the palette animation switch); older files: 1 for palette
  // projects, 0 for full colour.
  int32_t m_bPaletteAnim = 0;
  // Firing events of characters: flows may be tested for a start more than once per frame
  // (also called m_bNoFrameTestLimit).
  int32_t m_bLegacy525 = 0;
  // The start of the thunder formation.
  int32_t m_bLegacy555 = 0;
  // Block summoning; older files: 1 up to data version 616, 0 from 617.
  int32_t m_bLegacy637 = 0;
  // Key-sequence matching: the one-frame overlap of key entries needs no exclusion test (also
  // called m_bLegacyKeyOverlap).
  int32_t m_bLegacy669 = 0;
  // Map-chip collision.
  int32_t m_bLegacy677 = 0;
  // Movement distance set-up: a movement time computed from a negative distance keeps its sign
  // (also called m_bLegacyMoveTime).
  int32_t m_bLegacy695 = 0;
  // Stage set-up.
  int32_t m_bLegacy697 = 0;
  // Warp command: a warp by direction folds diagonals for a character that is not flying (the
  // warp switch).
  int32_t m_bLegacy721 = 0;
  // Charge movement command: how the charge adds its angle (the charge-angle switch).
  int32_t m_bLegacy728 = 0;
  // Range test of the distance condition.
  int32_t m_bLegacy733 = 0;
  // Firing events of characters: the once-per-frame test flag is set before the idle checks
  // (also called m_bEarlyFrameTest).
  int32_t m_bLegacy744 = 0;
  // Jump step of stage characters: the jump command does not start while airborne and is not
  // ended by landing (the jump switch).
  int32_t m_bLegacy749 = 0;
  // Statement evaluation of the code language.
  int32_t m_bLegacy752 = 0;
  // The hit pass (two switches).
  int32_t m_bLegacy763A = 0;
  int32_t m_bLegacy763B = 0;
  // Placing and summoning characters.
  int32_t m_bLegacy768 = 0;
  // Straight movement command ignores the lock-X and lock-Y flags (the axis-lock switch).
  int32_t m_bLegacy773 = 0;
  // The ceiling bump of characters.
  int32_t m_bLegacy781 = 0;
  // The distance condition does not refresh the target's screen rectangle (also called
  // m_bLegacyDistanceRect); replays of data version 781 or lower keep it too.
  int32_t m_bLegacy782 = 0;
  // Straight movement: the follow-turn reversal applies in both specify modes (the turn-follow
  // switch).
  int32_t m_bLegacy783 = 0;
  // Kept in the file; nothing reads it.
  int32_t m_bLegacy696 = 0;

  // Preferred full-screen depth when the configuration leaves it automatic, for full-colour
  // projects (0 32-bit, 1 16-bit; the Direct3D depth choice) and for palette projects (0 32-bit,
  // 1 16-bit, 2 8-bit; the DirectDraw depth choice).
  int32_t m_nFullColourBpp = 0;
  int32_t m_nPaletteBpp = 0;

  // Registered for data version 790 and filled with the defaults of a new project.
  cSystemData();

  // The fields of a data version, and the title as the one string.
  void RegisterFields(int version) override;
  // The record body and the lists, then the upgrades of older files, the padding of short
  // lists and ValidateScreenBgm. A stored text length that the file cannot hold fails the
  // stream (the file then counts as damaged).
  void Load(FILE* fp) override;
  // ValidateScreenBgm, then the body and every list in the layout of 790.
  void Save(FILE* fp) override;

  // The contents of a new project.
  void SetDefault();
  // Every screen music number not below the number of music records of the game database
  // (compared as unsigned numbers) becomes 0.
  void ValidateScreenBgm();
  // The number of ranking kinds recorded in a game mode: 0 when rankings are off there, else
  // the number of kind switches that are set.
  int CountRankingKinds(int mode) const;

 private:
  // The fix-ups of files older than 790, in order.
  void Upgrade(int version);
  // Lists shorter than their fixed length get the default entries, with a report-log line.
  void PadFixedLists();

  struct SwitchField {
    int version;
    int32_t cSystemData::*member;
  };
  static const SwitchField kSwitchFields[21];

  // Data versions 221 to 259 store one more int32, read and dropped.
  int32_t m_nDropped = 0;
};

// The system settings (defined with the other global data objects).
extern cSystemData g_SystemData;

// A text of the system settings' lists: a uint32 length counting the terminating zero (1, or
// 0, for the empty text, and no bytes follow), then the bytes. The text is cut at its first zero
// byte; carriage returns stay. A length larger than the bytes left fails the stream and gives
// false, the text unchanged.
bool LoadString(std::string& text, FILE* fp);
void SaveString(const std::string& text, FILE* fp);

// The left edge of a column of 16-dot characters centred on x that holds the system texts
// first .. first + count − 1 (one more character for the cursor when bCursor is set).
int GetMenuLeft(int x, int first, int count, int bCursor);

// The framed box that DrawMenuList draws with the second font's PrintfInBox: the system texts
// first .. first + count − 1, one per 16-dot line, each preceded by a space (the cursor
// column) when bCursor is set. Nothing is drawn for count 0.
struct MenuListBox {
  bool bDraw = false;
  int x = 0;
  int y = 0;
  int nWidth = 0;
  int nHeight = 0;
  // The lines, each ending in a line feed.
  std::string strText;
};
MenuListBox MakeMenuListBox(int x, int y, int first, int count, int bCursor);

// Whether head-up display item's gauge is low at value of maximum: m_nLowLevel ≥ value, or with
// m_bLowPercent m_nLowLevel ≥ value × 100 / maximum (in floating point). A maximum of 0 is
// never low.
bool IsGaugeLow(int item, int value, int maximum);

// The installed font face table indexed by m_nFontFace.
constexpr int FONT_FACE_COUNT = 123;
constexpr int DEFAULT_FONT_FACE = 60;
extern const char* const g_lpszFontFace[FONT_FACE_COUNT];
// The face of an index; an index outside the table gives the default face (60).
const char* FontFaceName(int index);

// The names of the colour-mode and depth values (m_bFullColour, m_nPaletteBpp,
// m_nFullColourBpp), each list ending with an empty text.
extern const char* const g_lpszColourMode[3];
extern const char* const g_lpszPaletteBpp[4];
extern const char* const g_lpszFullColourBpp[3];
