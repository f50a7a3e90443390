// "datagen": self-play games for the learned evaluation's trainer. A game
// starts with random moves from the start position, kept only when a search
// finds the result balanced; then both sides play searches of a fixed node
// count until the game ends or is clearly decided. The quiet positions are
// written as training records (board/training_record.h). One thread, fixed
// keys and no clock: the same seed gives the same file on every system.
#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "board/attacks.h"
#include "board/makemove.h"
#include "board/position.h"
#include "board/training_record.h"
#include "engine/diagnostics.h"
#include "engine/startup.h"
#include "movegen/gen.h"
#include "movegen/movestack.h"
#include "options/options.h"
#include "output/output.h"
#include "platform/platform.h"
#include "search/control.h"
#include "search/search_tables.h"
#include "search/think.h"
#include "search/threads.h"

namespace {

struct DatagenSettings {
  int games = 100;
  int nodes = 5000;
  int random_plies = 8;
  std::uint64_t seed = 1;
  char file[256] = "corvantis-data.bin";
};

constexpr int MAX_GAME_PLIES = 400;       // then a draw; the history holds a search above it
constexpr int OPENING_BALANCE = 150;      // centipawns an opening may lean to one side
constexpr int WIN_SCORE = 1000;           // both sides agree the game is won ...
constexpr int WIN_PLIES = 6;              // ... for this many plies in a row
constexpr int DRAW_SCORE = 10;            // a dead-level game ...
constexpr int DRAW_PLIES = 12;            // ... for this many plies ...
constexpr int DRAW_FROM_PLY = 80;         // ... after this many
constexpr int RECORD_SCORE_LIMIT = 3000;  // larger scores teach the network nothing

// splitmix64: a fixed, portable sequence for the openings.
struct Random {
  std::uint64_t state;
  std::uint64_t next() {
    std::uint64_t z = (state += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
  }
};

void parse_settings(const char* args, DatagenSettings* s) {
  char text[512] = {};
  std::strncpy(text, args, sizeof text - 1);
  char* rest = nullptr;
  for (char* word = std::strtok(text, " "); word; word = std::strtok(nullptr, " ")) {
    char* value = std::strtok(nullptr, " ");
    if (value == nullptr) break;
    if (std::strcmp(word, "games") == 0) s->games = text_to_int(value);
    else if (std::strcmp(word, "nodes") == 0) s->nodes = text_to_int(value);
    else if (std::strcmp(word, "plies") == 0) s->random_plies = text_to_int(value);
    else if (std::strcmp(word, "seed") == 0) s->seed = std::strtoull(value, &rest, 10);
    else if (std::strcmp(word, "file") == 0) std::snprintf(s->file, sizeof s->file, "%s", value);
  }
}

// The position after a game move becomes the root of the next search.
void play(move m) {
  makemove(m.b);
  ply = 0;
  root_hply = hply;
  gen();
}

struct SearchResult {
  move best;
  int score;
};

SearchResult search_nodes(int nodes) {
  si.fixed_time = true;
  max_time = si.time_available = 1000000000;
  max_depth = 128;
  si.nodes = nodes;
  think(0);
  return {pv[0][0], si.score_history[hply]};
}

void new_game() {
  init_board(spos);
  ply = 0;
  root_hply = hply;
}

// Random moves from the start position until a search finds the result balanced.
void random_opening(Random* rng, const DatagenSettings& s) {
  move moves[MAX_LEGAL_MOVES];
  for (;;) {
    new_game();
    const int plies = s.random_plies + static_cast<int>(rng->next() & 1);
    bool ended = false;
    for (int i = 0; i < plies && !ended; ++i) {
      const int n = legal_moves(moves);
      if (n == 0) ended = true;
      else play(moves[rng->next() % static_cast<std::uint64_t>(n)]);
    }
    if (ended || legal_moves(moves) == 0) continue;
    const int score = search_nodes(s.nodes).score;
    if (score >= -OPENING_BALANCE && score <= OPENING_BALANCE) return;
  }
}

bool insufficient_material() { return wp + bp + wr + br + wq + bq == 0 && wn + wb <= 1 && bn + bb <= 1; }

// The result for white (1 win, 0 draw, -1 loss) when the game is over by the rules.
bool game_over(int* white_result) {
  move moves[MAX_LEGAL_MOVES];
  *white_result = 0;
  if (legal_moves(moves) == 0) {
    if (in_check(side)) *white_result = side == WHITE ? -1 : 1;
    return true;
  }
  return fifty >= 100 || reps() >= 2 || insufficient_material();
}

struct Tally {
  std::int64_t positions = 0;
  int wins = 0, draws = 0, losses = 0;  // white's
};

// One game from the current opening; its quiet positions go to the file.
void play_game(const DatagenSettings& s, std::FILE* out, Tally* tally) {
  static TrainingRecord records[MAX_GAME_PLIES];
  int count = 0, white_result = 0, win_run = 0, draw_run = 0;
  for (int game_ply = 0;; ++game_ply) {
    if (game_over(&white_result)) break;
    if (game_ply >= MAX_GAME_PLIES) break;
    const SearchResult r = search_nodes(s.nodes);
    if (r.best.u == 0) break;
    const int white_score = side == WHITE ? r.score : -r.score;
    win_run = (white_score >= WIN_SCORE)    ? (win_run > 0 ? win_run + 1 : 1)
              : (white_score <= -WIN_SCORE) ? (win_run < 0 ? win_run - 1 : -1)
                                            : 0;
    draw_run = (r.score >= -DRAW_SCORE && r.score <= DRAW_SCORE) ? draw_run + 1 : 0;
    if (win_run >= WIN_PLIES || win_run <= -WIN_PLIES) {
      white_result = win_run > 0 ? 1 : -1;
      break;
    }
    if (game_ply >= DRAW_FROM_PLY && draw_run >= DRAW_PLIES) break;
    const bool quiet = !(r.best.b.bits & (MF_CAPTURE | MF_PROMOTE | MF_EP)) && !in_check(side);
    if (quiet && value_to_mate(r.score) == 0 && r.score > -RECORD_SCORE_LIMIT && r.score < RECORD_SCORE_LIMIT)
      records[count++] = record_position(r.score, hply);
    play(r.best);
  }
  unsigned char bytes[TRAINING_RECORD_BYTES];
  for (int i = 0; i < count; ++i) {
    TrainingRecord& rec = records[i];
    const int result = rec.side == WHITE ? white_result : -white_result;
    rec.result = static_cast<std::uint8_t>(result + 1);
    encode_record(rec, bytes);
    std::fwrite(bytes, sizeof bytes, 1, out);
  }
  tally->positions += count;
  if (white_result > 0) ++tally->wins;
  else if (white_result < 0) ++tally->losses;
  else ++tally->draws;
}

}  // namespace

void datagen(const char* args) {
  DatagenSettings s;
  parse_settings(args, &s);
  std::FILE* out = std::fopen(s.file, "wb");
  if (out == nullptr) {
    SendInfo("info string datagen: cannot write %s", s.file);
    return;
  }
  set_thread_count(1);
  fixed_key_draws(true);
  si.bench = true;  // no book, no progress lines
  si.poll_input = false;
  Random rng{s.seed};
  Tally tally;
  const std::int64_t start = get_ms();
  for (int game = 1; game <= s.games; ++game) {
    random_opening(&rng, s);
    play_game(s, out, &tally);
    if (game % 100 == 0 || game == s.games) {
      const std::int64_t ms = get_ms() - start;
      SendInfo("info string datagen games %d positions %" PRId64 " white %d/%d/%d positions/s %" PRId64, game,
               tally.positions, tally.wins, tally.draws, tally.losses, tally.positions * 1000 / (ms > 0 ? ms : 1));
    }
  }
  std::fclose(out);
  fixed_key_draws(false);
  si.nodes = 0;
  si.bench = false;
  si.fixed_time = false;
  si.poll_input = true;
  max_time = 14400000;
  max_depth = 128;
  set_start_position();
}
