// A started engine for each test, with the checks every dialogue shares:
// the header line at start, and a clean exit after "quit" at the end.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "engine_process.h"

inline constexpr const char* kEngineName = "Corvantis v2019.2.37.73";
inline constexpr const char* kStartFen = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";

// The engine announces itself only on processors with POPCNT.
bool host_has_popcnt();
std::string header_line();

// The lines, one per row, for failure messages.
std::string joined(const std::vector<std::string>& lines);

// The node count of a "perft" report, -1 when there is none.
long long perft_nodes(const std::vector<std::string>& report);

class EngineTest : public ::testing::Test {
 protected:
  void SetUp() override;
  // Sends "quit" unless the test ended the engine itself, then requires exit
  // status 0 and nothing on standard error.
  void TearDown() override;

  // Sends the command and "isready"; commands run in order, so what comes
  // before "readyok" is the command's whole output.
  std::vector<std::string> ask(std::string_view command);
  std::vector<std::string> ask_raw(std::string_view bytes);  // bytes must end in a newline

  // The engine's FEN of its current position.
  std::string current_fen();

  // Waits for the exit the test caused, requires status 0 and a clean
  // stderr; returns the output not read before.
  std::vector<std::string> expect_clean_exit();

  EngineProcess engine;
  bool exited = false;
};
