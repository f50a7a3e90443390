// Start-up, the "uci" handshake, and how the loop answers, ignores or
// rejects lines; the ways the process ends.
#include <gtest/gtest.h>

#include "engine_fixture.h"

namespace {

// The declaration lines in the order a GUI shows them; the hidden tuning
// options (DoubledPawnPenalty, the razor and futility margins) are absent.
const std::vector<std::string> kOptionLines = {
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
};

using UciHandshake = EngineTest;

TEST_F(UciHandshake, HeaderIsTheOnlyLineBeforeTheFirstCommand) {
  // SetUp has read the header; the first answer must follow it directly.
  engine.send("isready");
  EXPECT_EQ(engine.read_line(), "readyok");
}

TEST_F(UciHandshake, UciListsIdentityAllOptionsInOrderThenUciok) {
  engine.send("uci");
  const ReadResult reply = engine.read_until_line("uciok");
  ASSERT_TRUE(reply.found) << joined(reply.lines);
  std::vector<std::string> expected = {std::string("id name ") + kEngineName, "id author Quillmark"};
  expected.insert(expected.end(), kOptionLines.begin(), kOptionLines.end());
  expected.push_back("uciok");
  EXPECT_EQ(kOptionLines.size(), 38u);
  EXPECT_EQ(reply.lines, expected);
}

TEST_F(UciHandshake, IsreadyAnswersEveryTime) {
  for (int i = 0; i < 3; ++i) {
    engine.send("isready");
    EXPECT_EQ(engine.read_line(), "readyok");
  }
}

TEST_F(UciHandshake, VersionIsAPrefixCommand) {
  const std::string answer = std::string("info string ") + kEngineName;
  EXPECT_EQ(ask("version"), std::vector<std::string>{answer});
  EXPECT_EQ(ask("version please"), std::vector<std::string>{answer});
}

TEST_F(UciHandshake, UnknownCommandsAreReportedWithTheWholeLine) {
  EXPECT_EQ(ask("hello world"), std::vector<std::string>{"info string unknown command hello world"});
  // Commands compared as a whole line do not accept trailing text or other case.
  EXPECT_EQ(ask("uci now"), std::vector<std::string>{"info string unknown command uci now"});
  EXPECT_EQ(ask("isready "), std::vector<std::string>{"info string unknown command isready "});
  EXPECT_EQ(ask("QUIT"), std::vector<std::string>{"info string unknown command QUIT"});
  // "go" needs a blank after it to be a search command.
  EXPECT_EQ(ask("go"), std::vector<std::string>{"info string unknown command go"});
  EXPECT_EQ(ask("   "), std::vector<std::string>{"info string unknown command    "});
}

TEST_F(UciHandshake, SilentCommandsPrintNothing) {
  EXPECT_TRUE(ask("").empty());
  EXPECT_TRUE(ask("debug on").empty());
  EXPECT_TRUE(ask("stop").empty());
  EXPECT_TRUE(ask("ponderhit").empty());
  EXPECT_TRUE(ask("ucinewgame").empty());
  EXPECT_TRUE(ask("position startpos").empty());
  EXPECT_TRUE(ask("setoption name MultiPV value 3").empty());
}

TEST_F(UciHandshake, WindowsLineEndsAreAccepted) {
  EXPECT_TRUE(ask_raw("position startpos moves e2e4\r\n").empty());
  EXPECT_EQ(current_fen(), "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq - 0 1");
}

TEST_F(UciHandshake, QuitEndsWithStatusZeroAndNoFurtherOutput) {
  engine.send("quit");
  engine.send("isready");  // too late: no answer
  EXPECT_TRUE(expect_clean_exit().empty());
}

TEST_F(UciHandshake, EndOfInputRightAfterStartEndsWithStatusZero) {
  engine.close_input();
  expect_clean_exit();
}

TEST_F(UciHandshake, EndOfInputAfterADialogueEndsWithStatusZero) {
  EXPECT_TRUE(ask("position startpos moves e2e4 e7e5").empty());
  engine.close_input();
  expect_clean_exit();
}

TEST_F(UciHandshake, LastLineWithoutNewlineIsStillExecuted) {
  engine.send_raw("isready");
  engine.close_input();
  EXPECT_EQ(engine.read_line(), "readyok");
  expect_clean_exit();
}

}  // namespace
