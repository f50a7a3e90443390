#include "platform/console_windows.h"

namespace {

bool key_down(const INPUT_RECORD& e) { return e.EventType == KEY_EVENT && e.Event.KeyEvent.bKeyDown; }

// Typed, or written into the console by a program that sets only the character.
bool enter(const KEY_EVENT_RECORD& k) { return k.wVirtualKeyCode == VK_RETURN || k.uChar.UnicodeChar == L'\r'; }

}  // namespace

ConsolePoll console_poll(const INPUT_RECORD* events, DWORD count) {
  ConsolePoll poll{false, 0};
  // Key-downs stay: the line editor reads the typed characters, and the
  // arrows of its history, from them.
  while (poll.discard < count && !key_down(events[poll.discard])) ++poll.discard;
  for (DWORD i = poll.discard; i < count && !poll.line_waiting; ++i)
    poll.line_waiting = key_down(events[i]) && enter(events[i].Event.KeyEvent);
  return poll;
}
