#include "book/book_choice.h"

#include <cstdlib>

#include "options/options.h"

namespace {

// Up to this game ply "Random" draws among all candidates; later it plays
// the heaviest, so that the engine leaves the book on its main lines.
constexpr int RANDOM_CHOICE_PLIES = 8;

int heaviest(const entry_t* candidates, int count) {
  int best = 0;
  for (int i = 1; i < count; ++i)
    if (candidates[i].weight > candidates[best].weight) best = i;
  return best;
}

int best_scored(const entry_t* candidates, int count) {
  int best = 0;
  double best_value = -32000000.0;
  for (int i = 0; i < count; ++i) {
    const double v = book_score_value(candidates[i].score);
    if (v > best_value) {
      best_value = v;
      best = i;
    }
  }
  return best;
}

}  // namespace

double book_score_value(std::uint16_t score) { return score / 65535.0 - (score > 16382 ? 1.0 : 0.0); }

int choose_book_move(const entry_t* candidates, int count, const char* policy, int game_ply, const char** reason) {
  if (my_StringIsEqual(policy, "BestScore")) {
    *reason = "is selected having the best score";
    return best_scored(candidates, count);
  }
  if (my_StringIsEqual(policy, "BestWeight") || game_ply > RANDOM_CHOICE_PLIES) {
    *reason = "is selected having the best weight";
    return heaviest(candidates, count);
  }
  if (count == 1) {
    *reason = "is randomy selected, the only move";
    return 0;
  }
  *reason = "is randomy selected";
  return std::rand() % count;
}
