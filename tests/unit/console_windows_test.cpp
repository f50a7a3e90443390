// The Windows console poll: only a whole line counts as waiting input.
#ifdef _WIN32
#include "platform/console_windows.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

INPUT_RECORD key(bool down, WORD code, wchar_t c) {
  INPUT_RECORD e{};
  e.EventType = KEY_EVENT;
  e.Event.KeyEvent.bKeyDown = down;
  e.Event.KeyEvent.wVirtualKeyCode = code;
  e.Event.KeyEvent.uChar.UnicodeChar = c;
  return e;
}

INPUT_RECORD other(WORD type) {
  INPUT_RECORD e{};
  e.EventType = type;
  return e;
}

ConsolePoll poll(const std::vector<INPUT_RECORD>& events) {
  return console_poll(events.data(), static_cast<DWORD>(events.size()));
}

TEST(ConsoleInput, OnlyAKeyDownEnterMakesALineWaiting) {
  // The Enter key-up left from the last line, focus and menu events, then "st" typed.
  std::vector<INPUT_RECORD> events{key(false, VK_RETURN, L'\r'), other(FOCUS_EVENT),    other(MENU_EVENT),
                                   key(true, 'S', L's'),         key(false, 'S', L's'), other(FOCUS_EVENT),
                                   key(true, 'T', L't')};
  EXPECT_FALSE(poll(events).line_waiting);
  EXPECT_EQ(poll(events).discard, 3u);  // the typed keys and what follows them stay for the read
  events.push_back(key(true, VK_RETURN, L'\r'));
  EXPECT_TRUE(poll(events).line_waiting);
  // A character Enter without its key code, as a program writes it.
  EXPECT_TRUE(poll({other(FOCUS_EVENT), key(true, 0, L'\r')}).line_waiting);
  EXPECT_FALSE(poll({}).line_waiting);
  EXPECT_EQ(poll({other(FOCUS_EVENT), key(false, 'S', L's')}).discard, 2u);
}

}  // namespace
#endif
