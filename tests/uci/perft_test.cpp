// "perft": per-move counts, the summary block, and depths it refuses.
#include <gtest/gtest.h>

#include <algorithm>
#include <string_view>

#include "engine_fixture.h"

namespace {

using UciPerft = EngineTest;

const char* kKiwipete = "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1";

// The lines of a perft report: a blank line, one " move - count" line per
// legal root move, then the summary block ending in a blank line.
struct PerftReport {
  std::vector<std::pair<std::string, long long>> moves;
  long long nodes = -1;
  bool well_formed = false;
};

bool all_digits(std::string_view s) {
  return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// " e2e4 - 20" or " b7b8q - 1": the move text and its count.
bool parse_move_line(const std::string& line, std::string* move, long long* count) {
  const std::size_t dash = line.find(" - ");
  if (line.empty() || line[0] != ' ' || dash == std::string::npos) return false;
  const std::string text = line.substr(1, dash - 1);
  const std::string number = line.substr(dash + 3);
  const bool square_pairs = text.size() >= 4 && text[0] >= 'a' && text[0] <= 'h' && text[1] >= '1' &&
                            text[1] <= '8' && text[2] >= 'a' && text[2] <= 'h' && text[3] >= '1' && text[3] <= '8';
  const bool promotion_ok = text.size() == 4 || (text.size() == 5 && std::string_view("nbrq").find(text[4]) != std::string_view::npos);
  if (!square_pairs || !promotion_ok || !all_digits(number)) return false;
  *move = text;
  *count = std::stoll(number);
  return true;
}

// " Time: 0.05 sec": seconds with two decimals.
bool is_time_line(const std::string& line) {
  const std::string head = " Time: ", tail = " sec";
  if (!line.starts_with(head) || !line.ends_with(tail)) return false;
  const std::string seconds = line.substr(head.size(), line.size() - head.size() - tail.size());
  const std::size_t dot = seconds.find('.');
  return dot != std::string::npos && all_digits(seconds.substr(0, dot)) && seconds.size() - dot == 3 &&
         all_digits(seconds.substr(dot + 1));
}

PerftReport parse_report(const std::vector<std::string>& lines, int depth) {
  PerftReport report;
  const std::size_t n = lines.size();
  if (n < 7 || lines[0] != "") return report;
  std::size_t i = 1;
  std::string move;
  long long count;
  for (; i < n && parse_move_line(lines[i], &move, &count); ++i) report.moves.emplace_back(move, count);
  if (n - i != 6) return report;
  if (lines[i] != "" || lines[i + 1] != " Perft " + std::to_string(depth) + " Summary") return report;
  if (!lines[i + 2].starts_with(" Nodes: ") || !all_digits(lines[i + 2].substr(8))) return report;
  report.nodes = std::stoll(lines[i + 2].substr(8));
  report.well_formed = is_time_line(lines[i + 3]) && lines[i + 4].starts_with(" Nodes/sec: ") &&
                       all_digits(lines[i + 4].substr(12)) && lines[i + 5] == "";
  return report;
}

long long sum_of_moves(const PerftReport& r) {
  long long total = 0;
  for (const auto& [move, count] : r.moves) total += count;
  return total;
}

TEST_F(UciPerft, DepthOneListsTheTwentyStartMoves) {
  const std::vector<std::string> lines = ask("perft 1");
  const PerftReport r = parse_report(lines, 1);
  ASSERT_TRUE(r.well_formed) << joined(lines);
  EXPECT_EQ(r.nodes, 20);
  std::vector<std::string> moves;
  for (const auto& [move, count] : r.moves) {
    EXPECT_EQ(count, 1) << move;
    moves.push_back(move);
  }
  std::sort(moves.begin(), moves.end());
  const std::vector<std::string> expected = {"a2a3", "a2a4", "b1a3", "b1c3", "b2b3", "b2b4", "c2c3",
                                             "c2c4", "d2d3", "d2d4", "e2e3", "e2e4", "f2f3", "f2f4",
                                             "g1f3", "g1h3", "g2g3", "g2g4", "h2h3", "h2h4"};
  EXPECT_EQ(moves, expected);
}

TEST_F(UciPerft, DepthTwoCountsAndLeavesThePositionAlone) {
  const PerftReport start = parse_report(ask("perft 2"), 2);
  ASSERT_TRUE(start.well_formed);
  EXPECT_EQ(start.nodes, 400);
  EXPECT_EQ(start.moves.size(), 20u);
  for (const auto& [move, count] : start.moves) EXPECT_EQ(count, 20) << move;

  ask(std::string("position fen ") + kKiwipete);
  const PerftReport kiwipete = parse_report(ask("perft 2"), 2);
  ASSERT_TRUE(kiwipete.well_formed);
  EXPECT_EQ(kiwipete.moves.size(), 48u);
  EXPECT_EQ(kiwipete.nodes, 2039);
  EXPECT_EQ(sum_of_moves(kiwipete), 2039);
  EXPECT_EQ(current_fen(), kKiwipete);
}

TEST_F(UciPerft, CountsFromThePositionAfterTheMoves) {
  ask("position startpos moves e2e4 e7e5");
  const PerftReport r = parse_report(ask("perft 1"), 1);
  ASSERT_TRUE(r.well_formed);
  EXPECT_EQ(r.nodes, 29);
  EXPECT_EQ(current_fen(), "rnbqkbnr/pppp1ppp/8/4p3/4P3/8/PPPP1PPP/RNBQKBNR w KQkq - 0 2");
}

TEST_F(UciPerft, PromotionsAreListedWithTheirLetter) {
  ask("position fen 4k3/1P6/8/8/8/8/8/4K3 w - - 0 1");
  const PerftReport r = parse_report(ask("perft 1"), 1);
  ASSERT_TRUE(r.well_formed);
  std::vector<std::string> promotions;
  for (const auto& [move, count] : r.moves)
    if (move.starts_with("b7")) promotions.push_back(move);
  std::sort(promotions.begin(), promotions.end());
  EXPECT_EQ(promotions, (std::vector<std::string>{"b7b8b", "b7b8n", "b7b8q", "b7b8r"}));
  EXPECT_EQ(r.nodes, 9);  // four promotions and five king moves
}

TEST_F(UciPerft, MateAndStalemateHaveNoMoves) {
  ask("position fen 7k/6Q1/6K1/8/8/8/8/8 b - - 0 1");
  const PerftReport mate = parse_report(ask("perft 1"), 1);
  ASSERT_TRUE(mate.well_formed);
  EXPECT_EQ(mate.nodes, 0);
  EXPECT_TRUE(mate.moves.empty());

  ask("position fen 7k/5Q2/6K1/8/8/8/8/8 b - - 0 1");
  const PerftReport stalemate = parse_report(ask("perft 2"), 2);
  ASSERT_TRUE(stalemate.well_formed);
  EXPECT_EQ(stalemate.nodes, 0);
}

TEST_F(UciPerft, InvalidDepthIsReportedAndTheEngineGoesOn) {
  for (const char* command : {"perft 0", "perft ", "perft -1", "perft abc", "perft 1000"}) {
    const std::vector<std::string> reply = ask(command);
    ASSERT_EQ(reply.size(), 1u) << command << "\n" << joined(reply);
    EXPECT_TRUE(reply[0].starts_with("info string ")) << reply[0];
  }
  // Without its blank, "perft" is not the command at all.
  EXPECT_EQ(ask("perft"), std::vector<std::string>{"info string unknown command perft"});
  EXPECT_EQ(parse_report(ask("perft 1"), 1).nodes, 20);
}

}  // namespace
