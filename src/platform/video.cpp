#include "platform/video.h"

#include <SDL.h>

#include <cstdlib>
#include <string>
#include <string_view>

namespace {

bool ShowsNothing(const std::string& driver) {
  return SDL_strcasecmp(driver.c_str(), "offscreen") == 0 || SDL_strcasecmp(driver.c_str(), "dummy") == 0;
}

// Whether SDL_VIDEODRIVER names the driver (it may list several, separated by commas).
bool Named(std::string_view driver) {
  const char* list = std::getenv("SDL_VIDEODRIVER");
  if (!list) return false;
  std::string_view rest(list);
  while (!rest.empty()) {
    const size_t comma = rest.find(',');
    const std::string_view one = rest.substr(0, comma);
    if (one.size() == driver.size() && SDL_strncasecmp(one.data(), driver.data(), one.size()) == 0) return true;
    if (comma == std::string_view::npos) break;
    rest.remove_prefix(comma + 1);
  }
  return false;
}

}  // namespace

bool StartVideo() {
  if (SDL_WasInit(SDL_INIT_VIDEO)) return true;
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return false;
  const char* driver = SDL_GetCurrentVideoDriver();
  if (driver && ShowsNothing(driver) && !Named(driver)) {
    const std::string name = driver;
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    SDL_SetError("no display (SDL found only its %s video driver)", name.c_str());
    return false;
  }
  return true;
}

bool RunsWithoutDisplay() {
  const char* list = std::getenv("SDL_VIDEODRIVER");
  if (!list) return false;
  const std::string all(list);
  return ShowsNothing(all.substr(0, all.find(',')));
}
