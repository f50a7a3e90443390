// What the probe prints about a position's book moves, on standard output
// and, while logging is on, in the log.
#pragma once

#include <cstdint>

#include "book/book_file.h"

constexpr int BOOK_MOVE_TEXT = 6;  // "e7e8q" and its terminator

void report_book_moves(const char (*texts)[BOOK_MOVE_TEXT], int count);
void report_book_table(const entry_t* candidates, const char (*texts)[BOOK_MOVE_TEXT], int count,
                       std::uint64_t total_weight);
void report_choice(const char* text, const char* reason);
