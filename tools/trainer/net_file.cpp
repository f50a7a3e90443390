// The quantised network, its integer evaluation and its file (eval/learned_net.h).
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "trainer.h"

namespace trainer {

namespace {

constexpr int HEADER_BYTES = 12;

std::int16_t to_i16(double x) { return static_cast<std::int16_t>(std::clamp(std::round(x), -32768.0, 32767.0)); }

void put(std::vector<unsigned char>& out, std::uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<unsigned char>(v >> (8 * i)));
}

std::uint32_t get(const unsigned char* p, int bytes) {
  std::uint32_t v = 0;
  for (int i = 0; i < bytes; ++i) v |= static_cast<std::uint32_t>(p[i]) << (8 * i);
  return v;
}

}  // namespace

QuantNet quantise(const Net& net) {
  QuantNet q;
  const float* p = net.p.data();
  for (int i = 0; i < learned::FEATURES * H; ++i) q.w1[i] = to_i16(p[W1 + i] * double{learned::QA});
  for (int i = 0; i < H; ++i) q.b1[i] = to_i16(p[B1 + i] * double{learned::QA});
  for (int i = 0; i < 2 * H; ++i) q.w2[i] = to_i16(p[W2 + i] * double{learned::QB});
  q.b2 = static_cast<std::int32_t>(std::lround(p[B2] * double{learned::QA * learned::QB}));
  return q;
}

Net dequantise(const QuantNet& q) {
  Net net;
  float* p = net.p.data();
  const float qa = learned::QA, qb = learned::QB;
  for (int i = 0; i < learned::FEATURES * H; ++i) p[W1 + i] = q.w1[i] / qa;
  for (int i = 0; i < H; ++i) p[B1 + i] = q.b1[i] / qa;
  for (int i = 0; i < 2 * H; ++i) p[W2 + i] = q.w2[i] / qb;
  p[B2] = static_cast<float>(q.b2 / double{learned::QA * learned::QB});
  return net;
}

int evaluate_quantised(const QuantNet& q, const TrainingRecord& r) {
  int feat[2][32];
  const int n = record_features(r, feat[0], feat[1]);
  std::int32_t sum = q.b2;
  for (int v = 0; v < 2; ++v) {
    std::int16_t acc[H];
    std::copy(q.b1.begin(), q.b1.end(), acc);
    for (int k = 0; k < n; ++k) {
      const std::int16_t* col = &q.w1[static_cast<std::size_t>(feat[v][k]) * H];
      for (int i = 0; i < H; ++i) acc[i] = static_cast<std::int16_t>(acc[i] + col[i]);
    }
    for (int i = 0; i < H; ++i) sum += std::clamp<std::int32_t>(acc[i], 0, learned::QA) * q.w2[v * H + i];
  }
  return static_cast<int>(std::int64_t{sum} * learned::OUTPUT_SCALE / (learned::QA * learned::QB));
}

std::vector<unsigned char> net_bytes(const QuantNet& q) {
  std::vector<unsigned char> out;
  out.reserve(learned::FILE_BYTES);
  out.insert(out.end(), {'C', 'V', 'N', 'N'});
  put(out, learned::FILE_VERSION, 4);
  put(out, H, 4);
  for (const auto* part : {&q.w1, &q.b1, &q.w2})
    for (std::int16_t x : *part) put(out, static_cast<std::uint16_t>(x), 2);
  put(out, static_cast<std::uint32_t>(q.b2), 4);
  put(out, learned::fnv1a(out.data(), static_cast<int>(out.size())), 4);
  return out;
}

const char* parse_net(const std::vector<unsigned char>& bytes, QuantNet& q) {
  const unsigned char* b = bytes.data();
  if (bytes.size() < HEADER_BYTES) return "too short for a net file";
  if (std::memcmp(b, "CVNN", 4) != 0) return "no net file: the magic \"CVNN\" is missing";
  if (get(b + 4, 4) != learned::FILE_VERSION) return "a net file of another version";
  if (get(b + 8, 4) != static_cast<std::uint32_t>(H)) return "a net of another hidden size";
  if (bytes.size() != static_cast<std::size_t>(learned::FILE_BYTES)) return "a net file of the wrong size";
  const int body = learned::FILE_BYTES - 4;
  if (get(b + body, 4) != learned::fnv1a(b, body)) return "the net file's checksum does not match";
  const unsigned char* at = b + HEADER_BYTES;
  for (auto* part : {&q.w1, &q.b1, &q.w2})
    for (std::int16_t& x : *part) {
      x = static_cast<std::int16_t>(get(at, 2));
      at += 2;
    }
  q.b2 = static_cast<std::int32_t>(get(at, 4));
  return nullptr;
}

bool write_net(const char* path, const QuantNet& q) {
  // Written aside and renamed, so that a run stopped meanwhile leaves the last whole net.
  const std::string temp = std::string(path) + ".tmp";
  const std::vector<unsigned char> bytes = net_bytes(q);
  std::FILE* f = std::fopen(temp.c_str(), "wb");
  if (f == nullptr) return false;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  if (std::fclose(f) != 0 || !written) return false;
  if (std::rename(temp.c_str(), path) == 0) return true;
  std::remove(path);  // Windows does not rename over a file
  return std::rename(temp.c_str(), path) == 0;
}

const char* read_net(const char* path, QuantNet& q) {
  std::FILE* f = std::fopen(path, "rb");
  if (f == nullptr) return "cannot be opened";
  std::vector<unsigned char> bytes;
  unsigned char buf[65536];
  std::size_t got;
  // At most one byte beyond a net file's size: enough to tell that it is too long.
  while (bytes.size() <= static_cast<std::size_t>(learned::FILE_BYTES) && (got = std::fread(buf, 1, sizeof buf, f)) > 0)
    bytes.insert(bytes.end(), buf, buf + got);
  const bool failed = std::ferror(f) != 0;
  std::fclose(f);
  if (failed) return "cannot be read";
  return parse_net(bytes, q);
}

}  // namespace trainer
