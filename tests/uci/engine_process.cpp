#include "engine_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <sstream>
#include <system_error>

namespace {

using Clock = std::chrono::steady_clock;

// Writing to an engine that has died must fail with EPIPE, not kill the test.
void ignore_sigpipe() {
  static const bool done = [] {
    signal(SIGPIPE, SIG_IGN);
    return true;
  }();
  (void)done;
}

int ms_until(Clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<Millis>(deadline - Clock::now()).count();
  return left < 0 ? 0 : static_cast<int>(left);
}

std::filesystem::path make_work_dir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "corvantis-uci-XXXXXX").string();
  if (!mkdtemp(pattern.data())) return {};
  return pattern;
}

void close_fd(int& fd) {
  if (fd >= 0) close(fd);
  fd = -1;
}

int decode_status(int status) {
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return -1;
}

}  // namespace

EngineProcess::EngineProcess(const std::string& binary) {
  ignore_sigpipe();
  work_dir_ = make_work_dir();
  if (work_dir_.empty()) return;

  int to_engine[2], from_engine[2];
  if (pipe2(to_engine, O_CLOEXEC) != 0) return;
  if (pipe2(from_engine, O_CLOEXEC) != 0) {
    close(to_engine[0]);
    close(to_engine[1]);
    return;
  }
  const std::string err_path = (work_dir_ / "stderr.txt").string();
  const int err_fd = open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  const std::string dir = work_dir_.string();

  pid_ = fork();
  if (pid_ == 0) {
    // Only async-signal-safe calls between fork and exec.
    if (dup2(to_engine[0], 0) < 0 || dup2(from_engine[1], 1) < 0 || (err_fd >= 0 && dup2(err_fd, 2) < 0)) _exit(126);
    if (chdir(dir.c_str()) != 0) _exit(126);
    execl(binary.c_str(), binary.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  close(to_engine[0]);
  close(from_engine[1]);
  if (err_fd >= 0) close(err_fd);
  in_fd_ = to_engine[1];
  out_fd_ = from_engine[0];
  if (pid_ < 0) {
    close_fd(in_fd_);
    close_fd(out_fd_);
    return;
  }
  fcntl(in_fd_, F_SETFL, fcntl(in_fd_, F_GETFL) | O_NONBLOCK);
  fcntl(out_fd_, F_SETFL, fcntl(out_fd_, F_GETFL) | O_NONBLOCK);
}

EngineProcess::~EngineProcess() {
  close_fd(in_fd_);
  if (pid_ > 0 && !exit_status_) {
    // A quiet end first, so a sanitizer can still report; then force it.
    if (!wait_exit(Millis(3000))) {
      kill(pid_, SIGKILL);
      int status;
      waitpid(pid_, &status, 0);
    }
  }
  close_fd(out_fd_);
  if (!work_dir_.empty()) {
    std::error_code ignored;
    std::filesystem::remove_all(work_dir_, ignored);
  }
}

bool EngineProcess::send(std::string_view line, Millis timeout) {
  std::string text(line);
  text += '\n';
  return send_raw(text, timeout);
}

bool EngineProcess::send_raw(std::string_view bytes, Millis timeout) {
  if (in_fd_ < 0) return false;
  const auto deadline = Clock::now() + timeout;
  while (!bytes.empty()) {
    const ssize_t n = write(in_fd_, bytes.data(), bytes.size());
    if (n > 0) {
      bytes.remove_prefix(static_cast<std::size_t>(n));
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno != EAGAIN) return false;  // EPIPE: the engine is gone
    if (Clock::now() >= deadline) return false;
    // The pipe is full: the engine may itself be waiting for us to read.
    pollfd fds[2] = {{in_fd_, POLLOUT, 0}, {out_fd_, POLLIN, 0}};
    const int nfds = out_eof_ ? 1 : 2;
    if (poll(fds, nfds, ms_until(deadline)) < 0 && errno != EINTR) return false;
    if (nfds == 2 && fds[1].revents) fill(Clock::now());
  }
  return true;
}

bool EngineProcess::fill(Clock::time_point deadline) {
  if (out_eof_) return false;
  for (;;) {
    char buf[65536];
    const ssize_t n = read(out_fd_, buf, sizeof buf);
    if (n > 0) {
      pending_.append(buf, static_cast<std::size_t>(n));
      return true;
    }
    if (n == 0) {
      out_eof_ = true;
      return false;
    }
    if (errno == EINTR) continue;
    if (errno != EAGAIN) {
      out_eof_ = true;
      return false;
    }
    pollfd p{out_fd_, POLLIN, 0};
    const int ready = poll(&p, 1, ms_until(deadline));
    if (ready == 0) return false;
    if (ready < 0 && errno != EINTR) return false;
  }
}

std::optional<std::string> EngineProcess::take_line() {
  const std::size_t nl = pending_.find('\n');
  if (nl == std::string::npos) return std::nullopt;
  std::string line = pending_.substr(0, nl);
  pending_.erase(0, nl + 1);
  return line;
}

std::optional<std::string> EngineProcess::read_line(Millis timeout) {
  const auto deadline = Clock::now() + timeout;
  for (;;) {
    if (auto line = take_line()) return line;
    if (!fill(deadline)) break;
  }
  if (out_eof_ && !pending_.empty()) {
    std::string rest;
    rest.swap(pending_);
    return rest;
  }
  return std::nullopt;
}

ReadResult EngineProcess::read_until(const std::function<bool(const std::string&)>& done, Millis timeout) {
  const auto deadline = Clock::now() + timeout;
  ReadResult result;
  while (auto line = read_line(Millis(ms_until(deadline)))) {
    result.lines.push_back(*line);
    if (done(*line)) {
      result.found = true;
      break;
    }
  }
  return result;
}

ReadResult EngineProcess::read_until_line(std::string_view exact, Millis timeout) {
  return read_until([exact](const std::string& line) { return line == exact; }, timeout);
}

ReadResult EngineProcess::read_until_prefix(std::string_view prefix, Millis timeout) {
  return read_until([prefix](const std::string& line) { return line.starts_with(prefix); }, timeout);
}

std::vector<std::string> EngineProcess::read_for(Millis quiet) {
  const auto deadline = Clock::now() + quiet;
  std::vector<std::string> lines;
  while (auto line = read_line(Millis(ms_until(deadline)))) lines.push_back(*line);
  return lines;
}

void EngineProcess::close_input() { close_fd(in_fd_); }

std::optional<int> EngineProcess::wait_exit(Millis timeout) {
  if (exit_status_ || pid_ <= 0) return exit_status_;
  const auto deadline = Clock::now() + timeout;
  for (;;) {
    int status;
    const pid_t r = waitpid(pid_, &status, WNOHANG);
    if (r == pid_) {
      exit_status_ = decode_status(status);
      return exit_status_;
    }
    if (r < 0 && errno != EINTR) return std::nullopt;
    if (Clock::now() >= deadline) return std::nullopt;
    // Keep the output pipe drained so a final burst cannot block the exit;
    // once it is closed, poll the exit in short steps.
    if (!fill(std::min(deadline, Clock::now() + Millis(20))) && out_eof_) {
      pollfd none{-1, 0, 0};
      poll(&none, 1, std::min(ms_until(deadline), 5));
    }
  }
}

std::string EngineProcess::stderr_text() const {
  std::ifstream in(work_dir_ / "stderr.txt", std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}
