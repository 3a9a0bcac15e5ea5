#include "engine/play_digest.h"

#include <cstdio>

#include "engine/play_scene.h"
#include "engine/player.h"
#include "engine/shot.h"
#include "engine/stage_chara.h"
#include "platform/random.h"

namespace {

int IdOf(const cChara* c) { return c ? c->m_nId : -1; }

// The flow runs of a character: one line per run, with the remaining ticks of each command.
void DescribeFlowRuns(std::string& out, const cChara& c) {
  char line[256];
  for (const cFlowRun& r : c.m_vFlowRun) {
    std::snprintf(line, sizeof line, "  run %d/%d running=%d paused=%d forever=%d delete=%d current=%d ticks=%d left=",
                  r.m_nIndex, r.m_nRunId, r.m_bRunning, r.m_bPaused, r.m_bStopForever, r.m_bDelete, r.m_nCurrent,
                  r.m_nTicks);
    out += line;
    for (const cCmdState& s : r.m_vCmdState) out += std::to_string(s.m_nRemaining) + (s.m_bDone ? "d " : " ");
    out += "\n";
  }
}

void Describe(std::string& out, const char* what, const cChara& c) {
  char line[1024];
  std::snprintf(line, sizeof line,
                "%s id=%d removed=%d dead=%d active=%d x=%a y=%a fx=%a fy=%a vx=%a vy=%a ax=%a ay=%a kx=%a ky=%a "
                "hp=%d sp=%d dir=%d press=%d%d%d%d air=%d/%d jump=%d%d%d wall=%d pause=%d life=%d "
                "targets=%d,%d,%d,%d summoner=%d backrefs=%zu shots=%zu effect=%d/%a\n",
                what, c.m_nId, c.m_bRemoved, c.m_bDead, c.m_bActive, c.m_dX, c.m_dY, c.m_dFarX, c.m_dFarY, c.m_dVX,
                c.m_dVY, c.m_dAX, c.m_dAY, c.m_dKnockX, c.m_dKnockY, c.m_nHp, c.m_nSp, c.m_nDir, c.m_bPressLeft,
                c.m_bPressRight, c.m_bPressTop, c.m_bPressBottom, c.m_bAirborne, c.m_nAirCount, c.m_bJumpStartA,
                c.m_bJumpStartB, c.m_bJumping, c.m_nWallSide, c.m_nPause, c.m_nLife, IdOf(c.m_vTarget[0]),
                IdOf(c.m_vTarget[1]), IdOf(c.m_vTarget[2]), IdOf(c.m_vTarget[3]), IdOf(c.m_lpSummoner),
                c.m_vBackRef.size(), c.m_vShotLink.size(), c.m_Effect.m_sEffect, c.m_Effect.m_dCurrent);
  out += line;
  DescribeFlowRuns(out, c);
}

void DescribeAxis(std::string& out, const char* what, const cScroll& s) {
  char line[256];
  std::snprintf(line, sizeof line, "%s pos=%a pinned=%d auto=%d speed=%a\n", what, s.m_dPos, s.m_bPinned, s.m_bAuto,
                s.m_dAutoSpeed);
  out += line;
}

void DescribeShot(std::string& out, const cShot& s) {
  char line[512];
  std::snprintf(line, sizeof line, "shot id=%d owner=%d removed=%d active=%d x=%a y=%a vx=%a vy=%a ax=%a ay=%a life=%d\n",
                s.m_nId, s.m_nOwnerId, s.m_bRemoved, s.m_bActive, s.m_dX, s.m_dY, s.m_dVX, s.m_dVY, s.m_dAX, s.m_dAY,
                s.m_nLife);
  out += line;
}

}  // namespace

std::string DescribePlayState() {
  std::string out;
  for (const cPlayer& p : g_vPlayer) Describe(out, "hero", p);
  // A walk of the list, so that removed characters (not yet swept) are counted too.
  size_t stored = g_lChara.Stored();
  size_t seen = 0;
  g_lChara.ForEach([&](cStageChara& c) {
    Describe(out, "chara", c);
    ++seen;
  });
  char line[512];
  std::snprintf(line, sizeof line, "removed awaiting sweep=%zu\n", stored - seen);
  out += line;
  g_lItem.ForEach([&](cItem& item) {
    std::snprintf(line, sizeof line, "item id=%d active=%d x=%a y=%a vx=%a vy=%a life=%d\n", item.m_nId,
                  item.m_bActive, item.m_dX, item.m_dY, item.m_dVX, item.m_dVY, item.m_nLife);
    out += line;
  });
  if (cPlayScene* scene = g_lpPlayScene) {
    scene->m_lShot.ForEach([&](cShot& s) { DescribeShot(out, s); });
    for (size_t layer = 0; layer < scene->m_vDrawList.size(); ++layer) {
      out += "layer " + std::to_string(layer) + ":";
      for (const cChara* c : scene->m_vDrawList[layer])
        if (!c->m_bRemoved) out += " " + std::to_string(c->m_nId);
      out += "\n";
    }
    DescribeAxis(out, "scroll x", scene->m_ScrollX);
    DescribeAxis(out, "scroll y", scene->m_ScrollY);
    std::snprintf(line, sizeof line,
                  "time=%d stop=%d frames=%d play=%d result=%d effects=%zu state=%d frame=%d substeps=%d "
                  "nextid=%d\n",
                  scene->m_nTime, scene->m_bTimeStop, scene->m_nPlayFrames, scene->m_nPlayTime,
                  scene->m_nStageResult, scene->m_lEffect.size(), scene->m_nState, scene->m_nFrame,
                  scene->m_nSubStepCount, scene->m_nNextId);
    out += line;
  }
  std::snprintf(line, sizeof line, "random=%08x\n", CrtRandState());
  out += line;
  return out;
}

uint64_t DigestBytes(uint64_t hash, const void* data, size_t size) {
  const unsigned char* p = static_cast<const unsigned char*>(data);
  for (size_t i = 0; i < size; ++i) {
    hash ^= p[i];
    hash *= 1099511628211ULL;
  }
  return hash;
}

uint64_t PlayStateDigest() {
  const std::string text = DescribePlayState();
  return DigestBytes(kDigestBasis, text.data(), text.size());
}
