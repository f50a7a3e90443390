// The program's arguments: none starts the command loop; otherwise they are
// one command line, or --help or --version.
#pragma once

// Returns the exit status when the arguments ask for no command loop.
int run_arguments(int argc, char** argv);
