#include "book/book_report.h"

#include "output/output.h"

namespace {

// Score shown for a score field: its high byte, less 256 when the low byte is set.
int display_score(std::uint16_t score) {
  const int high = score >> 8;
  return (score & 0xFF) == 0 ? high : high - 256;
}

}  // namespace

void report_book_moves(const char (*texts)[BOOK_MOVE_TEXT], int count) {
  for (int i = 0; i < count; ++i) SendInfo("info string book move: %s", texts[i]);
}

// The log copy carries the raw score field as well.
void report_book_table(const entry_t* candidates, const char (*texts)[BOOK_MOVE_TEXT], int count,
                       std::uint64_t total_weight) {
  SendInfo("%-6s %9s %6s %6s %6s", "Move", "Weight(%)", "Score", "Depth", "Learn");
  log_printf("%-6s %9s %6s %6s %6s %6s\n", "Move", "Weight(%)", "Score", "CP", "Depth", "Learn");
  for (int i = 0; i < count; ++i) {
    const entry_t& e = candidates[i];
    const double percent = e.weight * 100.0 / static_cast<double>(total_weight);
    const int shown = display_score(e.score);
    SendInfo("%-6s %9.2f %6d %6d %6d", texts[i], percent, shown, e.depth, e.learn);
    log_printf("%-6s %9.2f %6d %6d %6d %6d\n", texts[i], percent, e.score, shown, e.depth, e.learn);
  }
}

void report_choice(const char* text, const char* reason) {
  SendInfo("info string move %s %s!!", text, reason);
  log_printf("move %s %s!!\n", text, reason);
}
