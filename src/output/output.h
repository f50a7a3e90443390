// What the engine says to the GUI, and the optional log of the dialogue
// ("Log" option). Every floor may print through it.
#pragma once

#include <cstdio>

// Lets the compiler check the arguments of a printf-like function: the
// format is parameter fmt, the arguments start at parameter first.
#if defined(__MINGW32__) && !defined(__clang__)
#define PRINTF_FORMAT(fmt, first) __attribute__((format(gnu_printf, fmt, first)))
#elif defined(__GNUC__) || defined(__clang__)
#define PRINTF_FORMAT(fmt, first) __attribute__((format(printf, fmt, first)))
#else
#define PRINTF_FORMAT(fmt, first)
#endif

struct LogInfo {
  std::FILE* fp;
  bool on;
  char name[256];
};

extern LogInfo logi;

// One line to the GUI: the text and a newline, in one write up to 4 KB.
// Every line of the engine goes out through here: the Windows C runtime
// writes a printf to an unbuffered pipe one character at a time, a system
// call each (under wine a round trip to its server, some 8 ms for an
// "info depth" line).
void SendInfo(const char* fmt, ...) PRINTF_FORMAT(1, 2);

// Appends to the log while logging is on; flushed at once so that the log
// survives a crash of the engine or the GUI.
void log_printf(const char* fmt, ...) PRINTF_FORMAT(1, 2);
void log_set(bool on);  // the "Log" option
void log_close(const char* message_format);
