// Threats against the enemy's pieces, read from the finished attack record.
#pragma once

#include "board/per_thread.h"
#include "eval/score.h"

PER_THREAD_BEGIN

Score evaluate_threats(int us);  // positive = good for us

PER_THREAD_END
