#include "engine_fixture.h"

bool host_has_popcnt() { return __builtin_cpu_supports("popcnt"); }

std::string header_line() { return std::string("info string ") + kEngineName + " 64bit POPCNT"; }

std::string joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

long long perft_nodes(const std::vector<std::string>& report) {
  for (const std::string& line : report)
    if (line.starts_with(" Nodes: ")) return std::stoll(line.substr(8));
  return -1;
}

void EngineTest::SetUp() {
  ASSERT_TRUE(engine.started()) << "cannot start " << CORVANTIS_BINARY;
  if (host_has_popcnt()) {
    ASSERT_EQ(engine.read_line(), header_line()) << engine.stderr_text();
  }
}

void EngineTest::TearDown() {
  if (exited) return;
  engine.send("quit");
  expect_clean_exit();
}

std::vector<std::string> EngineTest::ask_raw(std::string_view bytes) {
  EXPECT_TRUE(engine.send_raw(bytes)) << "the engine stopped reading";
  EXPECT_TRUE(engine.send("isready")) << "the engine stopped reading";
  ReadResult reply = engine.read_until_line("readyok");
  EXPECT_TRUE(reply.found) << "no readyok; output:\n" << joined(reply.lines) << engine.stderr_text();
  if (reply.found) reply.lines.pop_back();
  return reply.lines;
}

std::vector<std::string> EngineTest::ask(std::string_view command) {
  std::string line(command);
  line += '\n';
  return ask_raw(line);
}

std::string EngineTest::current_fen() {
  const std::vector<std::string> lines = ask("fen");
  EXPECT_EQ(lines.size(), 1u) << joined(lines);
  return lines.empty() ? std::string() : lines.back();
}

std::vector<std::string> EngineTest::expect_clean_exit() {
  exited = true;
  const std::optional<int> status = engine.wait_exit();
  const std::vector<std::string> rest = engine.read_for(Millis(0));
  EXPECT_EQ(status, 0) << "output after the last command:\n" << joined(rest) << engine.stderr_text();
  EXPECT_EQ(engine.stderr_text(), "");
  return rest;
}
