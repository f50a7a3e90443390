// Time allotment from the clock, and the poll's stop decisions (deadlines set
// in the past or far ahead, so nothing here waits on the clock).
#include <gtest/gtest.h>

#include <string>

#include "board/position.h"
#include "engine/options.h"
#include "engine/uci.h"
#include "platform/platform.h"
#include "search/think.h"
#include "search/timecontrol.h"
#include "search_fixture.h"

namespace {

class TimeAllocation : public SearchFixture {
 protected:
  void SetUp() override {
    SearchFixture::SetUp();
    hply = 0;
    OptionUci.time_buffer = 60;
  }
  void TearDown() override {
    hply = 0;
    for (int& s : si.score_history) s = 0;
    OptionUci.time_buffer = 60;
    SearchFixture::TearDown();
  }
  // The allotment with the search two plies earlier scoring `previous`.
  static int with_previous_score(int previous, int own_time) {
    hply = 10;
    si.score_history[8] = previous;
    allocate_time(own_time, -1, -1);
    return max_time;
  }
};

TEST_F(TimeAllocation, SuddenDeath) {
  allocate_time(60000, -1, -1);
  EXPECT_EQ(max_time, 1988);
  EXPECT_EQ(si.time_available, 59640);
  allocate_time(60000, 1000, -1);
  EXPECT_EQ(max_time, 2788);
  EXPECT_EQ(si.time_available, 59640);
}

TEST_F(TimeAllocation, MovesToGo) {
  allocate_time(10000, -1, 1);
  EXPECT_EQ(max_time, 6958);
  EXPECT_EQ(si.time_available, 9940);
  allocate_time(10000, -1, 20);
  EXPECT_EQ(max_time, 497);
  allocate_time(10000, 500, 20);
  EXPECT_EQ(max_time, 497 + 400);
}

TEST_F(TimeAllocation, NearlyFlaggedGetsTheMinimum) {
  allocate_time(500, -1, -1);
  EXPECT_EQ(si.time_available, 140);
  EXPECT_EQ(max_time, 20);
  allocate_time(100, -1, -1);
  EXPECT_EQ(si.time_available, 0);
  EXPECT_EQ(max_time, 20);
  allocate_time(30, -1, 1);  // less than the buffer
  EXPECT_EQ(max_time, 20);
}

TEST_F(TimeAllocation, LosingSideSpendsMore) {
  // 60000 - 60 = 59940, less 10 ms per planned move, shared among N moves.
  EXPECT_EQ(with_previous_score(-150, 60000), (59940 - 200) / 20);
  EXPECT_EQ(with_previous_score(-201, 60000), (59940 - 160) / 16);
  EXPECT_EQ(with_previous_score(-200, 60000), (59940 - 200) / 20);
  EXPECT_EQ(with_previous_score(-100, 60000), (59940 - 240) / 24);
  EXPECT_EQ(with_previous_score(-1, 60000), (59940 - 240) / 24);
  EXPECT_EQ(with_previous_score(0, 60000), 1988);
  EXPECT_EQ(with_previous_score(500, 60000), 1988);
  // Two plies into the game there is no earlier search to go by.
  hply = 2;
  si.score_history[0] = -1000;
  allocate_time(60000, -1, -1);
  EXPECT_EQ(max_time, 1988);
}

TEST_F(TimeAllocation, BufferOption) {
  OptionUci.time_buffer = 1000;
  allocate_time(60000, -1, -1);
  EXPECT_EQ(si.time_available, 60000 - 1000 - 300);
  EXPECT_EQ(max_time, (60000 - 1000 - 300) / 30);
}

TEST_F(TimeAllocation, LargestClockDoesNotOverflow) {
  allocate_time(1000000000, 1000000000, 1);
  EXPECT_EQ(max_time, 699999958 + 800000000);
}

class Poll : public SearchFixture {};

TEST_F(Poll, StopsAtTheSoftLimit) {
  stop_time = get_ms() - 1;
  CheckUserInputandTime();
  EXPECT_TRUE(si.stop_search);
}

TEST_F(Poll, StopsAtTheHardLimit) {
  start_time = get_ms() - 5000;
  ext_max_tt = 5000;
  CheckUserInputandTime();
  EXPECT_TRUE(si.stop_search);
}

TEST_F(Poll, InfiniteAndPonderSearchesIgnoreTheClock) {
  stop_time = get_ms() - 1000;
  start_time = get_ms() - 100000;
  ext_max_tt = 1;
  si.infinite = true;
  CheckUserInputandTime();
  EXPECT_FALSE(si.stop_search);
  si.infinite = false;
  si.ponder = true;
  CheckUserInputandTime();
  EXPECT_FALSE(si.stop_search);
  si.ponder = false;
  CheckUserInputandTime();
  EXPECT_TRUE(si.stop_search);
}

TEST_F(Poll, StopRequestAndNodeBudget) {
  si.infinite = true;
  si.stop_requested = true;
  CheckUserInputandTime();
  EXPECT_TRUE(si.stop_search);
  si.stop_requested = false;

  si.stop_search = false;
  si.nodes = 1000;
  rnodes = 999;
  CheckUserInputandTime();
  EXPECT_FALSE(si.stop_search);
  rnodes = 1000;
  CheckUserInputandTime();
  EXPECT_TRUE(si.stop_search);
}

TEST_F(Poll, PeriodicNodeLineFromTheSecondSecondOutsideBench) {
  si.infinite = true;
  si.bench = false;
  start_time = get_ms() - 1500;
  last_info_time = 0;
  rnodes = 3000;
  testing::internal::CaptureStdout();
  CheckUserInputandTime();
  CheckUserInputandTime();  // not again within the same second
  const std::string out = testing::internal::GetCapturedStdout();
  EXPECT_EQ(out.rfind("info nodes 3000 nps ", 0), 0u) << out;
  EXPECT_EQ(out.find("info nodes", 1), std::string::npos) << out;
  EXPECT_GE(last_info_time, 1500);

  si.bench = true;
  start_time = get_ms() - 5000;
  testing::internal::CaptureStdout();
  CheckUserInputandTime();
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

}  // namespace
