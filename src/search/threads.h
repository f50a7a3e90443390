// Searching with several threads: helper threads search the root of the
// main thread's search, each on its own copy of the position and with its
// own tables, at staggered depths, and share only the transposition table
// with it. The main thread does everything else (input, clock, book, output,
// the best move). With one thread there are no helpers and nothing changes.
#pragma once

#include <cstdint>

#include "board/makemove.h"
#include "board/per_thread.h"
#include "board/position.h"
#include "search/tt.h"

constexpr int MAX_THREADS = 256;

// n threads in all, the main thread included: the helpers are created or
// joined here, never during a search. 1 joins them all.
void set_thread_count(int n);

// Main thread, once the search's position and tables are ready: the helpers
// copy them and search until stop_helpers, at most to depth_limit plies.
void start_helpers(int depth_limit);
// Main thread: stops the helpers and returns once every one is idle.
void stop_helpers();

// Main thread: ends the process once the helpers have stopped and been
// joined (a joinable thread destroyed at exit would abort it instead).
[[noreturn]] void exit_engine(int status);

// The nodes of the running or last search, all threads together (the
// helpers' counts as of their last poll); a search that starts sets the
// helpers' to 0, whether they take part or not.
void reset_helper_nodes();
std::int64_t searched_nodes();

// The main thread's poll in a search with a node budget: lets the helpers
// see its count.
void publish_main_nodes();

// What the helpers search: the main thread's root, as it was when they were
// woken, written by the main thread before it wakes them.
struct HelperRoot {
  PositionState position;
  hist_entry history[HIST_STACK];  // up to the root: repetitions, the previous move
  int depth_limit;
  std::int64_t node_budget;  // "go nodes", all threads together; 0 for none
};

// A helper's count of its search's nodes, for the totals; true once its
// search should end (the main thread's has, or the node budget is spent).
bool publish_helper_nodes(int index, std::int64_t nodes);

// A helper's last iteration that ended inside its window.
struct HelperLine {
  int depth;  // 0 for none yet in this search
  int score;
  int length;
  move moves[MAX_PLY];
};
void publish_helper_line(int index, int depth, int score, const move* moves, int length);

// Main thread, after stop_helpers: the line of the helper that completed an
// iteration deeper than the main thread's last one with a better score (the
// deepest such), or nullptr. A helper that ran ahead may have seen what the
// main thread's shallower search could not.
const HelperLine* better_helper_line(int depth, int score);

// The helpers' side, compiled into their copy of the search.
namespace helper_copy {
// Helper index (1 .. MAX_THREADS - 1) with its own evaluation caches, sized
// by the main thread.
void helper_search(const HelperRoot& root, int index, const EvalCaches& caches);
}  // namespace helper_copy

PER_THREAD_BEGIN
// A helper's poll, every 256 nodes: publishes its node count and stops its
// search once it should end. Defined in the helpers' copy only.
void helper_poll();
PER_THREAD_END
