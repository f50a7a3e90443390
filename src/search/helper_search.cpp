// A helper thread's search: its own copy of the main thread's root, searched
// at staggered depths until the main thread's search ends.
#include <cstring>

#include "board/makemove.h"
#include "board/per_thread.h"
#include "board/position.h"
#include "search/control.h"
#include "search/iteration_control.h"
#include "search/search_tables.h"
#include "search/think.h"
#include "search/threads.h"
#include "search/tt.h"

PER_THREAD_BEGIN

namespace {

PER_THREAD int helper_index = 0;

}  // namespace

void helper_search(const HelperRoot& root, int index, const EvalCaches& caches) {
  helper_index = index;
  std::memcpy(static_cast<void*>(hist_dat), root.history, sizeof(hist_entry) * (root.position.hply + 1));
  restore_position(root.position);
  use_eval_caches(caches);
  // No clock and no lines of its own: nothing it does is printed or timed.
  si = SearchControl{};
  rnodes = 0;
  clear_search_tables();
  const RootState state = root_state();
  if (!state.no_legal_move) {
    open_window();
    int fails = 0;
    // Half of the helpers run one depth ahead, so that the threads do not
    // all search the same tree.
    for (int d = 1 + index % 2; d <= root.depth_limit;) {
      const int score = run_iteration(d, state, 1);
      if (si.stop_search) break;
      if (next_window(score, &fails)) continue;
      if (pv_length[0] > 0) publish_helper_line(index, d, score, pv[0], pv_length[0]);
      ++d;
    }
  }
  publish_helper_nodes(index, rnodes);
}

void helper_poll() {
  if (publish_helper_nodes(helper_index, rnodes)) si.stop_search = true;
}

PER_THREAD_END
