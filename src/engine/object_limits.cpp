#include "engine/object_limits.h"

#include "core/log.h"

namespace {

struct LimitOf {
  size_t most;
  const char* what;
};

constexpr LimitOf kLimits[LIMIT_KIND_COUNT] = {
    {MAX_STAGE_CHARAS, "characters"},
    {MAX_STAGE_ITEMS, "items"},
    {MAX_STAGE_SHOTS, "shots"},
    {MAX_RUNNING_EFFECTS, "running effects"},
};

bool g_bLimitReported[LIMIT_KIND_COUNT] = {};

}  // namespace

bool RoomForObject(ObjectLimitKind kind, size_t held) {
  const LimitOf& limit = kLimits[kind];
  if (held < limit.most) return true;
  if (!g_bLimitReported[kind]) {
    g_bLimitReported[kind] = true;
    ReportLog("Stage : %zu %s held, the most a stage holds: no more are made", held, limit.what);
  }
  return false;
}

void ResetObjectLimitReports() {
  for (bool& reported : g_bLimitReported) reported = false;
}
