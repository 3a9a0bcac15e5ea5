#include "platform/spans.h"

#include <cstring>

#include "platform/pixels.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#define TW_SPANS_SSE2 1
#else
#define TW_SPANS_SSE2 0
#endif

namespace gfx {
namespace {

uint32_t Load32(const uint8_t* p) {
  uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
}
void Store32(uint8_t* p, uint32_t v) { std::memcpy(p, &v, 4); }
uint16_t Load16(const uint8_t* p) {
  uint16_t v;
  std::memcpy(&v, p, 2);
  return v;
}
void Store16(uint8_t* p, uint16_t v) { std::memcpy(p, &v, 2); }

// One word blended over another with the source's own alpha on all four channels.
uint32_t BlendWord(uint32_t s, uint32_t d) {
  const uint32_t a = s >> 24, ia = 255 - a;
  uint32_t out = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    out |= Div255(((s >> shift) & 0xFF) * a + ((d >> shift) & 0xFF) * ia + 127) << shift;
  }
  return out;
}

uint32_t ModulateWord(uint32_t s, uint32_t m) {
  uint32_t out = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    out |= Div255(((s >> shift) & 0xFF) * ((m >> shift) & 0xFF) + 127) << shift;
  }
  return out;
}

// ---- scalar runs ----

void CopyScalar(uint8_t* dst, const uint8_t* src, int n, uint32_t orMask) {
  if (orMask == 0) {
    std::memmove(dst, src, static_cast<size_t>(n) * 4);
    return;
  }
  for (int i = 0; i < n; ++i) Store32(dst + 4 * i, Load32(src + 4 * i) | orMask);
}

void BlendScalar(uint8_t* dst, const uint8_t* src, int n, uint32_t orMask) {
  for (int i = 0; i < n; ++i) {
    const uint32_t s = Load32(src + 4 * i);
    const uint32_t a = s >> 24;
    if (a == 0) continue;
    Store32(dst + 4 * i, (a == 255 ? s : BlendWord(s, Load32(dst + 4 * i))) | orMask);
  }
}

void BlendModulatedScalar(uint8_t* dst, const uint8_t* src, int n, uint32_t m, uint32_t orMask) {
  for (int i = 0; i < n; ++i) {
    const uint32_t s = ModulateWord(Load32(src + 4 * i), m);
    const uint32_t a = s >> 24;
    if (a == 0) continue;
    Store32(dst + 4 * i, (a == 255 ? s : BlendWord(s, Load32(dst + 4 * i))) | orMask);
  }
}

void FillScalar(uint8_t* dst, uint32_t color, int n, uint32_t orMask) {
  for (int i = 0; i < n; ++i) Store32(dst + 4 * i, BlendWord(color, Load32(dst + 4 * i)) | orMask);
}

void ModulateScalar(uint8_t* dst, const uint8_t* src, int n, uint32_t m) {
  for (int i = 0; i < n; ++i) Store32(dst + 4 * i, ModulateWord(Load32(src + 4 * i), m));
}

// The keyed copies select without a branch, so that the compiler may vectorise them too.
void Keyed8Scalar(uint8_t* dst, const uint8_t* src, int n, uint8_t key) {
  for (int i = 0; i < n; ++i) dst[i] = src[i] == key ? dst[i] : src[i];
}

void Keyed16Scalar(uint8_t* dst, const uint8_t* src, int n, uint16_t key) {
  for (int i = 0; i < n; ++i) {
    const uint16_t s = Load16(src + 2 * i), d = Load16(dst + 2 * i);
    Store16(dst + 2 * i, s == key ? d : s);
  }
}

void Keyed32Scalar(uint8_t* dst, const uint8_t* src, int n, uint32_t key, uint32_t mask) {
  for (int i = 0; i < n; ++i) {
    const uint32_t s = Load32(src + 4 * i), d = Load32(dst + 4 * i);
    Store32(dst + 4 * i, (s & mask) == key ? d : s);
  }
}

void R5G6B5Scalar(uint8_t* dst, const uint8_t* src, int n) {
  for (int i = 0; i < n; ++i) Store32(dst + 4 * i, WidenToArgb(PixelFormat::kR5G6B5, Load16(src + 2 * i)));
}

void A1R5G5B5Scalar(uint8_t* dst, const uint8_t* src, int n) {
  for (int i = 0; i < n; ++i) {
    Store32(dst + 4 * i, WidenToArgb(PixelFormat::kA1R5G5B5, Load16(src + 2 * i)) | 0xFF000000u);
  }
}

#if TW_SPANS_SSE2

__m128i Load(const uint8_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }
void Store(uint8_t* p, __m128i v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); }

// x / 255 rounded down on eight 16-bit lanes: (x × 0x8081) >> 23, exact for every 16-bit x.
__m128i Div255x8(__m128i x) {
  return _mm_srli_epi16(_mm_mulhi_epu16(x, _mm_set1_epi16(static_cast<short>(0x8081))), 7);
}

// (d & keep) | (s & ~keep): the target where keep is set, the source elsewhere.
__m128i Select(__m128i keep, __m128i d, __m128i s) {
  return _mm_or_si128(_mm_and_si128(keep, d), _mm_andnot_si128(keep, s));
}

void CopySimd(uint8_t* dst, const uint8_t* src, int n, uint32_t orMask) {
  if (orMask == 0) {
    std::memmove(dst, src, static_cast<size_t>(n) * 4);
    return;
  }
  const __m128i o = _mm_set1_epi32(static_cast<int>(orMask));
  int i = 0;
  for (; i + 4 <= n; i += 4) Store(dst + 4 * i, _mm_or_si128(Load(src + 4 * i), o));
  CopyScalar(dst + 4 * i, src + 4 * i, n - i, orMask);
}

// Four pixels split into 16-bit lanes: the even bytes (blue, red) and the odd ones (green,
// alpha). Blending the halves apart needs no unpacking and no packing.
struct Halves {
  __m128i even, odd;
};
[[gnu::always_inline]] inline Halves Split(__m128i v) {
  return {_mm_and_si128(v, _mm_set1_epi16(0xFF)), _mm_srli_epi16(v, 8)};
}
[[gnu::always_inline]] inline __m128i Join(Halves h) { return _mm_or_si128(h.even, _mm_slli_epi16(h.odd, 8)); }

// (x × m + 127) / 255 on 16-bit lanes of bytes.
[[gnu::always_inline]] inline __m128i Product(__m128i x, __m128i m) {
  return Div255x8(_mm_add_epi16(_mm_mullo_epi16(x, m), _mm_set1_epi16(127)));
}

// (s × a + d × ia + 127) / 255 on 16-bit lanes with ia = 255 − a: the sum stays below 2^16.
[[gnu::always_inline]] inline __m128i Mix(__m128i s, __m128i d, __m128i a, __m128i ia) {
  return Div255x8(_mm_add_epi16(_mm_add_epi16(_mm_mullo_epi16(s, a), _mm_mullo_epi16(d, ia)), _mm_set1_epi16(127)));
}

// Four pixels s over the target words d, a holding each pixel's alpha in both lanes of its word.
[[gnu::always_inline]] inline __m128i BlendHalves(Halves s, __m128i d, __m128i a) {
  const __m128i ia = _mm_xor_si128(a, _mm_set1_epi16(0xFF));
  const Halves t = Split(d);
  return Join({Mix(s.even, t.even, a, ia), Mix(s.odd, t.odd, a, ia)});
}

// The alpha of each pixel, from its odd half, in both lanes of its word.
[[gnu::always_inline]] inline __m128i SpreadAlpha(__m128i odd) {
  return _mm_shufflehi_epi16(_mm_shufflelo_epi16(odd, _MM_SHUFFLE(3, 3, 1, 1)), _MM_SHUFFLE(3, 3, 1, 1));
}

// Four pixels s of mixed alphas blended over the target at p; the transparent ones keep the
// target as it is, fourth byte included (they take no orMask o).
[[gnu::always_inline]] inline void BlendMixed(uint8_t* p, Halves s, __m128i o) {
  const __m128i a = SpreadAlpha(s.odd);
  const __m128i clear = _mm_cmpeq_epi32(a, _mm_setzero_si128());
  Store(p, _mm_or_si128(BlendHalves(s, Load(p), a), _mm_andnot_si128(clear, o)));
}

// How the alphas of four words stand: kAllClear, kAllOpaque or another value.
constexpr int kAllClear = 0x00FF;
constexpr int kAllOpaque = 0xFF00;
[[gnu::always_inline]] inline int AlphaClass(__m128i v) {
  const __m128i alphaBits = _mm_set1_epi32(static_cast<int>(0xFF000000u));
  const __m128i alpha = _mm_and_si128(v, alphaBits);
  return _mm_movemask_epi8(
      _mm_packs_epi32(_mm_cmpeq_epi32(alpha, _mm_setzero_si128()), _mm_cmpeq_epi32(alpha, alphaBits)));
}

// Four source pixels s over the target at p.
[[gnu::always_inline]] inline void BlendBlock(uint8_t* p, __m128i s, __m128i o) {
  const int c = AlphaClass(s);
  if (c == kAllClear) return;
  if (c == kAllOpaque) {
    Store(p, _mm_or_si128(s, o));
  } else {
    BlendMixed(p, Split(s), o);
  }
}

void BlendSimd(uint8_t* dst, const uint8_t* src, int n, uint32_t orMask) {
  const __m128i o = _mm_set1_epi32(static_cast<int>(orMask));
  const __m128i alphaBits = _mm_set1_epi32(static_cast<int>(0xFF000000u));
  int i = 0;
  // Sixteen pixels at a time while they are all opaque or all transparent, as the inside and the
  // outside of sprites and image layers are: one test for four blocks.
  for (; i + 16 <= n; i += 16) {
    const uint8_t* s = src + 4 * i;
    const __m128i s0 = Load(s), s1 = Load(s + 16), s2 = Load(s + 32), s3 = Load(s + 48);
    const __m128i all = _mm_and_si128(_mm_and_si128(s0, s1), _mm_and_si128(s2, s3));
    const __m128i any = _mm_or_si128(_mm_or_si128(s0, s1), _mm_or_si128(s2, s3));
    uint8_t* d = dst + 4 * i;
    if (_mm_movemask_epi8(_mm_cmpeq_epi32(_mm_and_si128(all, alphaBits), alphaBits)) == 0xFFFF) {
      Store(d, _mm_or_si128(s0, o));
      Store(d + 16, _mm_or_si128(s1, o));
      Store(d + 32, _mm_or_si128(s2, o));
      Store(d + 48, _mm_or_si128(s3, o));
      continue;
    }
    if (_mm_movemask_epi8(_mm_cmpeq_epi32(_mm_and_si128(any, alphaBits), _mm_setzero_si128())) == 0xFFFF) continue;
    BlendBlock(d, s0, o);
    BlendBlock(d + 16, s1, o);
    BlendBlock(d + 32, s2, o);
    BlendBlock(d + 48, s3, o);
  }
  for (; i + 4 <= n; i += 4) BlendBlock(dst + 4 * i, Load(src + 4 * i), o);
  BlendScalar(dst + 4 * i, src + 4 * i, n - i, orMask);
}

// The modulated blend with the product's multipliers m (m.even: blue, red; m.odd: green,
// alpha); white: whether the colour multipliers are all 255, which leave their channels alone.
// Texels of alpha 255 all come out with the modulating alpha ma ((255 × ma + 127) / 255 is ma),
// so a block of them blends with one constant alpha: no per-pixel alphas, no transparent
// pixels to keep.
[[gnu::always_inline]] inline void BlendModulatedBlocks(uint8_t* dst, const uint8_t* src, int n, Halves m, bool white,
                                                        uint32_t ma, uint32_t orMask) {
  const __m128i o = _mm_set1_epi32(static_cast<int>(orMask));
  const __m128i a = _mm_set1_epi16(static_cast<short>(ma));
  // In a white product only the alphas change: opaque ones drop to ma by a subtraction.
  const __m128i drop = _mm_set1_epi32(static_cast<int>((255 - ma) << 16));
  for (int i = 0; i + 4 <= n; i += 4) {
    const __m128i raw = Load(src + 4 * i);
    const int c = AlphaClass(raw);
    if (c == kAllClear) continue;  // a transparent texel stays transparent whatever it is multiplied by
    Halves s = Split(raw);
    if (c == kAllOpaque) {
      if (white) {
        s.odd = _mm_sub_epi16(s.odd, drop);
      } else {
        s = {Product(s.even, m.even), Product(s.odd, m.odd)};
      }
      uint8_t* p = dst + 4 * i;
      Store(p, _mm_or_si128(ma == 255 ? Join(s) : BlendHalves(s, Load(p), a), o));
      continue;
    }
    if (!white) s.even = Product(s.even, m.even);
    s.odd = Product(s.odd, m.odd);
    BlendMixed(dst + 4 * i, s, o);
  }
}

void BlendModulatedSimd(uint8_t* dst, const uint8_t* src, int n, uint32_t m, uint32_t orMask) {
  const uint32_t ma = m >> 24;
  const bool white = (m & 0x00FFFFFFu) == 0x00FFFFFFu;
  if (ma == 0) return;  // every product is transparent
  if (white && ma == 255) {
    BlendSimd(dst, src, n, orMask);
    return;
  }
  const Halves mm = Split(_mm_set1_epi32(static_cast<int>(m)));
  if (white) {
    BlendModulatedBlocks(dst, src, n, mm, true, ma, orMask);
  } else {
    BlendModulatedBlocks(dst, src, n, mm, false, ma, orMask);
  }
  const int i = n & ~3;
  BlendModulatedScalar(dst + 4 * i, src + 4 * i, n - i, m, orMask);
}

void FillSimd(uint8_t* dst, uint32_t color, int n, uint32_t orMask) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i o = _mm_set1_epi32(static_cast<int>(orMask));
  const __m128i c = _mm_unpacklo_epi8(_mm_set1_epi32(static_cast<int>(color)), zero);
  const __m128i a = _mm_set1_epi16(static_cast<short>(color >> 24));
  const __m128i ia = _mm_sub_epi16(_mm_set1_epi16(255), a);
  // The source's share, with the rounding term, is the same for every pixel.
  const __m128i k = _mm_add_epi16(_mm_mullo_epi16(c, a), _mm_set1_epi16(127));
  int i = 0;
  for (; i + 4 <= n; i += 4) {
    const __m128i d = Load(dst + 4 * i);
    const __m128i lo = Div255x8(_mm_add_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(d, zero), ia), k));
    const __m128i hi = Div255x8(_mm_add_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(d, zero), ia), k));
    Store(dst + 4 * i, _mm_or_si128(_mm_packus_epi16(lo, hi), o));
  }
  FillScalar(dst + 4 * i, color, n - i, orMask);
}

void ModulateSimd(uint8_t* dst, const uint8_t* src, int n, uint32_t m) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i mm = _mm_unpacklo_epi8(_mm_set1_epi32(static_cast<int>(m)), zero);
  const __m128i r = _mm_set1_epi16(127);
  int i = 0;
  for (; i + 4 <= n; i += 4) {
    const __m128i s = Load(src + 4 * i);
    const __m128i lo = Div255x8(_mm_add_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(s, zero), mm), r));
    const __m128i hi = Div255x8(_mm_add_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(s, zero), mm), r));
    Store(dst + 4 * i, _mm_packus_epi16(lo, hi));
  }
  ModulateScalar(dst + 4 * i, src + 4 * i, n - i, m);
}

// A block of source pixels s keyed by the lane mask e (set where the pixel is the key) onto the
// target at p: a block with no keyed pixel is stored without reading the target, one all keyed
// is left alone. Used where a block holds eight pixels or fewer, so that the transparent and
// opaque areas of sprites fill whole blocks often.
[[gnu::always_inline]] inline void KeyedBlock(uint8_t* p, __m128i s, __m128i e) {
  const int keyed = _mm_movemask_epi8(e);
  if (keyed == 0) {
    Store(p, s);
  } else if (keyed != 0xFFFF) {
    Store(p, Select(e, Load(p), s));
  }
}

// At 8 bits a block holds sixteen pixels and is mostly mixed: every block is selected without a
// branch, four to an iteration.
void Keyed8Simd(uint8_t* dst, const uint8_t* src, int n, uint8_t key) {
  const __m128i k = _mm_set1_epi8(static_cast<char>(key));
  int i = 0;
  for (; i + 64 <= n; i += 64) {
    const __m128i s0 = Load(src + i), s1 = Load(src + i + 16), s2 = Load(src + i + 32), s3 = Load(src + i + 48);
    const __m128i d0 = Load(dst + i), d1 = Load(dst + i + 16), d2 = Load(dst + i + 32), d3 = Load(dst + i + 48);
    Store(dst + i, Select(_mm_cmpeq_epi8(s0, k), d0, s0));
    Store(dst + i + 16, Select(_mm_cmpeq_epi8(s1, k), d1, s1));
    Store(dst + i + 32, Select(_mm_cmpeq_epi8(s2, k), d2, s2));
    Store(dst + i + 48, Select(_mm_cmpeq_epi8(s3, k), d3, s3));
  }
  for (; i + 16 <= n; i += 16) {
    const __m128i s = Load(src + i);
    Store(dst + i, Select(_mm_cmpeq_epi8(s, k), Load(dst + i), s));
  }
  Keyed8Scalar(dst + i, src + i, n - i, key);
}

void Keyed16Simd(uint8_t* dst, const uint8_t* src, int n, uint16_t key) {
  const __m128i k = _mm_set1_epi16(static_cast<short>(key));
  int i = 0;
  for (; i + 8 <= n; i += 8) {
    const __m128i s = Load(src + 2 * i);
    KeyedBlock(dst + 2 * i, s, _mm_cmpeq_epi16(s, k));
  }
  Keyed16Scalar(dst + 2 * i, src + 2 * i, n - i, key);
}

void Keyed32Simd(uint8_t* dst, const uint8_t* src, int n, uint32_t key, uint32_t mask) {
  const __m128i k = _mm_set1_epi32(static_cast<int>(key)), m = _mm_set1_epi32(static_cast<int>(mask));
  int i = 0;
  for (; i + 4 <= n; i += 4) {
    const __m128i s = Load(src + 4 * i);
    KeyedBlock(dst + 4 * i, s, _mm_cmpeq_epi32(_mm_and_si128(s, m), k));
  }
  Keyed32Scalar(dst + 4 * i, src + 4 * i, n - i, key, mask);
}

// Eight 5-bit fields (lanes 0..31) widened to 8 bits by bit replication.
__m128i Widen5(__m128i v) { return _mm_or_si128(_mm_slli_epi16(v, 3), _mm_srli_epi16(v, 2)); }
__m128i Widen6(__m128i v) { return _mm_or_si128(_mm_slli_epi16(v, 2), _mm_srli_epi16(v, 4)); }

// Eight pixels from widened channels in 16-bit lanes: blue and green in the low word, red and
// an opaque alpha in the high word.
void StoreWidened(uint8_t* dst, __m128i r, __m128i g, __m128i b) {
  const __m128i bg = _mm_or_si128(b, _mm_slli_epi16(g, 8));
  const __m128i ra = _mm_or_si128(r, _mm_set1_epi16(static_cast<short>(0xFF00)));
  Store(dst, _mm_unpacklo_epi16(bg, ra));
  Store(dst + 16, _mm_unpackhi_epi16(bg, ra));
}

void R5G6B5Simd(uint8_t* dst, const uint8_t* src, int n) {
  const __m128i m5 = _mm_set1_epi16(31), m6 = _mm_set1_epi16(63);
  int i = 0;
  for (; i + 8 <= n; i += 8) {
    const __m128i p = Load(src + 2 * i);
    StoreWidened(dst + 4 * i, Widen5(_mm_srli_epi16(p, 11)), Widen6(_mm_and_si128(_mm_srli_epi16(p, 5), m6)),
                 Widen5(_mm_and_si128(p, m5)));
  }
  R5G6B5Scalar(dst + 4 * i, src + 2 * i, n - i);
}

void A1R5G5B5Simd(uint8_t* dst, const uint8_t* src, int n) {
  const __m128i m5 = _mm_set1_epi16(31);
  int i = 0;
  for (; i + 8 <= n; i += 8) {
    const __m128i p = Load(src + 2 * i);
    StoreWidened(dst + 4 * i, Widen5(_mm_and_si128(_mm_srli_epi16(p, 10), m5)),
                 Widen5(_mm_and_si128(_mm_srli_epi16(p, 5), m5)), Widen5(_mm_and_si128(p, m5)));
  }
  A1R5G5B5Scalar(dst + 4 * i, src + 2 * i, n - i);
}

constexpr bool kHaveSimd = true;
#else
constexpr bool kHaveSimd = false;
#define CopySimd CopyScalar
#define BlendSimd BlendScalar
#define FillSimd FillScalar
#define BlendModulatedSimd BlendModulatedScalar
#define ModulateSimd ModulateScalar
#define Keyed8Simd Keyed8Scalar
#define Keyed16Simd Keyed16Scalar
#define Keyed32Simd Keyed32Scalar
#define R5G6B5Simd R5G6B5Scalar
#define A1R5G5B5Simd A1R5G5B5Scalar
#endif

bool Simd(SpanPath path) { return kHaveSimd && path == SpanPath::kSimd; }

}  // namespace

void CopyRun(uint8_t* dst, const uint8_t* src, int n, uint32_t orMask, SpanPath path) {
  if (n <= 0) return;
  Simd(path) ? CopySimd(dst, src, n, orMask) : CopyScalar(dst, src, n, orMask);
}

void BlendRun(uint8_t* dst, const uint8_t* src, int n, uint32_t orMask, SpanPath path) {
  if (n <= 0) return;
  Simd(path) ? BlendSimd(dst, src, n, orMask) : BlendScalar(dst, src, n, orMask);
}

void BlendModulatedRun(uint8_t* dst, const uint8_t* src, int n, uint32_t m, uint32_t orMask, SpanPath path) {
  if (n <= 0) return;
  Simd(path) ? BlendModulatedSimd(dst, src, n, m, orMask) : BlendModulatedScalar(dst, src, n, m, orMask);
}

void FillRun(uint8_t* dst, uint32_t color, int n, uint32_t orMask, SpanPath path) {
  if (n <= 0 || (color >> 24) == 0) return;
  Simd(path) ? FillSimd(dst, color, n, orMask) : FillScalar(dst, color, n, orMask);
}

void ModulateRun(uint8_t* dst, const uint8_t* src, int n, uint32_t m, SpanPath path) {
  if (n <= 0) return;
  Simd(path) ? ModulateSimd(dst, src, n, m) : ModulateScalar(dst, src, n, m);
}

void KeyedCopyRun8(uint8_t* dst, const uint8_t* src, int n, uint8_t key, SpanPath path) {
  if (n <= 0) return;
  Simd(path) ? Keyed8Simd(dst, src, n, key) : Keyed8Scalar(dst, src, n, key);
}

void KeyedCopyRun16(uint8_t* dst, const uint8_t* src, int n, uint16_t key, SpanPath path) {
  if (n <= 0) return;
  Simd(path) ? Keyed16Simd(dst, src, n, key) : Keyed16Scalar(dst, src, n, key);
}

void KeyedCopyRun32(uint8_t* dst, const uint8_t* src, int n, uint32_t key, uint32_t mask, SpanPath path) {
  if (n <= 0) return;
  Simd(path) ? Keyed32Simd(dst, src, n, key & mask, mask) : Keyed32Scalar(dst, src, n, key & mask, mask);
}

void ArgbFromR5G6B5Run(uint8_t* dst, const uint8_t* src, int n, SpanPath path) {
  if (n <= 0) return;
  Simd(path) ? R5G6B5Simd(dst, src, n) : R5G6B5Scalar(dst, src, n);
}

void ArgbFromA1R5G5B5Run(uint8_t* dst, const uint8_t* src, int n, SpanPath path) {
  if (n <= 0) return;
  Simd(path) ? A1R5G5B5Simd(dst, src, n) : A1R5G5B5Scalar(dst, src, n);
}

void ArgbFromIndexRun(uint8_t* dst, const uint8_t* src, int n, const uint32_t* palette) {
  if (!palette) {
    for (int i = 0; i < n; ++i) Store32(dst + 4 * i, 0xFF000000u);
    return;
  }
  for (int i = 0; i < n; ++i) Store32(dst + 4 * i, 0xFF000000u | palette[src[i]]);
}

}  // namespace gfx
