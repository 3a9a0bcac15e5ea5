// Frames of text drawn through the drawing layer's fonts with the installed Japanese faces: a
// title-menu-like screen with a framed menu box of Japanese and Latin entries, a title in the
// large font, picture characters, a proportional line and counters from the glyph caches. For
// the scene tool and the test that pins the frames' pixels.
#pragma once

#include "layer_scene.h"

// Draws the text frame with the given back-end and depth (Direct3D in a window, DirectDraw full
// screen) and returns the frame shown. False when any step fails.
bool DrawTextScene(int bDirect3D, int bpp, LayerSceneFrame* frame);
