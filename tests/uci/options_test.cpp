// "setoption": names in any case, the text kept as sent, hidden options, the
// button, and the hash-size clamp seen from outside.
#include <gtest/gtest.h>

#include <fstream>

#include "engine_fixture.h"

namespace {

class UciOptions : public EngineTest {
 protected:
  // The option lines of the answer to "uci".
  std::vector<std::string> option_lines() {
    engine.send("uci");
    ReadResult reply = engine.read_until_line("uciok");
    EXPECT_TRUE(reply.found) << joined(reply.lines);
    std::vector<std::string> options;
    for (const std::string& line : reply.lines)
      if (line.starts_with("option name ")) options.push_back(line);
    return options;
  }

  std::string option_line(const std::string& name) {
    for (const std::string& line : option_lines())
      if (line.starts_with("option name " + name + " type ")) return line;
    return "";
  }
};

// Resident memory of the engine in MB, from the kernel's view of the process.
long resident_mb(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  std::string key;
  long kb;
  while (status >> key) {
    if (key == "VmRSS:" && status >> kb) return kb / 1024;
  }
  return -1;
}

TEST_F(UciOptions, ValueTextIsListedAsSentWithAnyCaseOfTheName) {
  EXPECT_TRUE(ask("setoption name hash value 1").empty());
  EXPECT_EQ(option_line("Hash"), "option name Hash type spin default 1 min 8 max 2048");
  EXPECT_TRUE(ask("setoption name uci_elo value 100").empty());
  EXPECT_EQ(option_line("UCI_Elo"), "option name UCI_Elo type spin default 100 min 1000 max 2800");
  EXPECT_TRUE(ask("setoption name BOOKFILENAME value my book.bin").empty());
  EXPECT_EQ(option_line("BookFilename"), "option name BookFilename type string default my book.bin");
  EXPECT_TRUE(ask("setoption name BookMoveSelect value Random").empty());
  EXPECT_EQ(option_line("BookMoveSelect"),
            "option name BookMoveSelect type combo default Random var BestWeight var BestScore var Random");
  EXPECT_TRUE(ask("setoption name ponder value false").empty());
  EXPECT_EQ(option_line("Ponder"), "option name Ponder type check default false");
}

TEST_F(UciOptions, HashSizeIsClampedToTheMaximum) {
  engine.send("setoption name Hash value 5000");
  engine.send("isready");
  // Clearing the largest table takes long in a sanitizer build on a busy machine.
  const ReadResult reply = engine.read_until_line("readyok", Millis(180000));
  ASSERT_EQ(reply.lines, std::vector<std::string>{"readyok"});
  // The tables are cleared when allocated, so their pages are resident. The
  // largest main table, a power of two of buckets within 2048 MB, takes
  // 1536 MB; an unclamped 5000 MB would have given 3072 MB.
  const long mb = resident_mb(engine.pid());
  EXPECT_GT(mb, 1536);
  EXPECT_LT(mb, 2560);
  // The option keeps the text as sent.
  EXPECT_EQ(option_line("Hash"), "option name Hash type spin default 5000 min 8 max 2048");
}

TEST_F(UciOptions, HiddenOptionsAreSettableButNotListed) {
  const std::vector<std::string> listed = option_lines();
  for (const char* name : {"DoubledPawnPenalty", "RazorMargin1", "RazorMargin2", "RazorMargin3", "FutilityMargin"}) {
    EXPECT_TRUE(ask(std::string("setoption name ") + name + " value 300").empty()) << name;
    EXPECT_EQ(option_line(name), "") << name;
  }
  EXPECT_EQ(option_lines(), listed);
}

TEST_F(UciOptions, UnknownAndMalformedSetoptionsChangeNothing) {
  const std::vector<std::string> listed = option_lines();
  for (const char* line : {"setoption name NoSuchOption value 3", "setoption name", "setoption name value",
                           "setoption name value 5", "setoption name Hash", "setoption name Hash value",
                           "setoption value 64 name Hash", "setoption name Hashvalue 64", "setoption ",
                           "setoption name  Hash value 64"}) {
    EXPECT_TRUE(ask(line).empty()) << line;
  }
  EXPECT_EQ(option_lines(), listed);
}

TEST_F(UciOptions, ClearHashButtonKeepsItsLine) {
  EXPECT_TRUE(ask("setoption name ClearHash").empty());
  EXPECT_TRUE(ask("setoption name ClearHash value now").empty());
  EXPECT_EQ(option_line("ClearHash"), "option name ClearHash type button");
}

// Options whose values feed sizes, divisions or clamps, set far outside
// their ranges and to text: the engine must go on working.
TEST_F(UciOptions, ExtremeValuesKeepTheEngineWorking) {
  const char* names[] = {"EvalHash", "PawnHash", "UCI_Elo", "MultiPV", "TimeBufferMilliSec",
                         "PawnValueOp", "KnightValueEn", "QueenValueOp", "RookValueEn", "MobilityWeight",
                         "KingAttackWeight", "PassedPawnWeightEn", "RazorMargin1", "FutilityMargin",
                         "DoubledPawnPenalty", "RepetitionScore", "StaleMateScore", "UCI_LimitStrength",
                         "NullMove", "OwnBook", "BookMoveSelect"};
  for (const char* name : names) {
    for (const char* value : {"-2147483649", "99999999999999999999", "", "abc", "0"}) {
      EXPECT_TRUE(ask(std::string("setoption name ") + name + " value " + value).empty()) << name << " " << value;
    }
  }
  EXPECT_EQ(perft_nodes(ask("perft 2")), 400);
  EXPECT_EQ(option_line("MultiPV"), "option name MultiPV type spin default 0 min 1 max 300");
}

}  // namespace
