#include "board/position.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "board/attacks.h"
#include "board/fen.h"
#include "board/makemove.h"
#include "board/per_thread.h"

#ifndef CORVANTIS_HELPER_COPY
u64 hash_piece[2][6][64];
u64 hash_side;
u64 hash_ep[64];
u64 hash_castle[16];
u64 materialHash[2][6][8];

// The keys and their generator are shared by all search threads and drawn
// by the main thread alone.
namespace {

int runtime_draw() { return std::rand() & 0x7FFF; }

// The classic rand() formula written out, so that its draws are the same on
// every system whatever its runtime's rand() does.
std::uint32_t fixed_state;
int fixed_draw() {
  fixed_state = fixed_state * 214013u + 2531011u;
  return static_cast<int>((fixed_state >> 16) & 0x7FFF);
}

int (*draw15)() = runtime_draw;

}  // namespace

void fixed_key_draws(bool on) {
  fixed_state = 1;
  draw15 = on ? fixed_draw : runtime_draw;
}

// Five draws of 15 bits each; only the low four bits of the last survive.
u64 rand64() {
  u64 r = 0;
  for (int i = 0; i < 5; ++i) r ^= static_cast<u64>(draw15()) << (15 * i);
  return r;
}

void init_hash() {
  for (int c = WHITE; c <= BLACK; ++c)
    for (int k = PAWN; k <= KING; ++k) {
      for (u64& key : materialHash[c][k]) key = rand64();
      for (u64& key : hash_piece[c][k]) key = rand64();
    }
  hash_side = rand64();
  for (u64& key : hash_ep) key = rand64();
  for (u64& key : hash_castle) key = rand64();
}

#endif

PER_THREAD_BEGIN

PER_THREAD int piece[64], color[64];
PER_THREAD int side, xside, castle, ep, fifty, hply, ply;
PER_THREAD u64 hash, phash, gMatHash;
PER_THREAD int wking_loc, bking_loc;
PER_THREAD u64 Pos[3];
PER_THREAD u64 myPiece[2][7];
PER_THREAD int wp, wn, wb, wr, wq, bp, bn, bb, br, bq;
PER_THREAD int wpc, bpc, wpawn, bpawn, wpiece, bpiece;

namespace {

// The counters belong to the thread, so their addresses are not constants:
// no table of pointers to them.
int& kind_counter(int c, int k) {
  switch (k) {
    case PAWN: return c == WHITE ? wp : bp;
    case KNIGHT: return c == WHITE ? wn : bn;
    case BISHOP: return c == WHITE ? wb : bb;
    case ROOK: return c == WHITE ? wr : br;
    default: return c == WHITE ? wq : bq;
  }
}

// In the order of PositionState::counters.
struct Counters {
  int* at[16];
};
Counters all_counters() {
  return {{&wp, &wn, &wb, &wr, &wq, &bp, &bn, &bb, &br, &bq, &wpc, &bpc, &wpawn, &bpawn, &wpiece, &bpiece}};
}

// The material key of the n-th piece (n counted from 1) of colour c and kind k.
u64 material_key(int c, int k, int n) { return (&materialHash[0][0][0])[(c * 6 + k) * 8 + n - 1]; }

}  // namespace

void init_materials() {
  wp = wn = wb = wr = wq = bp = bn = bb = br = bq = 0;
  wpc = bpc = wpawn = bpawn = wpiece = bpiece = 0;
}

void add_material(int k, int c, int n) {
  if (k == KING) return;
  kind_counter(c, k) += n;
  if (k == PAWN) {
    (c == WHITE ? wpawn : bpawn) += 100 * n;
  } else {
    (c == WHITE ? wpc : bpc) += n;
    (c == WHITE ? wpiece : bpiece) += piece_value[k] * n;
  }
}

static void reset_after_setup() {
  ply = 0;
  hply = 0;
  UpdateCheckSq();
}

bool init_board1(const char* fen_text) {
  init_materials();
  if (!fen(fen_text)) return false;
  reset_after_setup();
  return true;
}

void piece_add(int k, int c, int s) {
  const u64 b = SquareBB[s];
  piece[s] = k;
  color[s] = c;
  Pos[2] ^= b;
  myPiece[c][k] ^= b;
  Pos[c] ^= b;
  if (k == KING) (c == WHITE ? wking_loc : bking_loc) = s;
}

void piece_remove(int k, int c, int s) {
  const u64 b = SquareBB[s];
  piece[s] = EMPTY;
  color[s] = EMPTY;
  Pos[2] ^= b;
  myPiece[c][k] ^= b;
  Pos[c] ^= b;
}

void piece_add_hash(int k, int c, int s) {
  piece_add(k, c, s);
  hash ^= hash_piece[c][k][s];
  if (k == PAWN) phash ^= hash_piece[c][k][s];
  gMatHash ^= material_key(c, k, popCount(myPiece[c][k]));
}

void piece_remove_hash(int k, int c, int s) {
  gMatHash ^= material_key(c, k, popCount(myPiece[c][k]));
  piece_remove(k, c, s);
  hash ^= hash_piece[c][k][s];
  if (k == PAWN) phash ^= hash_piece[c][k][s];
}

PositionState save_position() {
  PositionState s;
  std::memcpy(s.piece, piece, sizeof piece);
  std::memcpy(s.color, color, sizeof color);
  s.side = side, s.xside = xside, s.castle = castle, s.ep = ep, s.fifty = fifty, s.hply = hply, s.ply = ply;
  s.hash = hash, s.phash = phash, s.gMatHash = gMatHash;
  s.wking_loc = wking_loc, s.bking_loc = bking_loc;
  std::memcpy(s.Pos, Pos, sizeof Pos);
  std::memcpy(s.myPiece, myPiece, sizeof myPiece);
  const Counters counters = all_counters();
  for (int i = 0; i < 16; ++i) s.counters[i] = *counters.at[i];
  const hist_entry& h = hist_dat[hply];
  std::memcpy(s.checkSq, h.checkSq, sizeof s.checkSq);
  std::memcpy(s.blockers, h.blockers, sizeof s.blockers);
  std::memcpy(s.pinners, h.pinners, sizeof s.pinners);
  return s;
}

void restore_position(const PositionState& s) {
  std::memcpy(piece, s.piece, sizeof piece);
  std::memcpy(color, s.color, sizeof color);
  side = s.side, xside = s.xside, castle = s.castle, ep = s.ep, fifty = s.fifty, hply = s.hply, ply = s.ply;
  hash = s.hash, phash = s.phash, gMatHash = s.gMatHash;
  wking_loc = s.wking_loc, bking_loc = s.bking_loc;
  std::memcpy(Pos, s.Pos, sizeof Pos);
  std::memcpy(myPiece, s.myPiece, sizeof myPiece);
  const Counters counters = all_counters();
  for (int i = 0; i < 16; ++i) *counters.at[i] = s.counters[i];
  hist_entry& h = hist_dat[hply];
  std::memcpy(h.checkSq, s.checkSq, sizeof s.checkSq);
  std::memcpy(h.blockers, s.blockers, sizeof s.blockers);
  std::memcpy(h.pinners, s.pinners, sizeof s.pinners);
}

void piece_move(int k, int c, int from, int to) {
  const u64 b = SquareBB[from] | SquareBB[to];
  piece[from] = EMPTY;
  color[from] = EMPTY;
  piece[to] = k;
  color[to] = c;
  Pos[2] ^= b;
  myPiece[c][k] ^= b;
  Pos[c] ^= b;
  if (k == KING) (c == WHITE ? wking_loc : bking_loc) = to;
}

void piece_move_hash(int k, int c, int from, int to) {
  piece_move(k, c, from, to);
  const u64 keys = hash_piece[c][k][from] ^ hash_piece[c][k][to];
  hash ^= keys;
  if (k == PAWN) phash ^= keys;
}

u64 scratch_hash() {
  u64 h = 0;
  for (int c = WHITE; c <= BLACK; ++c)
    for (int k = PAWN; k <= KING; ++k)
      for (u64 b = myPiece[c][k]; b;) h ^= hash_piece[c][k][pop_lsb(&b)];
  if (side == BLACK) h ^= hash_side;
  if (ep != -1) h ^= hash_ep[ep];
  return h ^ hash_castle[castle];
}

u64 calculateMaterialHash() {
  u64 h = 0;
  for (int c = WHITE; c <= BLACK; ++c)
    for (int k = PAWN; k <= KING; ++k)
      for (int n = 1, count = popCount(myPiece[c][k]); n <= count; ++n) h ^= material_key(c, k, n);
  return h;
}

PER_THREAD_END
