// The span routines against the device's channel rules applied one pixel at a time, in both
// forms (SSE2 and scalar), on random runs of every length and alignment that matter.
#include "platform/spans.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "platform/pixels.h"

namespace {

using gfx::SpanPath;

constexpr SpanPath kPaths[] = {SpanPath::kScalar, SpanPath::kSimd};
constexpr int kMaxRun = 37;  // several whole vector blocks plus every tail length

uint32_t Word(const std::vector<uint8_t>& b, int i) {
  uint32_t v;
  std::memcpy(&v, b.data() + 4 * i, 4);
  return v;
}
uint16_t Half(const std::vector<uint8_t>& b, int i) {
  uint16_t v;
  std::memcpy(&v, b.data() + 2 * i, 2);
  return v;
}

// Random words whose alphas are mostly 0 or 255, so that whole blocks are transparent or opaque
// as well as mixed.
std::vector<uint8_t> RandomWords(std::mt19937& rng, int n, bool keyedAlpha) {
  std::vector<uint8_t> b(static_cast<size_t>(n) * 4 + 16);
  for (auto& x : b) x = static_cast<uint8_t>(rng());
  if (keyedAlpha) {
    const int runKind = static_cast<int>(rng() % 4);
    for (int i = 0; i < n + 4; ++i) {
      const int kind = runKind == 3 ? static_cast<int>(rng() % 3) : runKind;
      b[static_cast<size_t>(4 * i + 3)] = kind == 0 ? 0 : kind == 1 ? 255 : static_cast<uint8_t>(rng());
    }
  }
  return b;
}

uint32_t BlendRule(uint32_t s, uint32_t d) {
  const uint32_t a = s >> 24;
  uint32_t out = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    out |= gfx::BlendChannel((s >> shift) & 0xFF, (d >> shift) & 0xFF, a) << shift;
  }
  return out;
}

// A texel multiplied by m channel by channel, then blended over d; a product that comes out
// transparent leaves d as it is.
uint32_t ModulatedBlendRule(uint32_t texel, uint32_t m, uint32_t d, uint32_t orMask) {
  uint32_t s = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    s |= gfx::MulDiv255((texel >> shift) & 0xFF, (m >> shift) & 0xFF) << shift;
  }
  return (s >> 24) == 0 ? d : BlendRule(s, d) | orMask;
}

TEST(SpanTest, DivisionBy255IsExactOverEverySumTheBlendsMake) {
  for (uint32_t x = 0; x <= 65534; ++x) ASSERT_EQ(gfx::Div255(x), x / 255) << x;
}

TEST(SpanTest, BlendsFillsProductsAndCopiesFollowTheChannelRules) {
  std::mt19937 rng(19);
  for (SpanPath path : kPaths) {
    for (int n = 0; n <= kMaxRun; ++n) {
      for (int offset = 0; offset < 4; ++offset) {  // pixel offsets: every alignment of a 16-byte block
        for (uint32_t orMask : {0u, 0xFF000000u}) {
          SCOPED_TRACE(testing::Message() << "path " << static_cast<int>(path) << " n " << n << " offset " << offset
                                          << " or " << std::hex << orMask);
          const std::vector<uint8_t> src = RandomWords(rng, n + offset, true);
          const std::vector<uint8_t> dst0 = RandomWords(rng, n + offset, false);

          std::vector<uint8_t> dst = dst0;
          gfx::BlendRun(dst.data() + 4 * offset, src.data() + 4 * offset, n, orMask, path);
          for (int i = 0; i < n + offset + 4; ++i) {
            const uint32_t s = Word(src, i), d = Word(dst0, i);
            const bool inRun = i >= offset && i < offset + n;
            // A transparent texel leaves the target alone, its fourth byte included.
            const uint32_t want = !inRun || (s >> 24) == 0 ? d : BlendRule(s, d) | orMask;
            ASSERT_EQ(Word(dst, i), want) << "blend at " << i;
          }

          // Every other colour keeps the colour channels (a product with 255 is the channel).
          const uint32_t color = static_cast<uint32_t>(rng()) | (n % 2 ? 0x00FFFFFFu : 0u);
          dst = dst0;
          gfx::FillRun(dst.data() + 4 * offset, color, n, orMask, path);
          for (int i = 0; i < n + offset + 4; ++i) {
            const bool inRun = i >= offset && i < offset + n;
            const uint32_t d = Word(dst0, i);
            const uint32_t want = !inRun || (color >> 24) == 0 ? d : BlendRule(color, d) | orMask;
            ASSERT_EQ(Word(dst, i), want) << "fill at " << i;
          }

          dst = dst0;
          gfx::ModulateRun(dst.data() + 4 * offset, src.data() + 4 * offset, n, color, path);
          for (int i = 0; i < n + offset + 4; ++i) {
            const bool inRun = i >= offset && i < offset + n;
            uint32_t want = Word(dst0, i);
            if (inRun) {
              want = 0;
              for (int shift = 0; shift < 32; shift += 8) {
                want |= gfx::MulDiv255((Word(src, i) >> shift) & 0xFF, (color >> shift) & 0xFF) << shift;
              }
            }
            ASSERT_EQ(Word(dst, i), want) << "modulate at " << i;
          }

          // Modulated, then blended, in one pass.
          dst = dst0;
          gfx::BlendModulatedRun(dst.data() + 4 * offset, src.data() + 4 * offset, n, color, orMask, path);
          for (int i = 0; i < n + offset + 4; ++i) {
            const bool inRun = i >= offset && i < offset + n;
            const uint32_t d = Word(dst0, i);
            const uint32_t want = inRun ? ModulatedBlendRule(Word(src, i), color, d, orMask) : d;
            ASSERT_EQ(Word(dst, i), want) << "modulated blend at " << i;
          }

          dst = dst0;
          gfx::CopyRun(dst.data() + 4 * offset, src.data() + 4 * offset, n, orMask, path);
          for (int i = 0; i < n + offset + 4; ++i) {
            const bool inRun = i >= offset && i < offset + n;
            ASSERT_EQ(Word(dst, i), inRun ? Word(src, i) | orMask : Word(dst0, i)) << "copy at " << i;
          }
        }
      }
    }
  }
}

TEST(SpanTest, ModulatedBlendAtTheEndsOfTheModulatingAlphaAndColour) {
  // Opaque texels take the modulating alpha itself, transparent ones stay out; both kinds fill
  // whole blocks as well as mixed ones.
  std::mt19937 rng(23);
  for (SpanPath path : kPaths) {
    for (uint32_t ma : {0u, 1u, 2u, 127u, 128u, 254u, 255u}) {
      for (uint32_t rgb : {0x00FFFFFFu, 0x00FFFFFEu, 0x00FEFFFFu, 0x00000000u, 0x00806040u}) {
        const uint32_t m = ma << 24 | rgb;
        for (int n : {1, 4, 5, 8, 13, kMaxRun}) {
          for (uint32_t orMask : {0u, 0xFF000000u}) {
            SCOPED_TRACE(testing::Message() << "path " << static_cast<int>(path) << " m " << std::hex << m << " n "
                                            << std::dec << n << " or " << std::hex << orMask);
            const std::vector<uint8_t> src = RandomWords(rng, n, true);
            const std::vector<uint8_t> dst0 = RandomWords(rng, n, false);
            std::vector<uint8_t> dst = dst0;
            gfx::BlendModulatedRun(dst.data(), src.data(), n, m, orMask, path);
            for (int i = 0; i < n + 4; ++i) {
              const uint32_t d = Word(dst0, i);
              ASSERT_EQ(Word(dst, i), i < n ? ModulatedBlendRule(Word(src, i), m, d, orMask) : d) << i;
            }
          }
        }
      }
    }
    // Worked by hand: 0xFF204080 at half alpha (255 × 128 + 127) / 255 = 128 over 0x00C08040:
    // alpha (128·128 + 127) / 255 = 64, red (32·128 + 192·127 + 127) / 255 = 112,
    // green (64·128 + 128·127 + 127) / 255 = 96, blue (128·128 + 64·127 + 127) / 255 = 96.
    std::vector<uint8_t> dst(4 * 6), src(4 * 6);
    for (int i = 0; i < 6; ++i) {
      const uint32_t d = 0x00C08040u, s = i == 5 ? 0x00204080u : 0xFF204080u;
      std::memcpy(dst.data() + 4 * i, &d, 4);
      std::memcpy(src.data() + 4 * i, &s, 4);
    }
    gfx::BlendModulatedRun(dst.data(), src.data(), 6, 0x80FFFFFFu, 0, path);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(Word(dst, i), 0x40706060u) << i;
    EXPECT_EQ(Word(dst, 5), 0x00C08040u);
    gfx::BlendModulatedRun(dst.data() + 4, src.data() + 4, 5, 0x80FFFFFFu, 0xFF000000u, path);
    EXPECT_EQ(Word(dst, 0), 0x40706060u);
    // Over 0x40706060: alpha (128·128 + 64·127 + 127) / 255 = 96, red (32·128 + 112·127 + 127)
    // / 255 = 72, green (64·128 + 96·127 + 127) / 255 = 80, blue (128·128 + 96·127 + 127) / 255 = 112.
    for (int i = 1; i < 5; ++i) EXPECT_EQ(Word(dst, i), 0xFF485070u) << i;
    EXPECT_EQ(Word(dst, 5), 0x00C08040u);
  }
}

TEST(SpanTest, FillAtTheEndsOfTheAlphaRange) {
  // 1 and 254 blend; 255 replaces; 0 leaves the target alone.
  for (SpanPath path : kPaths) {
    std::vector<uint8_t> dst(4 * 5);
    const uint32_t d = 0x00C08040u;
    for (int i = 0; i < 5; ++i) std::memcpy(dst.data() + 4 * i, &d, 4);
    gfx::FillRun(dst.data(), 0x0110FF20u, 5, 0xFF000000u, path);
    // (0x10·1 + 0xC0·254 + 127)/255 = 191, (255 + 0x80·254 + 127)/255 = 128, (0x20 + 0x40·254 + 127)/255 = 64
    EXPECT_EQ(Word(dst, 4), 0xFFBF8040u);
    gfx::FillRun(dst.data(), 0x00FFFFFFu, 5, 0xFF000000u, path);
    EXPECT_EQ(Word(dst, 0), 0xFFBF8040u);
    gfx::FillRun(dst.data(), 0xFE000000u, 5, 0, path);
    // alpha (254·254 + 255·1 + 127)/255 = 254; red (191 + 127)/255 = 1, green (128 + 127)/255 = 1,
    // blue (64 + 127)/255 = 0
    EXPECT_EQ(Word(dst, 2), 0xFE010100u);
    gfx::FillRun(dst.data(), 0xFF123456u, 5, 0, path);
    EXPECT_EQ(Word(dst, 3), 0xFF123456u);
  }
}

TEST(SpanTest, KeyedCopiesLeaveKeyedPixelsAtEveryDepth) {
  std::mt19937 rng(7);
  for (SpanPath path : kPaths) {
    for (int n = 0; n <= 2 * kMaxRun; ++n) {
      for (int offset = 0; offset < 16; offset += 3) {
        SCOPED_TRACE(testing::Message() << "path " << static_cast<int>(path) << " n " << n << " offset " << offset);
        const int total = n + offset + 16;
        // Values drawn from a few, so that the key is common.
        std::vector<uint8_t> src(static_cast<size_t>(total) * 4), dst0(src.size());
        for (auto& x : src) x = static_cast<uint8_t>(rng() % 3);
        for (auto& x : dst0) x = static_cast<uint8_t>(rng());

        std::vector<uint8_t> dst = dst0;
        gfx::KeyedCopyRun8(dst.data() + offset, src.data() + offset, n, 1, path);
        for (int i = 0; i < total; ++i) {
          const bool copied = i >= offset && i < offset + n && src[static_cast<size_t>(i)] != 1;
          ASSERT_EQ(dst[static_cast<size_t>(i)], copied ? src[static_cast<size_t>(i)] : dst0[static_cast<size_t>(i)]);
        }

        dst = dst0;
        gfx::KeyedCopyRun16(dst.data() + 2 * offset, src.data() + 2 * offset, n, 0x0201, path);
        for (int i = 0; i < total; ++i) {
          const bool copied = i >= offset && i < offset + n && Half(src, i) != 0x0201;
          ASSERT_EQ(Half(dst, i), copied ? Half(src, i) : Half(dst0, i));
        }

        // At 32 bits the fourth byte takes no part in the comparison, in the key or the pixel.
        dst = dst0;
        gfx::KeyedCopyRun32(dst.data() + 4 * offset, src.data() + 4 * offset, n, 0xAA000102u, 0x00FFFFFFu, path);
        for (int i = 0; i < total; ++i) {
          const bool copied = i >= offset && i < offset + n && (Word(src, i) & 0x00FFFFFFu) != 0x000102u;
          ASSERT_EQ(Word(dst, i), copied ? Word(src, i) : Word(dst0, i));
        }
      }
    }
  }
}

TEST(SpanTest, KeyedCopiesOfLongRunsOfKeyedAndPlainPixels) {
  // Sprites hold long transparent and opaque runs, so whole vector blocks are all keyed or all
  // plain as well as mixed, at every alignment.
  std::mt19937 rng(11);
  for (SpanPath path : kPaths) {
    for (int bytes : {1, 2, 4}) {
      for (int trial = 0; trial < 40; ++trial) {
        const int n = static_cast<int>(rng() % 200), offset = static_cast<int>(rng() % 8), total = n + offset + 8;
        SCOPED_TRACE(testing::Message() << "path " << static_cast<int>(path) << " bytes " << bytes << " n " << n
                                        << " offset " << offset);
        const uint32_t key = 0x00C0FFEEu & (bytes == 4 ? 0xFFFFFFFFu : (1u << (8 * bytes)) - 1);
        std::vector<uint32_t> px(static_cast<size_t>(total));
        for (int i = 0; i < total;) {
          const bool keyed = rng() % 2 == 0;
          for (int run = 1 + static_cast<int>(rng() % 24); run > 0 && i < total; --run, ++i) {
            // At 32 bits the fourth byte takes no part in the comparison.
            px[static_cast<size_t>(i)] = keyed ? key | (rng() & 0xFF000000u) : static_cast<uint32_t>(rng());
          }
        }
        std::vector<uint8_t> src(static_cast<size_t>(total * bytes)), dst0(src.size());
        for (int i = 0; i < total; ++i) {
          std::memcpy(src.data() + i * bytes, &px[static_cast<size_t>(i)], static_cast<size_t>(bytes));
        }
        for (auto& x : dst0) x = static_cast<uint8_t>(rng());
        std::vector<uint8_t> dst = dst0;
        uint8_t* const out = dst.data() + offset * bytes;
        const uint8_t* const in = src.data() + offset * bytes;
        if (bytes == 1) gfx::KeyedCopyRun8(out, in, n, static_cast<uint8_t>(key), path);
        if (bytes == 2) gfx::KeyedCopyRun16(out, in, n, static_cast<uint16_t>(key), path);
        if (bytes == 4) gfx::KeyedCopyRun32(out, in, n, key, 0x00FFFFFFu, path);
        const uint32_t mask = bytes == 4 ? 0x00FFFFFFu : (1u << (8 * bytes)) - 1;
        for (int i = 0; i < total; ++i) {
          uint32_t s = 0, d = 0, got = 0;
          std::memcpy(&s, src.data() + i * bytes, static_cast<size_t>(bytes));
          std::memcpy(&d, dst0.data() + i * bytes, static_cast<size_t>(bytes));
          std::memcpy(&got, dst.data() + i * bytes, static_cast<size_t>(bytes));
          const bool copied = i >= offset && i < offset + n && (s & mask) != (key & mask);
          ASSERT_EQ(got, copied ? s : d) << i;
        }
      }
    }
  }
}

TEST(SpanTest, SixteenBitPixelsWidenByBitReplicationToOpaqueWords) {
  std::mt19937 rng(3);
  for (SpanPath path : kPaths) {
    for (int n = 0; n <= 2 * kMaxRun; ++n) {
      std::vector<uint8_t> src(static_cast<size_t>(n) * 2 + 2), dst(static_cast<size_t>(n) * 4 + 4, 0xEE);
      for (auto& x : src) x = static_cast<uint8_t>(rng());
      gfx::ArgbFromR5G6B5Run(dst.data(), src.data(), n, path);
      for (int i = 0; i < n; ++i) {
        ASSERT_EQ(Word(dst, i), gfx::WidenToArgb(gfx::PixelFormat::kR5G6B5, Half(src, i))) << n << " " << i;
      }
      EXPECT_EQ(Word(dst, n), 0xEEEEEEEEu);
      gfx::ArgbFromA1R5G5B5Run(dst.data(), src.data(), n, path);
      for (int i = 0; i < n; ++i) {
        ASSERT_EQ(Word(dst, i), gfx::WidenToArgb(gfx::PixelFormat::kA1R5G5B5, Half(src, i)) | 0xFF000000u);
      }
      EXPECT_EQ(Word(dst, n), 0xEEEEEEEEu);
    }
    // The ends of each channel: all ones widen to 255, 0b10000 to 0x84, 0b100000 to 0x82.
    const uint16_t px[2] = {0xFFFF, 0x8410};
    std::vector<uint8_t> out(8);
    gfx::ArgbFromR5G6B5Run(out.data(), reinterpret_cast<const uint8_t*>(px), 2, path);
    EXPECT_EQ(Word(out, 0), 0xFFFFFFFFu);
    EXPECT_EQ(Word(out, 1), 0xFF848284u);
  }
}

}  // namespace
