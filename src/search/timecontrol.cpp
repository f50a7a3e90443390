#include "search/timecontrol.h"

#include <cinttypes>

#include "board/per_thread.h"
#include "board/position.h"
#include "options/options.h"
#include "output/output.h"
#include "platform/platform.h"
#include "search/control.h"
#include "search/think.h"
#include "search/threads.h"

#ifndef CORVANTIS_HELPER_COPY
std::int64_t stop_time = 0;
int ext_max_tt = 0;
std::int64_t last_info_time = 0;
std::int64_t last_input_peek = 0;
#endif

PER_THREAD_BEGIN

#ifndef CORVANTIS_HELPER_COPY
void allocate_time(int own_time, int own_inc, int movestogo) {
  const int available = own_time - OptionUci.time_buffer;
  int share;
  if (movestogo >= 1) {
    share = movestogo == 1 ? static_cast<int>(static_cast<long long>(available) * 70 / 100) : available / movestogo;
    si.time_available = available;
  } else {
    // A side that was losing two plies ago plans for fewer moves, spending more on each.
    int moves = 30;
    if (hply > 2) {
      const int previous = si.score_history[hply - 2];
      moves = previous < -200 ? 16 : previous < -100 ? 20 : previous < 0 ? 24 : 30;
    }
    const int usable = available - 10 * moves > 0 ? available - 10 * moves : 0;
    share = usable / moves;
    si.time_available = usable;
  }
  if (own_inc > 0) share += static_cast<int>(static_cast<long long>(own_inc) * 4 / 5);
  max_time = share > 20 ? share : 20;
}
#endif

void CheckUserInputandTime() {
  if (si.stop_search) return;
  if constexpr (helper_thread) {
    helper_poll();
    return;
  }
  const bool no_limit = si.infinite || si.ponder;
  // A look at the input is a system call (under wine a round trip to its
  // server, some 0.1 ms, as long as 256 nodes take); once a millisecond is
  // soon enough for "stop" and "ponderhit".
  const std::int64_t now = get_ms();
  if (si.poll_input && now != last_input_peek) {
    last_input_peek = now;
    read_waiting_input();
  }
  if (si.nodes != 0) publish_main_nodes();
  // The first iteration always completes, so that every search has a move to play.
  if (!si.iteration_done) return;
  if (si.stop_requested || (si.nodes != 0 && si.nodes <= searched_nodes())) {
    si.stop_search = true;
    return;
  }
  if (!si.bench) {
    const std::int64_t elapsed = now - start_time;
    if (elapsed > 999 && elapsed - last_info_time > 999) {
      const std::int64_t nodes = searched_nodes();
      SendInfo("info nodes %" PRId64 " nps %" PRId64, nodes, nodes * 1000 / (elapsed + 1));
      last_info_time = elapsed;
    } else if (elapsed <= 999) {
      last_info_time = 0;
    }
  }
  // Read no_limit before the input: a "ponderhit" seen just now takes effect at the next poll.
  if (no_limit) return;
  if (now >= stop_time || now - start_time >= ext_max_tt) si.stop_search = true;
}

PER_THREAD_END
