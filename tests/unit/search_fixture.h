// A quiet setting for in-process searches: no input polling, no output, no
// clock limit, one line, every root move; restored to the start-up values
// afterwards.
#pragma once

#include <gtest/gtest.h>

#include "engine/options.h"
#include "engine/uci.h"
#include "platform/platform.h"
#include "search/think.h"
#include "search/timecontrol.h"
#include "test_support.h"

class SearchFixture : public ::testing::Test {
 protected:
  static constexpr int kNoClockLimit = 10000000;  // ms

  void SetUp() override {
    engine_setup();
    si.poll_input = false;
    si.bench = true;
    si.infinite = false;
    si.ponder = false;
    si.fixed_time = true;
    si.stop_search = false;
    si.stop_requested = false;
    si.nodes = 0;
    si.mate = -1;
    si.elapsed = 0;
    si.time_available = max_time = kNoClockLimit;
    SearchInput.count = 0;
    OptionUci.multi_pv = 1;
    ext_time_control_type = 0;
    // For node searches called directly, without think.
    start_time = get_ms();
    stop_time = start_time + kNoClockLimit;
    ext_max_tt = kNoClockLimit;
    rnodes = 1;  // away from the poll of every 256th node
    follow_pv = false;
  }

  void TearDown() override {
    si.poll_input = true;
    si.bench = false;
    si.fixed_time = false;
    si.stop_search = false;
    si.nodes = 0;
    si.time_available = 0;
    max_time = 14400000;
    max_depth = 128;
    SearchInput.count = 0;
    OptionUci.multi_pv = 1;
    follow_pv = false;
    set_position("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
  }

  // think() to a fixed depth in plies, without output.
  static void search_to_depth(int depth) {
    max_depth = depth;
    think(0);
  }
};
