// Attacked squares, checks, pins and discovered-check candidates.
#pragma once

#include "board/move.h"
#include "board/per_thread.h"
#include "board/types.h"

PER_THREAD_BEGIN

extern PER_THREAD int gchecker1, gchecker2;  // squares of the (first two) checking pieces, -1 if none

// Square sq is attacked by a pawn, knight or slider of colour c (kings not counted).
bool attackBB(int sq, int c);
bool in_check(int c);
void get_king_attackers_BB(int sq, int c);
void get_checker(int c);
u64 AttacksTo(int sq);  // attackers of both colours, kings included
u64 slider_blockers(u64 sliders, int ksq, u64* pinners);
void UpdateCheckSq();  // check information of the current position into hist_dat[hply]
u64 discovered_check_candidates();
bool mat_is_draw();
bool PawnTo7thRank(move m);

PER_THREAD_END
