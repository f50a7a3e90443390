// Iterative deepening: the book first, then one root search per depth under
// an aspiration window, an "info" line per iteration, MultiPV lines, and the
// decision after each iteration whether to go on.
#include "search/think.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "board/attacks.h"
#include "board/fen.h"
#include "board/makemove.h"
#include "board/position.h"
#include "book/book.h"
#include "engine/options.h"
#include "engine/uci.h"
#include "movegen/gen.h"
#include "movegen/movestack.h"
#include "platform/platform.h"
#include "search/ordering.h"
#include "search/search_tables.h"
#include "search/timecontrol.h"
#include "search/tt.h"

int root_hply = 0;
int out_of_book = 0;
std::int64_t start_time = 0;
std::int64_t rnodes = 0;
int gSelDepth = 0;
int ext_corvantis_side = 0;
bool follow_pv = false;
int ralpha = -MATE_VALUE, rbeta = MATE_VALUE;
int iscore[200];
ExcludedMoves ExcludeMove;
pv_store_t PVStore[MAX_MULTI_PV];
int my_cnt = 0;

namespace {

constexpr int MAX_ITERATION = 128;

bool has_legal_move() {
  gen();
  for (int i = first_move[ply]; i < first_move[ply + 1]; ++i)
    if (makemove(gen_dat[i].m.b)) {
      takeback();
      return true;
    }
  return false;
}

int ScoreDropExtension1, ScoreDropExtension2, NewPvTimeExtension, FailLowTimeExtension;

// A line of moves as the root search left it in pv row 0.
struct Line {
  move moves[MAX_PLY];
  int length;
};

void save_line(Line* line) {
  line->length = pv_length[0];
  for (int i = 0; i < line->length; ++i) line->moves[i] = pv[0][i];
}

void restore_line(const Line& line) {
  for (int i = 0; i < line.length; ++i) pv[0][i] = line.moves[i];
  if (line.length < MAX_PLY) pv[0][line.length].u = 0;
  pv_length[0] = line.length;
}

void print_pv_moves(const move* moves, int length) {
  for (int i = 0; i < length; ++i) std::printf(" %s", move_str(moves[i].b));
  std::printf("\n");
}

std::int64_t nps(std::int64_t nodes, std::int64_t ms) { return nodes * 1000 / (ms > 0 ? ms : 1); }

// The book move, when the book has one for this position: made the whole line.
bool play_book_move() {
  if (!OptionGetBool("OwnBook") || hply > 70 || out_of_book > 2 || si.infinite || si.ponder || si.bench) return false;
  char fen_text[256] = {};
  get_fen(fen_text);
  char text[6] = {};
  if (!pg_show(pg_key(fen_text), text)) return false;
  const int index = parse_move(text);
  if (index < 0) return false;
  const move m = gen_dat[index].m;
  pv[0][0] = m;
  pv[0][1].u = 0;
  pv_length[0] = 1;
  if (!makemove(m.b)) return false;
  out_of_book = 0;
  takeback();
  return true;
}

void clear_search_tables() {
  std::memset(static_cast<void*>(pv), 0, sizeof pv);
  HistoryScoreInit();
  std::memset(static_cast<void*>(killer1), 0, sizeof killer1);
  std::memset(static_cast<void*>(killer2), 0, sizeof killer2);
  std::memset(static_cast<void*>(mkiller1), 0, sizeof mkiller1);
  std::memset(static_cast<void*>(counterMove), 0, sizeof counterMove);
  ExcludeMove.count = 0;
  my_cnt = 0;
}

void report_iteration(int d, int score, int mate) {
  const std::int64_t n = nps(rnodes, si.elapsed);
  if (mate != 0) {
    std::printf("info depth %d seldepth %d multipv 1 score mate %d time %d nodes %" PRId64 " nps %" PRId64 " pv", d,
                gSelDepth, mate, si.elapsed, rnodes, n);
  } else {
    const char* bound = "";
    if (d > 7 && iscore[d] > iscore[d - 1] && score >= rbeta) bound = " lowerbound";
    else if (d > 7 && iscore[d] < iscore[d - 1] && score <= ralpha) bound = " upperbound";
    std::printf("info depth %d seldepth %d multipv 1 score cp %d%s time %d nodes %" PRId64 " nps %" PRId64 " pv", d,
                gSelDepth, score, bound, si.elapsed, rnodes, n);
  }
  print_pv_moves(pv[0], pv_length[0]);
}

void report_multipv(int d, int lines, bool show) {
  SortByPvScore(lines, PVStore);
  if (!show) return;
  for (int i = 0; i < lines; ++i) {
    const pv_store_t& p = PVStore[i];
    std::printf("info depth %d seldepth %d multipv %d score cp %d time %d nodes %" PRId64 " nps %" PRId64 " pv", d,
                gSelDepth, i + 1, p.score, p.time, p.nodes, nps(p.nodes, p.time));
    for (int j = 0; j < p.length; ++j) std::printf(" %s", move_str(p.moves[j].b));
    std::printf("\n");
  }
}

void store_line(int score, int time) {
  pv_store_t& p = PVStore[my_cnt++];
  p.score = score;
  p.length = pv_length[0];
  p.time = time;
  p.nodes = rnodes;
  for (int j = 0; j < p.length; ++j) p.moves[j] = pv[0][j];
}

}  // namespace

void SortByPvScore(int n, pv_store_t* store) {
  for (int i = 0; i < n - 1; ++i)
    for (int j = i + 1; j < n; ++j)
      if (store[i].score < store[j].score) {
        pv_store_t& a = store[i];
        pv_store_t& b = store[j];
        const int longer = a.length > b.length ? a.length : b.length;
        for (int k = 0; k < longer; ++k) std::swap(a.moves[k], b.moves[k]);
        std::swap(a.score, b.score);
        std::swap(a.length, b.length);
        std::swap(a.time, b.time);
        std::swap(a.nodes, b.nodes);
      }
}

void think(int show) {
  const bool extend_ok = !si.infinite && !si.ponder && !si.fixed_time;
  if (OptionUci.limit_strength) RandomizeEvalFeatures();
  ralpha = -MATE_VALUE;
  rbeta = MATE_VALUE;
  ext_corvantis_side = side != WHITE;

  // Set before the book is asked: the report after a book move reads them too.
  start_time = get_ms();
  rnodes = 0;
  if (play_book_move()) return;

  ++out_of_book;
  si.stop_search = false;
  si.iteration_done = false;

  // Clock values reach 10^9 ms: percentages are taken in 64 bits.
  const int hard_limit =
      si.fixed_time ? max_time : static_cast<int>(std::max<std::int64_t>(std::int64_t{si.time_available} * 15 / 100, max_time));
  ext_max_tt = hard_limit;
  ScoreDropExtension1 = static_cast<int>(std::int64_t{max_time} * 80 / 100);
  ScoreDropExtension2 = NewPvTimeExtension = max_time / 2;
  FailLowTimeExtension = max_time / 4;

  stop_time = start_time + max_time;
  // The first searches after the book get a little extra time.
  if (out_of_book >= 1 && out_of_book <= 3 && si.time_available > 120000)
    stop_time += out_of_book == 1 ? max_time / 6 : max_time / 8;

  ply = 0;
  iscore[0] = 0;
  clear_search_tables();
  age_hash();

  int iteration_times[MAX_ITERATION + 1];
  move iteration_moves[MAX_ITERATION + 1] = {};
  for (int& t : iteration_times) t = -1;

  // Mated or stalemated, the search counts no nodes: a node budget would
  // never run out.
  const bool no_legal_move = !has_legal_move();
  get_checker(side);
  const bool in_check_at_root = gchecker1 + gchecker2 != -2;
  const int checker1 = gchecker1, checker2 = gchecker2;
  UpdateCheckSq();

  const int multi_pv = OptionUci.multi_pv;
  int fail_highs = 0, fail_lows = 0;
  std::int64_t previous_line_clock = 0;
  Line best_line{};

  // Infinite and ponder searches repeat the last depth until they are stopped.
  const int depth_limit = max_depth < MAX_ITERATION ? max_depth : MAX_ITERATION;
  auto next_depth = [&](int d) { return d < MAX_ITERATION || !(si.ponder || si.infinite) ? d + 1 : d; };
  for (int d = 1; d <= depth_limit;) {
    gSelDepth = 0;
    follow_pv = true;
    if (multi_pv > 1) {
      ralpha = -MATE_VALUE;
      rbeta = MATE_VALUE;
    }
    const int score = search_root(ralpha, rbeta, d * ONE_PLY, in_check_at_root, checker1, checker2);
    if (si.stop_search || score == -MATE_VALUE) break;  // stopped, or mated at the root
    si.iteration_done = true;

    iscore[d] = score;
    si.score_history[hply] = score;
    iteration_moves[d] = pv[0][0];
    const std::int64_t now = get_ms();
    iteration_times[d] = static_cast<int>(now - start_time);
    si.elapsed = iteration_times[d] > 1 ? iteration_times[d] : 1;
    const int mate = value_to_mate(score);

    if (multi_pv > 1) {
      if (!si.infinite && iteration_times[d] > max_time) break;
      int t = static_cast<int>(my_cnt == 0 && d == 1 ? iteration_times[d] : now - previous_line_clock);
      if (t < 1) t = 1;
      previous_line_clock = now;
      bool check_stops = true;
      if (ExcludeMove.count >= multi_pv) {
        ExcludeMove.count = 0;
        my_cnt = 0;
      } else if (pv_length[0] == 0) {
        if (score == ROOT_MOVES_EXHAUSTED) {
          // Fewer legal root moves than lines asked for: report what there is.
          report_multipv(d, ExcludeMove.count, show);
          ExcludeMove.count = 0;
          my_cnt = 0;
          check_stops = false;
        }
      } else {
        ExcludeMove.moves[ExcludeMove.count++] = pv[0][0].u;
        store_line(score, t);
        // The reported best move is the first line found at this depth.
        for (int j = 0; j < PVStore[0].length; ++j) pv[0][j] = PVStore[0].moves[j];
        pv_length[0] = PVStore[0].length;
        save_line(&best_line);
        if (my_cnt < multi_pv) continue;  // the next line at the same depth
        report_multipv(d, multi_pv, show);
        ExcludeMove.count = 0;
        my_cnt = 0;
      }
      if (!check_stops) {
        d = next_depth(d);
        continue;
      }
    } else if (pv_length[0] > 0 && show) {
      report_iteration(d, score, mate);
    }

    // Stop and extension checks.
    if (si.nodes != 0 && (si.nodes <= rnodes || no_legal_move)) break;
    const int t = iteration_times[d];
    const int s = iscore[d];
    if (d > 11 && si.ponder && s >= -500 && s <= 500 && t > (stop_time - start_time - t) * 3 / 2) {
      if (iteration_moves[d].u != iteration_moves[d - 1].u) {
        si.ponder_time += 2 * t;
        stop_time += 2 * t;
      } else if (score <= ralpha || iscore[d - 1] > s + 49) {
        si.ponder_time += t * 3 / 2;
        stop_time += t * 3 / 2;
      }
    }
    // A shorter mate than asked for ends the search as well.
    if (si.mate > 0 && mate != 0 && std::abs(mate) <= si.mate && d > 1) break;
    if (!si.infinite && !si.ponder) {
      if (t >= hard_limit) break;
      if (d > 11 && mate >= -3 && mate <= 3 && mate != 0) break;
    }
    bool new_pv_extended = false;
    if (d > 10 && extend_ok && iteration_moves[d].u != iteration_moves[d - 1].u) {
      stop_time += NewPvTimeExtension;
      new_pv_extended = true;
    }
    bool extended_for_trouble = false;
    if (multi_pv == 1 && d > 13 && extend_ok) {
      if (score <= ralpha) {
        int add = FailLowTimeExtension * 3 / 2;
        if (si.time_available > 150000 && iscore[d] < 0 && iscore[d - 1] < 0) add += max_time / 2;
        stop_time += add;
        extended_for_trouble = true;
      } else if (s < iscore[d - 1] - 29) {
        stop_time += s < 0 ? ScoreDropExtension1 : s <= 74 ? ScoreDropExtension2 : 0;
        extended_for_trouble = true;
      }
    }
    if (!extended_for_trouble && !new_pv_extended && !si.ponder && !si.infinite) {
      const std::int64_t budget = stop_time - start_time;
      if (t >= budget) {
        if (d > 2) break;
      } else if (d > 6 && !si.fixed_time && t > max_time / 4 &&
                 (ext_time_control_type == TC_MOVES_TO_GO || ext_time_control_type == TC_CLOCK) &&
                 budget - t < t * 3 / 2) {
        break;  // the next iteration would not fit
      }
    }

    if (multi_pv > 1) {
      d = next_depth(d);
      continue;
    }
    // Aspiration window for the next iteration (or the repeat of this one).
    if (score <= ralpha || score >= rbeta) {
      const bool low = score <= ralpha;
      int& fails = low ? fail_lows : fail_highs;
      const bool first_fail = fail_lows + fail_highs == 0;
      ++fails;
      if (std::abs(score) > 10000 || !first_fail) {
        ralpha = -MATE_VALUE;
        rbeta = MATE_VALUE;
      } else if (low) {
        ralpha = score - 100;
        rbeta = score;
      } else {
        ralpha = score;
        rbeta = score + 100;
      }
      continue;
    }
    if (std::abs(score) > 10000) {
      ralpha = -MATE_VALUE;
      rbeta = MATE_VALUE;
    } else {
      ralpha = score - 30;
      rbeta = score + 30;
      fail_highs = fail_lows = 0;
    }
    d = next_depth(d);
  }

  // A MultiPV search stopped part way may have left a lesser line in row 0.
  if (multi_pv > 1 && best_line.length > 0) restore_line(best_line);
}
