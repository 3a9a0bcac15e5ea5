#include "project/stage_load.h"

#include <atomic>
#include <memory>
#include <string>

#include "core/log.h"
#include "core/path.h"
#include "core/shell_link.h"
#include "platform/message.h"
#include "platform/thread.h"
#include "project/data_folder.h"
#include "project/global_data.h"

namespace {

// One load on the loader thread: the record it reads, and whether the thread's procedure came
// to its end (a thread asked to stop unwinds before).
struct StageLoadJob {
  cStage stage;
  std::atomic<bool> bFinished{false};
};

// The loader thread holds a share of its job, so the record it reads lives until the thread has
// ended, even when the calling thread is stopped first (the program closing while it loads).
unsigned RunStageLoadJob(void* lpShare) {
  std::unique_ptr<std::shared_ptr<StageLoadJob>> share(static_cast<std::shared_ptr<StageLoadJob>*>(lpShare));
  StageLoadJob& job = **share;
  const unsigned result = LoadStageThreadProc(&job.stage);
  job.bFinished = true;
  return result;
}

}  // namespace

unsigned LoadStageThreadProc(void* lpStage) {
  cStage& stage = *static_cast<cStage*>(lpStage);
  const int loaded = stage.LoadFile(stage.m_strPath.c_str());
  if (loaded) stage.m_bLoaded = 1;
  return static_cast<unsigned>(loaded);
}

int CheckStageFileTrailer(const char* path) {
  FILE* fp = OpenRecordFileRead(path);
  if (!fp) return 1;
  if (g_nFileVersion < 174) {
    CloseRecordFile(fp);
    return 1;
  }
  int32_t trailer = 0;
  if (std::fseek(fp, -4, SEEK_END) == 0) ReadRecordValue(fp, trailer);
  CloseRecordFile(fp);
  if (trailer == STAGE_TRAILER) return 1;
  ErrorBoxF("ステージファイル %s が破損しています！", path);
  PostMessageA(g_hWnd, WM_CLOSE, 0, 0);
  return 0;
}

int LoadStageFile(const char* name, int bFindNewest, cStage* out) {
  // One load at a time: a load started from a message dispatched during a load would take
  // over the loader thread of the running one.
  if (thLoadStage.m_hThread.load()) {
    ErrorLog("LoadStageFile: a stage is already being loaded");
    return 0;
  }
  auto job = std::make_shared<StageLoadJob>();
  cStage& stage = job->stage;
  stage.m_bFindNewest = bFindNewest;
  if (bFindNewest) {
    if (!FindLastNumberedFileStr(stage.m_strPath, name, g_ExtTable[EXT_STAGE])) return 0;
  } else {
    stage.m_strPath = name ? name : "";
  }
  MakeRelativePathStr(stage.m_strPath);
  if (!CheckStageFileTrailer(stage.m_strPath.c_str())) return 0;

  stage.m_bLoaded = 0;
  bool quit = false;
  WPARAM quitCode = 0;
  bool endedElsewhere = false;
  auto* share = new std::shared_ptr<StageLoadJob>(job);
  if (thLoadStage.Start(&RunStageLoadJob, share)) {
    const HANDLE h = thLoadStage.m_hThread.load();
    MSG msg;
    while (WaitForSingleObject(h, 0) == WAIT_TIMEOUT) {
      if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        // Nothing to pass on: wait for the loader, at most a millisecond.
        WaitForSingleObject(h, 1);
        continue;
      }
      if (msg.message == WM_QUIT) {
        ErrorLog("msg.message == WM_QUIT");
        quit = true;
        quitCode = msg.wParam;
        break;
      }
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    // The window thread ends the loader thread when the program closes.
    endedElsewhere = thLoadStage.m_hThread.load() != h;
    if (!endedElsewhere) thLoadStage.Exit();
  } else {
    delete share;
    job->bFinished = true;
  }
  // The loader bound the record it read as the stage palette; the working stage is it again.
  g_StageData.SetDefContext();

  if (quit) {
    PostQuitMessage(static_cast<int>(quitCode));
    return 0;
  }
  // A loader stopped before its end was ended by the closing program: nothing to report.
  if (endedElsewhere || !job->bFinished) return 0;
  if (!stage.m_bLoaded) {
    ErrorBoxF("ステージファイル %s の読み込みに失敗しました！", stage.m_strPath.c_str());
    return 0;
  }
  if (!stage.HasPlayer()) {
    ErrorBox("主人公が配置されていないのでプレイできません！");
    PostMessageA(g_hWnd, WM_CLOSE, 0, 0);
    return 0;
  }
  g_StageData = std::move(stage);
  if (out && out != &g_StageData) {
    out->CopyHeaderFrom(g_StageData);
    out->ClearObjectLists();
  }
  return 1;
}
