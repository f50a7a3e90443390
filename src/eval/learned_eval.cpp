#include "eval/learned_eval.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "board/bitboard.h"
#include "board/makemove.h"
#include "board/piece_changes.h"
#include "board/position.h"
#include "eval/learned_network.h"

PER_THREAD_BEGIN

namespace {

using namespace learned;

// Far below a mate score, as any static evaluation must stay.
constexpr int EVAL_LIMIT = 10000;
// Levels of changes worth applying rather than summing the board afresh.
constexpr int MAX_CATCH_UP = 8;

struct Accumulator {
  alignas(64) std::int16_t sums[2][HIDDEN];  // [point of view]
  u64 key;                                   // of the position they were summed for, stamped with the network
};

PER_THREAD Accumulator accumulators[MAX_PLY + 1]{};
PER_THREAD Accumulator scratch{};

void add_feature(std::int16_t* sums, const std::int16_t* w) {
  for (int i = 0; i < HIDDEN; ++i) sums[i] = static_cast<std::int16_t>(sums[i] + w[i]);
}

void remove_feature(std::int16_t* sums, const std::int16_t* w) {
  for (int i = 0; i < HIDDEN; ++i) sums[i] = static_cast<std::int16_t>(sums[i] - w[i]);
}

void sum_board(Accumulator* a) {
  for (int view = WHITE; view <= BLACK; ++view) {
    std::memcpy(a->sums[view], learned_network.biases, sizeof a->sums[view]);
    for (u64 b = Pos[2]; b;) {
      const int sq = pop_lsb(&b);
      add_feature(a->sums[view], learned_network.weights[feature(view, color[sq], piece[sq], sq)]);
    }
  }
  a->key = hash ^ learned_network_stamp;
}

// One pass over the sums for a quiet move and for a capture, which make
// nearly all; castling and promotions go feature by feature.
void apply_changes(const Accumulator& from, Accumulator* to, const MoveChanges& changes) {
  for (int view = WHITE; view <= BLACK; ++view) {
    const std::int16_t* added[4];
    const std::int16_t* removed[4];
    int adds = 0, removes = 0;
    for (int i = 0; i < changes.count; ++i) {
      const PieceChange& c = changes.list[i];
      const std::int16_t* w = learned_network.weights[feature(view, c.colour, c.kind, c.square)];
      if (c.added) added[adds++] = w;
      else removed[removes++] = w;
    }
    const std::int16_t* in = from.sums[view];
    std::int16_t* out = to->sums[view];
    if (adds == 1 && removes == 1) {
      for (int i = 0; i < HIDDEN; ++i) out[i] = static_cast<std::int16_t>(in[i] + added[0][i] - removed[0][i]);
    } else if (adds == 1 && removes == 2) {
      for (int i = 0; i < HIDDEN; ++i)
        out[i] = static_cast<std::int16_t>(in[i] + added[0][i] - removed[0][i] - removed[1][i]);
    } else {
      std::memcpy(out, in, sizeof to->sums[view]);
      for (int i = 0; i < adds; ++i) add_feature(out, added[i]);
      for (int i = 0; i < removes; ++i) remove_feature(out, removed[i]);
    }
  }
}

// The key of the position `back` levels above the current one, stamped with the network's.
u64 key_above(int back) { return (back == 0 ? hash : hist_dat[hply - back].hash) ^ learned_network_stamp; }

// The sums of the current position: its own when they are still current,
// else those of the nearest level above that are, with the changes of the
// moves since; the whole board when none is near.
const Accumulator& current_sums() {
  if (ply > MAX_PLY) {
    sum_board(&scratch);
    return scratch;
  }
  Accumulator& top = accumulators[ply];
  if (top.key == key_above(0)) return top;
  const int reach = std::min({ply, hply, MAX_CATCH_UP});
  int back = 1;
  while (back <= reach && accumulators[ply - back].key != key_above(back)) ++back;
  if (back > reach) {
    sum_board(&top);
    return top;
  }
  for (int level = ply - back + 1; level <= ply; ++level) {
    apply_changes(accumulators[level - 1], &accumulators[level], piece_changes[level]);
    accumulators[level].key = key_above(ply - level);
  }
  return top;
}

int output(const Accumulator& a) {
  const std::int16_t* mine = a.sums[side];
  const std::int16_t* theirs = a.sums[xside];
  std::int32_t sum = 0;
  for (int i = 0; i < HIDDEN; ++i) {
    const int m = std::clamp<int>(mine[i], 0, QA), t = std::clamp<int>(theirs[i], 0, QA);
    sum += m * learned_network.output_weights[0][i] + t * learned_network.output_weights[1][i];
  }
  const std::int64_t cp = (static_cast<std::int64_t>(sum) + learned_network.output_bias) * OUTPUT_SCALE / (QA * QB);
  return static_cast<int>(std::clamp<std::int64_t>(cp, -EVAL_LIMIT, EVAL_LIMIT));
}

}  // namespace

int learned_eval() { return output(current_sums()); }

int learned_eval_from_scratch() {
  sum_board(&scratch);
  return output(scratch);
}

PER_THREAD_END
