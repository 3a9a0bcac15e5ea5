// Runs of pixels for the software graphics device: the inner loops of its blends, fills, keyed
// copies and frame conversions, each with a portable scalar form and an SSE2 form that give
// the same bits.
//
// 32-bit runs hold A8R8G8B8 words (bytes blue, green, red, alpha in memory). The pointers need
// no alignment. Every division by 255 rounds as the device's channel rules do: a product plus
// 127, divided exactly (Div255).
#pragma once

#include <cstdint>

namespace gfx {

enum class SpanPath : uint8_t {
  kScalar,
  kSimd,  // SSE2; runs as kScalar on machines without it
};

// x / 255 rounded down, exact for x in 0..65534 (every sum the blends make).
constexpr uint32_t Div255(uint32_t x) { return (x + 1 + (x >> 8)) >> 8; }

// dst[i] = (src[i] | orMask).
void CopyRun(uint8_t* dst, const uint8_t* src, int n, uint32_t orMask, SpanPath path = SpanPath::kSimd);

// Blends each source word over its target word with the source's alpha a on all four channels:
// c = (s × a + d × (255 − a) + 127) / 255, then ORs orMask in (0xFF000000 for targets whose
// fourth byte is not alpha). Fully transparent sources leave the target as it is.
void BlendRun(uint8_t* dst, const uint8_t* src, int n, uint32_t orMask, SpanPath path = SpanPath::kSimd);

// Blends each source word, first modulated by m as ModulateRun does, over its target word as
// BlendRun does: the two in one pass.
void BlendModulatedRun(uint8_t* dst, const uint8_t* src, int n, uint32_t m, uint32_t orMask,
                       SpanPath path = SpanPath::kSimd);

// Blends one colour over n target words as BlendRun does with that colour as every source.
void FillRun(uint8_t* dst, uint32_t color, int n, uint32_t orMask, SpanPath path = SpanPath::kSimd);

// dst[i] = each channel of src[i] times the same channel of m, / 255 rounded (dst may be src).
void ModulateRun(uint8_t* dst, const uint8_t* src, int n, uint32_t m, SpanPath path = SpanPath::kSimd);

// Copies the pixels whose masked value differs from key; the others keep the target's pixel.
void KeyedCopyRun8(uint8_t* dst, const uint8_t* src, int n, uint8_t key, SpanPath path = SpanPath::kSimd);
void KeyedCopyRun16(uint8_t* dst, const uint8_t* src, int n, uint16_t key, SpanPath path = SpanPath::kSimd);
void KeyedCopyRun32(uint8_t* dst, const uint8_t* src, int n, uint32_t key, uint32_t mask,
                    SpanPath path = SpanPath::kSimd);

// Opaque A8R8G8B8 words from R5G6B5 or A1R5G5B5 pixels (channels widened by bit replication)
// and from palette indices (entries 0x00RRGGBB; a null palette gives black).
void ArgbFromR5G6B5Run(uint8_t* dst, const uint8_t* src, int n, SpanPath path = SpanPath::kSimd);
void ArgbFromA1R5G5B5Run(uint8_t* dst, const uint8_t* src, int n, SpanPath path = SpanPath::kSimd);
void ArgbFromIndexRun(uint8_t* dst, const uint8_t* src, int n, const uint32_t* palette);

}  // namespace gfx
