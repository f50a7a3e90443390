// The Windows side of the platform layer.
#include <intrin.h>

#include <ctime>

#include "platform/console_windows.h"
#include "platform/input_source.h"
#include "platform/platform.h"

namespace {

HANDLE input_handle = nullptr;
bool input_opened = false;
bool input_is_pipe = false;

// A GUI hands the engine a pipe; a person at a console types. Window and
// mouse events are switched off; focus and menu events cannot be.
void open_input() {
  input_opened = true;
  input_handle = GetStdHandle(STD_INPUT_HANDLE);
  DWORD mode;
  input_is_pipe = !GetConsoleMode(input_handle, &mode);
  if (!input_is_pipe) {
    SetConsoleMode(input_handle, mode & ~static_cast<DWORD>(ENABLE_WINDOW_INPUT | ENABLE_MOUSE_INPUT));
    FlushConsoleInputBuffer(input_handle);
  }
}

// Large pages need the right to lock pages in memory, which an
// administrator grants to the user; the process must still switch it on.
// Returns the large-page size, or 0 when the process may not use them.
SIZE_T large_page_size() {
  static const SIZE_T size = [] {
    HANDLE token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) return SIZE_T{0};
    TOKEN_PRIVILEGES privileges{};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    bool held = LookupPrivilegeValueA(nullptr, "SeLockMemoryPrivilege", &privileges.Privileges[0].Luid) &&
                AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr) &&
                GetLastError() == ERROR_SUCCESS;  // ERROR_NOT_ALL_ASSIGNED: the right is not held
    CloseHandle(token);
    return held ? GetLargePageMinimum() : SIZE_T{0};
  }();
  return size;
}

// True when a read of the console returns at once: a whole line is there.
// Takes off the leading events that are no typing. A failed look (the
// console has gone) means: read, and meet the end of input. A window full of
// key events without Enter is a long line pasted at once, whose Enter follows.
bool console_line_waiting() {
  constexpr DWORD WINDOW = 1024;
  static INPUT_RECORD events[WINDOW];
  DWORD count = 0;
  if (!PeekConsoleInputW(input_handle, events, WINDOW, &count)) return true;
  const ConsolePoll poll = console_poll(events, count);
  DWORD taken = 0;
  if (poll.discard > 0) ReadConsoleInputW(input_handle, events, poll.discard, &taken);
  return poll.line_waiting || (count == WINDOW && poll.discard == 0);
}

}  // namespace

long read_input_bytes(char* dst, std::size_t room, bool block) {
  if (!input_opened) open_input();
  // At most the line buffer's 64 kB; a console hands out a line per read
  // and refuses very large buffers.
  DWORD want = static_cast<DWORD>(room);
  if (!input_is_pipe && want > 4096) want = 4096;
  if (!block) {
    if (input_is_pipe) {
      DWORD available = 0;
      // A failed peek (the writer has gone, or input is a file) means:
      // read, and meet the end of input or the file's bytes.
      if (PeekNamedPipe(input_handle, nullptr, 0, nullptr, &available, nullptr)) {
        if (available == 0) return 0;
        if (available < want) want = available;
      }
    } else if (!console_line_waiting()) {
      return 0;
    }
  }
  DWORD got = 0;
  if (!ReadFile(input_handle, dst, want, &got, nullptr) || got == 0) return -1;
  return static_cast<long>(got);
}

std::int64_t get_ms() {
  // The performance counter is monotonic and finer than the tick count.
  LARGE_INTEGER count, frequency;
  QueryPerformanceCounter(&count);
  QueryPerformanceFrequency(&frequency);
  const std::int64_t f = frequency.QuadPart;
  return count.QuadPart / f * 1000 + count.QuadPart % f * 1000 / f;
}

void format_local_time(char* out, std::size_t size, const char* format) {
  const std::time_t now = std::time(nullptr);
  std::tm local;
  if (localtime_s(&local, &now) != 0 || std::strftime(out, size, format, &local) == 0) {
    if (size > 0) out[0] = '\0';
  }
}

void* allocate_large(std::size_t bytes, bool* large_refused) {
  *large_refused = false;
  if (const SIZE_T page = large_page_size()) {
    const SIZE_T rounded = (bytes + page - 1) / page * page;
    if (void* p = VirtualAlloc(nullptr, rounded, MEM_RESERVE | MEM_COMMIT | MEM_LARGE_PAGES, PAGE_READWRITE)) return p;
    *large_refused = true;
  }
  return VirtualAlloc(nullptr, bytes, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
}

void free_large(void* p, std::size_t) {
  if (p) VirtualFree(p, 0, MEM_RELEASE);
}

bool isPOPCNTSupported() {
  int regs[4];
  __cpuid(regs, 0);
  if (regs[0] < 1) return false;
  __cpuid(regs, 1);
  return (regs[2] >> 23) & 1;
}
