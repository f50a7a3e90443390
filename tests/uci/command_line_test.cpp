// The engine started with arguments: one command line, then the exit.
#include <sys/wait.h>

#include <cstdio>

#include "harness.h"

namespace {

struct Exit {
  int status = -1;
  Lines lines;
};

// The engine with these arguments (shell words) and no input; its output and exit status.
Exit run(const std::string& arguments) {
  std::string command;
  for (const std::string& word : engine_command()) command += "'" + word + "' ";
  FILE* out = popen((command + arguments + " </dev/null").c_str(), "r");
  Exit r;
  char buf[4096];
  while (out && std::fgets(buf, sizeof buf, out)) {
    std::string line = buf;
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
    r.lines.push_back(line);
  }
  const int status = out ? pclose(out) : -1;
  if (status != -1 && WIFEXITED(status)) r.status = WEXITSTATUS(status);
  return r;
}

TEST(UciCommandLine, ArgumentsAreOneCommandLineOrAskForHelpOrTheVersion) {
  const Exit perft = run("perft 3");
  EXPECT_TRUE(perft.status == 0 && any_starts(perft.lines, " Nodes: 8902")) << joined(perft.lines);
  // A search ends by its limit; the input is not read.
  const Exit go = run("go depth 3");
  EXPECT_TRUE(go.status == 0 && !go.lines.empty() && is_bestmove(go.lines.back())) << joined(go.lines);
  const Exit unknown = run("'xyzzy  plugh'");
  EXPECT_EQ(unknown.status, 1);
  EXPECT_TRUE(!unknown.lines.empty() && unknown.lines.back() == "info string unknown command xyzzy  plugh")
      << joined(unknown.lines);
  const Exit version = run("--version");
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.lines, Lines{"Corvantis v2019.2.37.73"});
  const Exit help = run("--help");
  EXPECT_TRUE(help.status == 0 && any_starts(help.lines, "  corvantis --version")) << joined(help.lines);
}

}  // namespace
