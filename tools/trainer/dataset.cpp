// The records: read from files, filtered and shuffled.
#include <algorithm>
#include <bit>
#include <cstdio>

#include "trainer.h"

namespace trainer {

std::uint64_t Rng::next() {
  std::uint64_t z = (state += 0x9E3779B97F4A7C15ULL);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
  return z ^ (z >> 31);
}

double Rng::uniform() { return static_cast<double>(next() >> 11) * 0x1.0p-53; }

namespace {

// A record whose features and result are in range: anything else is no record file.
bool sound(const TrainingRecord& r) {
  RecordPiece pieces[32];
  const int n = record_pieces(r, pieces);
  for (int i = 0; i < n; ++i)
    if (pieces[i].kind > KING) return false;
  return r.side <= 1 && r.result <= 2 && n == std::popcount(r.occupied);
}

}  // namespace

bool load_records(const char* path, std::vector<TrainingRecord>& out) {
  std::FILE* f = std::fopen(path, "rb");
  if (f == nullptr) return false;
  std::vector<unsigned char> buf(static_cast<std::size_t>(TRAINING_RECORD_BYTES) * 65536);
  std::size_t have = 0, got, unsound = 0;
  while ((got = std::fread(buf.data() + have, 1, buf.size() - have, f)) > 0) {
    have += got;
    const std::size_t whole = have - have % TRAINING_RECORD_BYTES;
    for (std::size_t i = 0; i < whole; i += TRAINING_RECORD_BYTES) {
      const TrainingRecord r = decode_record(&buf[i]);
      if (sound(r)) out.push_back(r);
      else ++unsound;
    }
    std::copy(buf.begin() + static_cast<std::ptrdiff_t>(whole), buf.begin() + static_cast<std::ptrdiff_t>(have),
              buf.begin());
    have -= whole;
  }
  const bool failed = std::ferror(f) != 0;
  std::fclose(f);
  if (unsound > 0)
    std::fprintf(stderr, "warning: %s: %llu records with a piece, side or result out of range, left out\n", path,
                 static_cast<unsigned long long>(unsound));
  if (have > 0)
    std::fprintf(stderr, "warning: %s ends in a partial record of %d bytes, left out\n", path, static_cast<int>(have));
  return !failed;
}

std::size_t drop_large_scores(std::vector<TrainingRecord>& records, int limit) {
  const std::size_t before = records.size();
  std::erase_if(records, [limit](const TrainingRecord& r) { return r.score >= limit || r.score <= -limit; });
  return before - records.size();
}

void shuffle(std::vector<TrainingRecord>& records, Rng& rng) {
  for (std::size_t i = records.size(); i > 1; --i) std::swap(records[i - 1], records[rng.next() % i]);
}

TrainingRecord mirrored(const TrainingRecord& r) {
  RecordPiece pieces[32];
  const int n = record_pieces(r, pieces);
  int code[64];
  std::fill(code, code + 64, -1);
  for (int i = 0; i < n; ++i) code[pieces[i].square ^ 7] = pieces[i].colour * 8 + pieces[i].kind;
  TrainingRecord m = r;
  m.occupied = 0;
  std::fill(m.pieces, m.pieces + 16, 0);
  for (int sq = 0, k = 0; sq < 64; ++sq) {
    if (code[sq] < 0) continue;
    m.occupied |= 1ULL << sq;
    m.pieces[k / 2] |= static_cast<std::uint8_t>(code[sq] << (4 * (k & 1)));
    ++k;
  }
  return m;
}

void add_mirrored(std::vector<TrainingRecord>& records) {
  const std::size_t n = records.size();
  records.reserve(2 * n);
  for (std::size_t i = 0; i < n; ++i) records.push_back(mirrored(records[i]));
}

}  // namespace trainer
