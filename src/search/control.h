// What "go" asked for and how the search is going: the record the command
// loop fills and the search reads, the root-move list, the limits, and the
// hook through which the search runs input that arrives while it thinks.
#pragma once

#include <cstdint>

#include "board/per_thread.h"

// What "go" asked for, and the flags the search and the loop share.
struct SearchControl {
  std::int64_t nodes;  // node budget, 0 = none; stays in force for later searches
  int ponder_time;
  int elapsed;  // ms at the end of the last completed iteration, at least 1
  int time_available;
  int mate;                 // "go mate" distance, -1 when none
  int score_history[1000];  // by game ply of the searched position
  bool ponder;
  bool poll_input;
  bool bench;
  bool fixed_time;
  bool infinite;
  bool stop_search;     // unwind at once
  bool iteration_done;  // a first iteration has completed: only then may a limit or "stop" end the search
  bool ponder_enabled;  // the "Ponder" option
  bool stop_requested;  // "stop", or "ponderhit" after the ponder budget
};

// Each search thread has its own: a helper's stop_search ends its search,
// the rest of it stays empty there.
PER_THREAD_BEGIN
extern PER_THREAD SearchControl si;
PER_THREAD_END

constexpr int MAX_SEARCH_MOVES = 301;

struct SearchMoves {
  std::uint32_t moves[MAX_SEARCH_MOVES];
  int count;  // 0 = search every root move
};

extern SearchMoves SearchInput;
extern bool Searching;
extern int max_depth;  // iteration limit in plies
extern int max_time;   // ms allotted to the move
// What limits the search of a "go", for the driver's decision whether one
// more iteration fits.
enum TimeControlKind : int {
  TC_NONE,
  TC_MOVES_TO_GO,  // a clock with moves to go
  TC_CLOCK,        // a clock without moves to go
  TC_MOVE_TIME,    // a fixed time per move
  TC_DEPTH,        // a fixed depth
};
extern TimeControlKind ext_time_control_type;

// The command loop's line executor, registered at start-up: while a search
// polls, it runs each waiting line re-entrantly ("stop", "ponderhit", ...).
void set_input_handler(void (*handler)());
// Runs the lines that wait, until one asks the search to stop.
void read_waiting_input();
