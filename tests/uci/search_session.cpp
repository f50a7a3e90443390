#include "search_session.h"

#include <algorithm>
#include <charconv>
#include <type_traits>
#include <chrono>

namespace {

// The line split at single blanks: doubled or trailing blanks give empty words.
std::vector<std::string> split_words(const std::string& line) {
  std::vector<std::string> words;
  std::size_t start = 0;
  for (std::size_t blank; (blank = line.find(' ', start)) != std::string::npos; start = blank + 1)
    words.push_back(line.substr(start, blank - start));
  words.push_back(line.substr(start));
  return words;
}

// A plain 64-bit decimal, nothing before or after it.
std::optional<long long> decimal(std::string_view word, bool negative_ok) {
  if (word.empty() || (!negative_ok && word[0] == '-') || word[0] == '+') return std::nullopt;
  long long value = 0;
  const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
  if (error != std::errc() || end != word.data() + word.size()) return std::nullopt;
  return value;
}

bool is_move_text(std::string_view w) {
  const auto file = [](char c) { return c >= 'a' && c <= 'h'; };
  const auto rank = [](char c) { return c >= '1' && c <= '8'; };
  return (w.size() == 4 || (w.size() == 5 && std::string_view("nbrq").find(w[4]) != std::string_view::npos)) &&
         file(w[0]) && rank(w[1]) && file(w[2]) && rank(w[3]);
}

bool word_matches(std::string_view word, std::string_view pattern) {
  if (pattern == "#") return decimal(word, false).has_value();
  if (pattern == "-#") return decimal(word, true).has_value();
  if (pattern == "@") return is_move_text(word);
  return word == pattern;
}

// Field 2 or 4 of the last summary line, -1 without one.
long long summary_field(const std::vector<std::string>& lines, std::size_t field) {
  for (auto it = lines.rbegin(); it != lines.rend(); ++it)
    if (is_summary(*it)) return *decimal(split_words(*it)[field], false);
  return -1;
}

}  // namespace

bool matches(const std::string& line, std::initializer_list<std::string_view> pattern) {
  const std::vector<std::string> words = split_words(line);
  return words.size() == pattern.size() &&
         std::equal(words.begin(), words.end(), pattern.begin(),
                    [](const std::string& w, std::string_view p) { return word_matches(w, p); });
}

bool is_summary(const std::string& line) { return matches(line, {"info", "time", "#", "nodes", "#"}); }

std::optional<DepthLine> parse_depth_line(const std::string& line) {
  // info depth D seldepth S multipv K score cp|mate V [lowerbound|upperbound] time T nodes N nps P pv M...
  const std::vector<std::string> w = split_words(line);
  std::size_t i = 0;
  const auto literal = [&](std::string_view text) { return i < w.size() && w[i++] == text; };
  const auto number = [&](bool negative_ok, auto* out) {
    const std::optional<long long> v = i < w.size() ? decimal(w[i++], negative_ok) : std::nullopt;
    if (v) *out = static_cast<std::remove_pointer_t<decltype(out)>>(*v);
    return v.has_value();
  };
  DepthLine d;
  if (!(literal("info") && literal("depth") && number(false, &d.depth) && literal("seldepth") &&
        number(false, &d.seldepth) && literal("multipv") && number(false, &d.multipv) && literal("score")))
    return std::nullopt;
  if (i >= w.size() || (w[i] != "cp" && w[i] != "mate")) return std::nullopt;
  d.mate = w[i++] == "mate";
  if (!number(true, &d.score)) return std::nullopt;
  if (i < w.size() && (w[i] == "lowerbound" || w[i] == "upperbound")) d.bound = w[i++];
  if (!(literal("time") && number(false, &d.time) && literal("nodes") && number(false, &d.nodes) &&
        literal("nps") && number(false, &d.nps) && literal("pv")))
    return std::nullopt;
  d.pv.assign(w.begin() + static_cast<std::ptrdiff_t>(i), w.end());
  if (d.pv.empty() || !std::all_of(d.pv.begin(), d.pv.end(), [](const std::string& m) { return is_move_text(m); }))
    return std::nullopt;
  return d;
}

std::vector<DepthLine> depth_lines(const std::vector<std::string>& lines) {
  std::vector<DepthLine> out;
  for (const std::string& line : lines)
    if (auto d = parse_depth_line(line)) out.push_back(*d);
  return out;
}

std::optional<BestMove> parse_bestmove(const std::string& line) {
  const std::vector<std::string> w = split_words(line);
  if (line == "bestmove 0000") return BestMove{"0000", ""};
  if (matches(line, {"bestmove", "@"})) return BestMove{w[1], ""};
  if (matches(line, {"bestmove", "@", "ponder", "@"})) return BestMove{w[1], w[3]};
  return std::nullopt;
}

long long summary_nodes(const std::vector<std::string>& lines) { return summary_field(lines, 4); }
long long summary_time(const std::vector<std::string>& lines) { return summary_field(lines, 2); }

bool is_bestmove(const std::string& line) { return line.starts_with("bestmove"); }

std::function<bool(const std::string&)> depth_reached(int depth) {
  return [prefix = "info depth " + std::to_string(depth) + " "](const std::string& line) {
    return line.starts_with(prefix);
  };
}

bool any_bestmove(const std::vector<std::string>& lines) { return std::any_of(lines.begin(), lines.end(), is_bestmove); }

bool any_starts_with(const std::vector<std::string>& lines, const std::string& prefix) {
  return std::any_of(lines.begin(), lines.end(), [&](const std::string& l) { return l.starts_with(prefix); });
}

std::string with_move(const std::string& position, const std::string& move) {
  return position + (position.find(" moves ") == std::string::npos ? " moves " : " ") + move;
}

std::vector<std::string> SearchSession::go(const std::string& command, Millis timeout) {
  EXPECT_TRUE(engine.send(command));
  ReadResult r = engine.read_until(is_bestmove, timeout);
  EXPECT_TRUE(r.found) << command << ": no bestmove; output:\n" << joined(r.lines) << engine.stderr_text();
  return r.lines;
}

std::vector<std::string> SearchSession::search(const std::string& position, const std::string& command,
                                               Millis timeout) {
  EXPECT_TRUE(ask(position).empty()) << position;
  return go(command, timeout);
}

BestMove SearchSession::best_of(const std::vector<std::string>& lines) {
  const std::optional<BestMove> best = lines.empty() ? std::nullopt : parse_bestmove(lines.back());
  EXPECT_TRUE(best.has_value()) << "no bestmove line at the end:\n" << joined(lines);
  return best.value_or(BestMove{});
}

std::vector<std::string> SearchSession::stop(Millis* took) {
  const auto sent = std::chrono::steady_clock::now();
  EXPECT_TRUE(engine.send("stop"));
  ReadResult r = engine.read_until(is_bestmove);
  if (took) *took = std::chrono::duration_cast<Millis>(std::chrono::steady_clock::now() - sent);
  EXPECT_TRUE(r.found) << "no bestmove after stop; output:\n" << joined(r.lines) << engine.stderr_text();
  return r.lines;
}

std::vector<std::string> SearchSession::wait_for(const std::function<bool(const std::string&)>& done,
                                                 Millis timeout) {
  ReadResult r = engine.read_until([&](const std::string& line) { return done(line) || is_bestmove(line); }, timeout);
  EXPECT_TRUE(r.found && !is_bestmove(r.lines.back())) << "the awaited line did not come while searching:\n"
                                                       << joined(r.lines) << engine.stderr_text();
  return r.lines;
}

std::string SearchSession::fen_of(const std::string& position) {
  EXPECT_TRUE(ask(position).empty()) << position;
  return current_fen();
}

void SearchSession::expect_legal(const std::string& position, const std::string& move) {
  const std::string before = fen_of(position);
  EXPECT_TRUE(ask(with_move(position, move)).empty()) << move << " in " << position;
  EXPECT_NE(current_fen(), before) << move << " in " << position;
}

void SearchSession::expect_played(const std::string& position, const std::string& move) {
  const std::string board = current_fen();
  const std::string before = fen_of(position);
  EXPECT_TRUE(ask(with_move(position, move)).empty()) << move << " in " << position;
  const std::string after = current_fen();
  EXPECT_NE(after, before) << move << " in " << position;
  EXPECT_EQ(board, after) << "the board after the search is not the position with " << move << " played";
}
