// What the system refuses the engine: a log file it cannot create, memory
// for the hash table it asks for, threads. The engine says so on one "info
// string" line and goes on with what it has, or ends in order when it has
// nothing left.
#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "harness.h"

namespace {

using UciRefusal = EngineTest;

// A directory where the log file would go: no system opens that for
// writing, not even for the administrator. The engine goes on without a log
// and starts one at the next request once the way is clear.
TEST_F(UciRefusal, LogFileThatCannotBeCreatedLeavesLoggingOff) {
  EXPECT_EQ(ask("position startpos moves e2e4"), Lines{});  // the engine has named its log file by now
  const std::vector<std::string> names = log_names();
  for (const std::string& name : names) std::filesystem::create_directory(dir / name);
  const Lines refused = ask("setoption name Log value true");
  ASSERT_EQ(refused.size(), 1u) << joined(refused);
  EXPECT_TRUE(std::any_of(names.begin(), names.end(), [&](const std::string& name) {
    return refused[0] == "info string failed to open " + name + " for logging";
  })) << refused[0];
  expect_played("position startpos moves e2e4", go("go depth 3"));
  for (const std::string& name : names) std::filesystem::remove(dir / name);
  EXPECT_EQ(ask("setoption name Log value true"), Lines{});
  send("quit");
  expect_exit();
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), {}), 1) << "one log file";
}

// The engine's data limited to 1 GB: the largest hash table (1536 MB) does
// not fit, half of it does.
class UciMemoryLimit : public EngineTest {
 protected:
  void SetUp() override {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the address sanitizer's shadow memory does not fit under a data limit";
#endif
    if (windows_engine())
      GTEST_SKIP() << "wine commits Windows memory past a data limit, and enforces no job memory limit";
    data_limit = 1ull << 30;
    EngineTest::SetUp();
  }
};

TEST_F(UciMemoryLimit, HashTheSystemCannotGiveIsReducedToWhatItCan) {
  const Lines reduced = ask("setoption name Hash value 2048");
  ASSERT_EQ(reduced.size(), 1u) << joined(reduced);
  EXPECT_TRUE(matches(reduced[0], "info string could not allocate 1536 MB for the hash table, using # MB"))
      << reduced[0];
  const int got = std::atoi(reduced[0].c_str() + reduced[0].rfind(' ', reduced[0].size() - 4));
  EXPECT_TRUE(got >= 48 && got <= 768) << reduced[0];
  // The engine goes on with the smaller table.
  expect_played("position startpos", search("position startpos", "go depth 8"));
  ask("setoption name ClearHash");
  EXPECT_EQ(ask("setoption name Hash value 64"), Lines{});  // a size that fits is taken as asked
  expect_played("position startpos", search("position startpos", "go depth 8"));
}

// More threads than the memory holds: the engine says how many it started.
// When a helper cannot have even the smallest cache, the helpers are stopped
// and joined, and the engine ends with its message instead of a crash.
TEST_F(UciMemoryLimit, ThreadsTheSystemCannotGiveThenNoMemoryForTheHelpers) {
  const Lines reply = ask("setoption name Threads value 256");
  ASSERT_EQ(reply.size(), 1u) << joined(reply);
  EXPECT_TRUE(matches(reply[0], "info string could not start 256 threads, using #")) << reply[0];
  ASSERT_EQ(ask("position startpos"), Lines{});
  send("go depth 6");
  const Lines lines = read_until(starts("info string no memory for the "));
  EXPECT_FALSE(any_starts(lines, "info depth") || any_starts(lines, "bestmove")) << joined(lines);
  EXPECT_EQ(expect_exit(1), Lines{});
}

// Threads and Hash changed back and forth: no thread left running, and the
// second round takes no more memory than the first.
TEST_F(UciRefusal, ThreadsAndHashChangedBackAndForthLeaveNothingBehind) {
  if (windows_engine()) GTEST_SKIP() << "reads the engine's /proc status";
#if defined(__SANITIZE_THREAD__)
  constexpr long long kThreads = 2;  // its runtime starts a thread of its own with the program's first
#else
  constexpr long long kThreads = 1;
#endif
  long long resident[2];
  for (long long& after : resident) {
    for (const char* threads : {"256", "1", "64", "1"}) {
      ask(std::string("setoption name Threads value ") + threads);
      ask("setoption name Hash value 16");
      expect_played("position startpos", search("position startpos", "go depth 4"));
      ask("setoption name Hash value 128");
    }
    EXPECT_EQ(proc_status("Threads"), kThreads);
    after = proc_status("VmRSS");
  }
#if !defined(__SANITIZE_ADDRESS__)
  EXPECT_LT(resident[1], resident[0] + 8192) << "kB";
#endif
}

}  // namespace
