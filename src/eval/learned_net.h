// The learned evaluation's network: its shape, its inputs and its file.
//
// Inputs: 768 features for each point of view, one per (own or their piece,
// kind, square), the squares seen from that side: black's are flipped top to
// bottom. A point of view sums the first layer's columns of its features and
// the biases into an accumulator of HIDDEN values; the side to move's and the
// other side's accumulators, each clipped to [0, 1], feed one output neuron
// whose value times OUTPUT_SCALE is the evaluation in centipawns.
//
// In integers: the first layer's weights and biases are scaled by QA (so 1.0
// is 255), the output weights by QB and the output bias by QA * QB.
//
// The file, little-endian: the magic "CVNN", u32 version (1), u32 HIDDEN,
// i16 first-layer weights [768][HIDDEN] (a feature's column contiguous),
// i16 first-layer biases [HIDDEN], i16 output weights [2 * HIDDEN] (the side
// to move's half first), i32 output bias, then the u32 FNV-1a hash of every
// byte before it.
#pragma once

#include <cstdint>

#include "board/types.h"

namespace learned {

constexpr int FEATURES = 768;
constexpr int HIDDEN = 256;
constexpr int QA = 255;
constexpr int QB = 256;
constexpr int OUTPUT_SCALE = 400;

constexpr std::uint32_t FILE_VERSION = 1;
constexpr int FILE_BYTES = 4 + 4 + 4 + 2 * (FEATURES * HIDDEN + HIDDEN + 2 * HIDDEN) + 4 + 4;

// The feature of a piece of colour c and kind k on square sq (0 = a8), seen by side `view`.
constexpr int feature(int view, int c, int k, int sq) {
  return (c == view ? 0 : 384) + k * 64 + (view == WHITE ? sq : sq ^ 56);
}

constexpr std::uint32_t fnv1a(const unsigned char* p, int n) {
  std::uint32_t h = 2166136261u;
  for (int i = 0; i < n; ++i) h = (h ^ p[i]) * 16777619u;
  return h;
}

}  // namespace learned
