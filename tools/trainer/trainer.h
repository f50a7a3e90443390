// corvantis-train: fits the learned evaluation's network (eval/learned_net.h)
// to self-play records (board/training_record.h) and writes it quantised, in
// the file the engine reads.
#pragma once

#include <cstdint>
#include <vector>

#include "board/training_record.h"
#include "eval/learned_net.h"

namespace trainer {

// splitmix64: the same sequence on every system for a given seed.
struct Rng {
  std::uint64_t state;
  std::uint64_t next();
  double uniform();  // [0, 1)
};

// The records of a file appended to out; false when it cannot be read. A
// trailing partial record, and any with a piece, side or result out of
// range, are left out with a warning on stderr.
bool load_records(const char* path, std::vector<TrainingRecord>& out);
// Drops the records whose |score| is at least limit; returns how many.
std::size_t drop_large_scores(std::vector<TrainingRecord>& records, int limit);
void shuffle(std::vector<TrainingRecord>& records, Rng& rng);
// The same position with the a- and h-files swapped: records keep no
// castling rights, so it is worth the same. Training on both doubles the data.
TrainingRecord mirrored(const TrainingRecord& r);
void add_mirrored(std::vector<TrainingRecord>& records);

// All parameters in one array, so the optimiser and the clipping walk it once.
constexpr int H = learned::HIDDEN;
constexpr int W1 = 0;                      // [FEATURES][H], a feature's column contiguous
constexpr int B1 = learned::FEATURES * H;  // [H]
constexpr int W2 = B1 + H;                 // [2 * H], the side to move's half first
constexpr int B2 = W2 + 2 * H;             // [1]
constexpr int PARAMS = B2 + 1;

struct Net {
  std::vector<float> p = std::vector<float>(PARAMS);
};

// The features of the side to move's view and of the other side's; returns
// their number (one per piece, the same in both).
int record_features(const TrainingRecord& r, int stm[32], int other[32]);

void init_random(Net& net, std::uint64_t seed);
// The float network's evaluation in centipawns, side to move's view.
double evaluate(const Net& net, const TrainingRecord& r);

struct LossSettings {
  double scale;   // K, centipawns
  double lambda;  // weight of the score against the result
};

// The sum over records [0, n) of (p - t)^2, p = sigmoid(eval / K) and
// t = lambda * sigmoid(score / K) + (1 - lambda) * result / 2; when grad is
// not null the gradient of that sum is added to it. Each of `threads` threads
// takes a slice and its own buffer; the buffers are added in thread order, so
// the result depends on the thread count but not on timing.
double loss_sum(const Net& net, const TrainingRecord* r, int n, const LossSettings& s, int threads,
                std::vector<float>* grad);

// K minimising the squared error of sigmoid(score / K) against result / 2.
double fit_scale(const std::vector<TrainingRecord>& records);

struct Adam {
  std::vector<float> m = std::vector<float>(PARAMS), v = std::vector<float>(PARAMS);
  std::int64_t steps = 0;
};

// Bounds kept after each step: the engine's int16 accumulators cannot
// overflow (33 terms of 1.98 * QA), nor its int32 output sum (2 * H terms of
// QA * 32 * QB, half the 32-bit range, which leaves room for the bias).
constexpr float FIRST_LAYER_BOUND = 1.98f;
constexpr float OUTPUT_BOUND = 32.0f;

// One Adam step on the mean gradient of n records, then the clipping.
void adam_step(Net& net, Adam& adam, const std::vector<float>& grad_sum, int n, double lr);

// One pass over records in batches; returns the mean loss seen.
double train_epoch(Net& net, Adam& adam, const std::vector<TrainingRecord>& records, const LossSettings& s, int batch,
                   double lr, int threads);

// The engine's integer network.
struct QuantNet {
  std::vector<std::int16_t> w1 = std::vector<std::int16_t>(learned::FEATURES * H);
  std::vector<std::int16_t> b1 = std::vector<std::int16_t>(H);
  std::vector<std::int16_t> w2 = std::vector<std::int16_t>(2 * H);
  std::int32_t b2 = 0;
};

QuantNet quantise(const Net& net);
Net dequantise(const QuantNet& q);
// Centipawns as the engine computes them, in integers.
int evaluate_quantised(const QuantNet& q, const TrainingRecord& r);

std::vector<unsigned char> net_bytes(const QuantNet& q);
// Null on success, else why the bytes are no net file.
const char* parse_net(const std::vector<unsigned char>& bytes, QuantNet& q);
bool write_net(const char* path, const QuantNet& q);
// Null on success, else why the file was refused.
const char* read_net(const char* path, QuantNet& q);

}  // namespace trainer
