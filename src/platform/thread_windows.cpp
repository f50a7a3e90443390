#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include "platform/thread.h"

namespace {

DWORD WINAPI thread_entry(void* t) {
  static_cast<Thread*>(t)->run(static_cast<Thread*>(t)->arg);
  return 0;
}

}  // namespace

bool start_thread(Thread* t, ThreadMain run, void* arg) {
  t->run = run;
  t->arg = arg;
  const HANDLE h = CreateThread(nullptr, 0, thread_entry, t, 0, nullptr);
  if (!h) return false;
  t->native = reinterpret_cast<std::uintptr_t>(h);
  return true;
}

void join_thread(Thread* t) {
  const HANDLE h = reinterpret_cast<HANDLE>(t->native);
  WaitForSingleObject(h, INFINITE);
  CloseHandle(h);
}
