// Self-play data for the learned evaluation: the same seed gives the same
// file, and every record decodes to a sound position.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

#include "board/training_record.h"
#include "engine/diagnostics.h"
#include "test_support.h"

namespace {

std::vector<unsigned char> games(const char* seed, const char* file) {
  char line[128];
  std::snprintf(line, sizeof line, " games 3 nodes 400 seed %s file %s", seed, file);
  datagen(line);
  std::ifstream in(file, std::ios::binary);
  std::vector<unsigned char> bytes{std::istreambuf_iterator<char>(in), {}};
  std::remove(file);
  return bytes;
}

TEST(Datagen, SameSeedSameRecordsAndEachRecordSound) {
  engine_setup();
  const auto a = games("7", "datagen_a.bin"), b = games("7", "datagen_b.bin"), c = games("8", "datagen_c.bin");
  ASSERT_FALSE(a.empty());
  EXPECT_EQ(a, b);
  EXPECT_NE(a, c);
  ASSERT_EQ(a.size() % TRAINING_RECORD_BYTES, 0u);
  for (std::size_t i = 0; i < a.size(); i += TRAINING_RECORD_BYTES) {
    const TrainingRecord r = decode_record(&a[i]);
    unsigned char again[TRAINING_RECORD_BYTES];
    encode_record(r, again);
    EXPECT_TRUE(std::equal(again, again + TRAINING_RECORD_BYTES, &a[i]));
    RecordPiece pieces[32];
    const int n = record_pieces(r, pieces);
    int kings[2] = {};
    for (int j = 0; j < n; ++j) {
      kings[pieces[j].colour] += pieces[j].kind == KING;
      EXPECT_LT(pieces[j].kind, KING + 1);
      const int row = row_of(pieces[j].square);
      EXPECT_FALSE(pieces[j].kind == PAWN && (row == 0 || row == 7));
    }
    EXPECT_EQ(kings[0], 1);
    EXPECT_EQ(kings[1], 1);
    EXPECT_LE(r.result, 2);
    EXPECT_LE(r.side, 1);
  }
}

}  // namespace
