// Adam over mini-batches, with the weights kept inside the engine's integer range.
#include <algorithm>
#include <cmath>

#include "trainer.h"

namespace trainer {

namespace {

constexpr double BETA1 = 0.9, BETA2 = 0.999, EPSILON = 1e-8;

struct Step {
  float scale;   // from the gradient's sum to its mean
  float rate;    // learning rate
  float c1, c2;  // the moments' bias corrections
};

void step_range(float* p, float* m, float* v, const float* g, int begin, int end, const Step& s, float bound) {
  const float b1 = static_cast<float>(BETA1), b2 = static_cast<float>(BETA2), eps = static_cast<float>(EPSILON);
  for (int i = begin; i < end; ++i) {
    const float gi = g[i] * s.scale;
    m[i] = b1 * m[i] + (1 - b1) * gi;
    v[i] = b2 * v[i] + (1 - b2) * gi * gi;
    p[i] = std::clamp(p[i] - s.rate * (m[i] * s.c1) / (std::sqrt(v[i] * s.c2) + eps), -bound, bound);
  }
}

}  // namespace

void adam_step(Net& net, Adam& adam, const std::vector<float>& grad_sum, int n, double lr) {
  const double t = static_cast<double>(++adam.steps);
  const Step s{1.0f / static_cast<float>(n), static_cast<float>(lr), static_cast<float>(1 / (1 - std::pow(BETA1, t))),
               static_cast<float>(1 / (1 - std::pow(BETA2, t)))};
  float *p = net.p.data(), *m = adam.m.data(), *v = adam.v.data();
  step_range(p, m, v, grad_sum.data(), 0, W2, s, FIRST_LAYER_BOUND);
  step_range(p, m, v, grad_sum.data(), W2, PARAMS, s, OUTPUT_BOUND);
}

double train_epoch(Net& net, Adam& adam, const std::vector<TrainingRecord>& records, const LossSettings& s, int batch,
                   double lr, int threads) {
  std::vector<float> grad(PARAMS);
  double loss = 0;
  const std::size_t total = records.size();
  for (std::size_t begin = 0; begin < total; begin += static_cast<std::size_t>(batch)) {
    const int n = static_cast<int>(std::min<std::size_t>(static_cast<std::size_t>(batch), total - begin));
    std::fill(grad.begin(), grad.end(), 0.0f);
    loss += loss_sum(net, records.data() + begin, n, s, threads, &grad);
    adam_step(net, adam, grad, n, lr);
  }
  return total ? loss / static_cast<double>(total) : 0.0;
}

}  // namespace trainer
