// Input no GUI should send: binary garbage, huge lines, half commands and
// endless move lists. The engine must neither crash nor hang, and must
// still answer "isready" afterwards.
#include <gtest/gtest.h>

#include <random>

#include "engine_fixture.h"

namespace {

using UciBadInput = EngineTest;

const std::string kStartBoard = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR";

// Random bytes without NUL and without newline.
std::string random_bytes(std::mt19937& rng, std::size_t count) {
  std::uniform_int_distribution<int> byte(1, 255);
  std::string bytes;
  while (bytes.size() < count) {
    const char c = static_cast<char>(byte(rng));
    if (c != '\n') bytes += c;
  }
  return bytes;
}

std::string knight_shuffle(int rounds) {
  std::string moves;
  for (int i = 0; i < rounds; ++i) moves += " g1f3 g8f6 f3g1 f6g8";
  return moves;
}

std::string board_of(const std::string& fen) { return fen.substr(0, fen.find(' ')); }

TEST_F(UciBadInput, BinaryGarbageLinesAreUnknownCommands) {
  std::mt19937 rng(20190237);
  std::uniform_int_distribution<int> length(1, 400);
  std::string garbage;
  for (int i = 0; i < 300; ++i) garbage += random_bytes(rng, static_cast<std::size_t>(length(rng))) + "\n";
  const std::vector<std::string> reply = ask_raw(garbage);
  EXPECT_GT(reply.size(), 250u);
  for (const std::string& line : reply) EXPECT_TRUE(line.starts_with("info string unknown command ")) << line;
  EXPECT_EQ(current_fen(), kStartFen);
}

TEST_F(UciBadInput, GarbageWithoutNewlineIsOneOverlongLine) {
  std::mt19937 rng(73);
  const std::vector<std::string> reply = ask_raw(random_bytes(rng, 200000) + "\n");
  ASSERT_EQ(reply.size(), 1u);
  EXPECT_TRUE(reply[0].starts_with("info string unknown command "));
}

TEST_F(UciBadInput, EmbeddedNulEndsTheCommand) {
  EXPECT_EQ(ask_raw(std::string("fen\0garbage\n", 12)), std::vector<std::string>{kStartFen});
  EXPECT_TRUE(ask_raw(std::string("position startpos\0moves e2e4\n", 29)).empty());
  EXPECT_EQ(current_fen(), kStartFen);
}

TEST_F(UciBadInput, HundredThousandCharacterLines) {
  const std::vector<std::string> unknown = ask(std::string(100000, 'x'));
  ASSERT_EQ(unknown.size(), 1u);
  EXPECT_TRUE(unknown[0].starts_with("info string unknown command xxx"));

  // 5000 rounds of 20 characters: far more moves than any game.
  const std::vector<std::string> moves = ask("position startpos moves" + knight_shuffle(5000));
  ASSERT_EQ(moves.size(), 1u);
  EXPECT_TRUE(moves[0].starts_with("info string ")) << moves[0];
  EXPECT_EQ(board_of(current_fen()), kStartBoard);

  const std::vector<std::string> fen = ask("position fen " + std::string(100000, '8'));
  ASSERT_EQ(fen.size(), 1u);
  EXPECT_TRUE(fen[0].starts_with("info string ")) << fen[0];
  EXPECT_EQ(current_fen(), kStartFen);

  EXPECT_TRUE(ask("setoption name BookFilename value " + std::string(100000, 'b')).empty());
  engine.send("uci");
  const ReadResult uci = engine.read_until_line("uciok");
  ASSERT_TRUE(uci.found);
  EXPECT_EQ(uci.lines.size(), 41u);
}

TEST_F(UciBadInput, HalfCommands) {
  for (const char* line : {"position fen", "position fen ", "position fen moves e2e4", "position startpos moves",
                           "position startpos moves e2", "position startpos moves e2e4 e", "position ",
                           "setoption", "setoption name", "setoption name value", "setoption value",
                           "setoption name Log value", "perft ", "debug", "fen ", "go", "uci ", "moves e2e4"}) {
    engine.send(line);
    engine.send("isready");
    const ReadResult reply = engine.read_until_line("readyok");
    ASSERT_TRUE(reply.found) << "after \"" << line << "\":\n" << joined(reply.lines) << engine.stderr_text();
    EXPECT_LE(reply.lines.size(), 2u) << line << "\n" << joined(reply.lines);
  }
  EXPECT_EQ(perft_nodes(ask("perft 1")), 20);
}

TEST_F(UciBadInput, MoveListLongerThanAnyGameStopsWithAMessage) {
  // 1200 plies of knights going back and forth.
  const std::vector<std::string> reply = ask("position startpos moves" + knight_shuffle(300));
  ASSERT_EQ(reply.size(), 1u) << joined(reply);
  EXPECT_TRUE(reply[0].starts_with("info string ")) << reply[0];
  EXPECT_EQ(board_of(current_fen()), kStartBoard);
  // The position is still usable, and the next command starts afresh.
  EXPECT_EQ(perft_nodes(ask("perft 2")), 400);
  EXPECT_TRUE(ask("position startpos moves e2e4").empty());
  EXPECT_EQ(current_fen(), "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq - 0 1");
}

}  // namespace
