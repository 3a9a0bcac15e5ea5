#include "project/replay_dialog.h"

#include <string>

#include "core/log.h"
#include "core/save_record.h"
#include "core/shell_link.h"
#include "core/text.h"
#include "platform/message.h"
#include "platform/msgbox.h"
#include "project/replay.h"
#include "project/save_data.h"
#include "project/shell_state.h"
#include "project/stage.h"
#include "ui/file_dialog.h"

int SelectReplaySaveFile(char* buffer, const char* name, int english) {
  ProposeReplayFileName(buffer, name, g_SaveData);
  std::string folder, description, pattern;
  FormatString(folder, "%s\\", g_lpszReplayFolder);
  FormatString(description, "ReplayFile ( *.%s )", ReplayExtension());
  FormatString(pattern, "*.%s", ReplayExtension());
  const std::string filter = MakeFileFilter(description.c_str(), pattern.c_str());
  BeginDialogMode();
  const int chosen = SaveFileDialog(GetActiveWindow(), buffer, folder.c_str(),
                                    english ? "Save replay file" : "リプレイファイルの保存", filter.c_str(),
                                    ReplayExtension(), 1);
  EndDialogMode();
  return chosen;
}

int SelectReplayLoadFile(HWND hOwner, char* buffer, int english) {
  const std::string filter = MakeFileFilter("ReplayFile ( *.rpl4_* )", "*.rpl4_*");
  BeginDialogMode();
  const int chosen = OpenFileDialog(hOwner, buffer, MAX_PATH, g_lpszReplayFolder,
                                    english ? "Load replay file" : "リプレイファイルの読み込み", filter.c_str(),
                                    "rpl4_*", 0, nullptr);
  EndDialogMode();
  return chosen;
}

void AnswerReplaySaveRequest(WPARAM attempt, int english) {
  char path[MAX_PATH] = {};
  int written = 0;
  if (SelectReplaySaveFile(path, g_SaveData.m_strStage.c_str(), english)) {
    written = SaveAttemptReplay(attempt == 0 ? 0 : 1, path);
    if (!written) PostMessageA(g_hWnd, WM_CLOSE, 0, 0);
  }
  AnswerWindowRequest(written);
}

void AnswerReplayLoadRequest(HWND hOwner, int english) {
  char path[MAX_PATH] = {};
  if (!SelectReplayLoadFile(hOwner, path, english)) {
    AnswerWindowRequest(0);
    return;
  }
  // A replay that cannot be read closes the program; the requester is told it did not load, so
  // that it does not go into playback.
  const bool loaded = LoadReplayForPlayback(path);
  if (!loaded) {
    ReportFailure("the replay file %s cannot be read: %s", path, RecordFileProblem(path).c_str());
    PostMessageA(g_hWnd, WM_CLOSE, 0, 0);
  }
  g_StageData.m_strPath = path;
  AnswerWindowRequest(loaded ? 1 : 0);
}
