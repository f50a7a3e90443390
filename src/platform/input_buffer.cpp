// Lines of standard input, the same on every system: the bytes a poll pulls
// in stay here until a read hands them out, so no waiting line is lost.
#include <cstring>

#include "platform/input_source.h"
#include "platform/platform.h"

namespace {

// Bytes read from standard input but not yet handed out as lines.
char in_buf[1 << 16];
std::size_t in_start = 0, in_end = 0;
bool in_eof = false;
bool in_discarding = false;  // dropping the tail of an over-long line

const char* find_newline() { return static_cast<const char*>(std::memchr(in_buf + in_start, '\n', in_end - in_start)); }

bool buffer_full() { return in_start == 0 && in_end == sizeof in_buf; }

// Pulls whatever standard input has into the buffer; waits only if asked.
void fill_buffer(bool block) {
  if (in_eof) return;
  if (in_start > 0) {
    std::memmove(in_buf, in_buf + in_start, in_end - in_start);
    in_end -= in_start;
    in_start = 0;
  }
  if (in_end == sizeof in_buf) return;
  const long n = read_input_bytes(in_buf + in_end, sizeof in_buf - in_end, block);
  if (n < 0) in_eof = true;
  else in_end += static_cast<std::size_t>(n);
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
  // Lines from Windows GUIs end in CR LF; the CR is no part of a command.
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
