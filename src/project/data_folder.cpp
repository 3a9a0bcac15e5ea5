#include "project/data_folder.h"

#include <cstring>

#include "core/path.h"
#include "platform/file.h"
#include "platform/msgbox.h"
#include "platform/shell.h"

const char* const g_PathTable[PATH_COUNT] = {
    "data\\",
    "default\\",
    "data\\stg4\\old_ver\\",
    "data\\work\\",
    "e_data\\EditConfig.dat",
    "data\\PrjOption.dat",
    "default\\PrjOption.dat",
    "data\\CommonPalette.cplt4",
    "default\\CommonPalette.cplt4",
    "data\\GValInfo.dat",
    "default\\GValInfo.dat",
    "data\\stg4\\Default.stg4_***",
    "default\\stg4\\Default.stg4_***",
    "data\\WorldMap.dat",
    "default\\WorldMap.dat",
    "data\\database\\AnimeSet.dat",
    "default\\database\\AnimeSet.dat",
    "data\\database\\Anime.dat",
    "default\\database\\Anime.dat",
    "data\\database\\Bmp_CharaExc.dat",
    "default\\database\\Bmp_CharaExc.dat",
    "data\\database\\SwordType.dat",
    "default\\database\\SwordType.dat",
    "data\\database\\Effect.dat",
    "default\\database\\Effect.dat",
    "data\\database\\CharaEffect.dat",
    "default\\database\\CharaEffect.dat",
    "data\\database\\ScrEffect.dat",
    "default\\database\\ScrEffect.dat",
    "data\\database\\Picture.dat",
    "default\\database\\Picture.dat",
    "data\\database\\Sound.dat",
    "default\\database\\Sound.dat",
    "data\\database\\Bgm.dat",
    "default\\database\\Bgm.dat",
    "data\\System.dat",
    "default\\System.dat",
    "data\\stg4\\c",
    "user_data\\story\\",
    "user_data\\challenge\\",
    "user_data\\free\\",
    "user_data\\story\\Story",
    "user_data\\challenge\\Challenge.dat",
    "user_data\\Option.dat",
    "user_data\\",
    "user_data\\KeyConfig.dat",
    "user_data\\Boot.dat",
    "user_data\\Window.dat",
};

const char* const g_ExtTable[EXT_COUNT] = {"cplt4", "stg4", "plt4", "rkg"};

const char* const g_lpszWorkFolders[23] = {
    "user_data",  "user_data\\story", "user_data\\challenge", "user_data\\free", "user_data\\rpl4",
    "data",       "data\\database",   "data\\stg4",           "data\\stg4\\old_ver", "data\\work",
    "data\\plt4", "bmp",              "bmp\\back",            "bmp\\chara_sp",  "bmp\\effect",
    "bmp\\picture", "bmp\\sword",     "bmp\\convert",         "bmp\\plt",       "bmp\\hbt",
    "wave",       "bgm",              nullptr,
};

const char* const g_aszCharaVar[] = {
    "1 キャラ変数-1", "2 キャラ変数-2", "3 キャラ変数-3", "4 キャラ変数-4", "5 キャラ変数-5",
    "6 キャラ変数-6", "7 キャラ変数-7", "8 キャラ変数-8", "",
};
const char* const g_aszCalc[] = {"＝", "＋", "－", "×", "÷", "÷ X の余り", "X ％", ""};
const char* const g_aszCompare[] = {"である", "でない", "以上", "以下", "より上", "より下", "の倍数である", "の倍数でない", ""};
const char* const g_aszCondSense[] = {"なら", "でないなら", ""};
const char* const g_aszColor[] = {"なし", "白", "黒", "赤", "緑", "青", "黄", "赤紫", "青紫", "4色", ""};

int CreateDefaultData(HWND hWnd) {
  if (PathIsDirectoryA(g_PathTable[PATH_DATA])) return 1;
  if (!PathIsDirectoryA(g_PathTable[PATH_DEFAULT])) return 0;
  if (MessageBoxA(hWnd, "データが存在しません！デフォルトデータを作成しますか？\n", "デフォルトデータ作成の確認",
                  MB_YESNO) != IDYES)
    return 0;
  // Lists of one path, each ending with a second zero: the source folder without its trailing
  // backslash, the destination with it.
  char from[MAX_PATH + 1] = {};
  char to[MAX_PATH + 1] = {};
  std::strcpy(from, g_PathTable[PATH_DEFAULT]);
  std::strcpy(to, g_PathTable[PATH_DATA]);
  if (!MakeFullPath(from) || !MakeFullPath(to)) return 0;
  const size_t n = std::strlen(from);
  if (n > 0) from[n - 1] = 0;
  SHFILEOPSTRUCTA op = {};
  op.hwnd = hWnd;
  op.wFunc = FO_COPY;
  op.pFrom = from;
  op.pTo = to;
  op.fFlags = FOF_MULTIDESTFILES | FOF_SILENT | FOF_NOCONFIRMATION;
  if (SHFileOperationA(&op) == 0) return 1;
  op.wFunc = FO_DELETE;
  op.pFrom = to;
  op.pTo = nullptr;
  SHFileOperationA(&op);
  return 0;
}

void CreateWorkFolders() {
  for (const char* const* folder = g_lpszWorkFolders; *folder; ++folder) CreateDirectoryA(*folder, nullptr);
}
