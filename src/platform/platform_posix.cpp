#include "platform/platform.h"

#include <poll.h>
#include <sys/mman.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#endif

namespace {

// Bytes read from standard input but not yet handed out as lines.
char in_buf[1 << 16];
std::size_t in_start = 0, in_end = 0;
bool in_eof = false;
bool in_discarding = false;  // dropping the tail of an over-long line

const char* find_newline() {
  return static_cast<const char*>(std::memchr(in_buf + in_start, '\n', in_end - in_start));
}

bool buffer_full() { return in_start == 0 && in_end == sizeof in_buf; }

// Pulls whatever the descriptor has into the buffer; blocks only if asked.
void fill_buffer(bool block) {
  if (in_eof) return;
  if (in_start > 0) {
    std::memmove(in_buf, in_buf + in_start, in_end - in_start);
    in_end -= in_start;
    in_start = 0;
  }
  if (in_end == sizeof in_buf) return;
  if (!block) {
    pollfd p{0, POLLIN, 0};
    if (poll(&p, 1, 0) <= 0) return;
  }
  for (;;) {
    ssize_t n = read(0, in_buf + in_end, sizeof in_buf - in_end);
    if (n > 0) {
      in_end += static_cast<std::size_t>(n);
      return;
    }
    if (n == 0 || errno != EINTR) {
      in_eof = true;
      return;
    }
  }
}

// Drops the rest of a line that did not fit; true once its newline is gone.
bool skip_discarded_tail() {
  if (!in_discarding) return true;
  if (const char* nl = find_newline()) {
    in_start = static_cast<std::size_t>(nl - in_buf) + 1;
    in_discarding = false;
    return true;
  }
  in_start = in_end = 0;
  return false;
}

bool line_ready() {
  return skip_discarded_tail() && (find_newline() != nullptr || buffer_full() || (in_eof && in_end > in_start));
}

}  // namespace

int bioskey() {
  if (line_ready()) return 1;
  fill_buffer(false);
  return line_ready() || in_eof ? 1 : 0;
}

bool read_input_line(char* buf, int size) {
  while (!line_ready()) {
    if (in_eof) return false;
    fill_buffer(true);
  }
  const char* nl = find_newline();
  std::size_t len = nl ? static_cast<std::size_t>(nl - (in_buf + in_start)) : in_end - in_start;
  std::size_t keep = len < static_cast<std::size_t>(size - 1) ? len : static_cast<std::size_t>(size - 1);
  std::memcpy(buf, in_buf + in_start, keep);
  // Lines from Windows-style pipes end in CR LF; the CR is no part of a command.
  if (keep > 0 && buf[keep - 1] == '\r') --keep;
  buf[keep] = '\0';
  if (nl) {
    in_start += len + 1;
  } else {
    in_start = in_end = 0;
    in_discarding = !in_eof;  // a full buffer without newline: drop the rest of that line
  }
  return true;
}

std::int64_t get_ms() {
  timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<std::int64_t>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

void format_local_time(char* out, std::size_t size, const char* format) {
  time_t now = time(nullptr);
  tm local;
  localtime_r(&now, &local);
  if (strftime(out, size, format, &local) == 0 && size > 0) out[0] = '\0';
}

void* allocate_large(std::size_t bytes) {
  void* p = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (p == MAP_FAILED) return nullptr;
#ifdef MADV_HUGEPAGE
  madvise(p, bytes, MADV_HUGEPAGE);
#endif
  return p;
}

void free_large(void* p, std::size_t bytes) {
  if (p) munmap(p, bytes);
}

bool isPOPCNTSupported() {
#if defined(__x86_64__) || defined(__i386__)
  unsigned eax, ebx, ecx, edx;
  if (__get_cpuid_max(0, nullptr) < 1) return false;
  __cpuid_count(1, 0, eax, ebx, ecx, edx);
  return (ecx >> 23) & 1;
#else
  return false;
#endif
}
