// One position of a self-play game as the trainer of the learned evaluation
// reads it: 32 bytes, little-endian, the same on every system.
//
//   bytes  0-7   occupied squares, bit s for square s (0 = a8 ... 63 = h1)
//   bytes  8-23  a nibble per occupied square in ascending order, the low
//                nibble of each byte first: colour * 8 + kind
//                (0 pawn .. 5 king; colour 0 white, 1 black)
//   bytes 24-25  the search's score in centipawns, side to move's view
//   byte  26     the game's result for the side to move: 0 loss, 1 draw, 2 win
//   byte  27     the side to move, 0 white, 1 black
//   bytes 28-29  game ply of the position
//   byte  30     half-move clock (capped at 255)
//   byte  31     0
#pragma once

#include <cstdint>

constexpr int TRAINING_RECORD_BYTES = 32;

struct TrainingRecord {
  std::uint64_t occupied;
  std::uint8_t pieces[16];
  std::int16_t score;
  std::uint8_t result;  // 0 loss, 1 draw, 2 win for the side to move
  std::uint8_t side;
  std::uint16_t ply;
  std::uint8_t fifty;
};

struct RecordPiece {
  int colour, kind, square;
};

void encode_record(const TrainingRecord& r, unsigned char out[TRAINING_RECORD_BYTES]);
TrainingRecord decode_record(const unsigned char in[TRAINING_RECORD_BYTES]);
// The pieces of a record, at most 32; returns their number.
int record_pieces(const TrainingRecord& r, RecordPiece out[32]);

// The main thread's position with the given score; the result is filled in when the game ends.
TrainingRecord record_position(int score, int game_ply);
