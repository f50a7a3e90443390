// Starts a Windows engine the way a Windows GUI does: with pipes made here
// by CreatePipe as its standard input and output. Relays this program's own
// standard input to the engine and the engine's output back, so tests from
// any system talk to the engine through real Windows pipes.
//
//   pipe_driver ENGINE.exe [ARGUMENT...]
//
// Exits with the engine's exit status; the engine ends with the driver.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

struct Relay {
  HANDLE from, to;
};

// Copies until the source ends, then closes the destination so that its
// reader meets the end too.
DWORD WINAPI relay(void* arg) {
  const Relay* r = static_cast<const Relay*>(arg);
  static thread_local char buf[1 << 16];
  DWORD n, written;
  while (ReadFile(r->from, buf, sizeof buf, &n, nullptr) && n > 0) {
    for (DWORD done = 0; done < n; done += written)
      if (!WriteFile(r->to, buf + done, n - done, &written, nullptr)) return 1;
  }
  CloseHandle(r->to);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: pipe_driver ENGINE.exe [ARGUMENT...]\n");
    return 2;
  }
  // The engine inherits its ends of the pipes; the driver keeps the others.
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE engine_in, to_engine, from_engine, engine_out;
  if (!CreatePipe(&engine_in, &to_engine, &inherit, 0) || !CreatePipe(&from_engine, &engine_out, &inherit, 0) ||
      !SetHandleInformation(to_engine, HANDLE_FLAG_INHERIT, 0) ||
      !SetHandleInformation(from_engine, HANDLE_FLAG_INHERIT, 0)) {
    std::fprintf(stderr, "pipe_driver: no pipes (error %lu)\n", GetLastError());
    return 3;
  }
  // A job that kills the engine when the driver's handle to it closes, also
  // when the driver itself is killed.
  HANDLE job = CreateJobObjectA(nullptr, nullptr);
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
  limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
  if (!job || !SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits)) {
    std::fprintf(stderr, "pipe_driver: no job object (error %lu)\n", GetLastError());
    return 3;
  }

  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = engine_in;
  startup.hStdOutput = engine_out;
  startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  // Each argument quoted (none of the tests' arguments holds a quote).
  std::string command;
  for (int i = 1; i < argc; ++i) command += std::string(i > 1 ? " \"" : "\"") + argv[i] + "\"";
  PROCESS_INFORMATION engine;
  if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, CREATE_SUSPENDED, nullptr, nullptr, &startup,
                      &engine)) {
    std::fprintf(stderr, "pipe_driver: cannot start %s (error %lu)\n", argv[1], GetLastError());
    return 4;
  }
  AssignProcessToJobObject(job, engine.hProcess);
  ResumeThread(engine.hThread);
  CloseHandle(engine_in);
  CloseHandle(engine_out);

  static Relay input{GetStdHandle(STD_INPUT_HANDLE), to_engine};
  static Relay output{from_engine, GetStdHandle(STD_OUTPUT_HANDLE)};
  CreateThread(nullptr, 0, relay, &input, 0, nullptr);
  HANDLE output_thread = CreateThread(nullptr, 0, relay, &output, 0, nullptr);
  WaitForSingleObject(engine.hProcess, INFINITE);
  WaitForSingleObject(output_thread, INFINITE);  // everything the engine wrote is passed on
  DWORD status = 1;
  GetExitCodeProcess(engine.hProcess, &status);
  // The input relay may still be waiting for a line nobody will send.
  ExitProcess(status);
}
