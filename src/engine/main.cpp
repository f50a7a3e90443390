#include "engine/command_line.h"
#include "engine/startup.h"
#include "engine/uci.h"

int main(int argc, char** argv) {
  if (argc > 1) return run_arguments(argc, argv);
  init_engine();
  Loop();
}
