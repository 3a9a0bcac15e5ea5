// The drawing layer: every DD function and the layer's state, for the code that draws.
#pragma once

#include "draw/blit.h"
#include "draw/context.h"
#include "draw/debug_text.h"
#include "draw/dialog_mode.h"
#include "draw/fill.h"
#include "draw/palette.h"
#include "draw/present.h"
#include "draw/setup.h"
#include "draw/surface.h"
#include "draw/surface_data.h"
#include "draw/surface_ops.h"
