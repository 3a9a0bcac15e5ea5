// play_headless: plays a stage of a project folder without a window and prints the state digest
// of the play objects after every frame, then a digest over all frames.
//
//   play_headless [--project DIR] [--frames N] [--seed S]
//                 [--input FILE | --random-input SEED | --replay FILE] [--record FILE]
//                 [--describe N] [--png FRAME:FILE]... STAGE_FILE
//
// --png FRAME:FILE writes frame FRAME (counted from 1) as the player would show it to the PNG
// file FILE; the option may be given for several frames. A frame the game is held in is written
// as the hold draws it; the frame that ends a hold draws nothing of its own and is written as
// the play frame drawn after the hold.
//
// The input file holds one line per frame range: "FIRST[-LAST] KEY..." with the keys left,
// right, up, down and b1..b8 held in those frames (frames count from 1); "#" starts a comment.
// Frames the game is held in (a message waiting for its key, a picture or an effect shown while
// the game stands still) count too: they take their keys from the same frame numbers, and a
// play frame's line carries the number of its frame. When play ends (the stage is cleared or
// the game is over), a line "next stage: ..." tells what play goes on with, before the last line.
#include <unistd.h>

#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "core/log.h"
#include "core/path.h"
#include "core/save_record.h"
#include "engine/pause_thread.h"
#include "engine/play_data.h"
#include "engine/play_digest.h"
#include "engine/play_scene.h"
#include "engine/player.h"
#include "engine/shot.h"
#include "engine/stage_chara.h"
#include "platform/file.h"
#include "platform/message.h"
#include "platform/msgbox.h"
#include "platform/disk_name.h"
#include "platform/sjis.h"
#include "platform/thread.h"
#include "platform/time.h"
#include "project/common_palette.h"
#include "project/data_folder.h"
#include "project/global_data.h"
#include "project/replay.h"
#include "project/save_data.h"
#include "project/shell_state.h"
#include "project/stage.h"
#include "project/stage_load.h"
#include "project/system_data.h"

#include "frame_png.h"

namespace {

struct FramePicture {
  long frame = 0;
  std::string file;
  bool written = false;
};

struct Options {
  std::string project;
  long frames = 600;
  unsigned seed = 1;
  std::string inputFile;
  bool randomInput = false;
  uint64_t randomSeed = 0;
  std::string replayFile;
  std::string recordFile;
  std::string stage;
  long describe = -1;
  std::vector<FramePicture> pictures;
};

struct HeldRange {
  long first = 0;
  long last = 0;
  WORD dir = 0;
  WORD button = 0;
};

int Usage() {
  std::fprintf(stderr,
               "usage: play_headless [--project DIR] [--frames N] [--seed S] [--input FILE | --random-input SEED |"
               " --replay FILE] [--record FILE] [--describe N] [--png FRAME:FILE]... STAGE_FILE\n");
  return 2;
}

bool ParseArgs(int argc, char** argv, Options& o) {
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    auto value = [&](std::string& out) {
      if (i + 1 >= argc) return false;
      out = argv[++i];
      return true;
    };
    std::string v;
    if (a == "--project") {
      if (!value(o.project)) return false;
    } else if (a == "--frames") {
      if (!value(v)) return false;
      o.frames = std::strtol(v.c_str(), nullptr, 10);
    } else if (a == "--seed") {
      if (!value(v)) return false;
      o.seed = static_cast<unsigned>(std::strtoul(v.c_str(), nullptr, 10));
    } else if (a == "--input") {
      if (!value(o.inputFile)) return false;
    } else if (a == "--random-input") {
      if (!value(v)) return false;
      o.randomInput = true;
      o.randomSeed = std::strtoull(v.c_str(), nullptr, 10);
    } else if (a == "--replay") {
      if (!value(o.replayFile)) return false;
    } else if (a == "--describe") {
      if (!value(v)) return false;
      o.describe = std::strtol(v.c_str(), nullptr, 10);
    } else if (a == "--record") {
      if (!value(o.recordFile)) return false;
    } else if (a == "--png") {
      if (!value(v)) return false;
      FramePicture p;
      char* end = nullptr;
      p.frame = std::strtol(v.c_str(), &end, 10);
      if (end == v.c_str() || *end != ':' || end[1] == '\0' || p.frame < 1) return false;
      p.file = end + 1;
      o.pictures.push_back(p);
    } else if (!a.empty() && a[0] == '-') {
      return false;
    } else {
      o.stage = a;
    }
  }
  const int sources = !o.inputFile.empty() + o.randomInput + !o.replayFile.empty();
  return sources <= 1 && o.frames >= 0 && (!o.stage.empty() || !o.replayFile.empty());
}

bool ReadInputFile(const std::string& path, std::vector<HeldRange>& ranges) {
  std::ifstream in(path);
  if (!in) return false;
  std::string line;
  while (std::getline(in, line)) {
    const size_t hash = line.find('#');
    if (hash != std::string::npos) line.erase(hash);
    std::istringstream words(line);
    std::string span;
    if (!(words >> span)) continue;
    HeldRange r;
    const size_t dash = span.find('-');
    r.first = std::strtol(span.c_str(), nullptr, 10);
    r.last = dash == std::string::npos ? r.first : std::strtol(span.c_str() + dash + 1, nullptr, 10);
    std::string key;
    while (words >> key) {
      if (key == "left") r.dir |= 1;
      else if (key == "right") r.dir |= 2;
      else if (key == "up") r.dir |= 4;
      else if (key == "down") r.dir |= 8;
      else if (key.size() == 2 && key[0] == 'b' && key[1] >= '1' && key[1] <= '8') r.button |= 1 << (key[1] - '1');
      else {
        std::fprintf(stderr, "play_headless: unknown key \"%s\" in %s\n", key.c_str(), path.c_str());
        return false;
      }
    }
    ranges.push_back(r);
  }
  return true;
}

// Reproducible presses for --random-input: a held combination of one direction and some
// buttons, changed after a random number of frames (its own generator, not the game's).
class RandomPresses {
 public:
  explicit RandomPresses(uint64_t seed) : state_(seed * 2 + 1) {}
  void Next(WORD& dir, WORD& button) {
    if (left_ == 0) {
      static const WORD dirs[] = {0, 1, 2, 4, 8, 1 | 4, 2 | 4, 2, 2};
      dir_ = dirs[Draw() % 9];
      button_ = static_cast<WORD>(Draw() % 4 == 0 ? (1 << (Draw() % 4)) : 0);
      left_ = 1 + static_cast<int>(Draw() % 40);
    }
    --left_;
    dir = dir_;
    button = button_;
  }

 private:
  uint64_t Draw() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 7;
    state_ ^= state_ << 17;
    return state_;
  }
  uint64_t state_;
  int left_ = 0;
  WORD dir_ = 0;
  WORD button_ = 0;
};

// The frames of the run: played and held ones take their keys from one count of frames.
struct Timeline {
  const std::vector<HeldRange>* ranges = nullptr;
  RandomPresses* random = nullptr;
  long frame = 0;
  long last = 0;

  // The next frame: its number goes up and the keys held in it are set on the input record.
  void Next(cInput& input) {
    ++frame;
    WORD dir = 0, button = 0;
    if (random) {
      random->Next(dir, button);
    } else {
      for (const HeldRange& r : *ranges) {
        if (frame < r.first || frame > r.last) continue;
        dir |= r.dir;
        button |= r.button;
      }
    }
    input.SetWords(dir, button);
    input.m_nDirCode = cInput::GetDirCode(&input.m_wDir);
  }
};
Timeline g_timeline;

// The pictures asked for; set once one of them could not be written.
std::vector<FramePicture>* g_pictures = nullptr;
bool g_picturesFailed = false;

// Writes the pictures not yet written of the frames up to the given one from the frame shown
// now (presented first).
void WritePicturesUpTo(long frame) {
  if (!g_pictures) return;
  std::vector<std::string> files;
  for (FramePicture& p : *g_pictures) {
    if (p.written || p.frame > frame) continue;
    files.push_back(p.file);
    p.written = true;
  }
  if (files.empty()) return;
  std::string unwritten;
  if (!WriteShownFrame(files, &unwritten)) {
    std::fprintf(stderr, "play_headless: cannot write the picture %s\n", unwritten.c_str());
    g_picturesFailed = true;
  }
}

// A frame the hold has drawn: written when it was asked for.
void PresentHeldFrame() { WritePicturesUpTo(g_timeline.frame); }

// A frame drawn while the game is held: the next frame of the run. A hold that outlasts the run
// is ended (the loop takes its own thread's quit), so a key that never comes cannot stall it.
void PollHeldFrame(cSafeVector<cInput>& input) {
  g_timeline.Next(input.CheckedAt(0));
  AdvanceTestClock(16);
  if (g_timeline.frame >= g_timeline.last) PostThreadMessageA(GetCurrentThreadId(), WM_QUIT, 0, 0);
}

// What play goes on with after its end, as the play scene decides it: after a clear the same
// stage file again (a stage file played on its own, the tool's free play; a replay plays back
// again), or the newest file of the next stage of a series; "none" after a game over or when
// play leaves for a screen.
std::string NextStageReport(const cPlayScene& scene) {
  if (scene.m_nState != 4) return "none";
  if (cPlayScene::RestartsStageFile() || g_nPlayMode == PLAYMODE_REPLAY) return g_StageData.m_strPath + " (again)";
  std::string file;
  if (scene.MakeResFileName(file, scene.m_nNextStage)) return file;
  return "none";
}

// The project's data as the player's start-up reads it. A file that cannot be read is named with
// the reason; the loaders' own messages have gone to standard error before.
bool LoadProject() {
  const char* file = "";
  if (LoadPlayData(&file) == PLAYDATA_LOADED) {
    file = g_PathTable[PATH_COMMON_PALETTE];
    if (g_CommonPalette.LoadFile(file)) return true;
  }
  std::fprintf(stderr, "play_headless: cannot load the project: %s: %s\n", SjisToUtf8(file).c_str(),
               RecordFileProblem(file).c_str());
  return false;
}

// The program's message boxes (the loaders' messages) are written to standard error, one line
// each, and answered with their first button.
int BoxToStandardError(const char* text, const char* caption, UINT type) {
  std::string line = SjisToUtf8(text);
  for (char& c : line)
    if (c == '\n') c = ' ';
  std::fprintf(stderr, "play_headless: [%s] %s\n", SjisToUtf8(caption).c_str(), line.c_str());
  return (type & MB_TYPEMASK) == MB_YESNO || (type & MB_TYPEMASK) == MB_YESNOCANCEL ? IDYES : IDOK;
}

}  // namespace

int main(int argc, char** argv) {
  Options o;
  if (!ParseArgs(argc, argv, o)) return Usage();
  // The files the program reads and writes, in its own names (those of the command line may hold
  // any characters).
  o.stage = ArgumentPathToSjis(o.stage);
  o.replayFile = ArgumentPathToSjis(o.replayFile);
  o.recordFile = ArgumentPathToSjis(o.recordFile);
  std::vector<HeldRange> ranges;
  if (!o.inputFile.empty() && !ReadInputFile(o.inputFile, ranges)) {
    std::fprintf(stderr, "play_headless: cannot read the input file %s\n", o.inputFile.c_str());
    return 1;
  }
  // The tool keeps no report log: its lines go nowhere, and the messages that the program shows
  // once its report log has taken them reach standard error as boxes.
  SetReportLogPath("/dev/null");
  SetMessageBoxHook(&BoxToStandardError);
  if (!o.project.empty() && chdir(o.project.c_str()) != 0) {
    std::fprintf(stderr, "play_headless: cannot enter %s\n", DiskNameToUtf8(o.project).c_str());
    return 1;
  }
  if (!LoadProject()) return 1;
  std::string drawingError;
  if (!o.pictures.empty() && !OpenFrameDrawing(&drawingError)) {
    std::fprintf(stderr, "play_headless: %s\n", drawingError.c_str());
    return 1;
  }

  // The seed: the clock that a recorded start reads, and the seed of an unrecorded one.
  UseTestClock(o.seed);
  g_SaveData.ResetGameData();
  if (!o.replayFile.empty()) {
    g_nPlayMode = PLAYMODE_REPLAY;
    g_nGameMode = GAMEMODE_REPLAY;
    if (!LoadReplayForPlayback(o.replayFile.c_str())) {
      std::fprintf(stderr, "play_headless: cannot read the replay %s\n", SjisToUtf8(o.replayFile).c_str());
      return 1;
    }
  } else {
    g_nPlayMode = PLAYMODE_FREE_STAGE;
    g_nGameMode = GAMEMODE_FREE;
    g_bFreePlay = 1;
    // A name without the version number ("data\stg4\x.stg4"), as the player takes it on its
    // command line, stands for the newest numbered file of that stage.
    const int findNewest = GetFileAttributesA(o.stage.c_str()) == INVALID_FILE_ATTRIBUTES ? 1 : 0;
    if (!LoadStageFile(o.stage.c_str(), findNewest, &g_StageInit)) {
      std::fprintf(stderr, "play_headless: cannot load the stage %s\n", SjisToUtf8(o.stage).c_str());
      return 1;
    }
    // The progress names the stage as a stage file played from the menu does: its series, the
    // next stage of a clear, the replay's and the ranking's names come from it.
    // The file loaded, numbered and relative to the project folder.
    g_SaveData.SetCurrentStage(g_StageData.m_strPath.c_str(), 0, 0, 0);
  }
  g_SystemData.m_bReplay = o.recordFile.empty() ? 0 : 1;

  RandomPresses random(o.randomSeed);
  g_timeline.ranges = &ranges;
  g_timeline.random = o.randomInput ? &random : nullptr;
  g_timeline.last = o.frames;
  g_PauseLink.lpfnPollInput = PollHeldFrame;
  if (!o.pictures.empty()) {
    g_pictures = &o.pictures;
    g_PauseLink.lpfnPresentFrame = PresentHeldFrame;
  }
  uint64_t all = kDigestBasis;
  bool failed = false;
  std::string nextStage;
  {
    cPlayScene scene;
    scene.m_nSeed = static_cast<int32_t>(o.seed);
    g_lpPlayScene = &scene;
    cInput& input = g_vInput.CheckedAt(0);
    while (g_timeline.frame < o.frames) {
      g_timeline.Next(input);
      const long frame = g_timeline.frame;
      scene.Update();
      AdvanceTestClock(16);
      const uint64_t digest = PlayStateDigest();
      all = DigestBytes(all, &digest, sizeof digest);
      std::printf("%ld %016" PRIx64 "\n", frame, digest);
      if (frame == o.describe) std::printf("%s", DescribePlayState().c_str());
      // This frame, and the one that ended a hold in it (nothing was drawn in that one).
      WritePicturesUpTo(g_timeline.frame);
      // Play ends with the end-of-play display or the game over.
      if (nextStage.empty() && (scene.m_nState == 4 || scene.m_nState == 6)) nextStage = NextStageReport(scene);
      if (scene.m_bInitFailed) break;
    }
    if (g_picturesFailed) failed = true;
    for (const FramePicture& p : o.pictures) {
      if (p.written) continue;
      std::fprintf(stderr, "play_headless: frame %ld was not played; the picture %s is not written\n", p.frame,
                   p.file.c_str());
      failed = true;
    }
    if (!o.recordFile.empty() && !SaveAttemptReplay(0, o.recordFile.c_str())) {
      std::fprintf(stderr, "play_headless: cannot write the replay %s\n", SjisToUtf8(o.recordFile).c_str());
      failed = true;
    }
    // The play objects go before the scene they refer to.
    scene.m_lShot.Clear();
    g_lChara.Clear();
    g_lItem.Clear();
    g_vPlayer.clear();
    g_lpPlayScene = nullptr;
  }
  if (!o.pictures.empty()) CloseFrameDrawing();
  if (failed) return 1;
  if (!nextStage.empty()) std::printf("next stage: %s\n", nextStage.c_str());
  std::printf("digest %016" PRIx64 "\n", all);
  return 0;
}
