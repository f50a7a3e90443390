// Threads the engine starts itself, so that a system that cannot start one
// more (memory, limits) is told apart from a fault and can be reported.
#pragma once

#include <cstdint>

using ThreadMain = void (*)(void* arg);

// Owned by the caller for the thread's whole life.
struct Thread {
  ThreadMain run;
  void* arg;
  std::uintptr_t native;
};

// Starts run(arg); false when the system cannot start another thread.
bool start_thread(Thread* t, ThreadMain run, void* arg);
// Waits for the thread's end.
void join_thread(Thread* t);
