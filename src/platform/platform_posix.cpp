// The POSIX side of the platform layer (Linux and other Unix systems).
#include <poll.h>
#include <sys/mman.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>

#include "platform/input_source.h"
#include "platform/platform.h"

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#endif

long read_input_bytes(char* dst, std::size_t room, bool block) {
  if (!block) {
    pollfd p{0, POLLIN, 0};
    if (poll(&p, 1, 0) <= 0) return 0;
  }
  for (;;) {
    const ssize_t n = read(0, dst, room);
    if (n > 0) return static_cast<long>(n);
    if (n == 0 || errno != EINTR) return -1;
  }
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

void* allocate_large(std::size_t bytes, bool* large_refused) {
  // Transparent huge pages are a hint the kernel may ignore; nothing is refused.
  *large_refused = false;
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
