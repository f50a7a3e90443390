// Iterative deepening and the root search.
#pragma once

#include <cstdint>

extern int root_hply;           // hply of the root position
extern int out_of_book;         // searches since the last book move
extern std::int64_t start_time; // clock reading at the start of the search
extern int gSelDepth;
extern int ext_corvantis_side;  // the engine's colour in this search; draw scores take their sign from it
