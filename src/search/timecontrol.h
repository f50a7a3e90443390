// Turning the clock into a time allotment, and the periodic poll that
// decides when a running search must stop.
#pragma once

#include <cstdint>

#include "board/per_thread.h"

extern std::int64_t stop_time;  // soft limit (clock reading); moved by the extensions
extern int ext_max_tt;          // hard limit in ms after start_time
extern std::int64_t last_info_time;
extern std::int64_t last_input_peek;  // clock reading of the last look at the input

PER_THREAD_BEGIN

// Sets max_time and si.time_available from the own clock (own_time >= 1),
// the own increment and moves to go (-1 when absent).
void allocate_time(int own_time, int own_inc, int movestogo);
void CheckUserInputandTime();

PER_THREAD_END
