// The loop's exact answers: the handshake, options, positions, unknown
// commands, perft, the log file and the ways the process ends.
#include <tuple>

#include "harness.h"

namespace {

using UciProtocol = EngineTest;

// The declaration lines in the order a GUI shows them; the hidden tuning
// options (DoubledPawnPenalty, the razor and futility margins) are absent.
// Threads, UCI_Chess960, UCI_ShowWDL, UseLearnedEval and EvalFile come after
// the options of the one-thread engine.
const Lines kOptionLines = {
    "option name Hash type spin default 128 min 8 max 2048",
    "option name EvalHash type spin default 32 min 4 max 32",
    "option name PawnHash type spin default 4 min 2 max 8",
    "option name UCI_LimitStrength type check default false",
    "option name UCI_Elo type spin default 2800 min 1000 max 2800",
    "option name Log type check default false",
    "option name Ponder type check default true",
    "option name OwnBook type check default false",
    "option name BookFilename type string default corvantis.bin",
    "option name BookMoveSelect type combo default BestWeight var BestWeight var BestScore var Random",
    "option name PawnValueOp type spin default 94 min 70 max 110",
    "option name PawnValueEn type spin default 92 min 90 max 150",
    "option name KnightValueOp type spin default 325 min 200 max 500",
    "option name KnightValueEn type spin default 315 min 200 max 500",
    "option name BishopValueOp type spin default 350 min 200 max 500",
    "option name BishopValueEn type spin default 350 min 200 max 500",
    "option name RookValueOp type spin default 493 min 300 max 800",
    "option name RookValueEn type spin default 525 min 300 max 800",
    "option name QueenValueOp type spin default 985 min 500 max 1500",
    "option name QueenValueEn type spin default 1022 min 500 max 1500",
    "option name KingShelterWeight type spin default 100 min 0 max 100000",
    "option name PawnStormWeight type spin default 100 min 0 max 100000",
    "option name KingAttackWeight type spin default 100 min 0 max 100000",
    "option name MobilityWeight type spin default 100 min 0 max 100000",
    "option name PassedPawnWeightOp type spin default 100 min 0 max 100000",
    "option name PassedPawnWeightEn type spin default 100 min 0 max 100000",
    "option name WeakSquareWeight type spin default 100 min 0 max 100000",
    "option name RookInOpenFileOp type spin default 32 min 0 max 100",
    "option name RookInOpenFileEn type spin default 16 min 0 max 100",
    "option name NullMove type check default true",
    "option name RepetitionScore type spin default 0 min -29800 max 29800",
    "option name InsufficientMaterialScore type spin default 0 min -29800 max 29800",
    "option name FiftyMoveScore type spin default 0 min -29800 max 29800",
    "option name StaleMateScore type spin default 0 min -29800 max 29800",
    "option name TimeBufferMilliSec type spin default 60 min 0 max 1000",
    "option name MultiPV type spin default 1 min 1 max 300",
    "option name UCI_AnalyseMode type check default false",
    "option name ClearHash type button",
    "option name Threads type spin default 1 min 1 max 256",
    "option name UCI_Chess960 type check default false",
    "option name UCI_ShowWDL type check default false",
    "option name UseLearnedEval type check default false",
    "option name EvalFile type string default <empty>",
};

TEST_F(UciProtocol, UciListsEveryOptionInOrderWithItsValueAsSent) {
  // The header, read by SetUp, is the only line before the first answer.
  send("isready");
  EXPECT_EQ(read_line(), "readyok");
  Lines expected = {"id name Corvantis v2019.2.37.73", "id author Quillmark"};
  expected.insert(expected.end(), kOptionLines.begin(), kOptionLines.end());
  expected.push_back("uciok");
  send("uci");
  EXPECT_EQ(read_until(starts("uciok")), expected);
  // Names in any case; a value is kept as sent even when it is clamped.
  EXPECT_EQ(ask(joined({"setoption name hash value 0", "setoption name uci_elo value 100",
                        "setoption name BOOKFILENAME value my book.bin", "setoption name ponder value false",
                        "setoption name BookMoveSelect value Random",
                        // Hidden options are set silently and stay unlisted.
                        "setoption name DoubledPawnPenalty value 300", "setoption name FutilityMargin value 300",
                        // Malformed lines change nothing.
                        "setoption name NoSuchOption value 3", "setoption name Hash", "setoption name Hash value",
                        "setoption value 64 name Hash", "setoption name  Hash value 64", "setoption name ClearHash",
                        // Out of range or no number: clamped to 1 .. 256.
                        "setoption name Threads value 100000", "setoption name Threads value -5",
                        "setoption name Threads value 0", "setoption name threads value many",
                        "setoption name uci_chess960 value true", "setoption name UCI_SHOWWDL value true",
                        "setoption name uselearnedeval value true"})),
            Lines{});
  // A network file that cannot be read leaves the built-in one in use.
  EXPECT_EQ(ask("setoption name EvalFile value no such.cvnn"),
            Lines{"info string EvalFile no such.cvnn cannot be read; the built-in network stays in use"});
  const auto option = expected.begin() + 2;  // after the two id lines
  option[0] = "option name Hash type spin default 0 min 8 max 2048";
  option[4] = "option name UCI_Elo type spin default 100 min 1000 max 2800";
  option[6] = "option name Ponder type check default false";
  option[8] = "option name BookFilename type string default my book.bin";
  option[9] = "option name BookMoveSelect type combo default Random var BestWeight var BestScore var Random";
  option[38] = "option name Threads type spin default many min 1 max 256";
  option[39] = "option name UCI_Chess960 type check default true";
  option[40] = "option name UCI_ShowWDL type check default true";
  option[41] = "option name UseLearnedEval type check default true";
  option[42] = "option name EvalFile type string default no such.cvnn";
  send("uci");
  EXPECT_EQ(read_until(starts("uciok")), expected);
}

// Each command, its exact output and the position it leaves.
TEST_F(UciProtocol, CommandsAnswerExactly) {
  const std::string king = "4k3/8/8/8/8/8/3r4/4K3 w - - 0 1";
  const std::string after_e4 = "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq - 0 1";
  const std::tuple<std::string, Lines, std::string> cases[] = {
      {"hello world", {"info string unknown command hello world"}, kStartFen},
      // Commands compared as a whole line take no trailing text and no other case.
      {"uci now", {"info string unknown command uci now"}, kStartFen},
      {"QUIT", {"info string unknown command QUIT"}, kStartFen},
      {"go", {"info string unknown command go"}, kStartFen},  // a search needs the blank after "go"
      {"position", {"info string unknown command position"}, kStartFen},
      {"version please", {"info string Corvantis v2019.2.37.73"}, kStartFen},
      {"", {}, kStartFen},
      {"debug on", {}, kStartFen},
      {"stop", {}, kStartFen},
      {"ponderhit", {}, kStartFen},
      {"position startpos moves e2e4 e7e5 g1f3", {}, "rnbqkbnr/pppp1ppp/8/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R b KQkq - 1 2"},
      {"ucinewgame", {}, kStartFen},
      {"position fen r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1 moves e1g1 e8c8", {}, "2kr3r/8/8/8/8/8/8/R4RK1 w - - 2 2"},
      // Four letters promote to a queen.
      {"position fen 4k3/1P6/8/8/8/8/8/4K3 w - - 0 1 moves b7b8", {}, "1Q2k3/8/8/8/8/8/8/4K3 b - - 0 1"},
      {"position fen 4k3/1P6/8/8/8/8/8/4K3 w - - 0 1 moves b7b8n", {}, "1N2k3/8/8/8/8/8/8/4K3 b - - 0 1"},
      // Move numbers count from the command.
      {"position fen 4k3/8/8/8/8/8/8/4K2R w K - 7 40 moves h1h2 e8d8 h2h3", {}, "3k4/8/8/8/8/7R/8/4K3 b - - 10 2"},
      {"position startpos moves e2e4\r", {}, after_e4},  // a Windows line end
      // The walk stops at the first move it cannot play and keeps the ones before.
      {"position startpos moves e2e4 e7e9 d2d4", {"info string Unknown command e7e9"}, after_e4},
      {"position startpos moves e2e5", {"info string Unknown command e2e5"}, kStartFen},
      {"position fen " + king + " moves e1e2", {"info string e1e2 is illegal"}, king},
  };
  for (const auto& [command, reply, board] : cases) {
    EXPECT_EQ(ask(command), reply) << command;
    EXPECT_EQ(fen(), board) << command;
  }
}

TEST_F(UciProtocol, PerftListsEachMoveThenASummary) {
  const Lines lines = ask("perft 1");
  ASSERT_EQ(lines.size(), 27u) << joined(lines);
  EXPECT_EQ(lines[0], "");
  for (int i = 1; i <= 20; ++i) EXPECT_TRUE(matches(lines[i], " @ - 1")) << lines[i];
  EXPECT_EQ(Lines(lines.begin() + 21, lines.begin() + 24), (Lines{"", " Perft 1 Summary", " Nodes: 20"}));
  EXPECT_TRUE(matches(lines[24], " Time: #.# sec")) << lines[24];
  EXPECT_TRUE(matches(lines[25], " Nodes/sec: #")) << lines[25];
  EXPECT_EQ(lines[26], "");
  const Lines refused = ask("perft 0");
  EXPECT_TRUE(refused.size() == 1 && refused[0].starts_with("info string ")) << joined(refused);
}

// The bench's node count is a signature: the same on every run and system,
// also after a game has drawn other keys, and the engine ends in the start position.
TEST_F(UciProtocol, BenchPrintsItsSignature) {
  EXPECT_EQ(ask("position startpos moves e2e4"), Lines{});
  for (int run = 0; run < 2; ++run) {
    ASSERT_TRUE(send("bench"));
    const Lines lines = read_until(starts("t_time_ms"), Millis(600000));
    EXPECT_TRUE(matches(lines.back(), "t_time_ms = #, t_nodes = 3300739, ave_nps = #")) << lines.back();
    EXPECT_EQ(read_line(), "");
  }
  EXPECT_EQ(fen(), kStartFen);
}

// The whole log of a dialogue that switches logging on, off and on again:
// one file, reopened, with what came in, what went out and the errors.
TEST_F(UciProtocol, LogRecordsTheDialogue) {
  ask("position startpos moves e2e4");
  EXPECT_TRUE(std::filesystem::is_empty(dir)) << "a log file before logging is switched on";
  send_raw(joined({"setoption name Log value true", "setoption name Log value 1", "isready",
                   "position startpos moves e2e4 e7e9", "fen", "setoption name Log value false",
                   "setoption name Log value on", "isready", "setoption name log value YES", "quit"}));
  expect_exit();
  std::string name;
  for (const std::string& candidate : log_names())
    if (std::filesystem::exists(dir / candidate)) name = candidate;
  ASSERT_NE(name, "");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), {}), 1) << "more than one log file";
  EXPECT_EQ(
      file_lines(dir / name),
      (Lines{"Open " + name + " for logging", "string received: setoption name Log value 1",
             ">> setoption name Log value 1", "string received: isready", ">> isready", "<< readyok",
             "string received: position startpos moves e2e4 e7e9", ">> position startpos moves e2e4 e7e9",
             "Unknown command e7e9", "string received: fen", "string received: setoption name Log value false",
             ">> setoption name Log value false", "Close " + name + " for logging", "Open " + name + " for logging",
             "string received: quit", ">> quit", "Free memory", "Closing log file " + name}));
}

TEST_F(UciProtocol, QuitEndsWithStatusZeroAndNothingAfter) {
  send("quit");
  send("isready");
  EXPECT_EQ(expect_exit(), Lines{});
}

TEST_F(UciProtocol, EndOfInputEndsWithStatusZero) {
  send_raw("isready");  // the last line counts without its newline
  close_input();
  EXPECT_EQ(read_line(), "readyok");
  expect_exit();
}

}  // namespace
