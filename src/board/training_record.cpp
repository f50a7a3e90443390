#include "board/training_record.h"

#include <bit>

#include "board/position.h"

namespace {

void put(unsigned char* p, std::uint64_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) p[i] = static_cast<unsigned char>(v >> (8 * i));
}

std::uint64_t get(const unsigned char* p, int bytes) {
  std::uint64_t v = 0;
  for (int i = 0; i < bytes; ++i) v |= static_cast<std::uint64_t>(p[i]) << (8 * i);
  return v;
}

}  // namespace

void encode_record(const TrainingRecord& r, unsigned char out[TRAINING_RECORD_BYTES]) {
  put(out, r.occupied, 8);
  for (int i = 0; i < 16; ++i) out[8 + i] = r.pieces[i];
  put(out + 24, static_cast<std::uint16_t>(r.score), 2);
  out[26] = r.result;
  out[27] = r.side;
  put(out + 28, r.ply, 2);
  out[30] = r.fifty;
  out[31] = 0;
}

TrainingRecord decode_record(const unsigned char in[TRAINING_RECORD_BYTES]) {
  TrainingRecord r{};
  r.occupied = get(in, 8);
  for (int i = 0; i < 16; ++i) r.pieces[i] = in[8 + i];
  r.score = static_cast<std::int16_t>(get(in + 24, 2));
  r.result = in[26];
  r.side = in[27];
  r.ply = static_cast<std::uint16_t>(get(in + 28, 2));
  r.fifty = in[30];
  return r;
}

int record_pieces(const TrainingRecord& r, RecordPiece out[32]) {
  int n = 0;
  for (std::uint64_t occ = r.occupied; occ && n < 32; occ &= occ - 1, ++n) {
    const int code = (r.pieces[n / 2] >> (4 * (n & 1))) & 15;
    out[n] = {code >> 3, code & 7, std::countr_zero(occ)};
  }
  return n;
}

TrainingRecord record_position(int score, int game_ply) {
  TrainingRecord r{};
  int n = 0;
  for (int s = 0; s < 64; ++s) {
    if (piece[s] == EMPTY) continue;
    r.occupied |= 1ULL << s;
    r.pieces[n / 2] |= static_cast<std::uint8_t>((color[s] * 8 + piece[s]) << (4 * (n & 1)));
    ++n;
  }
  r.score = static_cast<std::int16_t>(score);
  r.side = static_cast<std::uint8_t>(side);
  r.ply = static_cast<std::uint16_t>(game_ply);
  r.fifty = static_cast<std::uint8_t>(fifty < 255 ? fifty : 255);
  return r;
}
