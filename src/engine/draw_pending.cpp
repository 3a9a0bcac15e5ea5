// A stand-in for the shots' drawing, which is not built yet: shots draw nothing.
#include "engine/shot.h"

void cShot::Draw(DDSURFACEDATA*, int) {}
