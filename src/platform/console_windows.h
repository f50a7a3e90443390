// What the pending events of a Windows console mean for the input poll,
// decided apart from the console so that it can be tried on made-up events.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

struct ConsolePoll {
  bool line_waiting;  // a key-down Enter is pending: a read returns a whole line without waiting
  DWORD discard;      // leading events a read skips anyway (focus, menu, mouse, key-up): take them off
};

// A console in line mode hands out nothing before Enter, so a read while a
// line is only partly typed would wait for the person at the keyboard.
ConsolePoll console_poll(const INPUT_RECORD* events, DWORD count);
