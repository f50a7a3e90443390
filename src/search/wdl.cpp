#include "search/wdl.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "board/position.h"
#include "options/options.h"
#include "search/search_tables.h"

namespace {

// Fitted by tools/fit_wdl.py to 292,088 positions of 2,688 self-play games
// at 1 s + 0.01 s (see the README): a win is as likely as not at the score
// centre(m), and spread(m) sets how fast the chance grows with the score;
// both are cubics in m = material / 78, highest power first.
constexpr double CENTRE[4] = {-297.083, 1041.094, -944.909, 378.438};
constexpr double SPREAD[4] = {347.292, -311.016, 74.993, 82.432};

double cubic(const double* c, double x) { return ((c[0] * x + c[1]) * x + c[2]) * x + c[3]; }

// The chance in per mille that the side with this score wins; the loss for
// a score is the win for its negation, so the two are symmetric by design.
// Rounded down, so that win and loss never pass 1000 together.
int win_per_mille(double score, double centre, double spread) {
  return static_cast<int>(1000.0 / (1.0 + std::exp((centre - score) / spread)));
}

}  // namespace

int wdl_material() { return wp + bp + 3 * (wn + bn + wb + bb) + 5 * (wr + br) + 9 * (wq + bq); }

Wdl wdl_of(int score, int material) {
  const int mate = value_to_mate(score);
  if (mate > 0) return {1000, 0, 0};
  if (mate < 0) return {0, 0, 1000};
  // The fit covers the material of real games; bare kings and more than the
  // starting material are read as its ends.
  const double m = (material < 8 ? 8 : material > 78 ? 78 : material) / 78.0;
  // A centre at or above 0 keeps win and loss together at most 1000.
  const double centre = std::fmax(cubic(CENTRE, m), 0.0);
  const double spread = std::fmax(cubic(SPREAD, m), 1.0);
  const int win = win_per_mille(score, centre, spread);
  const int loss = win_per_mille(-score, centre, spread);
  return {win, 1000 - win - loss, loss};
}

void append_wdl(char* text, int size, int score) {
  if (!OptionUci.show_wdl) return;
  const int n = static_cast<int>(std::strlen(text));
  const Wdl wdl = wdl_of(score, wdl_material());
  if (n < size) std::snprintf(text + n, size - n, " wdl %d %d %d", wdl.win, wdl.draw, wdl.loss);
}

void centipawn_text(char* text, int size, int score) {
  std::snprintf(text, size, "cp %d", score);
  append_wdl(text, size, score);
}
