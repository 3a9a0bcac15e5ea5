// Stand-ins for operations that the stage drawing and the character drawing provide: the
// held frame draws nothing and icons are not drawn until they are linked in.
#include "engine/play_scene.h"

struct DDSURFACEDATA;

void cPlayScene::Draw(int /*bPlay*/, int /*bFrozen*/, int /*bTimerSound*/, int /*bNotice*/) {}

void DrawGraphicIcon(DDSURFACEDATA* /*surface*/, int /*x*/, int /*y*/, int /*kind*/, int /*n*/, int /*cell*/) {}
