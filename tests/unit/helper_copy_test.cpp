// The helper threads' copy of the search against the main thread's: the same
// evaluation and the same moves in every position, so the copy reads the
// tables, weights and keys the main thread set up, not copies of its own.
#include <gtest/gtest.h>

#include <vector>

#include "board/position.h"
#include "eval/eval.h"
#include "movegen/gen.h"
#include "movegen/movestack.h"
#include "search/tt.h"
#include "test_support.h"

// The headers declare these only to the helpers' copy itself.
namespace helper_copy {
extern constinit thread_local gen_entry gen_dat[GEN_STACK];
extern constinit thread_local int first_move[MAX_PLY + 1];
extern constinit thread_local int ply;
void restore_position(const PositionState& s);
void use_eval_caches(const EvalCaches& c);
int eval();
void gen();
}  // namespace helper_copy

namespace {

std::vector<std::uint32_t> helper_level_moves() {
  std::vector<std::uint32_t> moves;
  const int level = helper_copy::ply;
  for (int i = helper_copy::first_move[level]; i < helper_copy::first_move[level + 1]; ++i)
    moves.push_back(helper_copy::gen_dat[i].m.u);
  return moves;
}

}  // namespace

TEST(HelperCopy, EvaluatesAndGeneratesLikeTheMainCopy) {
  engine_setup();
  EvalCaches caches{};
  size_helper_caches(&caches, 1);
  helper_copy::use_eval_caches(caches);
  const int positions = for_each_corpus_position([] {
    const PositionState position = save_position();
    helper_copy::restore_position(position);
    EXPECT_EQ(helper_copy::eval(), eval()) << board_fen();
    helper_copy::gen();
    gen();
    std::vector<std::uint32_t> main_moves;
    for (const gen_entry& g : level_moves()) main_moves.push_back(g.m.u);
    EXPECT_EQ(helper_level_moves(), main_moves) << board_fen();
  });
  free_eval_caches(&caches);
  EXPECT_GT(positions, 100);
}
