// Known endgames, looked up by material key: draws scaled down, and mating
// patterns that lead the stronger side toward the right corner.
#pragma once

#include <cstdint>
#include <map>

#include "board/per_thread.h"
#include "board/types.h"

enum KnownEndgame : std::int32_t {
  BareKings = 1,
  LoneMinor = 2,  // king and knight or bishop against king
  TwoKnights = 4,
  MinorPawnVsMinor = 8,  // only with the pawn on White's side
  MinorsVsMinor = 16,    // bishop and knight, or two bishops, against one minor
  RookMinorVsRook = 32,
  RookVsMinor = 64,
  QueenMinorVsQueen = 128,
  QueenVsRookMinor = 256,  // also with one pawn for the defender
  MinorVsPawn = 512,
  BishopRookPawn = 1024,  // bishop and pawn against at most two pawns
  BishopKnightMate = 2048,
  QueenVsRook = 4096,
};

extern std::map<u64, std::int32_t> knownEndgames;  // material key -> KnownEndgame

PER_THREAD_BEGIN

void initializeKnownEndgames();  // enters them under the current material keys
// Bishops of opposite colours and nothing else: a pawn more hardly counts.
// Returns the correction of the white-relative score.
int opposite_bishops();
// What to add to the draw divisor for the current material; may add a
// mating bonus to the score instead.
int EvaluateEnding();

PER_THREAD_END
