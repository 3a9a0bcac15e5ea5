// A digest of the state of the play objects: two runs that agree on it agree on every position,
// velocity, hit point, flag and link of the hero, the characters, the items and the shots, on
// the drawing lists, the scrolls, the time and the random generator.
#pragma once

#include <cstdint>
#include <string>

// The state as text, one line per object (the hero, the characters in list order with their
// flow runs, the count of removed ones not yet freed, the items, the shots), every double
// written exactly (hexadecimal floating point), then the drawing lists by id, the scrolls, the
// scene's counters and the random generator's state.
std::string DescribePlayState();
// A 64-bit FNV-1a hash of DescribePlayState.
uint64_t PlayStateDigest();
// FNV-1a over bytes, continuing from a hash (start with kDigestBasis).
constexpr uint64_t kDigestBasis = 1469598103934665603ULL;
uint64_t DigestBytes(uint64_t hash, const void* data, size_t size);
