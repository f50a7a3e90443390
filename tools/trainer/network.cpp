// The float network: its features, evaluation and the gradient of the loss.
#include <algorithm>
#include <cmath>

#include "platform/thread.h"
#include "trainer.h"

namespace trainer {

namespace {

// Partial sums of a dot product, so that it vectorises without reordering
// the float additions behind the compiler's back.
constexpr int LANES = 16;

// clamp(x, 0, 1) written as two selects of values, which vectorise.
inline float clip01(float x) {
  const float y = x > 0.0f ? x : 0.0f;
  return y < 1.0f ? y : 1.0f;
}

struct Pass {
  alignas(64) float acc[2][H];  // side to move's, other side's
  int feat[2][32];
  int n;
};

float forward(const float* p, const TrainingRecord& r, Pass& s) {
  s.n = record_features(r, s.feat[0], s.feat[1]);
  for (int v = 0; v < 2; ++v) {
    float acc[H];
    for (int i = 0; i < H; ++i) acc[i] = p[B1 + i];
    for (int k = 0; k < s.n; ++k) {
      const float* col = p + W1 + s.feat[v][k] * H;
      for (int i = 0; i < H; ++i) acc[i] += col[i];
    }
    std::copy(acc, acc + H, s.acc[v]);
  }
  float part[LANES] = {};
  for (int v = 0; v < 2; ++v) {
    const float* w2 = p + W2 + v * H;
    const float* acc = s.acc[v];
    for (int i = 0; i < H; i += LANES)
      for (int j = 0; j < LANES; ++j) part[j] += w2[i + j] * clip01(acc[i + j]);
  }
  float out = p[B2];
  for (int j = 0; j < LANES; ++j) out += part[j];
  return out;
}

double sigmoid(double x) { return 1.0 / (1.0 + std::exp(-x)); }

// (p - t)^2 of one record; adds its gradient to g when g is not null.
double sample(const float* p, const TrainingRecord& r, const LossSettings& ls, float* g) {
  Pass s;
  const double out = forward(p, r, s);
  const double target = ls.lambda * sigmoid(r.score / ls.scale) + (1 - ls.lambda) * r.result / 2.0;
  const double k = learned::OUTPUT_SCALE / ls.scale;
  const double pred = sigmoid(out * k);
  if (g == nullptr) return (pred - target) * (pred - target);
  const float d = static_cast<float>(2 * (pred - target) * pred * (1 - pred) * k);
  g[B2] += d;
  float delta[2][H];
  for (int v = 0; v < 2; ++v) {
    const float* acc = s.acc[v];
    const float* w2 = p + W2 + v * H;
    float* gw2 = g + W2 + v * H;
    for (int i = 0; i < H; ++i) {
      gw2[i] += d * clip01(acc[i]);
      delta[v][i] = static_cast<float>((acc[i] > 0.0f) & (acc[i] < 1.0f)) * d * w2[i];
    }
  }
  for (int i = 0; i < H; ++i) g[B1 + i] += delta[0][i] + delta[1][i];
  for (int v = 0; v < 2; ++v)
    for (int k2 = 0; k2 < s.n; ++k2) {
      float* col = g + W1 + s.feat[v][k2] * H;
      for (int i = 0; i < H; ++i) col[i] += delta[v][i];
    }
  return (pred - target) * (pred - target);
}

struct Slice {
  const float* p;
  const TrainingRecord* r;
  int begin, end;
  LossSettings settings;
  float* grad;
  double loss;
};

void run_slice(void* arg) {
  Slice& s = *static_cast<Slice*>(arg);
  s.loss = 0;
  for (int i = s.begin; i < s.end; ++i) s.loss += sample(s.p, s.r[i], s.settings, s.grad);
}

}  // namespace

int record_features(const TrainingRecord& r, int stm[32], int other[32]) {
  RecordPiece pieces[32];
  const int n = record_pieces(r, pieces);
  for (int i = 0; i < n; ++i) {
    stm[i] = learned::feature(r.side, pieces[i].colour, pieces[i].kind, pieces[i].square);
    other[i] = learned::feature(r.side ^ 1, pieces[i].colour, pieces[i].kind, pieces[i].square);
  }
  return n;
}

void init_random(Net& net, std::uint64_t seed) {
  Rng rng{seed};
  // About a third of the hidden values lie inside (0, 1) for a position of 32 pieces.
  const double w1 = std::sqrt(1.0 / 32), w2 = 1.0 / std::sqrt(2.0 * H);
  for (int i = 0; i < PARAMS; ++i) {
    const double u = 2 * rng.uniform() - 1;
    net.p[i] = static_cast<float>(i < B1 ? u * w1 : i >= W2 && i < B2 ? u * w2 : 0.0);
  }
}

double evaluate(const Net& net, const TrainingRecord& r) {
  Pass s;
  return forward(net.p.data(), r, s) * static_cast<double>(learned::OUTPUT_SCALE);
}

double loss_sum(const Net& net, const TrainingRecord* r, int n, const LossSettings& s, int threads,
                std::vector<float>* grad) {
  threads = std::max(1, std::min(threads, n));
  std::vector<std::vector<float>> buffers(grad ? threads - 1 : 0, std::vector<float>(PARAMS));
  std::vector<Slice> slices(threads);
  std::vector<Thread> handles(threads);
  std::vector<bool> started(threads);
  for (int t = 0; t < threads; ++t) {
    float* g = grad == nullptr ? nullptr : t == 0 ? grad->data() : buffers[t - 1].data();
    slices[t] = {net.p.data(),
                 r,
                 static_cast<int>(std::int64_t{n} * t / threads),
                 static_cast<int>(std::int64_t{n} * (t + 1) / threads),
                 s,
                 g,
                 0.0};
    if (t > 0) started[t] = start_thread(&handles[t], run_slice, &slices[t]);
  }
  run_slice(&slices[0]);
  double loss = slices[0].loss;
  for (int t = 1; t < threads; ++t) {
    if (started[t]) join_thread(&handles[t]);
    else run_slice(&slices[t]);  // no thread to be had: the same result, later
    loss += slices[t].loss;
    if (grad == nullptr) continue;
    float* into = grad->data();
    const float* from = buffers[t - 1].data();
    for (int i = 0; i < PARAMS; ++i) into[i] += from[i];
  }
  return loss;
}

double fit_scale(const std::vector<TrainingRecord>& records) {
  const auto error = [&records](double k) {
    double sum = 0;
    for (const TrainingRecord& r : records) {
      const double e = sigmoid(r.score / k) - r.result / 2.0;
      sum += e * e;
    }
    return sum;
  };
  // Golden-section search on [50, 1000]: the error has one minimum there.
  const double g = (std::sqrt(5.0) - 1) / 2;
  double a = 50, b = 1000, c = b - g * (b - a), d = a + g * (b - a);
  double fc = error(c), fd = error(d);
  while (b - a > 0.5) {
    if (fc < fd) {
      b = d, d = c, fd = fc;
      c = b - g * (b - a), fc = error(c);
    } else {
      a = c, c = d, fc = fd;
      d = a + g * (b - a), fd = error(d);
    }
  }
  return (a + b) / 2;
}

}  // namespace trainer
