#include <pthread.h>

#include "platform/thread.h"

namespace {

void* thread_entry(void* t) {
  static_cast<Thread*>(t)->run(static_cast<Thread*>(t)->arg);
  return nullptr;
}

}  // namespace

bool start_thread(Thread* t, ThreadMain run, void* arg) {
  t->run = run;
  t->arg = arg;
  pthread_t id;
  if (pthread_create(&id, nullptr, thread_entry, t) != 0) return false;
  t->native = static_cast<std::uintptr_t>(id);
  return true;
}

void join_thread(Thread* t) { pthread_join(static_cast<pthread_t>(t->native), nullptr); }
