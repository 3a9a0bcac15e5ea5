#include "project/replay.h"

#include <memory>
#include <string>
#include <utility>

#include "core/log.h"
#include "core/path.h"
#include "core/sound_request.h"
#include "defs/ed_move.h"
#include "defs/record_list.h"
#include "platform/file.h"
#include "platform/input.h"
#include "project/save_data.h"
#include "project/shell_state.h"
#include "project/stage.h"
#include "project/system_data.h"

const char* const g_lpszReplayFolder = "user_data\\rpl4";

int g_nReplayRefuseWait = 0;

namespace {

// Frames between two refusal sounds while F1 or F2 is held on an empty recording.
constexpr int kRefuseWait = 60;
// The last data version whose replay files hold no game progress.
constexpr int kLastVersionWithoutProgress = 172;

// One channel: the run of the last value grows, or a new value starts a run of 1.
void RecordChannel(cSafeVector<uint16_t>& values, cSafeVector<uint32_t>& runs, uint16_t word) {
  if (!values.empty() && values.back() == word && !runs.empty()) {
    ++runs.back();
    return;
  }
  values.push_back(word);
  runs.push_back(1);
}

// One channel's next frame: the value of the current run, and the run moves on once its frames
// are played.
uint16_t PlayChannel(const cSafeVector<uint16_t>& values, const cSafeVector<uint32_t>& runs, int32_t& index,
                     uint32_t& count) {
  const uint16_t word = values[static_cast<size_t>(index)];
  ++count;
  if (static_cast<size_t>(index) >= runs.size() || count >= runs[static_cast<size_t>(index)]) {
    count = 0;
    ++index;
  }
  return word;
}

bool ChannelWellFormed(const cSafeVector<uint16_t>& values, const cSafeVector<uint32_t>& runs) {
  if (values.size() != runs.size()) return false;
  for (uint32_t run : runs)
    if (run < 1) return false;
  return true;
}

}  // namespace

// ---- The recorder ----

cReplay::cReplay() {
  Register(DATA_VERSION);
  Clear();
}

void cReplay::RegisterFields(int version) { AddField(&m_nSeed); }

void cReplay::Load(FILE* fp) {
  m_nDataVersion = g_nFileVersion;
  cSaveRecord::Load(fp);
  m_vValueA.clear();
  m_vValueB.clear();
  m_vRunA.clear();
  m_vRunB.clear();
  LoadValueList(m_vValueA, fp);
  LoadValueList(m_vValueB, fp);
  LoadValueList(m_vRunA, fp);
  LoadValueList(m_vRunB, fp);
  ResetPosition();
}

void cReplay::Save(FILE* fp) {
  cSaveRecord::Save(fp);
  SaveValueList(m_vValueA, fp);
  SaveValueList(m_vValueB, fp);
  SaveValueList(m_vRunA, fp);
  SaveValueList(m_vRunB, fp);
}

void cReplay::Record(const cInput& input) {
  RecordChannel(m_vValueA, m_vRunA, input.DirWord());
  RecordChannel(m_vValueB, m_vRunB, input.ButtonWord());
}

int cReplay::Play(cInput& input) {
  if (static_cast<size_t>(m_nIndexA) >= m_vValueA.size() || static_cast<size_t>(m_nIndexB) >= m_vValueB.size())
    return 1;
  const uint16_t dir = PlayChannel(m_vValueA, m_vRunA, m_nIndexA, m_nCountA);
  const uint16_t button = PlayChannel(m_vValueB, m_vRunB, m_nIndexB, m_nCountB);
  input.SetWords(dir, button);
  return 0;
}

void cReplay::CopyFrom(const cReplay& src) {
  if (&src == this) return;
  m_nSeed = src.m_nSeed;
  m_vValueA = src.m_vValueA;
  m_vValueB = src.m_vValueB;
  m_vRunA = src.m_vRunA;
  m_vRunB = src.m_vRunB;
  m_nDataVersion = src.m_nDataVersion;
}

void cReplay::Reset() {
  Clear();
  m_vValueA.clear();
  m_vValueB.clear();
  m_vRunA.clear();
  m_vRunB.clear();
  m_nDataVersion = DATA_VERSION;
  ResetPosition();
}

void cReplay::ResetPosition() {
  m_nIndexA = m_nIndexB = 0;
  m_nCountA = m_nCountB = 0;
}

bool cReplay::IsWellFormed() const {
  return ChannelWellFormed(m_vValueA, m_vRunA) && ChannelWellFormed(m_vValueB, m_vRunB);
}

int cReplay::InputDirection(int nInput, int bAllow, int bFacingRight, int bPlaying) const {
  return MapInputDirection(nInput, bAllow, bFacingRight, bPlaying, m_nDataVersion);
}

int cReplay::KeepsTargetRect(int bSwitch, int bPlaying) const {
  return bSwitch || (bPlaying && m_nDataVersion <= 781) ? 1 : 0;
}

// ---- Files ----

const char* ReplayExtension() {
  static const std::string ext = [] {
    std::string e;
    FormatString(e, "rpl4_%d", DATA_VERSION);
    return e;
  }();
  return ext.c_str();
}

int WriteReplayFile(cReplay& replay, const char* path, cStage& stage, cStage& header, cSaveData& progress) {
  FILE* fp = OpenRecordFileWrite(path);
  int ok = 0;
  if (fp) {
    stage.SaveForReplay(fp, header);
    replay.Save(fp);
    progress.Save(fp);
    ok = CloseRecordFile(fp);
  }
  if (!ok) ErrorBoxF("リプレイファイル %s の保存に失敗しました！", path ? path : "");
  return ok;
}

namespace {

// Reads the three parts of a replay file into records of their own; false when the file is
// missing, too new, or damaged (a part that ends early, a stage without its trailer, channels
// whose lists do not match).
bool ReadReplayParts(const char* path, cStage& image, cReplay& replay, cSaveData& progress, bool& hasProgress) {
  // The flag tells of this file only: one that cannot be opened at all is not too new.
  g_bFileTooNew = 0;
  FILE* fp = OpenRecordFileRead(path);
  if (!fp) return false;
  const int version = g_nFileVersion;
  image.Load(fp);
  bool ok = !RecordStreamFailed(fp) && image.m_nTrailerRead == STAGE_TRAILER;
  if (ok) {
    replay.Load(fp);
    replay.m_nDataVersion = version;
    ok = !RecordStreamFailed(fp) && replay.IsWellFormed();
  }
  hasProgress = version > kLastVersionWithoutProgress;
  if (ok && hasProgress) {
    progress.Load(fp);
    ok = !RecordStreamFailed(fp);
  }
  CloseRecordFile(fp);
  return ok;
}

}  // namespace

int ReadReplayFile(cReplay& replay, const char* path, cStage& stage, cStage& out, cSaveData& progress) {
  const std::string file = path ? path : "";
  auto image = std::make_unique<cStage>();
  cReplay recording;
  cSaveData start;
  start.ResetGameData();
  bool hasProgress = false;
  if (!ReadReplayParts(file.c_str(), *image, recording, start, hasProgress)) {
    if (g_bFileTooNew)
      ErrorBoxF("リプレイファイル %s の読み込みに失敗しました！\nソフトより上位のバージョンのファイルは使用できません。",
                file.c_str());
    else
      ErrorBoxF("リプレイファイル %s の読み込みに失敗しました！", file.c_str());
    return 0;
  }
  // The loader's own members of the stage stay; its path is the replay's.
  const int32_t findNewest = stage.m_bFindNewest;
  const int32_t loaded = stage.m_bLoaded;
  stage = std::move(*image);
  stage.m_strPath = file;
  stage.m_bFindNewest = findNewest;
  stage.m_bLoaded = loaded;
  if (&out != &stage) {
    out.CopyHeaderFrom(stage);
    out.ClearObjectLists();
  }
  replay.CopyFrom(recording);
  replay.ResetPosition();
  if (hasProgress) progress = start;
  return 1;
}

void ProposeReplayFileName(char* buffer, const char* name, const cSaveData& progress) {
  buffer[0] = 0;
  if (!name || !*name) return;
  char stage[MAX_PATH];
  std::snprintf(stage, sizeof stage, "%s", name);
  StripDirectory(stage);
  std::string base;
  FormatString(base, "%s\\%s", g_lpszReplayFolder, stage);
  MakeStageFileName(base, progress.m_bStageCond, progress.m_nCondVar, progress.m_nCondValue);
  char file[MAX_PATH];
  ChangeExtension(file, base.c_str(), ReplayExtension());
  // The first free name; when every one is taken, the last tried.
  char numbered[MAX_PATH] = {};
  bool found = false;
  for (int i = 0; i <= 8 && !found; ++i) {
    for (int j = 0; j <= 8 && !found; ++j) {
      MakeNumberedName(numbered, file, i, j);
      found = GetFileAttributesA(numbered) == INVALID_FILE_ATTRIBUTES;
    }
  }
  StripDirectory(numbered);
  std::snprintf(buffer, MAX_PATH, "%s", numbered);
}

// ---- Requests ----

int CheckReplaySaveKeys() {
  if (g_nPlayMode == PLAYMODE_REPLAY || !g_SystemData.m_bReplay) return 0;
  if (g_nReplayRefuseWait > 0) --g_nReplayRefuseWait;
  int attempt;
  const cReplay* recording;
  if (GetAsyncKeyState(VK_F1) < 0) {
    attempt = 0;
    recording = &g_Replay;
  } else if (GetAsyncKeyState(VK_F2) < 0) {
    attempt = 1;
    recording = &g_PrevReplay;
  } else {
    return 0;
  }
  if (recording->m_vValueA.empty()) {
    if (g_nReplayRefuseWait <= 0) {
      PlaySysSe(3);
      g_nReplayRefuseWait = kRefuseWait;
    }
    return 0;
  }
  PlaySysSe(1);
  SendWindowRequest(WM_REQUEST_SAVE_REPLAY, static_cast<WPARAM>(attempt));
  return 1;
}

int RequestReplayLoad() { return SendWindowRequest(WM_REQUEST_LOAD_REPLAY, 0) != 0 ? 1 : 0; }

int SaveAttemptReplay(int nAttempt, const char* path) {
  if (nAttempt == 0) return WriteReplayFile(g_Replay, path, g_StageData, g_StageInit, g_ReplaySaveData);
  return WriteReplayFile(g_PrevReplay, path, g_StageData, g_StageInit, g_PrevReplaySaveData);
}

int LoadReplayForPlayback(const char* path) { return ReadReplayFile(g_Replay, path, g_StageData, g_StageInit, g_SaveData); }
