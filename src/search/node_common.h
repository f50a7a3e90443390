// Small steps every node search takes.
#pragma once

#include "engine/uci.h"
#include "search/think.h"
#include "search/timecontrol.h"

// Input and clock are polled once every 256 nodes.
inline bool poll_and_stopped() {
  if ((rnodes & 255) == 0) CheckUserInputandTime();
  return si.stop_search;
}

inline void count_node() {
  if (ply > gSelDepth) gSelDepth = ply;
  ++rnodes;
}
