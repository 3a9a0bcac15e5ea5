#include "platform/raster.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <type_traits>
#include <vector>

#include "platform/spans.h"

namespace gfx {
namespace {

constexpr int64_t kSub = 256;           // sub-pixel steps per pixel
constexpr double kMaxCoord = 1 << 20;   // positions beyond this are pulled in (keeps the edge sums in 64 bits)
constexpr double kMaxTexCoord = 1e12;   // texel coordinates beyond this are pulled in

int64_t Snap(float v) {
  double d = static_cast<double>(v);
  d = std::clamp(d, -kMaxCoord, kMaxCoord);
  return RoundHalfAway(d * static_cast<double>(kSub));
}

int64_t FloorDiv(int64_t a, int64_t b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }
int64_t CeilDiv(int64_t a, int64_t b) { return -FloorDiv(-a, b); }

// Texel of a texture coordinate given in texels, rounded to 1/256 texel, before wrapping.
int64_t UnwrappedTexel(double s) {
  if (std::isnan(s)) s = 0;
  s = std::clamp(s, -kMaxTexCoord, kMaxTexCoord);
  return RoundHalfAway(s * 256.0) >> 8;
}

int WrapTexel(int64_t i, int size) {
  if (i >= 0 && i < size) return static_cast<int>(i);  // no wrap: the common case
  i %= size;
  if (i < 0) i += size;
  return static_cast<int>(i);
}

// Texel index of a texture coordinate given in texels, rounded to 1/256 texel, wrapped.
int TexelIndex(double s, int size) { return WrapTexel(UnwrappedTexel(s), size); }

bool KnownOp(int op) {
  switch (op) {
    case kTopSelectArg1:
    case kTopSelectArg2:
    case kTopModulate:
    case kTopAdd:
    case kTopSubtract:
    case kTopBlendFactorAlpha:
      return true;
    default:
      return false;
  }
}

uint32_t SelectArg(int arg, uint32_t texel, uint32_t diffuse, uint32_t factor) {
  switch (arg & 0x0F) {
    case kTaTexture:
      return texel;
    case kTaTFactor:
      return factor;
    default:
      return diffuse;
  }
}

uint32_t OpChannel(int op, uint32_t a, uint32_t b, uint32_t k) {
  switch (op) {
    case kTopSelectArg1:
      return a;
    case kTopSelectArg2:
      return b;
    case kTopModulate:
      return MulDiv255(a, b);
    case kTopAdd:
      return std::min<uint32_t>(255, a + b);
    case kTopSubtract:
      return a > b ? a - b : 0;
    case kTopBlendFactorAlpha:
      return (a * k + b * (255 - k) + 127) / 255;
    default:
      return b;
  }
}

uint32_t Factor(int blend, uint32_t srcAlpha, uint32_t otherwise) {
  switch (blend) {
    case kBlendZero:
      return 0;
    case kBlendOne:
      return 255;
    case kBlendSrcAlpha:
      return srcAlpha;
    case kBlendInvSrcAlpha:
      return 255 - srcAlpha;
    default:
      return otherwise;
  }
}

// Whether stage 0 reads the texture at all: with a colour operation that is off, or with
// operations whose arguments in use are not the texture, it does not.
bool StageReadsTexture(const RasterState& st) {
  if (!KnownOp(st.colorOp)) return false;  // the vertex colour and alpha pass
  const auto reads = [](int op, int arg1, int arg2) {
    if (!KnownOp(op)) return false;
    const bool first = (arg1 & 0x0F) == kTaTexture, second = (arg2 & 0x0F) == kTaTexture;
    switch (op) {
      case kTopSelectArg1:
        return first;
      case kTopSelectArg2:
        return second;
      default:
        return first || second;
    }
  };
  return reads(st.colorOp, st.colorArg1, st.colorArg2) || reads(st.alphaOp, st.alphaArg1, st.alphaArg2);
}

uint32_t FetchTexel(const PixelBuffer* tex, int x, int y) {
  if (!tex) return 0xFFFFFFFFu;
  return WidenToArgb(tex->format, tex->Get(x, y));
}

bool DrawableTarget(const PixelBuffer& t) {
  switch (t.format) {
    case PixelFormat::kR5G6B5:
    case PixelFormat::kA1R5G5B5:
    case PixelFormat::kX8R8G8B8:
    case PixelFormat::kA8R8G8B8:
      return !t.Empty();
    default:
      return false;
  }
}

bool SampleableTexture(const PixelBuffer* t) { return !t || (DrawableTarget(*t) && t->width > 0 && t->height > 0); }

// How the blend treats a pixel.
enum class BlendKind { kReplace, kAlpha, kGeneric };

BlendKind ClassifyBlend(const RasterState& st) {
  if (!st.blend) return BlendKind::kReplace;
  const uint32_t fs = Factor(st.srcBlend, 7, 255), fd = Factor(st.destBlend, 7, 0);
  if (fs == 255 && fd == 0) return BlendKind::kReplace;
  if (st.srcBlend == kBlendSrcAlpha && st.destBlend == kBlendInvSrcAlpha) return BlendKind::kAlpha;
  return BlendKind::kGeneric;
}

// What the stage does with the texel, for one vertex colour: found by running every channel
// value through it (each output channel depends only on the same channel of the texel).
// kModulate: every channel of the texel times the same channel of `solid`, / 255 rounded.
enum class StageKind { kGeneric, kSolid, kTexel, kTexelOpaque, kModulate };

struct StageClass {
  StageKind kind = StageKind::kGeneric;
  uint32_t solid = 0;
  // lut[x] is the output for the texel with x in all four channels: channel c of the output
  // for any texel is channel c of lut[texel's channel c].
  uint32_t lut[256] = {};
};

inline uint32_t ApplyLut(const uint32_t* lut, uint32_t t) {
  return (lut[t >> 24] & 0xFF000000u) | (lut[(t >> 16) & 0xFF] & 0x00FF0000u) | (lut[(t >> 8) & 0xFF] & 0x0000FF00u) |
         (lut[t & 0xFF] & 0x000000FFu);
}

StageClass ClassifyStageUncached(const RasterState& st, uint32_t diffuse, bool hasTexture) {
  StageClass c;
  if (!hasTexture) {
    c.kind = StageKind::kSolid;
    c.solid = CombineStage(st, 0xFFFFFFFFu, diffuse);
    return c;
  }
  bool identity = true, opaque = true, solid = true, modulate = true;
  const uint32_t first = CombineStage(st, 0, diffuse);
  const uint32_t factor = CombineStage(st, 0xFFFFFFFFu, diffuse);  // a product with 255 is the factor
  for (uint32_t x = 0; x < 256; ++x) {
    const uint32_t texel = x * 0x01010101u;
    const uint32_t out = CombineStage(st, texel, diffuse);
    c.lut[x] = out;
    identity = identity && out == texel;
    opaque = opaque && out == (texel | 0xFF000000u);
    solid = solid && out == first;
    for (int shift = 0; shift < 32 && modulate; shift += 8) {
      modulate = ((out >> shift) & 0xFF) == MulDiv255(x, (factor >> shift) & 0xFF);
    }
  }
  if (solid) {
    c.kind = StageKind::kSolid;
    c.solid = first;
  } else if (identity) {
    c.kind = StageKind::kTexel;
  } else if (opaque) {
    c.kind = StageKind::kTexelOpaque;
  } else if (modulate) {
    c.kind = StageKind::kModulate;
    c.solid = factor;
  }
  return c;
}

// The last classification, kept per thread: runs of blits share their states.
const StageClass& ClassifyStage(const RasterState& st, uint32_t diffuse, bool hasTexture) {
  struct Entry {
    bool valid = false;
    RasterState st;
    uint32_t diffuse = 0;
    bool hasTexture = false;
    StageClass result;
  };
  thread_local Entry last;
  const bool same = last.valid && last.diffuse == diffuse && last.hasTexture == hasTexture &&
                    last.st.colorOp == st.colorOp && last.st.colorArg1 == st.colorArg1 &&
                    last.st.colorArg2 == st.colorArg2 && last.st.alphaOp == st.alphaOp &&
                    last.st.alphaArg1 == st.alphaArg1 && last.st.alphaArg2 == st.alphaArg2 &&
                    last.st.textureFactor == st.textureFactor;
  if (!same) {
    last.result = ClassifyStageUncached(st, diffuse, hasTexture);
    last.st = st;
    last.diffuse = diffuse;
    last.hasTexture = hasTexture;
    last.valid = true;
  }
  return last.result;
}

// Calls fn with a drawable format, or a blend, as a compile-time constant (FormatTag, BlendTag),
// so that the shading loops are made once for each.
template <PixelFormat F>
using FormatTag = std::integral_constant<PixelFormat, F>;
template <BlendKind B>
using BlendTag = std::integral_constant<BlendKind, B>;

template <class Fn>
void WithFormat(PixelFormat f, Fn&& fn) {
  switch (f) {
    case PixelFormat::kA8R8G8B8:
      fn(FormatTag<PixelFormat::kA8R8G8B8>{});
      break;
    case PixelFormat::kX8R8G8B8:
      fn(FormatTag<PixelFormat::kX8R8G8B8>{});
      break;
    case PixelFormat::kR5G6B5:
      fn(FormatTag<PixelFormat::kR5G6B5>{});
      break;
    case PixelFormat::kA1R5G5B5:
      fn(FormatTag<PixelFormat::kA1R5G5B5>{});
      break;
    default:
      break;
  }
}

template <class Fn>
void WithBlend(BlendKind b, Fn&& fn) {
  switch (b) {
    case BlendKind::kReplace:
      fn(BlendTag<BlendKind::kReplace>{});
      break;
    case BlendKind::kAlpha:
      fn(BlendTag<BlendKind::kAlpha>{});
      break;
    case BlendKind::kGeneric:
      fn(BlendTag<BlendKind::kGeneric>{});
      break;
  }
}

// Writes one output colour onto the target pixel at p.
template <PixelFormat F>
[[gnu::always_inline]] inline void PutPixelT(uint8_t* p, uint32_t out, BlendKind bk, const RasterState& st) {
  switch (bk) {
    case BlendKind::kReplace:
      StorePixel(F, p, NarrowFromArgb(F, out));
      return;
    case BlendKind::kAlpha: {
      const uint32_t a = out >> 24;
      if (a == 0) return;
      if (a == 255) {
        StorePixel(F, p, NarrowFromArgb(F, out));
        return;
      }
      const uint32_t d = WidenToArgb(F, LoadPixel(F, p));
      const uint32_t r = BlendChannel(a, d >> 24, a) << 24 | BlendChannel((out >> 16) & 0xFF, (d >> 16) & 0xFF, a) << 16 |
                         BlendChannel((out >> 8) & 0xFF, (d >> 8) & 0xFF, a) << 8 | BlendChannel(out & 0xFF, d & 0xFF, a);
      StorePixel(F, p, NarrowFromArgb(F, r));
      return;
    }
    case BlendKind::kGeneric:
      StorePixel(F, p, NarrowFromArgb(F, BlendPixel(st, out, WidenToArgb(F, LoadPixel(F, p)))));
      return;
  }
}

void PutPixel(PixelFormat f, uint8_t* p, uint32_t out, BlendKind bk, const RasterState& st) {
  WithFormat(f, [&](auto tf) { PutPixelT<decltype(tf)::value>(p, out, bk, st); });
}

// The texel indices under the pixel centres along one axis of a quad, kept for the last few
// quads. A quad of the same size and texture coordinates moved by whole pixels (the sprites of
// a batch) has the same centre offsets p − e0 as doubles, so it reads its indices from the
// table instead of computing them again. The tables only grow: quads allocate nothing once the
// largest has been drawn.
class AxisTable {
 public:
  // The texture coordinate in texels under the centre of pixel p.
  static double Texel(double a, double d, float t0, float t1, int size, int p) {
    return (t0 + (p - a) * (static_cast<double>(t1) - t0) / d) * size;
  }

  // The indices of pixels [lo, hi) into out: magnified axes (two pixels or more a texel) with
  // finite numbers by stretches, axes near one to one (where stretches are a pixel or two long)
  // and minified axes index by index.
  static void Fill(int* out, double a, double d, float t0, float t1, int size, int lo, int hi) {
    const bool finite = std::isfinite(a) && std::isfinite(d) && d != 0 && std::isfinite(t0) && std::isfinite(t1);
    if (finite && 2 * std::fabs((static_cast<double>(t1) - t0) * size) <= std::fabs(d)) {
      FillMonotone(out, a, d, t0, t1, size, lo, hi);
      return;
    }
    for (int p = lo; p < hi; ++p) out[p - lo] = TexelIndex(Texel(a, d, t0, t1, size, p), size);
  }

  // The same indices as Texel and TexelIndex pixel by pixel, computing few of them: every step
  // of that formula (a subtraction, a product and a quotient by constants, a sum, the rounding)
  // is monotone in p, so the unwrapped texel is monotone along the axis, and where it is the
  // same at both ends of a stretch it is the same all along it. A magnified quad so costs a few
  // evaluations per texel instead of one per pixel, with the very same indices.
  static void FillMonotone(int* out, double a, double d, float t0, float t1, int size, int lo, int hi) {
    if (hi <= lo) return;
    auto at = [&](int p) { return UnwrappedTexel(Texel(a, d, t0, t1, size, p)); };
    // Stretches [first, last] with their texels at both ends, taken from a small stack.
    struct Stretch {
      int first, last;
      int64_t tFirst, tLast;
    };
    Stretch stack[64];
    int depth = 0;
    stack[depth++] = {lo, hi - 1, at(lo), at(hi - 1)};
    while (depth > 0) {
      const Stretch s = stack[--depth];
      if (s.tFirst == s.tLast) {
        const int index = WrapTexel(s.tFirst, size);
        for (int p = s.first; p <= s.last; ++p) out[p - lo] = index;
        continue;
      }
      if (s.last - s.first <= 1 || depth + 2 > 64) {  // too short to split (or the stack full)
        out[s.first - lo] = WrapTexel(s.tFirst, size);
        for (int p = s.first + 1; p < s.last; ++p) out[p - lo] = WrapTexel(at(p), size);
        out[s.last - lo] = WrapTexel(s.tLast, size);
        continue;
      }
      const int mid = s.first + (s.last - s.first) / 2;
      const int64_t tMid = at(mid);
      stack[depth++] = {mid, s.last, tMid, s.tLast};
      stack[depth++] = {s.first, mid, s.tFirst, tMid};
    }
  }

  // Indices for the pixels [lo, hi) of the axis from edge e0 to e1 (texture coordinates t0 to
  // t1 on size texels); reuse: whether kept indices may serve.
  const int* Indices(float e0, float e1, float t0, float t1, int size, int lo, int hi, bool reuse) {
    const double a = e0, d = static_cast<double>(e1) - a;
    // Edges on 1/256 pixel below 2^24 make every offset p − e0 exact, so a whole-pixel shift
    // keeps them.
    const bool exact = std::fabs(a) < 0x1p24 && a * 256.0 == std::floor(a * 256.0);
    for (Slot& k : slots_) {
      if (!reuse || !exact || !k.valid || t0 != k.t0 || t1 != k.t1 || size != k.size || d != k.span) continue;
      const double moved = a - k.e0;
      if (moved != std::floor(moved) || std::fabs(moved) >= 0x1p24) continue;
      const int shift = static_cast<int>(moved);  // pixel p now is pixel p − shift then
      const int from = lo - shift, to = hi - shift;
      if (from >= k.lo && to <= k.hi) return k.index.data() + (from - k.lo);
      // A quad moved partly beyond the kept pixels (a strip of a wave, a sprite at the edge):
      // the kept indices grow to cover it, when the two are near.
      const int first = std::min(from, k.lo), last = std::max(to, k.hi);
      if (last - first > 2 * std::max(k.hi - k.lo, hi - lo) + 64) continue;
      std::vector<int>& grown = spare_;
      grown.resize(static_cast<size_t>(last - first));
      Fill(grown.data(), k.e0, d, t0, t1, size, first, k.lo);
      std::copy(k.index.begin(), k.index.begin() + (k.hi - k.lo), grown.begin() + (k.lo - first));
      Fill(grown.data() + (k.hi - first), k.e0, d, t0, t1, size, k.hi, last);
      k.index.swap(grown);
      k.lo = first;
      k.hi = last;
      return k.index.data() + (from - k.lo);
    }
    Slot& k = slots_[next_];
    next_ = (next_ + 1) % kSlots;
    if (k.index.size() < static_cast<size_t>(hi - lo)) k.index.resize(static_cast<size_t>(hi - lo));
    if (reuse) {
      Fill(k.index.data(), a, d, t0, t1, size, lo, hi);
    } else {
      for (int p = lo; p < hi; ++p) {
        k.index[static_cast<size_t>(p - lo)] = TexelIndex(Texel(a, d, t0, t1, size, p), size);
      }
    }
    k.valid = exact;
    k.e0 = a;
    k.span = d;
    k.t0 = t0;
    k.t1 = t1;
    k.size = size;
    k.lo = lo;
    k.hi = hi;
    return k.index.data();
  }

 private:
  static constexpr int kSlots = 4;
  struct Slot {
    std::vector<int> index;
    bool valid = false;
    double e0 = 0, span = 0;
    float t0 = 0, t1 = 0;
    int size = 0, lo = 0, hi = 0;
  };
  Slot slots_[kSlots];
  int next_ = 0;
  std::vector<int> spare_;  // the grown indices of a slot are built here, then swapped in
};

AxisTable& ColumnTable() {
  thread_local AxisTable t;
  return t;
}
AxisTable& RowTable() {
  thread_local AxisTable t;
  return t;
}

// A row of stage outputs, kept per thread (it only grows).
std::vector<uint8_t>& OutputRow() {
  thread_local std::vector<uint8_t> t;
  return t;
}

// The axis-aligned rectangle of a quad (two triangles (a, b, c), (b, c, d) sharing the diagonal
// b–c) whose texture coordinate u follows x only and v follows y only, with one colour.
struct QuadRect {
  float xa, xb, ya, yb;  // the corners of a (xa, ya) and d (xb, yb)
  float ua, ub, va, vb;  // u at xa and xb, v at ya and yb
  uint32_t diffuse;
};

bool AsRect(const Vertex& a, const Vertex& b, const Vertex& c, const Vertex& d, QuadRect* r) {
  if (a.x == d.x || a.y == d.y) return false;
  // The corners (xa, yb) and (xb, ya).
  const Vertex* lowerLeft;
  const Vertex* upperRight;
  if (b.x == a.x && b.y == d.y && c.x == d.x && c.y == a.y) {
    lowerLeft = &b;
    upperRight = &c;
  } else if (c.x == a.x && c.y == d.y && b.x == d.x && b.y == a.y) {
    lowerLeft = &c;
    upperRight = &b;
  } else {
    return false;
  }
  // u depends on x only, v on y only.
  if (lowerLeft->u != a.u || upperRight->u != d.u) return false;
  if (lowerLeft->v != d.v || upperRight->v != a.v) return false;
  if (a.diffuse != b.diffuse || a.diffuse != c.diffuse || a.diffuse != d.diffuse) return false;
  for (const Vertex* v : {&a, &b, &c, &d}) {
    if (!std::isfinite(v->x) || !std::isfinite(v->y)) return false;
  }
  *r = QuadRect{a.x, d.x, a.y, d.y, a.u, d.u, a.v, d.v, a.diffuse};
  return true;
}

// Pixel span [first, last) of centres covered by an edge pair at lo (inclusive) and hi (exclusive).
void CoveredSpan(float e0, float e1, int limit, int* first, int* last) {
  int64_t lo = Snap(std::min(e0, e1)), hi = Snap(std::max(e0, e1));
  int64_t f = CeilDiv(lo, kSub), l = CeilDiv(hi, kSub);
  *first = static_cast<int>(std::clamp<int64_t>(f, 0, limit));
  *last = static_cast<int>(std::clamp<int64_t>(l, 0, limit));
}

// The pixels of a rectangle to shade: [x0, x1) × [y0, y1), the texel column and row under each
// (null for a solid colour), the stage as a table (or its solid colour or factor) and the
// blend. contiguous: the columns are cols[0], cols[0] + 1, ... (an unscaled, unmirrored run).
struct Span {
  int x0, y0, x1, y1;
  const int* cols;
  const int* rows;
  const uint32_t* lut;
  uint32_t solid;
  StageKind kind;
  BlendKind blend;
  bool contiguous;
};

// The shading loop with the target and texture formats known at compile time, so that the
// pixel conversions reduce to a few instructions.
template <PixelFormat TF, PixelFormat SF, StageKind SK, BlendKind BK>
void ShadeRows(PixelBuffer& target, const PixelBuffer* tex, const Span s, const RasterState& st) {
  constexpr int tb = TF == PixelFormat::kR5G6B5 || TF == PixelFormat::kA1R5G5B5 ? 2 : 4;
  constexpr int sb = SF == PixelFormat::kR5G6B5 || SF == PixelFormat::kA1R5G5B5 ? 2 : 4;
  const int n = s.x1 - s.x0;
  const int* const cols = s.cols;
  const uint32_t* const lut = s.lut;
  const uint32_t solid = s.solid;
  for (int y = s.y0; y < s.y1; ++y) {
    uint8_t* p = target.At(s.x0, y);
    const uint8_t* const srow = SK != StageKind::kSolid ? tex->Row(s.rows[y - s.y0]) : nullptr;
    for (int i = 0; i < n; ++i, p += tb) {
      uint32_t out = solid;
      if constexpr (SK != StageKind::kSolid) {
        const uint32_t t = WidenToArgb(SF, LoadPixel(SF, srow + static_cast<size_t>(cols[i]) * sb));
        if constexpr (SK == StageKind::kTexel) {
          out = t;
        } else if constexpr (SK == StageKind::kTexelOpaque) {
          out = t | 0xFF000000u;
        } else {
          out = ApplyLut(lut, t);
        }
      }
      PutPixelT<TF>(p, out, BK, st);
    }
  }
}

// The shading loop with the formats, the stage's kind and the blend known at compile time, so
// that the pixel conversions reduce to a few instructions.
template <PixelFormat TF, PixelFormat SF>
void ShadeSpan(PixelBuffer& target, const PixelBuffer* tex, const Span& s, const RasterState& st) {
  WithBlend(s.blend, [&](auto bk) {
    constexpr BlendKind BK = decltype(bk)::value;
    switch (s.kind) {
      case StageKind::kSolid:
        ShadeRows<TF, SF, StageKind::kSolid, BK>(target, tex, s, st);
        break;
      case StageKind::kTexel:
        ShadeRows<TF, SF, StageKind::kTexel, BK>(target, tex, s, st);
        break;
      case StageKind::kTexelOpaque:
        ShadeRows<TF, SF, StageKind::kTexelOpaque, BK>(target, tex, s, st);
        break;
      case StageKind::kGeneric:
      case StageKind::kModulate:  // its table holds the products
        ShadeRows<TF, SF, StageKind::kGeneric, BK>(target, tex, s, st);
        break;
    }
  });
}

void DispatchTarget(PixelBuffer& target, const PixelBuffer* tex, const Span& s, const RasterState& st) {
  WithFormat(target.format, [&](auto tf) {
    WithFormat(tex ? tex->format : PixelFormat::kA8R8G8B8,
               [&](auto sf) { ShadeSpan<decltype(tf)::value, decltype(sf)::value>(target, tex, s, st); });
  });
}

// The texels of one row widened to A8R8G8B8 words, in the order of the column table.
template <PixelFormat SF>
void GatherRow(uint8_t* out, const uint8_t* srow, const int* cols, int n) {
  constexpr int sb = BytesPerPixel(SF);
  for (int i = 0; i < n; ++i) {
    const uint32_t t = WidenToArgb(SF, LoadPixel(SF, srow + static_cast<size_t>(cols[i]) * sb));
    std::memcpy(out + 4 * i, &t, 4);
  }
}

void Gather(PixelFormat sf, uint8_t* out, const uint8_t* srow, const int* cols, int n) {
  switch (sf) {
    case PixelFormat::kA8R8G8B8:
      GatherRow<PixelFormat::kA8R8G8B8>(out, srow, cols, n);
      break;
    case PixelFormat::kX8R8G8B8:
      GatherRow<PixelFormat::kX8R8G8B8>(out, srow, cols, n);
      break;
    case PixelFormat::kR5G6B5:
      GatherRow<PixelFormat::kR5G6B5>(out, srow, cols, n);
      break;
    default:
      GatherRow<PixelFormat::kA1R5G5B5>(out, srow, cols, n);
      break;
  }
}

// Shading into a 32-bit target with the replacing or the alpha blend: each row's stage outputs
// as one run (read in place when the texels lie side by side in a 32-bit texture), then one
// span routine per row.
void ShadeRows32(PixelBuffer& target, const PixelBuffer* tex, const Span& s, SpanPath path) {
  const uint32_t orMask = target.format == PixelFormat::kX8R8G8B8 ? 0xFF000000u : 0u;
  const int n = s.x1 - s.x0;
  if (s.kind == StageKind::kSolid) {  // only translucent colours come here
    for (int y = s.y0; y < s.y1; ++y) FillRun(target.Row(y) + static_cast<size_t>(s.x0) * 4, s.solid, n, orMask, path);
    return;
  }
  const PixelFormat sf = tex->format;
  const bool wide = sf == PixelFormat::kA8R8G8B8 || sf == PixelFormat::kX8R8G8B8;
  // Outputs that are opaque whatever the blend: texels made opaque, or a texture without alpha
  // passed as it is.
  const bool opaque =
      s.kind == StageKind::kTexelOpaque || (s.kind == StageKind::kTexel && sf == PixelFormat::kX8R8G8B8);
  const bool direct = s.contiguous && wide && (s.kind == StageKind::kTexel || opaque);
  std::vector<uint8_t>& buffer = OutputRow();
  if (!direct && buffer.size() < static_cast<size_t>(n) * 4) buffer.resize(static_cast<size_t>(n) * 4);
  uint8_t* const scratch = buffer.data();
  // Rows are reached by their pitches: the targets and textures here have 4-byte pixels but the
  // 16-bit textures, whose rows Gather reads by the column table.
  const size_t pitch = static_cast<size_t>(target.pitch), texPitch = static_cast<size_t>(tex->pitch);
  uint8_t* dst = target.Row(s.y0) + static_cast<size_t>(s.x0) * 4;
  for (int y = s.y0; y < s.y1; ++y, dst += pitch) {
    const uint8_t* const srow = tex->bits.data() + static_cast<size_t>(s.rows[y - s.y0]) * texPitch;
    const uint8_t* run = scratch;
    if (direct) {
      run = srow + static_cast<size_t>(s.cols[0]) * 4;
    } else if (s.contiguous && sf == PixelFormat::kA8R8G8B8 && s.kind == StageKind::kModulate &&
               s.blend == BlendKind::kAlpha) {
      BlendModulatedRun(dst, srow + static_cast<size_t>(s.cols[0]) * 4, n, s.solid, orMask, path);
      continue;
    } else if (s.contiguous && wide && s.kind == StageKind::kModulate) {
      ModulateRun(scratch, srow + static_cast<size_t>(s.cols[0]) * 4, n, s.solid, path);
      if (sf == PixelFormat::kX8R8G8B8) {
        // The texture's fourth byte is not alpha: the texel's alpha is 255, so the output's is
        // the factor's.
        for (int i = 0; i < n; ++i) scratch[4 * i + 3] = static_cast<uint8_t>(s.solid >> 24);
      }
    } else {
      Gather(sf, scratch, srow, s.cols, n);
      if (s.kind == StageKind::kModulate) {
        ModulateRun(scratch, scratch, n, s.solid, path);
      } else if (s.kind == StageKind::kGeneric) {
        for (int i = 0; i < n; ++i) {
          uint32_t t;
          std::memcpy(&t, scratch + 4 * i, 4);
          t = ApplyLut(s.lut, t);
          std::memcpy(scratch + 4 * i, &t, 4);
        }
      }
    }
    if (opaque || s.blend == BlendKind::kReplace) {
      CopyRun(dst, run, n, orMask | (opaque ? 0xFF000000u : 0u), path);
    } else {
      BlendRun(dst, run, n, orMask, path);
    }
  }
}

// Whether a quad's rows go through the span routines, and which form of them.
bool UseSpans(ShadePath path, PixelFormat target, BlendKind bk, SpanPath* spanPath) {
  *spanPath = path == ShadePath::kScalar ? SpanPath::kScalar : SpanPath::kSimd;
  return path != ShadePath::kPerPixel && BytesPerPixel(target) == 4 && bk != BlendKind::kGeneric;
}

void DrawRect(PixelBuffer& target, const PixelBuffer* tex, const RasterState& st, const QuadRect& q, ShadePath path) {
  int x0, x1, y0, y1;
  CoveredSpan(q.xa, q.xb, target.width, &x0, &x1);
  CoveredSpan(q.ya, q.yb, target.height, &y0, &y1);
  if (x0 >= x1 || y0 >= y1) return;

  const BlendKind bk = ClassifyBlend(st);
  const StageClass& sc = ClassifyStage(st, q.diffuse, tex != nullptr);
  const PixelFormat tf = target.format;

  if (sc.kind == StageKind::kSolid) {
    const uint32_t out = sc.solid;
    if (bk == BlendKind::kReplace || (bk == BlendKind::kAlpha && (out >> 24) == 255)) {
      target.Fill(x0, y0, x1, y1, NarrowFromArgb(tf, out));
      return;
    }
    if (bk == BlendKind::kAlpha && (out >> 24) == 0) return;
    Span span{x0, y0, x1, y1, nullptr, nullptr, nullptr, out, StageKind::kSolid, bk, false};
    SpanPath sp;
    if (UseSpans(path, tf, bk, &sp)) {
      ShadeRows32(target, nullptr, span, sp);
    } else {
      DispatchTarget(target, nullptr, span, st);
    }
    return;
  }

  // Texel rows and columns under the pixel centres.
  // (The pixel-by-pixel reference computes them afresh.)
  const bool reuse = path != ShadePath::kPerPixel;
  const int* const cols = ColumnTable().Indices(q.xa, q.xb, q.ua, q.ub, tex->width, x0, x1, reuse);
  const int* const rows = RowTable().Indices(q.ya, q.yb, q.va, q.vb, tex->height, y0, y1, reuse);
  bool contiguous = true;
  for (int i = 1; i < x1 - x0; ++i) contiguous &= cols[i] == cols[0] + i;
  Span span{x0, y0, x1, y1, cols, rows, sc.lut, sc.solid, sc.kind, bk, contiguous};
  SpanPath sp;
  if (UseSpans(path, tf, bk, &sp)) {
    ShadeRows32(target, tex, span, sp);
  } else {
    DispatchTarget(target, tex, span, st);
  }
}

uint32_t InterpolateColor(const Vertex* const* v, const double w[3]) {
  uint32_t out = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    double c = 0;
    for (int i = 0; i < 3; ++i) c += w[i] * static_cast<double>((v[i]->diffuse >> shift) & 0xFF);
    const long ci = std::lround(std::clamp(c, 0.0, 255.0));
    out |= static_cast<uint32_t>(ci) << shift;
  }
  return out;
}

int64_t SnappedArea(const Vertex& a, const Vertex& b, const Vertex& c) {
  const int64_t X0 = Snap(a.x), Y0 = Snap(a.y), X1 = Snap(b.x), Y1 = Snap(b.y), X2 = Snap(c.x), Y2 = Snap(c.y);
  return (X1 - X0) * (Y2 - Y0) - (Y1 - Y0) * (X2 - X0);
}

// Whether triangle i of a strip is culled. A positive area is a clockwise turn on the screen.
bool Culled(const RasterState& st, const Vertex* v, int i) {
  if (st.cullMode != kCullClockwise && st.cullMode != kCullCounterClockwise) return false;
  int64_t area = SnappedArea(v[i], v[i + 1], v[i + 2]);
  if (i & 1) area = -area;
  return st.cullMode == kCullClockwise ? area > 0 : area < 0;
}

// A triangle snapped to the sub-pixel grid and wound clockwise on the screen, with its edge
// functions: edge i runs from vertex i + 1 to vertex i + 2 (the edge opposite vertex i), and its
// value at a point is the weight of vertex i times the area. [px0, px1) × [py0, py1) is its
// bounding box of pixel centres, cut to the target.
struct Triangle {
  const Vertex* v[3];
  int64_t X[3], Y[3];
  int64_t ex[3], ey[3];
  bool topLeft[3];
  double inv;  // 1 / area
  int px0, px1, py0, py1;
};

// False when the triangle covers no pixel centre of the target (or a position is not finite).
bool SetUpTriangle(const PixelBuffer& target, const Vertex& a, const Vertex& b, const Vertex& c, Triangle* t) {
  t->v[0] = &a;
  t->v[1] = &b;
  t->v[2] = &c;
  for (const Vertex* p : t->v) {
    if (!std::isfinite(p->x) || !std::isfinite(p->y)) return false;
  }
  int64_t* const X = t->X;
  int64_t* const Y = t->Y;
  for (int i = 0; i < 3; ++i) {
    X[i] = Snap(t->v[i]->x);
    Y[i] = Snap(t->v[i]->y);
  }
  int64_t area = (X[1] - X[0]) * (Y[2] - Y[0]) - (Y[1] - Y[0]) * (X[2] - X[0]);
  if (area == 0) return false;
  if (area < 0) {
    std::swap(t->v[1], t->v[2]);
    std::swap(X[1], X[2]);
    std::swap(Y[1], Y[2]);
    area = -area;
  }
  for (int i = 0; i < 3; ++i) {
    const int s = (i + 1) % 3, e = (i + 2) % 3;
    t->ex[i] = X[e] - X[s];
    t->ey[i] = Y[e] - Y[s];
    t->topLeft[i] = t->ey[i] < 0 || (t->ey[i] == 0 && t->ex[i] > 0);
  }
  const int64_t minX = std::min({X[0], X[1], X[2]}), maxX = std::max({X[0], X[1], X[2]});
  const int64_t minY = std::min({Y[0], Y[1], Y[2]}), maxY = std::max({Y[0], Y[1], Y[2]});
  t->px0 = static_cast<int>(std::clamp<int64_t>(CeilDiv(minX, kSub), 0, target.width));
  t->px1 = static_cast<int>(std::clamp<int64_t>(FloorDiv(maxX, kSub) + 1, 0, target.width));
  t->py0 = static_cast<int>(std::clamp<int64_t>(CeilDiv(minY, kSub), 0, target.height));
  t->py1 = static_cast<int>(std::clamp<int64_t>(FloorDiv(maxY, kSub) + 1, 0, target.height));
  t->inv = 1.0 / static_cast<double>(area);
  return t->px0 < t->px1 && t->py0 < t->py1;
}

// The per-pixel reference: every pixel centre of the bounding box tested against the three
// edges, then weighted, sampled, combined and blended on its own.
void DrawTrianglePerPixel(PixelBuffer& target, const PixelBuffer* tex, const RasterState& st, const Triangle& t) {
  const Vertex* const* v = t.v;
  const BlendKind bk = ClassifyBlend(st);
  const bool flat = v[0]->diffuse == v[1]->diffuse && v[0]->diffuse == v[2]->diffuse;
  const int bpp = BytesPerPixel(target.format);
  for (int py = t.py0; py < t.py1; ++py) {
    const int64_t Py = py * kSub;
    uint8_t* p = target.At(t.px0, py);
    for (int px = t.px0; px < t.px1; ++px, p += bpp) {
      const int64_t Px = px * kSub;
      int64_t e[3];
      bool inside = true;
      for (int i = 0; i < 3 && inside; ++i) {
        const int s = (i + 1) % 3;
        e[i] = t.ex[i] * (Py - t.Y[s]) - t.ey[i] * (Px - t.X[s]);
        inside = e[i] > 0 || (e[i] == 0 && t.topLeft[i]);
      }
      if (!inside) continue;
      const double w[3] = {static_cast<double>(e[0]) * t.inv, static_cast<double>(e[1]) * t.inv,
                           static_cast<double>(e[2]) * t.inv};
      uint32_t texel = 0xFFFFFFFFu;
      if (tex) {
        const double u = w[0] * v[0]->u + w[1] * v[1]->u + w[2] * v[2]->u;
        const double tv = w[0] * v[0]->v + w[1] * v[1]->v + w[2] * v[2]->v;
        texel = FetchTexel(tex, TexelIndex(u * tex->width, tex->width), TexelIndex(tv * tex->height, tex->height));
      }
      const uint32_t diffuse = flat ? v[0]->diffuse : InterpolateColor(v, w);
      PutPixel(target.format, p, CombineStage(st, texel, diffuse), bk, st);
    }
  }
}

// The pixels [first, last) of a row whose centres lie inside the triangle, with the edge values
// at first. Along the row edge i's value K − ey·kSub·px falls (or rises) steadily, so each edge
// bounds the row on one side: its last (or first) pixel inside comes from one division.
struct TriangleRow {
  int first = 0, last = 0;
  int64_t e[3] = {};
};

TriangleRow RowOf(const Triangle& t, int py) {
  const int64_t Py = py * kSub;
  int64_t first = t.px0, last = t.px1;
  int64_t K[3];
  for (int i = 0; i < 3; ++i) {
    const int s = (i + 1) % 3;
    K[i] = t.ex[i] * (Py - t.Y[s]) + t.ey[i] * t.X[s];
    const int64_t D = t.ey[i] * kSub;
    // Inside: e > 0, or e = 0 on a top or left edge.
    if (D == 0) {
      if (!(K[i] > 0 || (K[i] == 0 && t.topLeft[i]))) return {};
    } else if (D > 0) {
      last = std::min(last, t.topLeft[i] ? FloorDiv(K[i], D) + 1 : CeilDiv(K[i], D));
    } else {
      first = std::max(first, t.topLeft[i] ? CeilDiv(-K[i], -D) : FloorDiv(-K[i], -D) + 1);
    }
  }
  if (first >= last) return {};
  TriangleRow r;
  r.first = static_cast<int>(first);
  r.last = static_cast<int>(last);
  for (int i = 0; i < 3; ++i) r.e[i] = K[i] - t.ey[i] * kSub * first;
  return r;
}

// The stage outputs of one row of a triangle, as the per-pixel reference works them out: each
// pixel's weights from its edge values, its texel under (u, v), its colour (interpolated unless
// the triangle has one), the stage; with one colour the stage's table serves.
template <PixelFormat SF>
void TriangleOutputs(uint32_t* out, const PixelBuffer* tex, const RasterState& st, const Triangle& t,
                     const TriangleRow& r, const StageClass* sc) {
  constexpr int sb = BytesPerPixel(SF);
  const Vertex* const* v = t.v;
  const int64_t step[3] = {t.ey[0] * kSub, t.ey[1] * kSub, t.ey[2] * kSub};
  int64_t e[3] = {r.e[0], r.e[1], r.e[2]};
  const int n = r.last - r.first;
  for (int i = 0; i < n; ++i, e[0] -= step[0], e[1] -= step[1], e[2] -= step[2]) {
    const double w[3] = {static_cast<double>(e[0]) * t.inv, static_cast<double>(e[1]) * t.inv,
                         static_cast<double>(e[2]) * t.inv};
    uint32_t texel = 0xFFFFFFFFu;
    if (tex) {
      const double u = w[0] * v[0]->u + w[1] * v[1]->u + w[2] * v[2]->u;
      const double tv = w[0] * v[0]->v + w[1] * v[1]->v + w[2] * v[2]->v;
      const int tx = TexelIndex(u * tex->width, tex->width), ty = TexelIndex(tv * tex->height, tex->height);
      texel = WidenToArgb(SF, LoadPixel(SF, tex->Row(ty) + static_cast<size_t>(tx) * sb));
    }
    if (!sc) {
      out[i] = CombineStage(st, texel, InterpolateColor(v, w));
    } else if (sc->kind == StageKind::kTexel) {
      out[i] = texel;
    } else if (sc->kind == StageKind::kTexelOpaque) {
      out[i] = texel | 0xFF000000u;
    } else {
      out[i] = ApplyLut(sc->lut, texel);  // a product's table holds the products
    }
  }
}

// Writes a row of stage outputs onto the target pixel by pixel, with the format and the blend
// known at compile time.
void PutRow(PixelFormat f, uint8_t* p, const uint32_t* out, int n, BlendKind bk, const RasterState& st) {
  WithFormat(f, [&](auto tf) {
    WithBlend(bk, [&](auto b) {
      constexpr PixelFormat TF = decltype(tf)::value;
      for (int i = 0; i < n; ++i, p += BytesPerPixel(TF)) PutPixelT<TF>(p, out[i], decltype(b)::value, st);
    });
  });
}

// A general triangle shaded row by row: each row's span of pixels inside found by division,
// its stage outputs worked out as the reference does them, then written through the span
// routines (32-bit targets with the replacing or the alpha blend) or pixel by pixel.
void DrawTriangleRows(PixelBuffer& target, const PixelBuffer* tex, const RasterState& st, const Triangle& t,
                      ShadePath path) {
  const BlendKind bk = ClassifyBlend(st);
  const Vertex* const* v = t.v;
  const bool flat = v[0]->diffuse == v[1]->diffuse && v[0]->diffuse == v[2]->diffuse;
  const StageClass* sc = flat ? &ClassifyStage(st, v[0]->diffuse, tex != nullptr) : nullptr;
  SpanPath sp;
  const bool spans = UseSpans(path, target.format, bk, &sp);
  const uint32_t orMask = target.format == PixelFormat::kX8R8G8B8 ? 0xFF000000u : 0u;
  std::vector<uint8_t>& buffer = OutputRow();
  const size_t need = static_cast<size_t>(t.px1 - t.px0) * 4;
  if (buffer.size() < need) buffer.resize(need);
  uint32_t* const out = reinterpret_cast<uint32_t*>(buffer.data());
  for (int py = t.py0; py < t.py1; ++py) {
    const TriangleRow r = RowOf(t, py);
    const int n = r.last - r.first;
    if (n <= 0) continue;
    if (sc && sc->kind == StageKind::kSolid) {
      std::fill(out, out + n, sc->solid);
    } else {
      WithFormat(tex ? tex->format : PixelFormat::kA8R8G8B8,
                 [&](auto sf) { TriangleOutputs<decltype(sf)::value>(out, tex, st, t, r, sc); });
    }
    uint8_t* const dst = target.At(r.first, py);
    const uint8_t* const run = reinterpret_cast<const uint8_t*>(out);
    if (spans) {
      if (bk == BlendKind::kReplace) {
        CopyRun(dst, run, n, orMask, sp);
      } else {
        BlendRun(dst, run, n, orMask, sp);
      }
      continue;
    }
    PutRow(target.format, dst, out, n, bk, st);
  }
}

void DrawTriangle(PixelBuffer& target, const PixelBuffer* tex, const RasterState& st, const Vertex& a, const Vertex& b,
                  const Vertex& c, ShadePath path) {
  Triangle t;
  if (!SetUpTriangle(target, a, b, c, &t)) return;
  if (path == ShadePath::kPerPixel) {
    DrawTrianglePerPixel(target, tex, st, t);
  } else {
    DrawTriangleRows(target, tex, st, t, path);
  }
}

}  // namespace

uint32_t CombineStage(const RasterState& st, uint32_t texel, uint32_t diffuse) {
  if (!KnownOp(st.colorOp)) return diffuse;
  const uint32_t k = st.textureFactor >> 24;
  const uint32_t c1 = SelectArg(st.colorArg1, texel, diffuse, st.textureFactor);
  const uint32_t c2 = SelectArg(st.colorArg2, texel, diffuse, st.textureFactor);
  const uint32_t r = OpChannel(st.colorOp, (c1 >> 16) & 0xFF, (c2 >> 16) & 0xFF, k);
  const uint32_t g = OpChannel(st.colorOp, (c1 >> 8) & 0xFF, (c2 >> 8) & 0xFF, k);
  const uint32_t bl = OpChannel(st.colorOp, c1 & 0xFF, c2 & 0xFF, k);
  uint32_t a;
  if (!KnownOp(st.alphaOp)) {
    a = diffuse >> 24;
  } else {
    const uint32_t a1 = SelectArg(st.alphaArg1, texel, diffuse, st.textureFactor) >> 24;
    const uint32_t a2 = SelectArg(st.alphaArg2, texel, diffuse, st.textureFactor) >> 24;
    a = OpChannel(st.alphaOp, a1, a2, k);
  }
  return a << 24 | r << 16 | g << 8 | bl;
}

uint32_t BlendPixel(const RasterState& st, uint32_t src, uint32_t dst) {
  if (!st.blend) return src;
  const uint32_t as = src >> 24;
  const uint32_t fs = Factor(st.srcBlend, as, 255), fd = Factor(st.destBlend, as, 0);
  uint32_t out = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    const uint32_t s = (src >> shift) & 0xFF, d = (dst >> shift) & 0xFF;
    out |= std::min<uint32_t>(255, (s * fs + d * fd + 127) / 255) << shift;
  }
  return out;
}

void DrawTriangleStrip(PixelBuffer& target, const PixelBuffer* texture, const RasterState& state, const Vertex* v,
                       int primCount, ShadePath path) {
  if (primCount <= 0 || !DrawableTarget(target) || !SampleableTexture(texture)) return;
  // A texture that is also the target is sampled as it was before the draw: from a copy, taken
  // only when the stage reads the texture.
  thread_local PixelBuffer snapshot;
  if (texture == &target && StageReadsTexture(state)) {
    snapshot.format = target.format;
    snapshot.width = target.width;
    snapshot.height = target.height;
    snapshot.pitch = target.pitch;
    snapshot.bits.assign(target.bits.begin(), target.bits.end());
    texture = &snapshot;
  }
  for (int i = 0; i < primCount;) {
    QuadRect q;
    if (i + 1 < primCount && AsRect(v[i], v[i + 1], v[i + 2], v[i + 3], &q)) {
      const bool c0 = Culled(state, v, i), c1 = Culled(state, v, i + 1);
      if (c0 == c1) {
        if (!c0) DrawRect(target, texture, state, q, path);
        i += 2;
        continue;
      }
    }
    if (!Culled(state, v, i)) DrawTriangle(target, texture, state, v[i], v[i + 1], v[i + 2], path);
    ++i;
  }
}

}  // namespace gfx
