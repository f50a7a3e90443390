// Iterative deepening: the book first, then one root search per depth under
// an aspiration window, an "info" line per iteration or the MultiPV lines of
// a depth, and after each iteration the decisions whether to go on.
#include "search/think.h"

#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <utility>

#include "board/attacks.h"
#include "board/castling.h"
#include "board/fen.h"
#include "board/makemove.h"
#include "board/per_thread.h"
#include "board/position.h"
#include "book/book.h"
#include "movegen/gen.h"
#include "movegen/movestack.h"
#include "movegen/movetext.h"
#include "options/options.h"
#include "output/output.h"
#include "platform/platform.h"
#include "search/control.h"
#include "search/iteration_control.h"
#include "search/ordering.h"
#include "search/search_tables.h"
#include "search/strength.h"
#include "search/threads.h"
#include "search/tt.h"
#include "search/wdl.h"

#ifndef CORVANTIS_HELPER_COPY
int root_hply = 0;
int out_of_book = 0;
std::int64_t start_time = 0;
int ext_corvantis_side = 0;
int iscore[200];
pv_store_t PVStore[MAX_MULTI_PV];
int my_cnt = 0;
#endif

PER_THREAD_BEGIN

PER_THREAD SearchControl si{};
PER_THREAD std::int64_t rnodes = 0;
PER_THREAD int gSelDepth = 0;
PER_THREAD bool follow_pv = false;
PER_THREAD int ralpha = -MATE_VALUE, rbeta = MATE_VALUE;
PER_THREAD ExcludedMoves ExcludeMove{};

namespace {

#ifndef CORVANTIS_HELPER_COPY
constexpr int MAX_ITERATION = 128;

// A line of moves as the root search left it in pv row 0.
struct Line {
  move moves[MAX_PLY];
  int length;
};

void save_line(Line* line) {
  line->length = pv_length[0];
  for (int i = 0; i < line->length; ++i) line->moves[i] = pv[0][i];
}

void restore_line(const move* moves, int length) {
  for (int i = 0; i < length; ++i) pv[0][i] = moves[i];
  if (length < MAX_PLY) pv[0][length].u = 0;
  pv_length[0] = length;
}

// The best root move of each iteration, by depth.
PER_THREAD move iteration_moves[MAX_ITERATION + 1];

std::int64_t nps(std::int64_t nodes, std::int64_t ms) { return nodes * 1000 / (ms > 0 ? ms : 1); }

// The book move, when the book has one for this position: made the whole line.
bool play_book_move() {
  if (!OptionUci.own_book || hply > 70 || out_of_book > 2 || si.infinite || si.ponder || si.bench) return false;
  if (chess960) {  // the book's keys describe standard chess only
    SendInfo("info string opening book not used in Chess960");
    return false;
  }
  char fen_text[256] = {};
  get_fen(fen_text);
  char text[6] = {};
  if (!pg_show(pg_key(fen_text), text, root_hply)) return false;
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
#endif

}  // namespace

void clear_search_tables() {
  std::memset(static_cast<void*>(pv), 0, sizeof pv);
  HistoryScoreInit();
  std::memset(static_cast<void*>(killer1), 0, sizeof killer1);
  std::memset(static_cast<void*>(killer2), 0, sizeof killer2);
  std::memset(static_cast<void*>(mkiller1), 0, sizeof mkiller1);
  std::memset(static_cast<void*>(counterMove), 0, sizeof counterMove);
}

#ifndef CORVANTIS_HELPER_COPY
namespace {

// One "info depth" line, moves and all, in one write. Every line, also each
// MultiPV line, carries the time since "go" and the nodes searched so far:
// GUIs read them as the search's.
void print_line(int d, int index, const char* score, const move* moves, int length) {
  char text[MAX_PLY * 6 + 1] = "";  // " e7e8q" per move at most
  int n = 0;
  for (int i = 0; i < length; ++i) n += std::snprintf(text + n, sizeof text - n, " %s", move_str(moves[i].b));
  const std::int64_t nodes = searched_nodes();
  SendInfo("info depth %d seldepth %d multipv %d score %s time %d nodes %" PRId64 " nps %" PRId64 " pv%s", d, gSelDepth,
           index, score, si.elapsed, nodes, nps(nodes, si.elapsed), text);
}

// The line in pv row 0 with its score; bound is for a score that is not a mate.
void print_scored_line(int d, int score, const char* bound) {
  char text[64];
  const int mate = value_to_mate(score);
  if (mate != 0) std::snprintf(text, sizeof text, "mate %d", mate);
  else std::snprintf(text, sizeof text, "cp %d%s", score, bound);
  append_wdl(text, sizeof text, score);
  print_line(d, 1, text, pv[0], pv_length[0]);
}

void report_iteration(int d, int score) {
  const char* bound = "";
  if (d > 7 && iscore[d] > iscore[d - 1] && score >= rbeta) bound = " lowerbound";
  else if (d > 7 && iscore[d] < iscore[d - 1] && score <= ralpha) bound = " upperbound";
  print_scored_line(d, score, bound);
}

void report_multipv(int d, int lines, bool show) {
  SortByPvScore(lines, PVStore);
  if (!show) return;
  for (int i = 0; i < lines; ++i) {
    const pv_store_t& p = PVStore[i];
    char text[48];
    centipawn_text(text, sizeof text, p.score);
    print_line(d, i + 1, text, p.moves, p.length);
  }
}

void store_line(int score) {
  pv_store_t& p = PVStore[my_cnt++];
  p.score = score;
  p.length = pv_length[0];
  for (int j = 0; j < p.length; ++j) p.moves[j] = pv[0][j];
}

void clear_multipv() {
  ExcludeMove.count = 0;
  my_cnt = 0;
}

// The tables of one search, cleared; the transposition table aged.
void prepare_search() {
  ply = 0;
  iscore[0] = 0;
  clear_search_tables();
  clear_multipv();
  age_hash();
  for (move& m : iteration_moves) m.u = 0;
}

}  // namespace
#endif

RootState root_state() {
  RootState root;
  root.no_legal_move = legal_moves(nullptr) == 0;
  get_checker(side);
  root.in_check = gchecker1 + gchecker2 != -2;
  root.checker1 = gchecker1;
  root.checker2 = gchecker2;
  UpdateCheckSq();
  return root;
}

int run_iteration(int d, const RootState& root, int multi_pv) {
  gSelDepth = 0;
  follow_pv = true;
  if (multi_pv > 1) open_window();
  return search_root(ralpha, rbeta, d * ONE_PLY, root.in_check, root.checker1, root.checker2);
}

// The driver: only the main thread runs it.
#ifndef CORVANTIS_HELPER_COPY
namespace {

Iteration record_iteration(int d, int score) {
  iscore[d] = score;
  si.score_history[hply] = score;
  iteration_moves[d] = pv[0][0];
  const int time = static_cast<int>(get_ms() - start_time);
  si.elapsed = time > 1 ? time : 1;
  return {d,
          score,
          iscore[d - 1],
          value_to_mate(score),
          time,
          score <= ralpha,
          iteration_moves[d].u != iteration_moves[d - 1].u};
}

// The move played comes from a helper's deeper, better line when there is
// one; its line is reported so that the GUI shows what is played.
void adopt_better_helper_line(const Iteration& last, int show) {
  const HelperLine* line = better_helper_line(last.depth, last.score);
  if (line == nullptr) return;
  restore_line(line->moves, line->length);
  if (show) print_scored_line(line->depth, line->score, "");
}

enum LineStep {
  NEXT_LINE,    // search the depth again for the next line
  CHECK_STOPS,  // go on to the decisions after an iteration
  NEXT_DEPTH,   // straight on to the next depth
};

// Files the line just found and, once the depth has all its lines (or no
// legal root move is left), reports them best first. best keeps the first
// line found at the depth: the best move is its first move.
LineStep record_multipv_line(const Iteration& it, int multi_pv, bool show, Line* best) {
  if (ExcludeMove.count >= multi_pv) {
    clear_multipv();
    return CHECK_STOPS;
  }
  if (pv_length[0] == 0) {
    if (it.score != ROOT_MOVES_EXHAUSTED) return CHECK_STOPS;
    // Fewer legal root moves than lines asked for: report what there is.
    report_multipv(it.depth, ExcludeMove.count, show);
    clear_multipv();
    return NEXT_DEPTH;
  }
  ExcludeMove.moves[ExcludeMove.count++] = pv[0][0].u;
  store_line(it.score);
  // The reported best move is the first line found at this depth.
  for (int j = 0; j < PVStore[0].length; ++j) pv[0][j] = PVStore[0].moves[j];
  pv_length[0] = PVStore[0].length;
  save_line(best);
  if (my_cnt < multi_pv) return NEXT_LINE;
  report_multipv(it.depth, multi_pv, show);
  clear_multipv();
  return CHECK_STOPS;
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
      }
}

void think(int show) {
  // Fixed at the start: a "ponderhit" does not make a ponder search extendable.
  const bool extend_ok = !si.infinite && !si.ponder && !si.fixed_time;
  if (OptionUci.limit_strength) RandomizeEvalFeatures();
  open_window();
  ext_corvantis_side = side != WHITE;

  // Set before the book is asked: the report after a book move reads them too.
  start_time = get_ms();
  rnodes = 0;
  reset_helper_nodes();
  if (play_book_move()) return;

  ++out_of_book;
  si.stop_search = false;
  si.iteration_done = false;
  set_time_budget();
  prepare_search();
  const RootState root = root_state();

  const int multi_pv = OptionUci.multi_pv;
  int fails = 0;
  Line best_line{};  // MultiPV
  Iteration last{};  // the main thread's last iteration
  // Infinite and ponder searches repeat the last depth until they are stopped.
  const int depth_limit = max_depth < MAX_ITERATION ? max_depth : MAX_ITERATION;
  // A weakened engine plays with one thread.
  if (!OptionUci.limit_strength) start_helpers(depth_limit);
  auto next_depth = [](int d) { return d < MAX_ITERATION || !(si.ponder || si.infinite) ? d + 1 : d; };
  for (int d = 1; d <= depth_limit;) {
    const int score = run_iteration(d, root, multi_pv);
    if (si.stop_search || score == -MATE_VALUE) break;  // stopped, or mated at the root
    si.iteration_done = true;
    const Iteration it = record_iteration(d, score);
    last = it;

    if (multi_pv > 1) {
      if (!si.infinite && it.time > max_time) break;
      const LineStep step = record_multipv_line(it, multi_pv, show, &best_line);
      if (step == NEXT_LINE) continue;
      if (step == NEXT_DEPTH) {
        d = next_depth(d);
        continue;
      }
    } else if (pv_length[0] > 0 && show) {
      report_iteration(d, score);
    }

    if (search_is_over(it, root.no_legal_move)) break;
    extend_ponder_time(it);
    const bool extended = extend_time(it, extend_ok, multi_pv == 1);
    if (!extended && !next_iteration_fits(it)) break;
    if (multi_pv == 1 && next_window(score, &fails)) continue;
    d = next_depth(d);
  }

  stop_helpers();

  // A MultiPV search stopped part way may have left a lesser line in row 0.
  if (multi_pv > 1 && best_line.length > 0) restore_line(best_line.moves, best_line.length);
  if (multi_pv == 1 && last.depth > 0) adopt_better_helper_line(last, show);
}
#endif

PER_THREAD_END
