#include "harness.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

namespace {

using Clock = std::chrono::steady_clock;

bool is_square(std::string_view s) { return s.size() >= 2 && s[0] >= 'a' && s[0] <= 'h' && s[1] >= '1' && s[1] <= '8'; }

int ms_until(Clock::time_point deadline) {
  return static_cast<int>(std::max<long long>(0, std::chrono::duration_cast<Millis>(deadline - Clock::now()).count()));
}

}  // namespace

std::string joined(const Lines& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

bool matches(std::string_view line, std::string_view pattern) {
  const auto digits = [&line](std::size_t from) {
    while (from < line.size() && std::isdigit(static_cast<unsigned char>(line[from]))) ++from;
    return from;
  };
  for (const char p : pattern) {
    std::size_t n = 1;
    if (p == '#' || p == '~') {
      const std::size_t sign = p == '~' && line.starts_with('-');
      if ((n = digits(sign)) == sign) return false;
    } else if (p == '@') {
      if (!is_square(line) || !is_square(line.substr(2))) return false;
      n = line.size() > 4 && line[4] && std::strchr("nbrq", line[4]) ? 5 : 4;
    } else if (!line.starts_with(p)) {
      return false;
    }
    line.remove_prefix(n);
  }
  return line.empty();
}

bool any_starts(const Lines& lines, std::string_view prefix) {
  return std::any_of(lines.begin(), lines.end(), [prefix](const std::string& l) { return l.starts_with(prefix); });
}

std::optional<Iteration> iteration(std::string line) {
  Iteration it;
  const std::size_t pv = line.find(" pv ");
  if (pv == std::string::npos) return std::nullopt;
  std::istringstream moves(line.substr(pv + 4));
  for (std::string move; moves >> move; it.pv.push_back(move))
    if (!matches(move, "@")) return std::nullopt;
  line.resize(pv);
  const std::size_t mate = line.find(" score mate ");
  if ((it.mate = mate != std::string::npos)) line.replace(mate, 12, " score cp ");
  for (const char* bound : {" lowerbound", " upperbound"})
    if (const std::size_t at = line.find(bound); at != std::string::npos) line.erase(at, 11);
  if (const std::size_t at = line.find(" wdl "); at != std::string::npos) {
    std::array<int, 3> wdl{};
    int length = 0;
    if (std::sscanf(line.c_str() + at, " wdl %d %d %d%n", &wdl[0], &wdl[1], &wdl[2], &length) != 3) return std::nullopt;
    it.wdl = wdl;
    line.erase(at, length);
  }
  if (it.pv.empty() || !matches(line, "info depth # seldepth # multipv # score cp ~ time # nodes # nps #"))
    return std::nullopt;
  std::sscanf(line.c_str(), "info depth %d seldepth %*d multipv %d score cp %d time %lld nodes %lld nps %lld",
              &it.depth, &it.multipv, &it.score, &it.time, &it.nodes, &it.nps);
  return it;
}

std::vector<Iteration> iterations(const Lines& lines) {
  std::vector<Iteration> out;
  for (const std::string& line : lines)
    if (auto it = iteration(line)) out.push_back(*it);
  return out;
}

Summary summary(const Lines& lines) {
  Summary s;
  if (lines.size() >= 2 && matches(lines[lines.size() - 2], "info time # nodes #"))
    std::sscanf(lines[lines.size() - 2].c_str(), "info time %lld nodes %lld", &s.time, &s.nodes);
  return s;
}

std::vector<std::string> engine_command() {
  const char* named = std::getenv("CORVANTIS_UCI_ENGINE");
  if (!named || !*named) return {CORVANTIS_BINARY};
  std::istringstream words(named);
  std::vector<std::string> command;
  for (std::string word; words >> word;) command.push_back(word);
  return command;
}

bool windows_engine() { return engine_command().back().ends_with(".exe"); }

void EngineTest::SetUp() {
  signal(SIGPIPE, SIG_IGN);  // writing to a dead engine must fail, not kill the test
  std::string pattern = (std::filesystem::temp_directory_path() / "corvantis-uci-XXXXXX").string();
  ASSERT_TRUE(mkdtemp(pattern.data()));
  dir = pattern;
  crlf_ = windows_engine();
  std::vector<std::string> command = engine_command();
  std::vector<char*> argv;
  for (std::string& word : command) argv.push_back(word.data());
  argv.push_back(nullptr);
  const rlimit data{data_limit, data_limit}, stack{8 << 20, 8 << 20};
  int to[2], from[2];
  ASSERT_TRUE(pipe2(to, O_CLOEXEC) == 0 && pipe2(from, O_CLOEXEC) == 0);
  started = std::time(nullptr);
  pid_ = fork();
  if (pid_ == 0) {  // only async-signal-safe calls until exec
    if (dup2(to[0], 0) < 0 || dup2(from[1], 1) < 0 || chdir(dir.c_str()) != 0) _exit(126);
    if (data_limit && (setrlimit(RLIMIT_DATA, &data) != 0 || setrlimit(RLIMIT_STACK, &stack) != 0)) _exit(126);
    execv(argv[0], argv.data());
    _exit(127);
  }
  close(to[0]);
  close(from[1]);
  in_ = to[1];
  out_ = from[0];
  ASSERT_GT(pid_, 0);
  fcntl(in_, F_SETFL, O_NONBLOCK);
  // The engine announces itself only on processors with POPCNT.
  if (__builtin_cpu_supports("popcnt")) {
    ASSERT_EQ(read_line(), "info string Corvantis v2019.2.37.73 64bit POPCNT");
  }
}

EngineTest::~EngineTest() {
  close_input();
  if (pid_ > 0 && !exit_status(Millis(3000))) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
  if (out_ >= 0) close(out_);
  std::error_code ignored;
  std::filesystem::remove_all(dir, ignored);
}

bool EngineTest::send_raw(std::string_view bytes) {
  const auto deadline = Clock::now() + kTimeout;
  while (!bytes.empty() && Clock::now() < deadline) {
    const ssize_t n = write(in_, bytes.data(), bytes.size());
    if (n < 0 && errno != EAGAIN) return false;  // the engine is gone, or its input was closed
    if (n > 0) bytes.remove_prefix(static_cast<std::size_t>(n));
    if (n < 0) pull(10);  // a full pipe: the engine may itself be waiting for us to read
  }
  return bytes.empty();
}

bool EngineTest::pull(int ms) {
  pollfd p{out_, POLLIN, 0};
  if (eof_ || poll(&p, 1, ms) <= 0) return false;
  char buf[65536];
  const ssize_t n = read(out_, buf, sizeof buf);
  if (n > 0) pending_.append(buf, static_cast<std::size_t>(n));
  eof_ = n <= 0;
  return n > 0;
}

std::optional<std::string> EngineTest::read_line(Millis timeout) {
  const auto deadline = Clock::now() + timeout;
  std::size_t nl;
  while ((nl = pending_.find('\n')) == std::string::npos)
    if (!pull(ms_until(deadline))) return std::nullopt;
  std::string line = pending_.substr(0, nl);
  pending_.erase(0, nl + 1);
  if (crlf_ && line.ends_with('\r')) line.pop_back();
  return line;
}

Lines EngineTest::read_for(Millis period, const LineTest& done) {
  const auto deadline = Clock::now() + period;
  Lines lines;
  while (auto line = read_line(Millis(ms_until(deadline)))) {
    lines.push_back(*line);
    if (done && done(*line)) break;
  }
  return lines;
}

Lines EngineTest::read_until(const LineTest& done, Millis timeout) {
  Lines lines = read_for(timeout, done);
  if (lines.empty() || !done(lines.back())) ADD_FAILURE() << "the awaited line did not come:\n" << joined(lines);
  return lines;
}

void EngineTest::close_input() {
  if (in_ >= 0) close(in_);
  in_ = -1;
}

std::optional<int> EngineTest::exit_status(Millis timeout) {
  const auto deadline = Clock::now() + timeout;
  for (int s; pid_ > 0 && Clock::now() < deadline;) {
    if (waitpid(pid_, &s, WNOHANG) == pid_) {
      pid_ = -1;
      return WIFEXITED(s) ? WEXITSTATUS(s) : 128 + WTERMSIG(s);
    }
    // Keep the output drained, so a last burst cannot block the exit.
    if (!pull(10) && eof_) poll(nullptr, 0, 10);
  }
  return std::nullopt;
}

Lines EngineTest::expect_exit(int status) {
  exited = true;
  const std::optional<int> ended = exit_status(kTimeout);
  const Lines rest = read_for(Millis(0));
  EXPECT_EQ(ended, status) << "output after the last command:\n" << joined(rest);
  return rest;
}

long long EngineTest::proc_status(const std::string& field) const {
  std::ifstream in("/proc/" + std::to_string(pid_) + "/status");
  for (std::string name; in >> name; in.ignore(1 << 16, '\n'))
    if (name == field + ":") {
      long long value = -1;
      in >> value;
      return value;
    }
  return -1;
}

Lines EngineTest::ask(std::string_view command) {
  EXPECT_TRUE(send(std::string(command) + "\nisready")) << "the engine stopped reading";
  Lines lines = read_until([](const std::string& line) { return line == "readyok"; });
  if (!lines.empty() && lines.back() == "readyok") lines.pop_back();
  return lines;
}

std::string EngineTest::fen() {
  const Lines lines = ask("fen");
  EXPECT_EQ(lines.size(), 1u) << joined(lines);
  return lines.empty() ? "" : lines[0];
}

std::string EngineTest::fen_after(const std::string& position, const std::string& move) {
  // The engine reports any move it cannot play.
  const std::string command =
      move.empty() ? position : position + (position.find(" moves") == std::string::npos ? " moves " : " ") + move;
  EXPECT_EQ(ask(command), Lines{}) << command;
  return fen();
}

Lines EngineTest::wait_for(const LineTest& done) {
  Lines lines = read_until([&](const std::string& line) { return done(line) || is_bestmove(line); });
  EXPECT_FALSE(!lines.empty() && is_bestmove(lines.back())) << "the search ended early:\n" << joined(lines);
  return lines;
}

std::pair<std::string, std::string> EngineTest::best_of(const Lines& lines) {
  const std::string last = lines.empty() ? "" : lines.back();
  if (last == "bestmove 0000" || matches(last, "bestmove @")) return {last.substr(9), ""};
  const std::size_t blank = last.find(' ', 9);
  if (matches(last, "bestmove @ ponder @")) return {last.substr(9, blank - 9), last.substr(blank + 8)};
  ADD_FAILURE() << "no bestmove line at the end:\n" << joined(lines);
  return {};
}

Lines EngineTest::file_lines(const std::filesystem::path& file) {
  Lines lines;
  std::ifstream in(file);
  for (std::string line; std::getline(in, line); lines.push_back(line))
    if (crlf_ && line.ends_with('\r')) line.pop_back();
  return lines;
}

std::vector<std::string> EngineTest::log_names() const {
  std::vector<std::string> names;
  for (std::time_t t = started; t <= std::time(nullptr); ++t) {
    char stamp[64];
    std::strftime(stamp, sizeof stamp, "log-%H%M%S%a%d%b%Y.txt", std::localtime(&t));
    names.push_back(stamp);
  }
  return names;
}
