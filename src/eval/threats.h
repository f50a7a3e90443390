// Threats against the enemy's pieces, read from the finished attack record.
#pragma once

#include "eval/score.h"

Score evaluate_threats(int us);  // positive = good for us
