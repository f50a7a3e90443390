// The built engine as a child process, driven through pipes the way a GUI
// drives it. Every read waits for an expected line up to a deadline, so the
// tests neither sleep nor depend on how fast the engine answers.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

using Millis = std::chrono::milliseconds;

// Long enough for a sanitizer build on a heavily loaded machine; a healthy
// engine answers within milliseconds, so only failing tests wait this long.
inline constexpr Millis kReplyTimeout{30000};

// What read_until saw: every line up to and including the one that ended
// the wait (found), or everything read before the deadline or the end of
// output (not found).
struct ReadResult {
  std::vector<std::string> lines;
  bool found = false;
};

class EngineProcess {
 public:
  // Starts the binary in a fresh temporary working directory, so files the
  // engine writes (its log) land there and vanish with the process object.
  explicit EngineProcess(const std::string& binary = CORVANTIS_BINARY);
  ~EngineProcess();
  EngineProcess(const EngineProcess&) = delete;
  EngineProcess& operator=(const EngineProcess&) = delete;

  bool started() const { return pid_ > 0; }
  pid_t pid() const { return pid_; }
  const std::filesystem::path& work_dir() const { return work_dir_; }

  // Writes the line and a newline. Keeps draining the engine's output while
  // the pipe is full, so large inputs cannot deadlock against large outputs.
  // False when the engine stopped reading (exited, or stuck past the timeout).
  bool send(std::string_view line, Millis timeout = kReplyTimeout);
  bool send_raw(std::string_view bytes, Millis timeout = kReplyTimeout);

  // The next output line without its newline; nothing at the deadline or at
  // the end of output (a last unterminated line is still returned).
  std::optional<std::string> read_line(Millis timeout = kReplyTimeout);

  // Reads lines until one satisfies done.
  ReadResult read_until(const std::function<bool(const std::string&)>& done, Millis timeout = kReplyTimeout);
  ReadResult read_until_line(std::string_view exact, Millis timeout = kReplyTimeout);
  ReadResult read_until_prefix(std::string_view prefix, Millis timeout = kReplyTimeout);

  // Lines the engine printed within the quiet period; empty means silence.
  std::vector<std::string> read_for(Millis quiet);

  // End of input: the engine sees end of file on its standard input.
  void close_input();
  bool output_closed() const { return out_eof_; }

  // Exit status: the exit code, or 128 + signal number when killed by a
  // signal; nothing if the engine still runs at the deadline. Output that
  // arrives meanwhile stays readable.
  std::optional<int> wait_exit(Millis timeout = kReplyTimeout);

  // What the engine wrote to standard error (sanitizer reports end up here).
  std::string stderr_text() const;

 private:
  // Moves available output into the buffer, waiting up to the deadline for
  // some to arrive. False at the deadline or end of output.
  bool fill(std::chrono::steady_clock::time_point deadline);
  std::optional<std::string> take_line();

  std::filesystem::path work_dir_;
  pid_t pid_ = -1;
  int in_fd_ = -1;   // the engine's standard input
  int out_fd_ = -1;  // the engine's standard output
  bool out_eof_ = false;
  std::optional<int> exit_status_;
  std::string pending_;  // output read but not yet handed out as lines
};
