// The learned evaluation's trainer: it learns, its gradient is the loss's,
// and its net file and integer evaluation are the engine's.
#include "trainer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <utility>

namespace {

using namespace trainer;

// Random positions scored by their material, won or lost beyond 1.5 pawns;
// the kings on the lowest squares, which the network need not know.
std::vector<TrainingRecord> material_records(int n, std::uint64_t seed) {
  constexpr int VALUE[6] = {100, 300, 300, 500, 900, 0};
  Rng rng{seed};
  std::vector<TrainingRecord> out(static_cast<std::size_t>(n));
  for (TrainingRecord& r : out) {
    const int pieces = 2 + static_cast<int>(rng.next() % 12);
    while (std::popcount(r.occupied) < pieces) r.occupied |= 1ULL << (rng.next() % 64);
    int material = 0;
    for (int m = 0; m < pieces; ++m) {
      const int code = m < 2 ? m * 8 + KING : static_cast<int>(rng.next() % 2 * 8 + rng.next() % 5);
      r.pieces[m / 2] |= static_cast<std::uint8_t>(code << (4 * (m & 1)));
      material += (code < 8 ? 1 : -1) * VALUE[code & 7];
    }
    r.side = static_cast<std::uint8_t>(rng.next() % 2);
    r.score = static_cast<std::int16_t>(r.side == WHITE ? material : -material);
    r.result = r.score > 150 ? 2 : r.score < -150 ? 0 : 1;
  }
  return out;
}

TEST(Trainer, LearnsMaterialDeterministically) {
  // 4000 records, then one with a piece of kind 7 and one cut short: both left out.
  const std::vector<TrainingRecord> made = material_records(4000, 5);
  std::vector<unsigned char> bytes(4001 * TRAINING_RECORD_BYTES + 4);
  for (int i = 0; i < 4000; ++i) encode_record(made[i], &bytes[i * TRAINING_RECORD_BYTES]);
  bytes[4000 * TRAINING_RECORD_BYTES] = 1, bytes[4000 * TRAINING_RECORD_BYTES + 8] = 7;
  std::FILE* f = std::fopen("trainer_records.bin", "wb");
  ASSERT_NE(f, nullptr);
  std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
  std::vector<TrainingRecord> records;
  ASSERT_TRUE(load_records("trainer_records.bin", records));
  std::remove("trainer_records.bin");
  ASSERT_EQ(records.size(), 4000u);
  const std::vector<TrainingRecord> held(records.end() - 400, records.end());
  records.resize(3600);
  const LossSettings s{200, 0.5};
  Net net, again;
  init_random(net, 9);
  again = net;
  const double held_before = loss_sum(net, held.data(), 400, s, 2, nullptr);
  Adam adam, adam_again;
  double first = 0, last = 0;  // the mean training losses of the first and the last epoch
  for (int epoch = 0; epoch < 4; ++epoch) {
    last = train_epoch(net, adam, records, s, 128, 0.002, 2);
    if (epoch == 0) first = last;
    train_epoch(again, adam_again, records, s, 128, 0.002, 2);
  }
  EXPECT_LT(last, 0.5 * first);
  EXPECT_LT(loss_sum(net, held.data(), 400, s, 2, nullptr), 0.5 * held_before);
  EXPECT_EQ(net.p, again.p);  // the threads' sums in a fixed order
}

TEST(Trainer, GradientIsTheLossDerivative) {
  const std::vector<TrainingRecord> records = material_records(64, 6);
  const LossSettings s{200, 0.3};
  Net net;
  init_random(net, 3);
  std::vector<float> grad(PARAMS);
  loss_sum(net, records.data(), 64, s, 3, &grad);
  // A first-layer weight of the side to move's view and one of the other side's.
  int feat[2][32];
  record_features(records[0], feat[0], feat[1]);
  for (const int i : {B2, W2 + 5, W2 + H + 7, B1 + 15, W1 + feat[0][0] * H + 4, W1 + feat[1][1] * H + 3}) {
    const float keep = net.p[i], eps = 1e-4f;  // no hidden value here lies so near 0 or 1
    net.p[i] = keep + eps;
    const double up = loss_sum(net, records.data(), 64, s, 1, nullptr);
    net.p[i] = keep - eps;
    const double down = loss_sum(net, records.data(), 64, s, 1, nullptr);
    net.p[i] = keep;
    EXPECT_NEAR((up - down) / (2 * eps), grad[i], 0.02 * std::fabs(grad[i]) + 1e-4) << "parameter " << i;
  }
}

TEST(Trainer, NetFileAndIntegerEvaluationAreTheEngines) {
  // White to move: Ke1, Qd1 against Ke8. The features and the float network's
  // scale are the engine's: LearnedEval.AgreesWithTheTrainersFloatNetwork.
  TrainingRecord r{};
  r.occupied = (1ULL << 4) | (1ULL << 59) | (1ULL << 60);
  r.pieces[0] = (BLACK * 8 + KING) | (QUEEN << 4);
  r.pieces[1] = KING;
  // Mirrored: Kd8 against Kd1 and Qe1; mirrored again, the record itself.
  RecordPiece flipped[32];
  ASSERT_EQ(record_pieces(mirrored(r), flipped), 3);
  EXPECT_EQ(
      std::vector<int>({flipped[0].square, flipped[1].square, flipped[1].kind, flipped[2].square, flipped[2].kind}),
      (std::vector<int>{3, 59, KING, 60, QUEEN}));
  unsigned char once[TRAINING_RECORD_BYTES], twice[TRAINING_RECORD_BYTES];
  encode_record(r, once);
  encode_record(mirrored(mirrored(r)), twice);
  EXPECT_EQ(std::memcmp(once, twice, sizeof once), 0);
  Net net;
  init_random(net, 4);
  net.p[B2] = 0.25f;
  const QuantNet q = quantise(net);
  QuantNet back;
  ASSERT_TRUE(write_net("trainer_net.cvnn", q));
  EXPECT_EQ(read_net("trainer_net.cvnn", back), nullptr);
  std::remove("trainer_net.cvnn");
  EXPECT_EQ(net_bytes(back), net_bytes(q));
  // Against the net read back only the last division truncates; against the
  // float net the weights' rounding adds its share, mostly the output layer's
  // step of 1 / QB: 6.25 cp per unit of a hidden value.
  const Net exact = dequantise(back);
  double sum = 0, worst = 0;
  for (const TrainingRecord& m : material_records(500, 7)) {
    const int integer = evaluate_quantised(back, m);
    EXPECT_LE(std::fabs(evaluate(exact, m) - integer), 1.0);
    sum += std::fabs(evaluate(net, m) - integer);
    worst = std::max(worst, std::fabs(evaluate(net, m) - integer));
  }
  EXPECT_LT(sum / 500, 8.0);  // 5.6 and 27 when written
  EXPECT_LT(worst, 50.0);
}

TEST(Trainer, MalformedNetFilesAreRefused) {
  Net net;
  init_random(net, 2);
  const std::vector<unsigned char> good = net_bytes(quantise(net));
  QuantNet q;
  EXPECT_EQ(parse_net(good, q), nullptr);
  // A byte flipped, or the last one cut off.
  const std::pair<int, const char*> faults[] = {
      {-1, "size"}, {0, "magic"}, {4, "version"}, {9, "hidden size"}, {1000, "checksum"}};
  for (const auto& [at, why] : faults) {
    std::vector<unsigned char> bytes = good;
    if (at < 0) bytes.pop_back();
    else bytes[static_cast<std::size_t>(at)] ^= 1;
    const char* said = parse_net(bytes, q);
    EXPECT_TRUE(said != nullptr && std::strstr(said, why) != nullptr) << (said ? said : "accepted");
  }
  EXPECT_NE(read_net("no_such_net.cvnn", q), nullptr);
}

}  // namespace
