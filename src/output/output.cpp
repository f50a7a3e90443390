#include "output/output.h"

#include <cstdarg>

LogInfo logi;

namespace {

void write_log(const char* fmt, va_list args) {
  std::vfprintf(logi.fp, fmt, args);
  std::fflush(logi.fp);
}

void log_raw(const char* fmt, ...) {
  va_list args;
  va_start(args, fmt);
  write_log(fmt, args);
  va_end(args);
}

}  // namespace

void log_printf(const char* fmt, ...) {
  if (!logi.on || !logi.fp) return;
  va_list args;
  va_start(args, fmt);
  write_log(fmt, args);
  va_end(args);
}

void log_set(bool on) {
  if (on) {
    logi.on = true;
    if (logi.fp) return;
    logi.fp = std::fopen(logi.name, "a+");
    if (!logi.fp) {
      logi.on = false;
      SendInfo("info string failed to open %s for logging", logi.name);
      return;
    }
    log_raw("Open %s for logging\n", logi.name);
  } else if (logi.on) {
    log_close("Close %s for logging\n");
  }
}

void log_close(const char* message_format) {
  logi.on = false;
  if (!logi.fp) return;
  log_raw(message_format, logi.name);
  std::fclose(logi.fp);
  logi.fp = nullptr;
}

void SendInfo(const char* fmt, ...) {
  char buf[4096];
  va_list args, again;
  va_start(args, fmt);
  va_copy(again, args);
  const int n = std::vsnprintf(buf, sizeof buf - 1, fmt, args);
  if (n >= 0 && n < static_cast<int>(sizeof buf) - 1) {
    buf[n] = '\n';
    std::fwrite(buf, 1, static_cast<std::size_t>(n) + 1, stdout);
  } else if (n >= 0) {
    // Longer than the buffer (an echoed overlong command): written in parts.
    std::vfprintf(stdout, fmt, again);
    std::fputc('\n', stdout);
  }
  va_end(again);
  va_end(args);
}
