#include "engine/command_line.h"

#include <cstring>

#include "engine/startup.h"
#include "engine/uci.h"
#include "output/output.h"

namespace {

constexpr const char* USAGE =
    "%s, a chess engine that speaks the Universal Chess Interface (UCI).\n"
    "\n"
    "Chess GUIs and tournament managers start it without arguments and talk to\n"
    "it over standard input and output. Started by hand it reads UCI and console\n"
    "commands (uci, position, go, perft, bench, ...) one per line.\n"
    "\n"
    "Usage:\n"
    "  corvantis                the command loop on standard input\n"
    "  corvantis COMMAND...     the words as one command line, then exit, e.g.\n"
    "                             corvantis bench\n"
    "                             corvantis perft 6\n"
    "                             corvantis go depth 12\n"
    "                           exit status 1 when it is no command\n"
    "  corvantis --help         this text\n"
    "  corvantis --version      the name and version\n"
    "\n"
    "The README (README.md) describes commands and options: beside the program\n"
    "on Windows, in share/doc/corvantis of an installation (the Debian package:\n"
    "/usr/share/doc/corvantis); on Linux also the manual page corvantis(6).";

}  // namespace

int run_arguments(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
    SendInfo(USAGE, ENGINE_NAME_VERSION);
    return 0;
  }
  if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
    SendInfo("%s", ENGINE_NAME_VERSION);
    return 0;
  }
  // As long as a line of the loop; the rest is cut.
  static char line[65536];
  std::size_t length = 0;
  for (int i = 1; i < argc; ++i) {
    const std::size_t n = std::strlen(argv[i]);
    if (length + n + 2 > sizeof line) break;
    if (i > 1) line[length++] = ' ';
    std::memcpy(line + length, argv[i], n);
    length += n;
  }
  line[length] = '\0';
  init_engine();
  return run_command_line(line);
}
