#include "eval/learned_network.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "board/piece_changes.h"
#include "output/output.h"

// The default network's file, compiled into the program by the build.
extern const unsigned char embedded_learned_network[];
extern const std::size_t embedded_learned_network_size;

LearnedNetwork learned_network;
bool learned_eval_on = false;
std::uint64_t learned_network_stamp = 0;

namespace {

using namespace learned;

std::uint32_t le32(const unsigned char* p) {
  return p[0] | static_cast<std::uint32_t>(p[1]) << 8 | static_cast<std::uint32_t>(p[2]) << 16 |
         static_cast<std::uint32_t>(p[3]) << 24;
}

std::int16_t le16(const unsigned char* p) { return static_cast<std::int16_t>(p[0] | p[1] << 8); }

const unsigned char* read16(const unsigned char* p, std::int16_t* out, int n) {
  for (int i = 0; i < n; ++i, p += 2) out[i] = le16(p);
  return p;
}

// The output sums 2 * HIDDEN products of a clipped sum (at most QA) and a
// weight: a network whose weights could overflow 32 bits there is refused.
bool output_fits(const unsigned char* p) {
  std::int64_t bound = 0;
  for (int i = 0; i < 2 * HIDDEN; ++i, p += 2) {
    const int w = le16(p);
    bound += QA * static_cast<std::int64_t>(w < 0 ? -w : w);
  }
  const auto bias = static_cast<std::int32_t>(le32(p));
  return bound + (bias < 0 ? -static_cast<std::int64_t>(bias) : bias) < (std::int64_t{1} << 31);
}

}  // namespace

void set_learned_eval(bool on) { learned_eval_on = log_piece_changes = on; }

bool read_learned_network(const unsigned char* bytes, std::size_t size, LearnedNetwork* out, const char** why) {
  const int output_offset = 12 + 2 * (FEATURES * HIDDEN + HIDDEN);
  if (size != static_cast<std::size_t>(FILE_BYTES)) *why = "wrong size";
  else if (std::memcmp(bytes, "CVNN", 4) != 0) *why = "not a network file";
  else if (le32(bytes + 4) != FILE_VERSION) *why = "unknown version";
  else if (le32(bytes + 8) != static_cast<std::uint32_t>(HIDDEN)) *why = "wrong hidden layer size";
  else if (le32(bytes + FILE_BYTES - 4) != fnv1a(bytes, FILE_BYTES - 4)) *why = "checksum mismatch";
  else if (!output_fits(bytes + output_offset)) *why = "output weights too large";
  else *why = nullptr;
  if (*why) return false;
  const unsigned char* p = read16(bytes + 12, &out->weights[0][0], FEATURES * HIDDEN);
  p = read16(p, out->biases, HIDDEN);
  p = read16(p, &out->output_weights[0][0], 2 * HIDDEN);
  out->output_bias = static_cast<std::int32_t>(le32(p));
  if (out == &learned_network) learned_network_stamp += 0x9E3779B97F4A7C15ULL;
  return true;
}

void load_embedded_network() {
  const char* why = nullptr;
  if (!read_learned_network(embedded_learned_network, embedded_learned_network_size, &learned_network, &why))
    SendInfo("info string the built-in network is unusable (%s)", why);
}

namespace {

// The named file's network, or false with an info string and the net in use untouched.
bool read_network_file(const char* path) {
  std::vector<unsigned char> bytes;
  std::FILE* f = std::fopen(path, "rb");
  if (f == nullptr) {
    SendInfo("info string EvalFile %s cannot be read; the built-in network stays in use", path);
    return false;
  }
  unsigned char buffer[65536];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, f)) > 0 && bytes.size() <= FILE_BYTES;)
    bytes.insert(bytes.end(), buffer, buffer + n);
  std::fclose(f);
  const char* why = nullptr;
  if (read_learned_network(bytes.data(), bytes.size(), &learned_network, &why)) {
    SendInfo("info string EvalFile %s loaded", path);
    return true;
  }
  SendInfo("info string EvalFile %s is no usable network (%s); the built-in network stays in use", path, why);
  return false;
}

}  // namespace

bool load_network_file(const char* path) {
  if (*path != '\0' && read_network_file(path)) return true;
  // No file, or a bad one: back to the built-in net, whatever was loaded before.
  load_embedded_network();
  return *path == '\0';
}
