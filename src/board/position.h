// The one global position: mailbox, bitboards, game state, material counters
// and the three incrementally kept keys. Each search thread has its own
// (board/per_thread.h); constinit, so that no access goes through a check
// for dynamic initialisation.
#pragma once

#include "board/bitboard.h"
#include "board/per_thread.h"
#include "board/types.h"

extern u64 hash_piece[2][6][64];
extern u64 hash_side;
extern u64 hash_ep[64];
extern u64 hash_castle[16];
extern u64 materialHash[2][6][8];  // addressed flat: (c * 6 + k) * 8 + n - 1

// The whole position state: every position global below and the check information
// of the current history record. Tests and benchmarks set positions aside
// and bring them back with it; a new position global belongs in it.
struct PositionState {
  int piece[64], color[64];
  int side, xside, castle, ep, fifty, hply, ply;
  u64 hash, phash, gMatHash;
  int wking_loc, bking_loc;
  u64 Pos[3], myPiece[2][7];
  int counters[16];  // wp .. bq, wpc, bpc, wpawn, bpawn, wpiece, bpiece
  u64 checkSq[5], blockers[2], pinners[2];
  bool operator==(const PositionState&) const = default;
};

u64 rand64();
// The keys normally come from the runtime's rand(), seeded from the clock.
// With fixed draws on they come from a generator of the same shape restarted
// from a fixed seed: "bench" uses it so that its node count is a signature,
// the same on every run and every system.
void fixed_key_draws(bool on);
// New keys; the known-endgame table, keyed by them, must be rebuilt after.
void init_hash();

PER_THREAD_BEGIN

extern PER_THREAD int piece[64];  // kind on each square, EMPTY if vacant
extern PER_THREAD int color[64];  // colour on each square, EMPTY if vacant
extern PER_THREAD int side, xside;
extern PER_THREAD int castle;  // 1 white O-O, 2 white O-O-O, 4 black O-O, 8 black O-O-O
extern PER_THREAD int ep;      // en-passant target square, -1 if none
extern PER_THREAD int fifty;   // half-move clock
extern PER_THREAD int hply;    // moves made since the position was set
extern PER_THREAD int ply;     // distance from the search root
extern PER_THREAD u64 hash, phash, gMatHash;
extern PER_THREAD int wking_loc, bking_loc;
extern PER_THREAD u64 Pos[3];         // white pieces, black pieces, all pieces
extern PER_THREAD u64 myPiece[2][7];  // [colour][kind]; the EMPTY column stays zero

extern PER_THREAD int wp, wn, wb, wr, wq, bp, bn, bb, br, bq;  // piece counts
extern PER_THREAD int wpc, bpc;                                // knights to queens
extern PER_THREAD int wpawn, bpawn;                            // pawn material
extern PER_THREAD int wpiece, bpiece;                          // non-pawn material

void init_materials();
// Sets up the position and keeps the keys; false, the board unusable, when
// fen() refuses the text.
bool init_board1(const char* fen_text);

void piece_add(int k, int c, int s);
void piece_remove(int k, int c, int s);
void piece_add_hash(int k, int c, int s);
void piece_remove_hash(int k, int c, int s);
// A piece moving to an empty square: the material key stays as it is.
void piece_move(int k, int c, int from, int to);
void piece_move_hash(int k, int c, int from, int to);
// Adjusts the counters of colour c for n pieces of kind k (n = 1 or -1).
void add_material(int k, int c, int n);

u64 scratch_hash();
u64 calculateMaterialHash();

PositionState save_position();
void restore_position(const PositionState& s);

inline int SidePieces(int c) { return c == WHITE ? wpiece : bpiece; }
inline int KingLocation(int c) { return c == WHITE ? wking_loc : bking_loc; }

PER_THREAD_END
