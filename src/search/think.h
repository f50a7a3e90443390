// Iterative deepening and the root search.
#pragma once

#include <cstdint>

#include "board/move.h"
#include "board/per_thread.h"
#include "search/search_tables.h"

extern int root_hply;            // hply of the root position
extern int out_of_book;          // searches since the last book move
extern std::int64_t start_time;  // clock reading at the start of the search
extern int ext_corvantis_side;   // the engine's colour; draw scores take their sign from it
extern int iscore[200];          // score of each completed iteration

constexpr int MAX_MULTI_PV = 300;

// Whole move records, flags included: the first line's first move becomes
// the best move that is made on the board and printed with its promotion.
struct pv_store_t {
  move moves[300];
  int score;
  int length;
};

extern pv_store_t PVStore[MAX_MULTI_PV];
extern int my_cnt;

PER_THREAD_BEGIN

// Each search thread's own.
extern PER_THREAD std::int64_t rnodes;  // nodes searched in this search
extern PER_THREAD int gSelDepth;        // highest ply reached in this iteration
extern PER_THREAD bool follow_pv;       // the previous iteration's line is still being followed
extern PER_THREAD int ralpha, rbeta;    // root window of the next iteration

// The root search's answer when MultiPV has excluded every legal root move:
// below any score, even that of being mated.
constexpr int ROOT_MOVES_EXHAUSTED = -MATE_VALUE - 1;

struct ExcludedMoves {
  int count;
  std::uint32_t moves[MAX_MULTI_PV];
};

extern PER_THREAD ExcludedMoves ExcludeMove;  // root moves already reported at this depth (MultiPV)

void think(int show);  // one search of the current position; the result is pv[0]

// What every search thread does before and during its iterations.
void clear_search_tables();  // the line, history, killers and counter moves

struct RootState {
  bool no_legal_move;  // mated or stalemated
  bool in_check;
  int checker1, checker2;
};
RootState root_state();  // also sets the check information of the root
// One root search at depth d in the current window; a MultiPV search opens
// the window for each of its lines.
int run_iteration(int d, const RootState& root, int multi_pv);
int search_root(int alpha, int beta, int depth, bool inCheck, int checker1, int checker2);
void sort_pv();
void ShowRootMoves(move m, int index);
void SortByPvScore(int n, pv_store_t* store);

PER_THREAD_END
