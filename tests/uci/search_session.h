// Searches driven through the engine's dialogue: reading the lines a "go"
// prints, parsing them, and checking a reported move on the engine itself.
#pragma once

#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine_fixture.h"

// Only a failing test waits this long for a line of a running search.
inline constexpr Millis kWhileSearching{60000};

// One iteration line, "info depth ... pv ...", taken apart.
struct DepthLine {
  int depth = 0, seldepth = 0, multipv = 0;
  bool mate = false;  // "score mate N" rather than "score cp N"
  int score = 0;
  std::string bound;  // "", "lowerbound" or "upperbound"
  long long time = 0, nodes = 0, nps = 0;
  std::vector<std::string> pv;
};

struct BestMove {
  std::string move;
  std::string ponder;  // empty when none was reported
};

// Exact line formats, word by word at single blanks: in the pattern "#" is a
// decimal, "-#" a decimal that may be negative, "@" a move text such as
// "e7e8q"; any other word must appear as it is.
bool matches(const std::string& line, std::initializer_list<std::string_view> pattern);
bool is_summary(const std::string& line);  // "info time T nodes N"

// Nothing when the line is not exactly in the iteration format.
std::optional<DepthLine> parse_depth_line(const std::string& line);
std::vector<DepthLine> depth_lines(const std::vector<std::string>& lines);
std::optional<BestMove> parse_bestmove(const std::string& line);

// The node count of the "info time T nodes N" summary, -1 when there is none.
long long summary_nodes(const std::vector<std::string>& lines);
long long summary_time(const std::vector<std::string>& lines);

bool is_bestmove(const std::string& line);
// Matches the first iteration line of that depth.
std::function<bool(const std::string&)> depth_reached(int depth);
bool any_bestmove(const std::vector<std::string>& lines);
bool any_starts_with(const std::vector<std::string>& lines, const std::string& prefix);

// The position command with one more move played at its end.
std::string with_move(const std::string& position, const std::string& move);

class SearchSession : public EngineTest {
 protected:
  // Sends the command and reads up to and including the "bestmove" line.
  std::vector<std::string> go(const std::string& command, Millis timeout = kReplyTimeout);
  std::vector<std::string> search(const std::string& position, const std::string& command,
                                  Millis timeout = kReplyTimeout);

  // The reported move of a finished search; fails the test when there is none.
  BestMove best_of(const std::vector<std::string>& lines);

  // Sends "stop" and reads up to the "bestmove"; *took is the time until it came.
  std::vector<std::string> stop(Millis* took = nullptr);

  // Reads while the search runs until a line satisfies done; fails the test
  // when the search ends or the line does not come.
  std::vector<std::string> wait_for(const std::function<bool(const std::string&)>& done, Millis timeout);

  // The engine's FEN after setting up the position (the position stays set).
  std::string fen_of(const std::string& position);

  // The move is legal in the position: the engine plays it without complaint.
  void expect_legal(const std::string& position, const std::string& move);
  // After an ordinary search the engine's board is one move further: it must
  // equal the position with the reported move played.
  void expect_played(const std::string& position, const std::string& move);
};
