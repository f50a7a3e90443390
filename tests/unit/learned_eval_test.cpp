// The learned evaluation: the sums kept move by move equal those of the
// whole board, and a network file that is malformed is refused.
#include "eval/learned_eval.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "board/attacks.h"
#include "board/makemove.h"
#include "board/position.h"
#include "board/training_record.h"
#include "engine/diagnostics.h"
#include "eval/learned_network.h"
#include "movegen/gen.h"
#include "test_support.h"
#include "trainer.h"

extern const unsigned char embedded_learned_network[];
extern const std::size_t embedded_learned_network_size;

namespace {

struct LearnedEvalOn {
  LearnedEvalOn() { set_learned_eval(true); }
  ~LearnedEvalOn() { set_learned_eval(false); }
};

// Every legal move of every corpus position (castling of both kinds, also
// Chess960's, promotions, en passant), a null move after each, and short
// lines evaluated only at their end, so that the sums catch up several moves.
TEST(LearnedEval, KeptSumsEqualTheWholeBoard) {
  engine_setup();
  LearnedEvalOn on;
  std::mt19937 rng(2024);
  int checked = 0, wrong = 0;
  auto check = [&] {
    ++checked;
    if (learned_eval() != learned_eval_from_scratch()) ADD_FAILURE() << board_fen() << (++wrong, "");
  };
  for_each_corpus_position([&] {
    check();
    gen();
    for (const move& m : legal_level_moves()) {
      makemove(m.b);
      check();
      if (!in_check(side)) {
        makenullmove();
        check();
        takebacknullmove();
      }
      takeback();
    }
    int made = 0;
    while (made < 3 && play_random_move(rng)) ++made;
    check();
    while (made-- > 0) takeback();
    check();
  });
  EXPECT_GT(checked, 10000);
  EXPECT_EQ(wrong, 0);
}

std::vector<unsigned char> sealed(std::vector<unsigned char> bytes) {
  const std::uint32_t h = learned::fnv1a(bytes.data(), static_cast<int>(bytes.size()) - 4);
  for (int i = 0; i < 4; ++i) bytes[bytes.size() - 4 + i] = static_cast<unsigned char>(h >> (8 * i));
  return bytes;
}

TEST(LearnedEval, MalformedNetworkIsRefusedAndTheBuiltInKept) {
  engine_setup();
  LearnedEvalOn on;
  set_position("r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R w KQkq - 2 3");
  const int built_in = learned_eval_from_scratch();
  const std::vector<unsigned char> good(embedded_learned_network,
                                        embedded_learned_network + embedded_learned_network_size);
  auto network = std::make_unique<LearnedNetwork>();
  const char* why = nullptr;
  ASSERT_TRUE(read_learned_network(good.data(), good.size(), network.get(), &why));

  auto changed = [&](std::size_t at, unsigned char value) {
    std::vector<unsigned char> b = good;
    b[at] = value;
    return b;
  };
  const std::size_t output_weights = 12 + 2 * (learned::FEATURES * learned::HIDDEN + learned::HIDDEN);
  std::vector<unsigned char> huge = good;
  for (std::size_t i = output_weights; i < output_weights + 4 * learned::HIDDEN; i += 2) huge[i + 1] = 0x7f;
  const std::vector<unsigned char> bad[] = {std::vector<unsigned char>(good.begin(), good.end() - 1),
                                            sealed(changed(0, 'X')),
                                            sealed(changed(4, 2)),
                                            sealed(changed(8, 128)),
                                            changed(100, good[100] ^ 1),
                                            sealed(huge)};
  for (const auto& b : bad) {
    EXPECT_FALSE(read_learned_network(b.data(), b.size(), network.get(), &why));
    EXPECT_NE(why, nullptr);
  }

  EXPECT_FALSE(load_network_file("no-such-directory/no-such-network.cvnn"));
  EXPECT_EQ(learned_eval_from_scratch(), built_in);
  // Another network: the sums kept under the built-in one are not taken for it.
  std::vector<unsigned char> changed_output = good;
  for (std::size_t i = output_weights - 2 * learned::HIDDEN; i < output_weights; i += 2) changed_output[i + 1] ^= 1;
  const std::vector<unsigned char> other = sealed(changed_output);
  const char* path = "learned_eval_test.cvnn";
  for (const std::vector<unsigned char>* b : {&bad[4], &other, &good}) {
    learned_eval();
    std::FILE* f = std::fopen(path, "wb");
    std::fwrite(b->data(), 1, b->size(), f);
    std::fclose(f);
    EXPECT_EQ(load_network_file(path), b != &bad[4]);
    EXPECT_EQ(learned_eval(), learned_eval_from_scratch());
    EXPECT_EQ(learned_eval() == built_in, b != &other);
  }
  std::remove(path);
  EXPECT_EQ(learned_eval_from_scratch(), built_in);
  EXPECT_TRUE(load_network_file(""));
}

// The position of a record as FEN, without castling rights or en passant.
std::string record_fen(const TrainingRecord& r) {
  char board[64];
  std::fill(board, board + 64, '1');
  RecordPiece pieces[32];
  for (int i = 0, n = record_pieces(r, pieces); i < n; ++i)
    board[pieces[i].square] = "PNBRQKpnbrqk"[pieces[i].colour * 6 + pieces[i].kind];
  std::string fen;
  for (int row = 0; row < 8; ++row) fen += std::string(board + 8 * row, 8) + (row < 7 ? "/" : "");
  return fen + (r.side == WHITE ? " w - - 0 1" : " b - - 0 1");
}

// The engine's integer evaluation of self-play positions against the
// trainer's float network it was rounded from.
TEST(LearnedEval, AgreesWithTheTrainersFloatNetwork) {
  engine_setup();
  datagen(" games 2 nodes 300 seed 5 file learned_eval_records.bin");
  std::vector<TrainingRecord> records;
  ASSERT_TRUE(trainer::load_records("learned_eval_records.bin", records));
  std::remove("learned_eval_records.bin");
  ASSERT_GT(records.size(), 50u);
  trainer::Net net;
  trainer::init_random(net, 11);
  const char* path = "learned_eval_float.cvnn";
  ASSERT_TRUE(trainer::write_net(path, trainer::quantise(net)));
  ASSERT_TRUE(load_network_file(path));
  std::remove(path);
  double sum = 0, worst = 0;
  for (const TrainingRecord& r : records) {
    set_position(record_fen(r).c_str());
    const double error = std::fabs(learned_eval_from_scratch() - trainer::evaluate(net, r));
    sum += error;
    worst = std::max(worst, error);
  }
  load_network_file("");
  EXPECT_LT(sum / static_cast<double>(records.size()), 4.0);
  EXPECT_LT(worst, 20.0);
}

}  // namespace
