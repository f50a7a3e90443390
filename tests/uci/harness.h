// The built engine as a child process driven through pipes as a GUI drives
// it. Every read waits for an expected line up to a deadline: no test sleeps
// or depends on the engine's speed.
#pragma once

#include <gtest/gtest.h>
#include <sys/types.h>

#include <array>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

using Millis = std::chrono::milliseconds;
using Lines = std::vector<std::string>;
using LineTest = std::function<bool(const std::string&)>;

// Long enough for a sanitizer build on a loaded machine; only failing tests wait this long.
inline constexpr Millis kTimeout{30000};
inline constexpr const char* kStartFen = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";

std::string joined(const Lines& lines);  // one per row, for failure messages
// The whole line against the pattern, where '#' stands for a decimal, '~' for
// a decimal that may be negative, '@' for a move text such as "e7e8q".
bool matches(std::string_view line, std::string_view pattern);
bool any_starts(const Lines& lines, std::string_view prefix);
inline LineTest starts(std::string prefix) {
  return [prefix](const std::string& line) { return line.starts_with(prefix); };
}
inline bool is_bestmove(const std::string& line) { return line.starts_with("bestmove"); }

// An "info depth ..." line of an iteration; nothing when its format is off.
struct Iteration {
  int depth = 0, multipv = 0, score = 0;
  bool mate = false;
  std::optional<std::array<int, 3>> wdl;  // " wdl W D L" after the score
  long long time = 0, nodes = 0, nps = 0;
  Lines pv;
};
std::optional<Iteration> iteration(std::string line);
std::vector<Iteration> iterations(const Lines& lines);
// Time and nodes of the "info time T nodes N" line before "bestmove"; -1 without one.
struct Summary {
  long long time = -1, nodes = -1;
};
Summary summary(const Lines& lines);

// The built engine, or the command in CORVANTIS_UCI_ENGINE (words split at
// blanks): the Windows suite names wine, the pipe driver and corvantis.exe.
std::vector<std::string> engine_command();
// True for a Windows engine (corvantis.exe): its lines end in CR LF, its log too.
bool windows_engine();

class EngineTest : public ::testing::Test {
 protected:
  // Starts the engine in a fresh temporary directory, where its log lands,
  // and reads the header line.
  void SetUp() override;
  // Sends "quit" unless the test ended the engine, and requires exit status 0.
  void TearDown() override {
    if (exited || pid_ <= 0) return;
    send("quit");
    expect_exit();
  }
  ~EngineTest() override;

  // Drains the output while the input pipe is full, so large input and output
  // cannot deadlock. False when the engine stopped reading.
  bool send_raw(std::string_view bytes);
  bool send(std::string_view line) { return send_raw(std::string(line) + '\n'); }
  // The next line; nothing at the deadline or the end of output.
  std::optional<std::string> read_line(Millis timeout = kTimeout);
  // The lines within the period, up to and including the first that passes done.
  Lines read_for(Millis period, const LineTest& done = nullptr);
  // As read_for, failing the test when no line passes done.
  Lines read_until(const LineTest& done, Millis timeout = kTimeout);
  void close_input();  // the engine sees the end of its input
  // Waits for the exit the test caused, requires the status, and returns what was not yet read.
  Lines expect_exit(int status = 0);
  // A field of the engine's /proc status, in kB for sizes ("VmRSS", "Threads"); -1 when absent.
  long long proc_status(const std::string& field) const;

  // The command's whole output: what comes before the answer to "isready".
  Lines ask(std::string_view command);
  std::string fen();
  // The FEN after the command and the move, if any (it must be playable).
  std::string fen_after(const std::string& position, const std::string& move = "");

  // Sends the command and reads up to and including "bestmove".
  Lines go(const std::string& command, Millis timeout = kTimeout) {
    EXPECT_TRUE(send(command));
    return read_until(is_bestmove, timeout);
  }
  Lines search(const std::string& position, const std::string& command, Millis timeout = kTimeout) {
    EXPECT_EQ(ask(position), Lines{});
    return go(command, timeout);
  }
  // Reads while the search runs; a failure when it ends before a line passes done.
  Lines wait_for(const LineTest& done);
  // The move and ponder move ("" when none) of the "bestmove" line that ends lines.
  std::pair<std::string, std::string> best_of(const Lines& lines);
  // After an ordinary search the board is one move further: the position with its best move played.
  void expect_played(const std::string& position, const Lines& lines) {
    const std::string board = fen();
    EXPECT_EQ(board, fen_after(position, best_of(lines).first)) << "the board after the search of " << position;
  }

  // The lines of a file the engine wrote, without their line ends.
  Lines file_lines(const std::filesystem::path& file);
  // The names the log file may have: its time stamp is any second from the
  // engine's start until now.
  std::vector<std::string> log_names() const;

  std::filesystem::path dir;
  std::time_t started = 0;  // when the engine was started
  // Set before SetUp: a limit in bytes on the engine's data (RLIMIT_DATA), with
  // the usual 8 MB stacks, whatever the test's own are; 0 = none.
  unsigned long long data_limit = 0;

 private:
  // Moves output into pending_, waiting up to ms; false when nothing came.
  bool pull(int ms);
  // The exit status, 128 + signal number when killed; nothing while it runs.
  std::optional<int> exit_status(Millis timeout);

  pid_t pid_ = -1;
  int in_ = -1, out_ = -1;  // the engine's standard input and output
  bool eof_ = false, exited = false;
  bool crlf_ = false;    // lines end in CR LF
  std::string pending_;  // output not yet handed out as lines
};
