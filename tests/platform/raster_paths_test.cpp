// Quads drawn through the span routines (SSE2 and scalar) against the same quads shaded pixel
// by pixel: random textures of every format, alphas, vertex colours, stages, blends, sizes,
// positions cut by the target's edges, scaled, mirrored and wrapping quads.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

#include "platform/pixels.h"
#include "platform/raster.h"

namespace {

using gfx::PixelBuffer;
using gfx::PixelFormat;
using gfx::ShadePath;

// Texels whose alphas come in runs of 0 and 255 with translucent ones between.
void FillRandom(PixelBuffer& b, std::mt19937& rng) {
  for (auto& x : b.bits) x = static_cast<uint8_t>(rng());
  if (b.format != PixelFormat::kA8R8G8B8) return;
  for (int y = 0; y < b.height; ++y) {
    for (int x = 0; x < b.width; ++x) {
      const int kind = ((x / 5 + y) % 3 == 0) ? 2 : static_cast<int>(rng() % 2);
      b.At(x, y)[3] = kind == 0 ? 0 : kind == 1 ? 255 : static_cast<uint8_t>(rng());
    }
  }
}

gfx::RasterState RandomState(std::mt19937& rng) {
  gfx::RasterState st;
  switch (rng() % 5) {
    case 0:  // the texture as it is
      st.colorOp = gfx::kTopSelectArg1;
      st.alphaOp = gfx::kTopSelectArg1;
      break;
    case 1:  // coloured and faded by the vertex colour
      st.colorOp = gfx::kTopModulate;
      st.colorArg2 = gfx::kTaDiffuse;
      st.alphaOp = gfx::kTopModulate;
      st.alphaArg2 = gfx::kTaDiffuse;
      break;
    case 2:  // the texture's colour with the vertex alpha
      st.colorOp = gfx::kTopSelectArg1;
      st.alphaOp = gfx::kTopSelectArg2;
      st.alphaArg2 = gfx::kTaDiffuse;
      break;
    case 3:  // brightened: not a product, shaded through the stage's table
      st.colorOp = gfx::kTopAdd;
      st.colorArg2 = gfx::kTaDiffuse;
      st.alphaOp = gfx::kTopModulate;
      st.alphaArg2 = gfx::kTaDiffuse;
      break;
    default:  // opaque texels: alpha off passes the vertex alpha, which the caller makes 255
      st.colorOp = gfx::kTopModulate;
      st.colorArg2 = gfx::kTaDiffuse;
      st.alphaOp = gfx::kTopDisable;
      break;
  }
  switch (rng() % 3) {
    case 0:
      st.blend = false;
      break;
    case 1:
      st.blend = true;
      st.srcBlend = gfx::kBlendSrcAlpha;
      st.destBlend = gfx::kBlendInvSrcAlpha;
      break;
    default:
      st.blend = true;
      st.srcBlend = gfx::kBlendOne;
      st.destBlend = gfx::kBlendZero;
      break;
  }
  return st;
}

// Draws with every path into copies of one target; the span paths must give the reference's bytes.
void ExpectSamePixels(const PixelBuffer& target, const PixelBuffer* tex, const gfx::RasterState& st,
                      const gfx::Vertex* v, int primCount) {
  PixelBuffer reference = target;
  gfx::DrawTriangleStrip(reference, tex, st, v, primCount, ShadePath::kPerPixel);
  for (ShadePath path : {ShadePath::kScalar, ShadePath::kSimd}) {
    PixelBuffer fast = target;
    gfx::DrawTriangleStrip(fast, tex, st, v, primCount, path);
    for (int y = 0; y < target.height; ++y) {
      for (int x = 0; x < target.width; ++x) {
        ASSERT_EQ(fast.Get(x, y), reference.Get(x, y))
            << "path " << static_cast<int>(path) << " pixel (" << x << ", " << y << ")";
      }
    }
  }
}

TEST(RasterPathTest, RoundingMatchesTheLibraryAtHalvesAndBesideThem) {
  const double below = std::nextafter(0.5, 0.0);  // 0.49999999999999994: rounds to 0, not 1
  const double cases[] = {0.0, -0.0, 0.5, -0.5, 1.5, -1.5, 2.5, -2.5, below, -below, std::nextafter(0.5, 1.0),
                          std::nextafter(1.5, 1.0), 255.5, -255.5, 4503599627370495.5, 4503599627370497.0,
                          2.56e14 + 0.5, -2.56e14 - 0.5, 1e-300, -1e-300, 67108863.99609375};
  for (double d : cases) EXPECT_EQ(gfx::RoundHalfAway(d), std::llround(d)) << d;
  std::mt19937_64 rng(5);
  for (int i = 0; i < 200000; ++i) {
    // Random values and values on and beside a 1/256 step, where the device's coordinates fall.
    const double d = i % 2 ? std::ldexp(static_cast<double>(rng() >> 11), -static_cast<int>(rng() % 60)) *
                                 (rng() % 2 ? 1 : -1)
                           : std::nextafter(static_cast<double>(static_cast<int64_t>(rng() % 200000) - 100000) / 256.0 +
                                                0.5,
                                            rng() % 2 ? 1e9 : -1e9);
    ASSERT_EQ(gfx::RoundHalfAway(d), std::llround(d)) << d;
  }
}

constexpr PixelFormat kTextureFormats[] = {PixelFormat::kA8R8G8B8, PixelFormat::kX8R8G8B8, PixelFormat::kR5G6B5,
                                           PixelFormat::kA1R5G5B5};
constexpr uint32_t kAlphas[] = {0, 1, 127, 128, 254, 255};

TEST(RasterPathTest, QuadsMatchThePerPixelShading) {
  std::mt19937 rng(1919);
  for (int trial = 0; trial < 600; ++trial) {
    PixelBuffer target, tex;
    ASSERT_TRUE(target.Allocate(rng() % 2 ? PixelFormat::kA8R8G8B8 : PixelFormat::kX8R8G8B8,
                                1 + static_cast<int>(rng() % 70), 1 + static_cast<int>(rng() % 40)));
    FillRandom(target, rng);
    ASSERT_TRUE(tex.Allocate(kTextureFormats[rng() % 4], 1 + static_cast<int>(rng() % 50),
                             1 + static_cast<int>(rng() % 30)));
    FillRandom(tex, rng);
    gfx::RasterState st = RandomState(rng);
    uint32_t diffuse = (kAlphas[rng() % 6] << 24) | (rng() % 2 ? 0xFFFFFFu : (rng() & 0xFFFFFFu));
    if (st.alphaOp == gfx::kTopDisable) diffuse |= 0xFF000000u;

    // A source rectangle (sometimes beyond the texture, so that it wraps), drawn unscaled,
    // scaled or mirrored at a position that may hang over any edge of the target.
    const int sl = static_cast<int>(rng() % static_cast<uint32_t>(tex.width)) - (rng() % 4 == 0 ? tex.width : 0);
    const int st0 = static_cast<int>(rng() % static_cast<uint32_t>(tex.height));
    const int sw = 1 + static_cast<int>(rng() % static_cast<uint32_t>(tex.width + 8));
    const int sh = 1 + static_cast<int>(rng() % static_cast<uint32_t>(tex.height + 4));
    const int kind = static_cast<int>(rng() % 3);
    const int w = kind == 1 ? 1 + static_cast<int>(rng() % 90) : sw;
    const int h = kind == 1 ? 1 + static_cast<int>(rng() % 50) : sh;
    const int x = static_cast<int>(rng() % static_cast<uint32_t>(target.width + 20)) - 10;
    const int y = static_cast<int>(rng() % static_cast<uint32_t>(target.height + 20)) - 10;
    const float tw = static_cast<float>(tex.width), th = static_cast<float>(tex.height);
    float u0 = static_cast<float>(sl) / tw, u1 = static_cast<float>(sl + sw) / tw;
    const float v0 = static_cast<float>(st0) / th, v1 = static_cast<float>(st0 + sh) / th;
    if (kind == 2) std::swap(u0, u1);
    const float l = static_cast<float>(x) - 0.5f, t = static_cast<float>(y) - 0.5f;
    const float r = l + static_cast<float>(w), b = t + static_cast<float>(h);
    const gfx::Vertex quad[4] = {
        {l, t, 0, 1, diffuse, u0, v0},
        {l, b, 0, 1, diffuse, u0, v1},
        {r, t, 0, 1, diffuse, u1, v0},
        {r, b, 0, 1, diffuse, u1, v1},
    };
    SCOPED_TRACE(testing::Message() << "trial " << trial << " target " << target.width << "x" << target.height
                                    << " texture format " << static_cast<int>(tex.format) << " quad " << x << ","
                                    << y << " " << w << "x" << h << " kind " << kind);
    ExpectSamePixels(target, &tex, st, quad, 2);
    // The same quad in one colour, without a texture: fills.
    ExpectSamePixels(target, nullptr, st, quad, 2);
    if (HasFatalFailure()) return;
  }
}

// Sprites of a batch: one quad size and three texture cells at many places, whole pixels apart
// (the span paths take their texel indices from quads before), some half a pixel apart or
// hanging over an edge, some of another size between them.
TEST(RasterPathTest, QuadsMovedByWholePixelsMatchThePerPixelShading) {
  std::mt19937 rng(2424);
  for (int trial = 0; trial < 60; ++trial) {
    PixelBuffer tex;
    ASSERT_TRUE(tex.Allocate(PixelFormat::kA8R8G8B8, 1 + static_cast<int>(rng() % 40), 1 + static_cast<int>(rng() % 40)));
    FillRandom(tex, rng);
    gfx::RasterState st = RandomState(rng);
    st.alphaOp = gfx::kTopSelectArg1;
    const int w = 1 + static_cast<int>(rng() % 48), h = 1 + static_cast<int>(rng() % 48);
    // Three cells of the sheet side by side, drawn in turn.
    const float u0 = static_cast<float>(rng() % 64) / 32.0f - 1.0f, du = static_cast<float>(rng() % 64) / 16.0f;
    const float v0 = static_cast<float>(rng() % 64) / 32.0f - 1.0f, v1 = v0 + static_cast<float>(rng() % 64) / 16.0f;
    for (ShadePath path : {ShadePath::kScalar, ShadePath::kSimd}) {
      PixelBuffer fast, reference;
      ASSERT_TRUE(fast.Allocate(PixelFormat::kX8R8G8B8, 96, 64));
      FillRandom(fast, rng);
      reference = fast;
      std::mt19937 places(static_cast<uint32_t>(trial));
      for (int k = 0; k < 40; ++k) {
        float x = static_cast<float>(static_cast<int>(places() % 130) - 30) - 0.5f;
        const float y = static_cast<float>(static_cast<int>(places() % 100) - 30) - 0.5f;
        if (places() % 8 == 0) x += 0.5f;
        const float ww = places() % 10 == 0 ? static_cast<float>(w + 1) : static_cast<float>(w);
        const float cell = static_cast<float>(places() % 3), ul = u0 + cell * du, ur = ul + du;
        const gfx::Vertex quad[4] = {
            {x, y, 0, 1, 0xFFFFFFFFu, ul, v0},
            {x, y + static_cast<float>(h), 0, 1, 0xFFFFFFFFu, ul, v1},
            {x + ww, y, 0, 1, 0xFFFFFFFFu, ur, v0},
            {x + ww, y + static_cast<float>(h), 0, 1, 0xFFFFFFFFu, ur, v1},
        };
        gfx::DrawTriangleStrip(fast, &tex, st, quad, 2, path);
        gfx::DrawTriangleStrip(reference, &tex, st, quad, 2, ShadePath::kPerPixel);
      }
      for (int y = 0; y < fast.height; ++y) {
        for (int x = 0; x < fast.width; ++x) {
          ASSERT_EQ(fast.Get(x, y), reference.Get(x, y))
              << "trial " << trial << " path " << static_cast<int>(path) << " pixel (" << x << ", " << y << ")";
        }
      }
    }
  }
}

// Magnified quads (a few texels over many pixels) at any fraction of a pixel and of a texel,
// mirrored or wrapping, some hugely magnified or nearly one to one: the span paths fill their
// index tables by stretches and must land on the reference's texel at every pixel.
TEST(RasterPathTest, MagnifiedQuadsAtAnyFractionMatchThePerPixelShading) {
  std::mt19937 rng(4242);
  std::uniform_real_distribution<float> frac(0.0f, 1.0f);
  gfx::RasterState st;
  st.colorOp = gfx::kTopSelectArg1;
  st.alphaOp = gfx::kTopSelectArg1;
  for (int trial = 0; trial < 300; ++trial) {
    PixelBuffer target, tex;
    const int targetW = 1 + static_cast<int>(rng() % 300), targetH = 1 + static_cast<int>(rng() % 12);
    ASSERT_TRUE(target.Allocate(PixelFormat::kX8R8G8B8, targetW, targetH));
    FillRandom(target, rng);
    const int texW = 1 + static_cast<int>(rng() % 12), texH = 1 + static_cast<int>(rng() % 6);
    ASSERT_TRUE(tex.Allocate(PixelFormat::kA8R8G8B8, texW, texH));
    FillRandom(tex, rng);
    // Texels side by side differ, so that one column or row off shows.
    for (int y = 0; y < tex.height; ++y) {
      for (int x = 0; x < tex.width; ++x) tex.At(x, y)[0] = static_cast<uint8_t>(x * 16 + y);
    }
    const float l = static_cast<float>(static_cast<int>(rng() % 40) - 20) + frac(rng);
    const float t = static_cast<float>(static_cast<int>(rng() % 8) - 4) + frac(rng);
    const float w = rng() % 4 == 0 ? static_cast<float>(tex.width) + frac(rng) : 1.0f + frac(rng) * 400.0f;
    const float h = rng() % 4 == 0 ? static_cast<float>(tex.height) + frac(rng) : 1.0f + frac(rng) * 20.0f;
    float u0 = (frac(rng) - 0.5f) * 6.0f, u1 = u0 + frac(rng) * 2.0f;
    float v0 = (frac(rng) - 0.5f) * 6.0f, v1 = v0 + frac(rng) * 2.0f;
    if (rng() % 3 == 0) std::swap(u0, u1);
    if (rng() % 3 == 0) std::swap(v0, v1);
    const gfx::Vertex quad[4] = {
        {l, t, 0, 1, 0xFFFFFFFFu, u0, v0},
        {l, t + h, 0, 1, 0xFFFFFFFFu, u0, v1},
        {l + w, t, 0, 1, 0xFFFFFFFFu, u1, v0},
        {l + w, t + h, 0, 1, 0xFFFFFFFFu, u1, v1},
    };
    SCOPED_TRACE(testing::Message() << "trial " << trial << " quad " << l << "," << t << " " << w << "x" << h
                                    << " u " << u0 << ".." << u1 << " v " << v0 << ".." << v1);
    ExpectSamePixels(target, &tex, st, quad, 2);
    if (HasFatalFailure()) return;
  }
}

// General triangles shaded row by row against the per-pixel shading: rotated quads (the
// rotation blits), random triangles of any winding and size, slivers, fans of triangles sharing
// edges, vertex colours that differ (interpolated) or not, every texture and target format,
// alphas, stages, blends, culling, and positions beyond every edge of the target.
TEST(RasterPathTest, TrianglesMatchThePerPixelShading) {
  std::mt19937 rng(777);
  std::uniform_real_distribution<float> unit(0.0f, 1.0f);
  constexpr PixelFormat kTargetFormats[] = {PixelFormat::kA8R8G8B8, PixelFormat::kX8R8G8B8, PixelFormat::kR5G6B5,
                                            PixelFormat::kA1R5G5B5};
  for (int trial = 0; trial < 800; ++trial) {
    PixelBuffer target, tex;
    ASSERT_TRUE(target.Allocate(kTargetFormats[rng() % 4], 1 + static_cast<int>(rng() % 70),
                                1 + static_cast<int>(rng() % 50)));
    FillRandom(target, rng);
    ASSERT_TRUE(tex.Allocate(kTextureFormats[rng() % 4], 1 + static_cast<int>(rng() % 40),
                             1 + static_cast<int>(rng() % 30)));
    FillRandom(tex, rng);
    gfx::RasterState st = RandomState(rng);
    st.cullMode = rng() % 4 == 0 ? (rng() % 2 ? gfx::kCullClockwise : gfx::kCullCounterClockwise) : gfx::kCullNone;
    const auto colour = [&] {
      uint32_t c = (kAlphas[rng() % 6] << 24) | (rng() % 2 ? 0xFFFFFFu : (rng() & 0xFFFFFFu));
      if (st.alphaOp == gfx::kTopDisable) c |= 0xFF000000u;
      return c;
    };
    const uint32_t one = colour();
    const bool smooth = rng() % 4 == 0;
    gfx::Vertex v[6];
    int count = 4;
    const float cx = unit(rng) * (static_cast<float>(target.width) + 40.0f) - 20.0f;
    const float cy = unit(rng) * (static_cast<float>(target.height) + 40.0f) - 20.0f;
    switch (rng() % 3) {
      case 0: {
        // A rectangle turned about its centre, as the rotation blits draw it.
        const float a = unit(rng) * 6.2831853f, s = std::sin(a), c = std::cos(a);
        const float hw = 1.0f + unit(rng) * 40.0f, hh = 1.0f + unit(rng) * 30.0f;
        const float du[4] = {-hw, -hw, hw, hw}, dv[4] = {-hh, hh, -hh, hh};
        const float u0 = unit(rng) * 2.0f - 0.5f, u1 = u0 + unit(rng) * 1.5f, v0 = unit(rng), v1 = v0 + unit(rng);
        const float tu[4] = {u0, u0, u1, u1}, tv[4] = {v0, v1, v0, v1};
        for (int k = 0; k < 4; ++k) {
          v[k] = {cx + c * du[k] - s * dv[k], cy + s * du[k] + c * dv[k], 0, 1, one, tu[k], tv[k]};
        }
        break;
      }
      case 1:
        // Random corners, sometimes far apart or beyond the target, sometimes a sliver.
        count = 3 + static_cast<int>(rng() % 4);
        for (int k = 0; k < count; ++k) {
          const float spread = rng() % 5 == 0 ? 400.0f : 50.0f;
          v[k] = {cx + (unit(rng) - 0.5f) * spread, cy + (unit(rng) - 0.5f) * spread, 0, 1, one,
                  unit(rng) * 3.0f - 1.0f, unit(rng) * 3.0f - 1.0f};
        }
        if (rng() % 4 == 0) v[2] = {v[0].x + 0.01f, v[0].y + 30.0f, 0, 1, one, v[0].u, v[1].v};
        break;
      default:
        // Corners on whole and half pixels, where pixel centres lie on edges.
        count = 3 + static_cast<int>(rng() % 4);
        for (int k = 0; k < count; ++k) {
          v[k] = {std::floor(cx) + static_cast<float>(static_cast<int>(rng() % 41) - 20) * 0.5f,
                  std::floor(cy) + static_cast<float>(static_cast<int>(rng() % 41) - 20) * 0.5f, 0, 1, one,
                  unit(rng), unit(rng)};
        }
        break;
    }
    if (smooth) {
      for (int k = 0; k < count; ++k) v[k].diffuse = colour();
    }
    SCOPED_TRACE(testing::Message() << "trial " << trial << " target format " << static_cast<int>(target.format)
                                    << " texture format " << static_cast<int>(tex.format) << " vertices " << count);
    ExpectSamePixels(target, &tex, st, v, count - 2);
    ExpectSamePixels(target, nullptr, st, v, count - 2);
    if (HasFatalFailure()) return;
  }
}

}  // namespace
