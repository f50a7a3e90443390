// The "go" command: read the limits, allot the time, search, report.
#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "board/makemove.h"
#include "board/position.h"
#include "engine/commands.h"
#include "engine/report.h"
#include "engine/uci.h"
#include "movegen/movestack.h"
#include "movegen/movetext.h"
#include "options/options.h"
#include "output/output.h"
#include "platform/platform.h"
#include "search/search.h"
#include "search/search_tables.h"
#include "search/think.h"
#include "search/timecontrol.h"
#include "search/wdl.h"

namespace {

constexpr int MAX_DEPTH = 128;
constexpr int MAX_CLOCK_MS = 1000000000;  // larger clock values are clamped so time arithmetic cannot overflow
constexpr int NO_CLOCK = INT_MIN;         // "wtime"/"btime" not given; any given value is clamped above it

int clock_value(const char* text) { return std::clamp(text_to_int(text), -MAX_CLOCK_MS, MAX_CLOCK_MS); }

struct GoLimits {
  int wtime = NO_CLOCK, btime = NO_CLOCK;
  int winc = -1, binc = -1, movestogo = -1, movetime = -1, depth = -1, mate = -1;
  bool infinite = false, ponder = false;
};

// Next blank-separated word of the line, or null at its end.
char* next_word(char** rest) {
  char* w = std::strtok(*rest, " ");
  *rest = nullptr;
  return w;
}

void add_search_moves(char** rest) {
  SearchInput.count = 0;
  while (char* word = next_word(rest)) {
    const int index = parse_move(word);
    const move_bytes m = index >= 0 ? gen_dat[index].m.b : move_bytes{};
    if (index < 0 || !makemove(m)) {
      SendInfo("info string the move (%s) to search is illegal??", word);
      continue;
    }
    takeback();
    // A list longer than the table holds (repeated moves) is cut.
    if (SearchInput.count < MAX_SEARCH_MOVES) SearchInput.moves[SearchInput.count++] = gen_dat[index].m.u;
  }
}

// The parameters with a value: where it goes, how it is read, whether a
// missing value abandons the command, and the kind of limit it sets
// (TC_NONE: the kind stays as it is).
struct Valued {
  const char* name;
  int GoLimits::*field;
  int (*read)(const char*);
  bool required;
  TimeControlKind kind;
};

constexpr Valued valued[] = {
    {"wtime", &GoLimits::wtime, clock_value, false, TC_NONE},
    {"btime", &GoLimits::btime, clock_value, false, TC_NONE},
    {"winc", &GoLimits::winc, clock_value, false, TC_NONE},
    {"binc", &GoLimits::binc, clock_value, false, TC_NONE},
    {"mate", &GoLimits::mate, clock_value, false, TC_NONE},
    {"movestogo", &GoLimits::movestogo, text_to_int, false, TC_MOVES_TO_GO},
    {"depth", &GoLimits::depth, text_to_int, true, TC_DEPTH},
    {"movetime", &GoLimits::movetime, clock_value, true, TC_NONE},
};

const Valued* find_valued(const char* word) {
  for (const Valued& v : valued)
    if (std::strcmp(word, v.name) == 0) return &v;
  return nullptr;
}

// Reads the parameters; false when the command must be abandoned.
bool read_limits(char* params, GoLimits* g, int* recognised) {
  char* rest = params;
  while (char* word = next_word(&rest)) {
    if (const Valued* v = find_valued(word)) {
      char* value = next_word(&rest);
      if (!value) {
        if (!v->required) continue;
        SendInfo("info string missing %s param??", v->name);
        return false;
      }
      // A move time that is not a number is reported and skipped.
      if (v->field == &GoLimits::movetime && (*value < '0' || *value > '9')) {
        SendInfo("info string movetime param is not a digit??");
        continue;
      }
      g->*v->field = v->read(value);
      if (v->kind != TC_NONE) ext_time_control_type = v->kind;
      ++*recognised;
    } else if (std::strcmp(word, "nodes") == 0) {
      if (char* value = next_word(&rest)) {
        si.nodes = std::strtoll(value, nullptr, 10);
        ++*recognised;
      }
    } else if (std::strcmp(word, "infinite") == 0) {
      log_printf("Set infinite search to true\n");
      max_depth = MAX_DEPTH;
      g->infinite = true;
      ++*recognised;
    } else if (std::strcmp(word, "ponder") == 0) {
      log_printf("Set pondering to true\n");
      si.ponder = true;
      g->ponder = true;
      ++*recognised;
    } else if (std::strcmp(word, "searchmoves") == 0) {
      ++*recognised;
      add_search_moves(&rest);
    }
  }
  return true;
}

}  // namespace

void uci_go(const char* line) {
  char params[65536];
  std::snprintf(params, sizeof params, "%s", line + 3);

  si.fixed_time = false;
  si.mate = -1;
  si.ponder = false;
  si.ponder_time = 0;
  ext_time_control_type = TC_NONE;
  si.infinite = false;
  si.stop_requested = false;
  si.time_available = 0;
  SearchInput.count = 0;

  GoLimits g;
  int recognised = 0;
  if (!read_limits(params, &g, &recognised)) return;
  si.fixed_time = g.movetime >= 0;
  if (recognised == 0) {
    SendInfo("info string unknown command %s", line);
    return;
  }

  if (g.depth < 0) {
    if (g.mate > 0) si.mate = g.mate;
    max_depth = MAX_DEPTH;
  } else {
    max_depth = g.depth < MAX_DEPTH ? g.depth : MAX_DEPTH;
  }

  // A clock that is given but empty or overdrawn is the most urgent clock
  // of all, not "no clock": it gets the shortest allotment.
  const int own_clock = side == BLACK ? g.btime : g.wtime;
  const int own_time = own_clock == NO_CLOCK ? -1 : std::max(own_clock, 1);
  const int own_inc = side == BLACK ? g.binc : g.winc;
  if (g.movestogo < 0 && own_time >= 1) ext_time_control_type = TC_CLOCK;
  si.time_available = own_time;
  if (g.movetime >= 0) {
    ext_time_control_type = TC_MOVE_TIME;
    max_time = si.time_available = g.movetime;
  } else if (own_time < 1) {
    max_time = si.time_available = 6000000;
    si.infinite = true;
  } else {
    allocate_time(own_time, own_inc, g.movestogo);
  }
  if (g.infinite) si.infinite = true;
  if (si.mate > 0) {
    max_time = si.time_available = 18000000;
    si.infinite = true;
  }
  if (g.ponder) {
    max_time += max_time / 4;
    si.ponder_time = max_time;
  }
  Searching = true;
  if (g.depth == 0) {
    // Only the quiescence score; the poll inside it must see a fresh search,
    // which "stop" and the limits may end at once.
    si.stop_search = false;
    si.iteration_done = true;
    start_time = get_ms();
    stop_time = start_time + max_time;
    ext_max_tt = max_time;
    const int score = qsearch(-MATE_VALUE, MATE_VALUE, 0, false);
    char text[48];
    centipawn_text(text, sizeof text, score);
    SendInfo("info depth 0 score %s", text);
    Searching = false;
    SendInfo("bestmove 0000");
    return;
  }
  think(1);
  Searching = false;
  ShowBestMove();
}
