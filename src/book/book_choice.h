// Choosing one of the book's moves for a position by the "BookMoveSelect"
// policy: "BestWeight", "BestScore", or anything else for "Random".
#pragma once

#include "book/book_file.h"

// Index of the chosen candidate; *reason receives the tail of the message
// that announces the choice (for example "is selected having the best weight").
int choose_book_move(const entry_t* candidates, int count, const char* policy, int game_ply, const char** reason);

// Ranking value of a score field for "BestScore"; fields above 16382 rank as negative.
double book_score_value(std::uint16_t score);
