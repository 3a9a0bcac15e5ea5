// Frames of the drawing layer's effects, one per effect, drawn over the layer scene's images:
// for the scene tool and the test that pins their pixels.
#pragma once

#include <string>
#include <vector>

#include "layer_scene.h"

// The effect scenes' names: waves, splits, fades, blur, mosaic, rotation, lens, circle, tint,
// rects.
const std::vector<std::string>& EffectSceneNames();

// Draws the named effect scene with the given back-end and depth; false when the name is unknown
// or a step fails.
bool DrawEffectScene(const std::string& name, int bDirect3D, int bpp, const std::string& workDir,
                     LayerSceneFrame* frame);
