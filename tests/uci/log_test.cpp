// The "Log" option: the file's name and the exact lines it receives.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <fstream>

#include "engine_fixture.h"

namespace {

// Each '9' of the shape stands for a digit, 'A' for an upper-case and 'a'
// for a lower-case letter; other characters stand for themselves.
bool fits_shape(const std::string& text, const std::string& shape) {
  if (text.size() != shape.size()) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    const bool ok = shape[i] == '9'   ? std::isdigit(c)
                    : shape[i] == 'A' ? std::isupper(c)
                    : shape[i] == 'a' ? std::islower(c)
                                      : text[i] == shape[i];
    if (!ok) return false;
  }
  return true;
}

class UciLog : public EngineTest {
 protected:
  // The log files in the engine's working directory.
  std::vector<std::string> log_names() {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(engine.work_dir())) {
      const std::string name = entry.path().filename().string();
      if (name.starts_with("log-") && name.ends_with(".txt")) names.push_back(name);
    }
    return names;
  }

  // The lines of the only log file; empty when there is none or several.
  std::vector<std::string> log_lines(std::string* name = nullptr) {
    const std::vector<std::string> names = log_names();
    EXPECT_EQ(names.size(), 1u);
    if (names.size() != 1) return {};
    if (name) *name = names[0];
    std::ifstream in(engine.work_dir() / names[0]);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }

  // Ends the engine with "quit" so that everything has been written.
  void quit() {
    engine.send("quit");
    expect_clean_exit();
  }
};

TEST_F(UciLog, NoFileUntilLoggingIsSwitchedOn) {
  ask("position startpos moves e2e4");
  ask("setoption name Log value false");
  quit();
  EXPECT_TRUE(log_names().empty());
}

TEST_F(UciLog, FileNameCarriesTheStartTime) {
  ask("setoption name Log value true");
  quit();
  const std::vector<std::string> names = log_names();
  ASSERT_EQ(names.size(), 1u);
  // Hour, minute, second, weekday, day, month, year in one run.
  EXPECT_TRUE(fits_shape(names[0], "log-999999Aaa99Aaa9999.txt")) << names[0];
}

TEST_F(UciLog, DialogueIsLoggedLineByLine) {
  const std::string illegal_fen = "4k3/8/8/8/8/8/3r4/4K3 w - - 0 1";
  const char* commands[] = {
      "setoption name Log value true",
      "isready",
      "position startpos moves e2e4 z9z9",
      "uci",
      "fen",
      "perft 1",
      "setoption name Hash value 16",
      "setoption name EvalHash value 8",
      "setoption name PawnHash value 2",
      "setoption name ClearHash",
      "setoption name ClearHash value 1",
      "debug on",
      "setoption name Log value false",
      "isready",
      "setoption name log value YES",
  };
  for (const char* command : commands) engine.send(command);
  engine.send("position fen " + illegal_fen + " moves e1e2");
  engine.send("quit");
  expect_clean_exit();

  std::string name;
  const std::vector<std::string> log = log_lines(&name);
  const std::vector<std::string> expected = {
      "Open " + name + " for logging",
      "string received: isready",
      ">> isready",
      "<< readyok",
      "string received: position startpos moves e2e4 z9z9",
      ">> position startpos moves e2e4 z9z9",
      "Unknown command z9z9",
      "string received: uci",
      ">> uci",
      "string received: fen",
      "string received: perft 1",
      "string received: setoption name Hash value 16",
      ">> setoption name Hash value 16",
      "Free memory",
      "Initialize hash table",
      "string received: setoption name EvalHash value 8",
      ">> setoption name EvalHash value 8",
      "Free memory",
      "Initialize eval hash table",
      "string received: setoption name PawnHash value 2",
      ">> setoption name PawnHash value 2",
      "Free memory",
      "Initialize pawn hash table",
      "string received: setoption name ClearHash",
      ">> setoption name ClearHash",
      "hash is cleared",
      "string received: setoption name ClearHash value 1",
      ">> setoption name ClearHash value 1",
      "string received: debug on",
      ">> debug on",
      "string received: setoption name Log value false",
      ">> setoption name Log value false",
      "Close " + name + " for logging",
      "Open " + name + " for logging",
      "string received: position fen " + illegal_fen + " moves e1e2",
      ">> position fen " + illegal_fen + " moves e1e2",
      "e1e2 is illegal",
      "string received: quit",
      ">> quit",
      "Free memory",
      "Closing log file " + name,
  };
  EXPECT_EQ(log, expected);
}

TEST_F(UciLog, CheckValuesYesAndOneAreTrueAnythingElseFalse) {
  for (const char* value : {"1", "on", "Yes", "no", "TRUE", "0"}) ask(std::string("setoption name Log value ") + value);
  quit();
  std::string name;
  std::vector<std::string> switches;
  for (const std::string& line : log_lines(&name))
    if (line.ends_with(" for logging")) switches.push_back(line);
  const std::vector<std::string> expected = {"Open " + name + " for logging", "Close " + name + " for logging",
                                             "Open " + name + " for logging", "Close " + name + " for logging",
                                             "Open " + name + " for logging", "Close " + name + " for logging"};
  EXPECT_EQ(switches, expected);
}

TEST_F(UciLog, SwitchingOnTwiceOpensOnce) {
  ask("setoption name Log value true");
  ask("setoption name Log value true");
  quit();
  std::string name;
  const std::vector<std::string> log = log_lines(&name);
  ASSERT_GE(log.size(), 1u);
  EXPECT_EQ(std::count(log.begin(), log.end(), "Open " + name + " for logging"), 1);
  EXPECT_EQ(log.back(), "Closing log file " + name);
}

TEST_F(UciLog, EndOfInputLeavesTheLogAsWritten) {
  ask("setoption name Log value true");
  engine.close_input();
  expect_clean_exit();
  std::string name;
  const std::vector<std::string> log = log_lines(&name);
  ASSERT_FALSE(log.empty());
  EXPECT_EQ(log.back(), "<< readyok");  // no closing lines without "quit"
}

}  // namespace
