// Positions paired with their colour mirrors: a symmetric evaluation scores
// both of a pair alike.
#pragma once

constexpr int SYM_TEST_PAIRS = 153;

// Position 2i and its mirror 2i + 1.
extern const char* const SymTestPosition[2 * SYM_TEST_PAIRS];
