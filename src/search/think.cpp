#include "search/think.h"

#include "engine/uci.h"

int root_hply = 0;
int out_of_book = 0;
std::int64_t start_time = 0;
int gSelDepth = 0;

void ResetSearch() {
  si.infinite = false;
  si.time_available = 0;
  si.stop_requested = false;
}
