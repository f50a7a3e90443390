// The optional log of the UCI dialogue ("Log" option).
#pragma once

#include <cstdio>

#include "platform/platform.h"

struct LogInfo {
  std::FILE* fp;
  bool on;
  char name[256];
};

extern LogInfo logi;

// Appends to the log while logging is on; flushed at once so that the log
// survives a crash of the engine or the GUI.
void log_printf(const char* fmt, ...) PRINTF_FORMAT(1, 2);
void log_set(bool on);  // the "Log" option
void log_close(const char* message_format);
