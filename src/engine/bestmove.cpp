// Reporting the result of a search, and leaving the board where the GUI
// expects it.
#include <cinttypes>
#include <cstdio>

#include "board/makemove.h"
#include "board/position.h"
#include "engine/report.h"
#include "engine/uci.h"
#include "movegen/gen.h"
#include "movegen/movetext.h"
#include "output/output.h"
#include "platform/platform.h"
#include "search/search_tables.h"
#include "search/think.h"
#include "search/threads.h"

namespace {

void take_back_and_regenerate() {
  takeback();
  ply = 0;
  gen();
}

void report_no_move() {
  SendInfo("bestmove 0000");
  log_printf("No legal move\n");
  log_printf("<< bestmove 0000\n");
}

}  // namespace

void ShowBestMove() {
  const std::int64_t elapsed = get_ms() - start_time;
  SendInfo("info time %d nodes %" PRId64, elapsed > 0 ? static_cast<int>(elapsed) : 0, searched_nodes());

  const move best = pv[0][0];
  if (best.u == 0) {
    SendInfo("info string no legal move");
    report_no_move();
    return;
  }
  char best_text[6];
  std::snprintf(best_text, sizeof best_text, "%s", move_str(best.b));
  if (!makemove(best.b)) {
    SendInfo("info string %s is illegal", best_text);
    report_no_move();
    ply = 0;
    gen();
    return;
  }

  if (si.ponder_enabled && si.ponder) {
    // Stopped while pondering: back to the position before the expected reply.
    log_printf("<< bestmove %s\n", best_text);
    SendInfo("bestmove %s", best_text);
    take_back_and_regenerate();
    if (hply > 0) take_back_and_regenerate();
  } else if (si.infinite && si.stop_requested && hply > 1) {
    SendInfo("bestmove %s", best_text);
    log_printf("<< bestmove %s\n", best_text);
    take_back_and_regenerate();
  } else {
    if (pv[0][1].u != 0 && pv_length[0] > 1) {
      char ponder_text[6];
      std::snprintf(ponder_text, sizeof ponder_text, "%s", move_str(pv[0][1].b));
      SendInfo("bestmove %s ponder %s", best_text, ponder_text);
      log_printf("<< bestmove %s ponder %s\n", best_text, ponder_text);
    } else {
      SendInfo("bestmove %s", best_text);
      log_printf("<< bestmove %s\n", best_text);
    }
    ply = 0;
    gen();
  }
}
