// The textured-triangle rasteriser of the software Direct3D device: pre-transformed vertices,
// texture stage 0 (colour and alpha operations with their arguments), point sampling with
// wrapping, and the alpha blend, into 16- and 32-bit targets.
//
// Results the real device leaves open are fixed here, once:
//   - pixel centres lie at integer coordinates; positions are snapped to 1/256 pixel; a pixel
//     whose centre lies on an edge belongs to the triangle only when that edge is a top or a
//     left edge, so the two triangles of a quad cover every pixel exactly once and a quad
//     given at edges − 0.5 covers exactly its pixels;
//   - point sampling takes texel floor(u × texture width) (and v), computed from the
//     coordinate at the pixel centre rounded to 1/256 texel, and wraps around the texture:
//     unscaled quads copy exactly, mirrored quads mirror exactly, scaled quads take the texel
//     under each pixel centre;
//   - a missing texture samples as opaque white;
//   - an alpha operation that is off (DISABLE) passes the vertex alpha; a colour operation that
//     is off passes the vertex colour and alpha; operations the device does not know act as off;
//   - texture arguments other than TEXTURE and TFACTOR read the vertex colour (at stage 0 the
//     current colour is the vertex colour);
//   - a texture that is also the render target is sampled as it was before the draw;
//   - the blend factors ZERO, ONE, SRCALPHA and INVSRCALPHA apply to all four channels, so an
//     A8R8G8B8 target receives a_s × a_s + a_d × (1 − a_s); other factors act as ONE (source)
//     and ZERO (destination).
// The channel conversions are those of pixels.h.
#pragma once

#include <cstdint>

#include "platform/pixels.h"

namespace gfx {

// One vertex in the layout of the device's vertex format XYZRHW | DIFFUSE | TEX1 (28 bytes).
struct Vertex {
  float x = 0;
  float y = 0;
  float z = 0;
  float rhw = 1;
  uint32_t diffuse = 0;
  float u = 0;
  float v = 0;
};
static_assert(sizeof(Vertex) == 28, "vertex layout");

// Texture operations and arguments, by the device's numbers.
enum : int {
  kTopDisable = 1,
  kTopSelectArg1 = 2,
  kTopSelectArg2 = 3,
  kTopModulate = 4,
  kTopAdd = 7,
  kTopSubtract = 10,
  kTopBlendFactorAlpha = 14,
};
enum : int {
  kTaDiffuse = 0,
  kTaCurrent = 1,
  kTaTexture = 2,
  kTaTFactor = 3,
};
enum : int {
  kBlendZero = 1,
  kBlendOne = 2,
  kBlendSrcAlpha = 5,
  kBlendInvSrcAlpha = 6,
};

// Culling by the winding of a triangle on the screen (y pointing down); in a strip every
// second triangle counts with its winding reversed, so a strip has one facing.
enum : int {
  kCullNone = 1,
  kCullClockwise = 2,
  kCullCounterClockwise = 3,
};

struct RasterState {
  int colorOp = kTopModulate;
  int colorArg1 = kTaTexture;
  int colorArg2 = kTaCurrent;
  int alphaOp = kTopSelectArg1;
  int alphaArg1 = kTaTexture;
  int alphaArg2 = kTaCurrent;
  uint32_t textureFactor = 0xFFFFFFFFu;
  bool blend = false;
  int srcBlend = kBlendOne;
  int destBlend = kBlendZero;
  int cullMode = kCullNone;
};

// d rounded to the nearest integer, halves away from zero (std::llround) without the library
// call, for |d| below 2^62: the device rounds every position and texel coordinate so.
inline int64_t RoundHalfAway(double d) {
  int64_t i = static_cast<int64_t>(d);             // toward zero
  const double rest = d - static_cast<double>(i);  // exact: the fraction of a double is a double
  if (rest >= 0.5) ++i;
  if (rest <= -0.5) --i;
  return i;
}

// Stage 0 for one pixel: the texel and the vertex colour (both A8R8G8B8) to the stage's output.
uint32_t CombineStage(const RasterState& state, uint32_t texel, uint32_t diffuse);

// Blends an output colour onto a destination colour (both A8R8G8B8).
uint32_t BlendPixel(const RasterState& state, uint32_t src, uint32_t dst);

// How axis-aligned quads are shaded into 32-bit targets: a row at a time through the span
// routines (SSE2 or scalar), or pixel by pixel, the reference the others match bit for bit.
enum class ShadePath : uint8_t { kSimd, kScalar, kPerPixel };

// Draws a triangle strip of primCount triangles from primCount + 2 vertices into target
// (16- or 32-bit formats), sampling texture (null: opaque white).
void DrawTriangleStrip(PixelBuffer& target, const PixelBuffer* texture, const RasterState& state, const Vertex* v,
                       int primCount, ShadePath path = ShadePath::kSimd);

}  // namespace gfx
