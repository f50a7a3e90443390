// Input no GUI should send. The engine must neither crash nor hang, must
// say what it rejects on one line, and must still answer "isready" after it
// (ask() waits for that answer).
#include <cstdlib>
#include <random>

#include "harness.h"

namespace {

using UciBadInput = EngineTest;

// Any bytes but NUL and newline.
std::string random_bytes(std::mt19937& rng, std::size_t count) {
  std::string bytes;
  while (bytes.size() < count)
    if (const char c = static_cast<char>(1 + rng() % 255); c != '\n') bytes += c;
  return bytes;
}

TEST_F(UciBadInput, GarbageOverlongLinesAndHalfCommands) {
  std::mt19937 rng(20190237);
  std::string garbage;
  for (int i = 0; i < 100; ++i) garbage += random_bytes(rng, 1 + rng() % 400) + "\n";
  const Lines reply = ask(garbage);
  EXPECT_GT(reply.size(), 90u);
  for (const std::string& line : reply) EXPECT_TRUE(line.starts_with("info string unknown command ")) << line;
  const Lines overlong = ask(std::string(100000, 'x'));
  EXPECT_TRUE(overlong.size() == 1 && overlong[0].starts_with("info string unknown command xxx")) << overlong.size();
  EXPECT_EQ(ask(std::string("fen\0garbage", 11)), Lines{kStartFen});  // a NUL byte ends the line
  // Half commands and impossible squares: at most a line or two of complaint each.
  for (const char* line : {"position fen 4k3/8/8/8/8/8/8/4K3 w KQkq z9 0 1", "position fen 8/8/k7/K7 b - - -5",
                           "position fen", "position fen moves e2e4", "position startpos moves e2",
                           "position startpos moves e2e4 e", "position startpos moves a0a9 i2i4", "setoption",
                           "setoption name", "setoption name value", "setoption name Log value", "perft ", "perft -1",
                           "debug", "fen ", "uci ", "moves e2e4", "go depth", "go movetime x"}) {
    EXPECT_LE(ask(line).size(), 2u) << line;
  }
  EXPECT_TRUE(any_starts(ask("perft 1"), " Nodes: 20"));
}

TEST_F(UciBadInput, UnusablePositionsAreReportedAndReplacedByTheStart) {
  // Refused before any key is computed: the material key of a 17th king
  // would lie beyond the key table.
  const std::string fens[] = {
      "",
      "4k3/8/8/8/8/8/8/4K3",                                                // nothing after the board
      "4k3/8/8/8/8/8/8/4K3 - - 0 1",                                        // no side to move
      "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR/RNBQKBNR w KQkq - 0 1",  // 72 squares
      "k7/8/8/8/8/8/8/7K88888888 w - - 0 1",                                // more than 64 squares
      "8/8/8/8/8/8/8/8/8/8/8/8/8/8/8/8/k7/K7 w - - 0 1",                    // pieces far off the board
      "8/8/8/8/8/8/8/8/K7k w - - 0 1",                                      // king on a 65th square
      "4k3/8/8/8/8/8/8/3KK3 w - - 0 1",                                     // two white kings
      "8/8/8/8/8/8/8/4K3 w - - 0 1",                                        // no black king
      "4k3/8/8/8/8/8/8/P3K3 w - - 0 1",                                     // pawn on the first rank
      "3pk3/8/8/8/8/8/8/4K3 w - - 0 1",                                     // pawn on the last rank
      "4k3/8/8/8/8/8/8/4K2r b - - 0 1",                                     // side not to move in check
      "8/8/8/3kK3/8/8/8/8 w - - 0 1",                                       // kings next to each other
      "4k3/8/8/8/8/NNNNNNNN/NNNNNNNN/4K3 w - - 0 1",                        // seventeen white men
      std::string(70, 'K') + " w - - 0 1",
      std::string(79, 'k') + " w - - 0 1",
      std::string(100000, '8'),
  };
  for (const std::string& bad : fens) {
    ask("position startpos moves e2e4");
    const Lines reply = ask("position fen " + bad);
    EXPECT_TRUE(reply.size() == 1 && reply[0].starts_with("info string ")) << bad.substr(0, 80) << joined(reply);
    EXPECT_EQ(fen(), kStartFen) << bad.substr(0, 80);
  }
  std::string shuffle = "position startpos moves";
  for (int i = 0; i < 300; ++i) shuffle += " g1f3 g8f6 f3g1 f6g8";  // 1200 plies, more than any game
  EXPECT_EQ(ask(shuffle), Lines{"info string game history full, g1f3 and later moves not played"});
  EXPECT_EQ(fen(), "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 800 401");
  // The position is still usable, and the next command starts afresh.
  EXPECT_TRUE(any_starts(ask("perft 2"), " Nodes: 400"));
  EXPECT_EQ(fen_after("position startpos", "e2e4"), "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq - 0 1");
}

// Valid commands mutated: cut short, bytes inserted or dropped, words,
// castling letters and extreme numbers inserted, spliced together. Options
// whose values feed sizes, divisions or clamps get such values; a search must
// still work after.
TEST_F(UciBadInput, MutatedCommandsNeverBreakTheEngine) {
  const Lines corpus = {
      "uci",
      "isready",
      "fen",
      "ucinewgame",
      "debug on",
      "stop",
      "ponderhit",
      "perft 2",
      "position startpos",
      "position startpos moves e2e4 e7e5 g1f3 b8c6 f1b5 a7a6 b5a4 g8f6 e1g1",
      "position fen r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1 moves e1c1 b4c3",
      "position fen 4k3/1P6/8/8/8/8/8/4K3 w - - 0 1 moves b7b8n e8d7",
      "position fen 7k/6Q1/6K1/8/8/8/8/8 b - - 99 80",
      "setoption name UCI_Chess960 value true",
      "setoption name UCI_Chess960 value false",
      "position fen 1r3kr1/pppppppp/8/8/8/8/PPPPPPP1/RR3KR1 w GBgb - 0 1 moves f1g1 f8b8",
      "position fen rk5r/pppppppp/8/8/8/8/PPPPPPPP/RK5R w KQkqHAha - 0 1 moves b1h1 b8a8 e1g1",
      "setoption name MultiPV value 4",
      "setoption name UCI_Elo value 1500",
      "setoption name UCI_LimitStrength value true",
      "setoption name Log value 1",
      "setoption name ClearHash",
      "setoption name PawnHash value 2",
      "setoption name EvalHash value 8",
      "setoption name MobilityWeight value 250",
      "setoption name QueenValueEn value 900",
      "setoption name TimeBufferMilliSec value 9",
      "setoption name RazorMargin1 value 300",
      "setoption name FutilityMargin value 300",
      "setoption name BookFilename value none.bin"};
  const char* words[] = {" ",    "moves ",     "fen ", "value ", "e2e4 ", "z9z9 ",      "/",
                         "8",    "K",          "- ",   "0",      "-1",    "2147483648", "99999999999999999999",
                         "HAha", "KQkqBCDEFG", "e1h1 "};
  std::mt19937 rng(1234567);
  const auto at = [&rng](const std::string& s) { return rng() % (s.size() + 1); };
  for (int batch = 0; batch < 10; ++batch) {
    for (int i = 0; i < 200; ++i) {
      std::string s = corpus[rng() % corpus.size()];
      for (int m = rng() % 4; m > 0; --m) {
        const std::string& other = corpus[rng() % corpus.size()];
        switch (rng() % 5) {
          case 0: s.resize(at(s)); break;
          case 1: s.insert(at(s), random_bytes(rng, 1 + rng() % 3)); break;
          case 2: s.erase(at(s), 1 + rng() % 4); break;
          case 3: s.insert(at(s), words[rng() % std::size(words)]); break;
          default: s = s.substr(0, at(s)) + other.substr(at(other));
        }
      }
      // Nothing that starts long work: a search, deep perft or resizing the main table.
      if (s.starts_with("go ") || (s.starts_with("perft ") && std::strtoll(s.c_str() + 6, nullptr, 10) > 2) ||
          s.find("ame Hash") != std::string::npos)
        continue;
      ASSERT_TRUE(send(s)) << "the engine stopped reading at " << s;
    }
    // No mutation makes this line, so its echo closes the batch.
    send("fuzz-" + std::to_string(batch));
    read_until([&](const std::string& line) { return line.ends_with("command fuzz-" + std::to_string(batch)); });
    ASSERT_FALSE(HasFailure()) << "batch " << batch << " broke the engine";
  }
  // A playable move is enough here; the board after a search is the search tests' business.
  fen_after("position startpos", best_of(search("position startpos", "go depth 4")).first);
}

}  // namespace
