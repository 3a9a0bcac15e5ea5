// The contents of a new project's system settings, and the fixed tables that go with them: the
// font face table and the names of the colour-mode and depth values.
#include "project/system_data.h"

namespace {

void SetMenu(cSafeVector<cCmdItem>& menu, int length, std::initializer_list<const char*> names) {
  menu.resize(static_cast<size_t>(length));
  size_t i = 0;
  for (const char* name : names) menu[i++].m_strName = name;
}

}  // namespace

void cSystemData::SetDefault() {
  cSaveRecord::Clear();
  m_nExtraLifeScore = 100;
  m_bMenuDraw = 1;
  m_nFontFace = DEFAULT_FONT_FACE;
  m_bReplay = 1;
  m_bTitleMenuCentre = 1;
  m_bMapKeepsLives = 1;
  m_bMissChoice = 1;
  m_bMapShowLives = 1;
  m_nChallengeStages = 40;
  m_bChallengeAllOpen = 1;
  m_bStoryMapScore = m_bStoryTotalScore = m_bStoryRestore = m_bStoryMenuRetry = m_bStoryMenuMap = 1;
  m_bChallengeScores = m_bChallengeTotalScore = m_bChallengeRestore = m_bChallengeMenuRetry = 1;
  m_bFreeRestore = 1;
  m_nPaletteAnimStep = 16;
  m_nPaletteBpp = 2;

  m_vCarryGroup.resize(CARRY_GROUP_COUNT);
  for (int g = 0; g < CARRY_GROUP_COUNT; ++g) {
    const bool on = g == 0 || g == 1 || g == 13 || g == 14 || g == 16 || g == 17 || (g >= 19 && g <= 21);
    m_vCarryGroup[g] = on ? 1 : 0;
  }
  m_vRestartReset.resize(CARRY_GROUP_COUNT);
  for (int g = 0; g < CARRY_GROUP_COUNT; ++g) m_vRestartReset[g] = (g == 11 || g == 12) ? 1 : 0;

  m_vDisplayItems.resize(DISPLAY_ITEM_COUNT);
  const struct {
    uint32_t digits;
    const char* label;
  } items[DISPLAY_ITEM_COUNT] = {{4, "スコア"}, {3, "スコア"}, {0, "HP"}, {0, "SP"}, {2, "人"}};
  for (int i = 0; i < DISPLAY_ITEM_COUNT; ++i) {
    DisplayItem& d = m_vDisplayItems[i];
    d.m_bShow = 1;
    d.m_bIcon = 1;
    d.m_nDigits = items[i].digits;
    d.m_strLabel = items[i].label;
  }

  m_vStartLives.resize(GAME_MODE_COUNT);
  m_vUnlimitedLives.resize(GAME_MODE_COUNT);
  m_vRankingKinds.resize(GAME_MODE_COUNT);
  for (int mode = 0; mode < 3; ++mode) {
    RankingEntry& r = m_vRankingKinds[mode];
    r.m_bRanking = 1;
    r.m_vKinds.assign(RANKING_KIND_COUNT, 1);
  }

  SetMenu(m_vTitleMenu, TITLE_MENU_COUNT,
          {"はじめから", "つづきから", "チャレンジ", "フリー", "リプレイ", "オプション", "しゅうりょう"});
  SetMenu(m_vSaveMenu, SAVE_MENU_COUNT, {"セーブ", "オートセーブ", "もどる", "タイトルへ"});
  // Entry k of the options menu edits option k, the first being the palette number: the names
  // follow that order, so that each row of the options screen is labelled with what it edits.
  SetMenu(m_vOptionMenu, OPTION_MENU_COUNT, {"パレット", "BGM", "SE", "ランキング登録", "ランキング登録名", "もどる"});
  m_vRankingMethods.resize(RANKING_METHOD_COUNT);
  const char* const methods[RANKING_METHOD_COUNT] = {"手動登録（登録名入力）", "手動登録（登録名固定）",
                                                     "自動登録（登録名入力）", "自動登録（登録名固定）"};
  for (int i = 0; i < RANKING_METHOD_COUNT; ++i) m_vRankingMethods[i] = methods[i];

  m_vSystemSe.resize(SYSTEM_SE_COUNT);
  m_vScreenBgm.resize(SCREEN_BGM_COUNT);
  m_vScreenBgmFlag.resize(SCREEN_BGM_COUNT);

  // Text 22 (the in-game menu's return to the map) is empty in a new project.
  const char* const texts[SYSTEM_TEXT_COUNT] = {
      "ワールド",
      "ステージ",
      "スコア",
      "ハイスコア",
      "トータルスコア",
      "スコア",
      "残り時間",
      "クリア時間",
      "残りHP",
      "残りSP",
      "ステージに挑む",
      "やっぱりやめる",
      "セーブする",
      "やっぱりやめる",
      "オートセーブＯＮ",
      "オートセーブＯＦＦ",
      "保存先が不明です！一度は「セーブ」して下さい！",
      "タイトルへ戻る",
      "やっぱりやめる",
      "しゅうりょう",
      "つづける",
      "リトライ",
      "",
      "リトライ",
      "マップへ戻る",
      "Vキーでジャンルの切り替え",
      "スペースキーでタイトルへ戻る",
      "スペースキーで終了",
      "F3キーでランキングへ登録",
  };
  m_vTexts.resize(SYSTEM_TEXT_COUNT);
  for (int i = 0; i < SYSTEM_TEXT_COUNT; ++i) m_vTexts[i] = texts[i];

  m_vIniKeys.resize(INI_KEY_COUNT);
  const struct {
    const char* key;
    int32_t value;
  } keys[] = {{"Direct3D", 2},      {"WindowMode", 0},   {"Bpp", 0},
              {"VSync", 2},         {"D3D_FontCache", 0}, {"DD_FontCache", 1},
              {"DD_VideoStretch", 0}, {"ShowFps", 1}};
  for (int i = 0; i < INIKEY_FREE_STAGE; ++i) m_vIniKeys[i].SetNumberKey(keys[i].key, keys[i].value);
  m_vIniKeys[INIKEY_FREE_STAGE].SetTextKey("FreeStage", "");
  m_vIniKeys[INIKEY_ENGLISH].SetNumberKey("English", 0);
}

const char* const g_lpszFontFace[FONT_FACE_COUNT] = {
    "System", "Terminal", "FixedSys", "Roman", "Script", "Modern", "Small Fonts", "MS Serif", "WST_Czec",
    "WST_Engl", "WST_Fren", "WST_Germ", "WST_Ital", "WST_Span", "WST_Swed", "Courier", "MS Sans Serif",
    "Marlett", "Arial", "Arial CE", "Arial CYR", "Arial Greek", "Arial TUR", "Arial Baltic", "Courier New",
    "Courier New CE", "Courier New CYR", "Courier New Greek", "Courier New TUR", "Courier New Baltic",
    "Lucida Console", "Lucida Sans Unicode", "Times New Roman", "Times New Roman CE", "Times New Roman CYR",
    "Times New Roman Greek", "Times New Roman TUR", "Times New Roman Baltic", "Wingdings", "Symbol", "Verdana",
    "Arial Black", "Comic Sans MS", "Impact", "Georgia", "Franklin Gothic Medium", "Palatino Linotype", "Tahoma",
    "Trebuchet MS", "Webdings", "Estrangelo Edessa", "Gautami", "Latha", "Mangal", "MV Boli", "Raavi", "Shruti",
    "Tunga", "Sylfaen", "ＭＳ ゴシック", "ＭＳ Ｐゴシック", "MS UI Gothic", "ＭＳ 明朝", "ＭＳ Ｐ明朝",
    "Microsoft Sans Serif", "Gulim", "GulimChe", "Dotum", "DotumChe", "Batang", "BatangChe", "Gungsuh",
    "GungsuhChe", "SimSun", "NSimSun", "SimSun-PUA", "SimHei", "MingLiU", "PMingLiU", "Arial Narrow",
    "Book Antiqua", "Bookman Old Style", "Century", "Century Gothic", "Garamond", "MS Outlook", "HGｺﾞｼｯｸE",
    "HGPｺﾞｼｯｸE", "HGSｺﾞｼｯｸE", "HG丸ｺﾞｼｯｸM-PRO", "HG創英角ｺﾞｼｯｸUB", "HGP創英角ｺﾞｼｯｸUB", "HGS創英角ｺﾞｼｯｸUB",
    "HG創英角ﾎﾟｯﾌﾟ体", "HGP創英角ﾎﾟｯﾌﾟ体", "HGS創英角ﾎﾟｯﾌﾟ体", "HG正楷書体-PRO", "InMusicSym", "Kartika", "Vrinda",
    "メイリオ", "MT Extra", "HGｺﾞｼｯｸM", "HGPｺﾞｼｯｸM", "HGSｺﾞｼｯｸM", "HG行書体", "HGP行書体", "HGS行書体",
    "HG教科書体", "HGP教科書体", "HGS教科書体", "HG明朝B", "HGP明朝B", "HGS明朝B", "HG明朝E", "HGP明朝E",
    "HGS明朝E", "HG創英ﾌﾟﾚｾﾞﾝｽEB", "HGP創英ﾌﾟﾚｾﾞﾝｽEB", "HGS創英ﾌﾟﾚｾﾞﾝｽEB", "OCRB", "Sydnie", "",
};

const char* FontFaceName(int index) {
  if (index < 0 || index >= FONT_FACE_COUNT) index = DEFAULT_FONT_FACE;
  return g_lpszFontFace[index];
}

const char* const g_lpszColourMode[3] = {"256色(8bit) カラーパレットあり", "1677万色(24bit) カラーパレットなし", ""};
const char* const g_lpszPaletteBpp[4] = {"32bit(1677万色)", "16bit(32768色)", "8bit(256色)", ""};
const char* const g_lpszFullColourBpp[3] = {"32bit(1677万色)", "16bit(32768色)", ""};
