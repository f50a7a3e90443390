#include "search/threads.h"

#include <atomic>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "output/output.h"
#include "platform/thread.h"
#include "search/control.h"
#include "search/think.h"

namespace {

struct Helper {
  Thread thread;
  unsigned searches_seen;           // searches as of its start: it waits for the next
  EvalCaches caches;                // sized by the main thread before each search, emptied by the helper
  std::atomic<std::int64_t> nodes;  // published at every poll
  HelperLine line;                  // read by the main thread only once the helper is idle
};

Helper helpers[MAX_THREADS - 1];
int helper_count = 0;

HelperRoot root;

// The main thread counts searches up to wake the helpers; each helper counts
// running down when it has finished. stop ends their searches.
std::mutex mutex;
std::condition_variable wake, idle;
unsigned searches = 0;
int running = 0;
bool quitting = false;
std::atomic<bool> stop{false};
// The main thread's node count as of its last poll, for the helpers' budget check.
std::atomic<std::int64_t> main_nodes{0};

void helper_main(void* arg) {
  Helper* h = static_cast<Helper*>(arg);
  unsigned seen = h->searches_seen;
  for (;;) {
    {
      std::unique_lock lock(mutex);
      wake.wait(lock, [seen] { return quitting || searches != seen; });
      if (quitting) return;
      seen = searches;
    }
    // Emptied here, so the main thread does not wait while the helpers' caches are wiped.
    empty_helper_caches_if_stale(&h->caches);
    helper_copy::helper_search(root, static_cast<int>(h - helpers) + 1, h->caches);
    std::lock_guard lock(mutex);
    if (--running == 0) idle.notify_one();
  }
}

}  // namespace

void set_thread_count(int n) {
  const int wanted = n < 1 ? 0 : n > MAX_THREADS ? MAX_THREADS - 1 : n - 1;
  if (wanted == helper_count) return;
  stop_helpers();
  {
    std::lock_guard lock(mutex);
    quitting = true;
  }
  wake.notify_all();
  for (int i = 0; i < helper_count; ++i) join_thread(&helpers[i].thread);
  quitting = false;
  helper_count = 0;
  while (helper_count < wanted) {
    Helper& h = helpers[helper_count];
    h.searches_seen = searches;
    if (!start_thread(&h.thread, helper_main, &h)) break;
    ++helper_count;
  }
  for (int i = helper_count; i < MAX_THREADS - 1; ++i) free_eval_caches(&helpers[i].caches);  // none kept idle
  // What the system could give: the search goes on with fewer helpers.
  if (helper_count < wanted) SendInfo("info string could not start %d threads, using %d", wanted + 1, helper_count + 1);
}

void start_helpers(int depth_limit) {
  if (helper_count == 0) return;
  root.position = save_position();
  std::memcpy(static_cast<void*>(root.history), hist_dat, sizeof(hist_entry) * (hply + 1));
  root.depth_limit = depth_limit;
  root.node_budget = si.nodes;
  for (int i = 0; i < helper_count; ++i) {
    size_helper_caches(&helpers[i].caches, helper_count);
    helpers[i].line.depth = 0;
  }
  stop.store(false, std::memory_order_relaxed);
  {
    std::lock_guard lock(mutex);
    running = helper_count;
    ++searches;
  }
  wake.notify_all();
}

void stop_helpers() {
  stop.store(true, std::memory_order_relaxed);
  std::unique_lock lock(mutex);
  idle.wait(lock, [] { return running == 0; });
}

void exit_engine(int status) {
  set_thread_count(1);
  std::exit(status);
}

void reset_helper_nodes() {
  main_nodes.store(0, std::memory_order_relaxed);
  for (int i = 0; i < helper_count; ++i) helpers[i].nodes.store(0, std::memory_order_relaxed);
}

namespace {

// The helpers' nodes as of their last polls.
std::int64_t helper_nodes() {
  std::int64_t n = 0;
  for (int i = 0; i < helper_count; ++i) n += helpers[i].nodes.load(std::memory_order_relaxed);
  return n;
}

}  // namespace

std::int64_t searched_nodes() { return rnodes + helper_nodes(); }

void publish_main_nodes() { main_nodes.store(rnodes, std::memory_order_relaxed); }

bool publish_helper_nodes(int index, std::int64_t nodes) {
  helpers[index - 1].nodes.store(nodes, std::memory_order_relaxed);
  if (stop.load(std::memory_order_relaxed)) return true;
  // The helpers spend the budget themselves: a main thread the system
  // leaves waiting for a while would otherwise let them run far past it.
  return root.node_budget != 0 && main_nodes.load(std::memory_order_relaxed) + helper_nodes() >= root.node_budget;
}

void publish_helper_line(int index, int depth, int score, const move* moves, int length) {
  HelperLine& line = helpers[index - 1].line;
  line.depth = depth;
  line.score = score;
  line.length = length;
  std::memcpy(static_cast<void*>(line.moves), moves, sizeof(move) * length);
}

const HelperLine* better_helper_line(int depth, int score) {
  const HelperLine* best = nullptr;
  for (int i = 0; i < helper_count; ++i) {
    const HelperLine& line = helpers[i].line;
    if (line.depth <= depth || line.score <= score) continue;
    if (best == nullptr || line.depth > best->depth || (line.depth == best->depth && line.score > best->score))
      best = &line;
  }
  return best;
}
