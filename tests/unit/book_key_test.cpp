// The Polyglot key: the standard's published keys, computed from the engine's
// own FEN text after playing the moves and from the FEN texts themselves.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "board/fen.h"
#include "book/book.h"
#include "book/polyglot_key.h"
#include "engine/commands.h"
#include "engine/startup.h"
#include "test_support.h"

namespace {

struct Published {
  const char* moves;
  const char* fen;
  std::uint64_t key;
};

const Published kPublished[] = {
    {"", "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", 0x463B96181691FC9CULL},
    {"e2e4", "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1", 0x823C9B50FD114196ULL},
    {"e2e4 d7d5", "rnbqkbnr/ppp1pppp/8/3p4/4P3/8/PPPP1PPP/RNBQKBNR w KQkq d6 0 2", 0x0756B94461C50FB0ULL},
    {"e2e4 d7d5 e4e5", "rnbqkbnr/ppp1pppp/8/3pP3/8/8/PPPP1PPP/RNBQKBNR b KQkq - 0 2", 0x662FAFB965DB29D4ULL},
    {"e2e4 d7d5 e4e5 f7f5", "rnbqkbnr/ppp1p1pp/8/3pPp2/8/8/PPPP1PPP/RNBQKBNR w KQkq f6 0 3", 0x22A48B5A8E47FF78ULL},
    {"e2e4 d7d5 e4e5 f7f5 e1e2", "rnbqkbnr/ppp1p1pp/8/3pPp2/8/8/PPPPKPPP/RNBQ1BNR b kq - 0 3", 0x652A607CA3F242C1ULL},
    {"e2e4 d7d5 e4e5 f7f5 e1e2 e8f7", "rnbq1bnr/ppp1pkpp/8/3pPp2/8/8/PPPPKPPP/RNBQ1BNR w - - 0 4",
     0x00FDD303C946BDD9ULL},
    {"a2a4 b7b5 h2h4 b5b4 c2c4", "rnbqkbnr/p1pppppp/8/8/PpP4P/8/1P1PPPP1/RNBQKBNR b KQkq c3 0 3",
     0x3C8123EA7B067637ULL},
    {"a2a4 b7b5 h2h4 b5b4 c2c4 b4c3 a1a3", "rnbqkbnr/p1pppppp/8/8/P6P/R1p5/1P1PPPP1/1NBQKBNR b Kkq - 0 4",
     0x5C3F9B829B279560ULL},
};

std::string engine_fen() {
  char text[256] = {};
  get_fen(text);
  return text;
}

TEST(BookKey, TableHoldsTheStandardNumbers) {
  EXPECT_EQ(Random64[0], 0x9D39247E33776D41ULL);
  EXPECT_EQ(Random64[RANDOM64_COUNT - 1], 0xF8D626AAAF278509ULL);
  EXPECT_EQ(RandomCastle[0], Random64[768]);
  EXPECT_EQ(RandomEnPassant[7], Random64[779]);
  EXPECT_EQ(RandomTurn[0], Random64[780]);
  EXPECT_STREQ(piece_names, "pPnNbBrRqQkK");
}

TEST(BookKey, PublishedKeysFromTheFenTexts) {
  for (const Published& p : kPublished) EXPECT_EQ(hash_pg_key(p.fen), p.key) << p.fen;
}

TEST(BookKey, PublishedKeysFromTheEnginesBoard) {
  for (const Published& p : kPublished) {
    set_position(spos);
    uci_position((std::string("position startpos moves ") + p.moves).c_str());
    const std::string fen = engine_fen();
    EXPECT_EQ(pg_key(fen.c_str()), p.key) << p.moves << " -> " << fen;
  }
}

TEST(BookKey, StartPositionWithoutEnPassantField) {
  set_position(spos);
  const std::string fen = engine_fen();
  ASSERT_EQ(fen, "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq ");
  EXPECT_EQ(pg_key(fen.c_str()), 0x463B96181691FC9CULL);
  // Nothing after the castling field counts as "-".
  EXPECT_EQ(hash_pg_key("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq"), 0x463B96181691FC9CULL);
}

TEST(BookKey, EnPassantFileCountsOnlyWithACapturer) {
  // After e2e4 no black pawn stands beside e4: the field changes nothing.
  EXPECT_EQ(hash_pg_key("rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3"),
            hash_pg_key("rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq -"));
  // A white pawn beside the square does not count for black to move.
  const char* white_beside = "4k3/8/8/8/3PP3/8/8/4K3 b - e3";
  EXPECT_EQ(hash_pg_key(white_beside), hash_pg_key("4k3/8/8/8/3PP3/8/8/4K3 b - -"));
  // Capturers on the a- and h-file edges: the neighbour beyond the board is not looked at.
  EXPECT_EQ(hash_pg_key("4k3/8/8/8/Pp6/8/8/4K3 b - a3") ^ hash_pg_key("4k3/8/8/8/Pp6/8/8/4K3 b - -"),
            RandomEnPassant[0]);
  EXPECT_EQ(hash_pg_key("4k3/8/8/6pP/8/8/8/4K3 w - g6") ^ hash_pg_key("4k3/8/8/6pP/8/8/8/4K3 w - -"),
            RandomEnPassant[6]);
}

// Text that is no FEN at all yields some key, without reading or writing
// outside the board (the sanitizer build watches).
TEST(BookKey, MalformedTextIsSafe) {
  const char* texts[] = {
      "",
      "w",
      "88888888/88888888/8 w KQkq -",
      "ppppppppppppppppppppppppppppppppppppppppppppppppppppppppppppppppppppppppppppppppp w - -",
      "8/8/8/8/8/8/8/8/8/8/8/8/pppppppp/PPPP w - -",
      "xyz!/9/0 b QQQQQ zz",
      "4k3/8/8/8/Pp6/8/8/4K3 b - `3",
      "4k3/8/8/8/6pP/8/8/4K3 b - i3",
  };
  for (const char* t : texts) (void)hash_pg_key(t);
  // Letters that are no piece add nothing.
  EXPECT_EQ(hash_pg_key("4k3/8/8/8/8/8/8/4K3 w - -"), hash_pg_key("4k3/8/8/x7/8/8/8/4K3 w - -"));
  std::mt19937 rng(7);
  const std::string alphabet = "pPnNbBrRqQkK12345678/ wb-KQkqabcdefgh36x";
  for (int i = 0; i < 2000; ++i) {
    std::string text(rng() % 120, ' ');
    for (char& c : text) c = alphabet[rng() % alphabet.size()];
    (void)hash_pg_key(text.c_str());
  }
}

}  // namespace
