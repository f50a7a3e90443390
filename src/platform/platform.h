// The engine's only ties to the operating system, the processor and the
// compiler: console input with a non-blocking test, a millisecond clock,
// local time for the log-file name, memory for the hash tables and the
// population-count instruction.
#pragma once

#include <cstddef>
#include <cstdint>

// Reads one line from standard input into buf (at most size - 1 characters,
// NUL-terminated, newline removed). A longer line is cut at size - 1 and the
// rest of it discarded. Returns false at the end of input.
bool read_input_line(char* buf, int size);

// Non-zero when a whole line, or the end of input, is waiting. Never blocks
// and never loses input: bytes it pulls from the descriptor stay in the
// engine's own line buffer for read_input_line.
int bioskey();

// Monotonic milliseconds; only differences between readings are meaningful.
std::int64_t get_ms();

// The local time formatted with strftime.
void format_local_time(char* out, std::size_t size, const char* format);

// Zeroed memory for the big hash tables; null when the system cannot give
// it. Backed by large pages where the system offers them (fewer TLB misses
// on random probes); *large_refused is set when the process had the right to
// large pages but the system had none to give, so ordinary pages were used.
void* allocate_large(std::size_t bytes, bool* large_refused);
void free_large(void* p, std::size_t bytes);

// True when the processor executes POPCNT.
bool isPOPCNTSupported();

// The compiler ties: the POPCNT instruction and a cache prefetch, for GCC
// and Clang and for MSVC and clang-cl.
#if defined(_MSC_VER)
#include <intrin.h>
#endif

// The POPCNT instruction itself; call only when isPOPCNTSupported() said so.
inline int hw_popcount(std::uint64_t b) {
#if defined(_MSC_VER) && defined(_M_X64)
  return static_cast<int>(__popcnt64(b));
#elif defined(__x86_64__)
  std::uint64_t r;
  __asm__("popcntq %1, %0" : "=r"(r) : "rm"(b));
  return static_cast<int>(r);
#else
  return __builtin_popcountll(b);
#endif
}

// Starts loading the cache line at p; a hint that changes no result.
inline void prefetch(const void* p) {
#if defined(_MSC_VER) && !defined(__clang__)
  _mm_prefetch(static_cast<const char*>(p), _MM_HINT_T0);
#else
  __builtin_prefetch(p);
#endif
}
