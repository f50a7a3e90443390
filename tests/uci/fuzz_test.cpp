// Thousands of valid commands, mutated: cut short, with bytes inserted,
// replaced or dropped, spliced together, with numbers swapped for extreme
// ones. Fixed seed, so a failure replays exactly.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <iterator>
#include <random>

#include "engine_fixture.h"

namespace {

const std::vector<std::string> kCorpus = {
    "uci",
    "isready",
    "fen",
    "ucinewgame",
    "version",
    "debug on",
    "stop",
    "ponderhit",
    "perft 1",
    "perft 2",
    "position startpos",
    "position startpos moves e2e4 e7e5 g1f3 b8c6 f1b5 a7a6 b5a4 g8f6 e1g1",
    "position startpos moves e2e4 d7d5 e4e5 f7f5 e5f6 e8f7 f6g7 f7e6 g7h8q",
    "position fen r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1 moves e1c1 b4c3",
    "position fen 4k3/1P6/8/8/8/8/8/4K3 w - - 0 1 moves b7b8n e8d7",
    "position fen rnbqkbnr/ppp1p1pp/8/3pPp2/8/8/PPPP1PPP/RNBQKBNR w KQkq f6 0 3 moves e5f6",
    "position fen 8/8/8/8/8/8/8/K6k b - - 99 80",
    "position fen 7k/6Q1/6K1/8/8/8/8/8 b - - 0 1",
    "setoption name MultiPV value 4",
    "setoption name UCI_Elo value 1500",
    "setoption name UCI_LimitStrength value true",
    "setoption name Log value true",
    "setoption name ClearHash",
    "setoption name PawnHash value 2",
    "setoption name EvalHash value 8",
    "setoption name MobilityWeight value 250",
    "setoption name RazorMargin2 value 300",
    "setoption name BookFilename value none.bin",
    "setoption name BookMoveSelect value Random",
    "setoption name Ponder value false",
};

// Lines that would start work the fuzz must not wait for: a search, the
// benchmarks, deep perft, leaving, or resizing the main hash table (each
// resize clears up to 2 GB).
bool too_slow(const std::string& line) {
  if (line.starts_with("go ") || line == "bench" || line == "symtestpos" || line == "quit" || line == "eval")
    return true;
  if (line.starts_with("perft ") && std::atoi(line.c_str() + 6) > 2) return true;
  std::string lower;
  for (char c : line) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower.find("name hash") != std::string::npos;
}

class Mutator {
 public:
  explicit Mutator(unsigned seed) : rng_(seed) {}

  std::string line() {
    for (;;) {
      std::string text = pick(kCorpus);
      const int mutations = below(4);
      for (int i = 0; i < mutations; ++i) mutate(text);
      if (!too_slow(text)) return text;
    }
  }

 private:
  int below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }
  std::size_t at(const std::string& s) { return static_cast<std::size_t>(below(static_cast<int>(s.size()) + 1)); }
  const std::string& pick(const std::vector<std::string>& v) { return v[static_cast<std::size_t>(below(static_cast<int>(v.size())))]; }

  // Any byte but NUL and newline, which would end the line.
  char random_byte() {
    for (;;) {
      const char c = static_cast<char>(1 + below(255));
      if (c != '\n') return c;
    }
  }

  void mutate(std::string& s) {
    static const char* numbers[] = {"0", "-1", "3", "9", "65", "2147483647", "-2147483648", "99999999999999999999"};
    static const char* words[] = {" ", "  ", "moves ", "fen ", "name ", "value ", "startpos ", "e2e4 ", "a0a9 ",
                                  "z9z9 ", "e7e8", "/", "8", "K", "k", "w ", "b ", "- ", "KQkq "};
    switch (below(8)) {
      case 0:  // cut short
        s.resize(at(s));
        break;
      case 1:  // insert a byte
        s.insert(at(s), 1, random_byte());
        break;
      case 2:  // replace a byte
        if (!s.empty()) s[at(s) % s.size()] = random_byte();
        break;
      case 3:  // drop a few bytes
        if (!s.empty()) s.erase(at(s) % s.size(), static_cast<std::size_t>(1 + below(4)));
        break;
      case 4:  // insert a word of the command language
        s.insert(at(s), words[below(static_cast<int>(std::size(words)))]);
        break;
      case 5: {  // splice with another command
        const std::string& other = pick(kCorpus);
        s = s.substr(0, at(s)) + other.substr(at(other));
        break;
      }
      case 6: {  // swap a number for an extreme one
        const std::size_t digit = s.find_first_of("0123456789", at(s));
        if (digit == std::string::npos) break;
        const std::size_t end = s.find_first_not_of("0123456789", digit);
        s.replace(digit, end == std::string::npos ? std::string::npos : end - digit, numbers[below(static_cast<int>(std::size(numbers)))]);
        break;
      }
      default:  // repeat a piece of the line
        if (!s.empty()) {
          const std::size_t from = at(s) % s.size();
          s.insert(at(s), s.substr(from, static_cast<std::size_t>(1 + below(40))));
        }
        break;
    }
  }

  std::mt19937 rng_;
};

// Escapes control and high bytes so a failing batch can be read.
std::string printable(const std::string& s) {
  static const char hex[] = "0123456789abcdef";
  std::string out;
  for (unsigned char c : s) {
    if (c >= 32 && c < 127) {
      out += static_cast<char>(c);
    } else {
      out += "\\x";
      out += hex[c >> 4];
      out += hex[c & 15];
    }
  }
  return out;
}

using UciFuzz = EngineTest;

TEST_F(UciFuzz, MutatedCommandLinesNeverBreakTheEngine) {
  constexpr int kLines = 4000;
  constexpr int kBatch = 200;
  // A small main table keeps the many start-position resets cheap.
  ASSERT_TRUE(ask("setoption name Hash value 8").empty());

  Mutator mutator(1234567);
  for (int batch = 0; batch < kLines / kBatch; ++batch) {
    std::string sent;
    for (int i = 0; i < kBatch; ++i) {
      const std::string line = mutator.line();
      ASSERT_TRUE(engine.send(line)) << "the engine stopped reading at:\n" << printable(line) << "\n"
                                     << engine.stderr_text();
      sent += printable(line) + "\n";
    }
    // No mutation can produce this marker, so its echo closes the batch.
    const std::string marker = "fuzz-sync-" + std::to_string(batch);
    engine.send(marker);
    const ReadResult reply = engine.read_until_line("info string unknown command " + marker);
    ASSERT_TRUE(reply.found) << "batch " << batch << " broke the engine; it was sent:\n"
                             << sent << "\nlast output:\n" << (reply.lines.empty() ? "" : reply.lines.back()) << "\n"
                             << engine.stderr_text();
  }
  engine.send("isready");
  EXPECT_EQ(engine.read_line(), "readyok");
}

}  // namespace
