// corvantis-train's command line: reads the records, trains, writes the net.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/platform.h"
#include "trainer.h"

namespace {

constexpr char USAGE[] =
    "usage: corvantis-train --data FILE[,FILE...] [--out NET] [options]\n"
    "\n"
    "Trains the learned evaluation's network on 32-byte self-play records\n"
    "(corvantis datagen) and writes it quantised in the engine's net format.\n"
    "\n"
    "  --data FILES      record files, comma-separated; a trailing partial record is ignored\n"
    "  --out NET         the net, written after every epoch that lowers the validation loss\n"
    "  --init NET        start from this net instead of random weights\n"
    "  --epochs N        passes over the training records (10)\n"
    "  --batch N         records per Adam step (16384)\n"
    "  --lr X            learning rate (0.001); times 0.3 for the epochs after the first two thirds\n"
    "  --lambda X        weight of the search score against the game result in the target (0.5)\n"
    "  --scale K         centipawns of the sigmoid; fitted on the training records when not given\n"
    "  --validation F    share of the records held out for validation, the last in file order (0.02)\n"
    "  --threads N       threads (2)\n"
    "  --seed N          seed of the shuffles and of the random weights (1)\n"
    "  --mirror 0|1      also train on each training record with the a- and h-files swapped (1)\n"
    "  --help            this text\n"
    "\n"
    "Records with |score| >= 3000 are left out. The loss is the mean of (p - t)^2 with\n"
    "p = sigmoid(eval / K) and t = lambda * sigmoid(score / K) + (1 - lambda) * result / 2.\n"
    "Each epoch prints: epoch, training loss, validation loss, learning rate, seconds,\n"
    "training samples per second. At the end: the centipawn difference between the\n"
    "float network and the engine's integer evaluation of the written net.\n";

constexpr int SCORE_LIMIT = 3000;

struct Settings {
  std::string data, out, init;
  int epochs = 10, batch = 16384, threads = 2, mirror = 1;
  double lr = 0.001, lambda = 0.5, scale = 0, validation = 0.02;
  std::uint64_t seed = 1;
};

bool to_int(const char* text, int low, int high, int& out) {
  char* end = nullptr;
  const long v = std::strtol(text, &end, 10);
  if (end == text || *end != '\0' || v < low || v > high) return false;
  out = static_cast<int>(v);
  return true;
}

bool to_double(const char* text, double low, double high, double& out) {
  char* end = nullptr;
  const double v = std::strtod(text, &end);
  if (end == text || *end != '\0' || !(v >= low && v <= high)) return false;
  out = v;
  return true;
}

// False, with the reason on stderr, for an unknown flag or a bad value.
bool parse(int argc, char** argv, Settings& s, bool& help) {
  for (int i = 1; i < argc; ++i) {
    const char* flag = argv[i];
    if (std::strcmp(flag, "--help") == 0 || std::strcmp(flag, "-h") == 0) {
      help = true;
      return true;
    }
    if (i + 1 >= argc) {
      std::fprintf(stderr, "%s: a value is missing\n", flag);
      return false;
    }
    const char* v = argv[++i];
    bool ok = true;
    if (std::strcmp(flag, "--data") == 0) s.data = v;
    else if (std::strcmp(flag, "--out") == 0) s.out = v;
    else if (std::strcmp(flag, "--init") == 0) s.init = v;
    else if (std::strcmp(flag, "--epochs") == 0) ok = to_int(v, 1, 1000000, s.epochs);
    else if (std::strcmp(flag, "--batch") == 0) ok = to_int(v, 1, 1 << 24, s.batch);
    else if (std::strcmp(flag, "--threads") == 0) ok = to_int(v, 1, 256, s.threads);
    else if (std::strcmp(flag, "--mirror") == 0) ok = to_int(v, 0, 1, s.mirror);
    else if (std::strcmp(flag, "--lr") == 0) ok = to_double(v, 1e-12, 10, s.lr);
    else if (std::strcmp(flag, "--lambda") == 0) ok = to_double(v, 0, 1, s.lambda);
    else if (std::strcmp(flag, "--scale") == 0) ok = to_double(v, 1, 100000, s.scale);
    else if (std::strcmp(flag, "--validation") == 0) ok = to_double(v, 0, 0.5, s.validation);
    else if (std::strcmp(flag, "--seed") == 0) {
      char* end = nullptr;
      s.seed = std::strtoull(v, &end, 10);
      ok = end != v && *end == '\0';
    } else {
      std::fprintf(stderr, "unknown flag %s\n", flag);
      return false;
    }
    if (!ok) {
      std::fprintf(stderr, "%s: bad value %s\n", flag, v);
      return false;
    }
  }
  if (s.data.empty()) std::fprintf(stderr, "--data is required\n");
  return !s.data.empty();
}

bool load_all(const std::string& list, std::vector<TrainingRecord>& records) {
  std::size_t begin = 0;
  while (begin <= list.size()) {
    std::size_t end = list.find(',', begin);
    if (end == std::string::npos) end = list.size();
    const std::string path = list.substr(begin, end - begin);
    if (!path.empty() && !trainer::load_records(path.c_str(), records)) {
      std::fprintf(stderr, "cannot read %s\n", path.c_str());
      return false;
    }
    begin = end + 1;
  }
  return true;
}

// write_net's temporary file can be made next to path.
bool can_write(const std::string& path) {
  const std::string temp = path + ".tmp";
  std::FILE* f = std::fopen(temp.c_str(), "wb");
  if (f == nullptr) return false;
  std::fclose(f);
  std::remove(temp.c_str());
  return true;
}

// The starting weights: the --init net or random ones.
bool starting_net(const Settings& s, trainer::Net& net) {
  if (s.init.empty()) {
    trainer::init_random(net, s.seed);
    return true;
  }
  trainer::QuantNet q;
  if (const char* why = trainer::read_net(s.init.c_str(), q)) {
    std::fprintf(stderr, "%s: %s\n", s.init.c_str(), why);
    return false;
  }
  net = trainer::dequantise(q);
  return true;
}

// Loads and filters the records, moves the held-out share into validation and shuffles the rest.
bool prepare_records(const Settings& s, trainer::Rng& rng, std::vector<TrainingRecord>& records,
                     std::vector<TrainingRecord>& validation) {
  if (!load_all(s.data, records)) return false;
  const std::size_t dropped = trainer::drop_large_scores(records, SCORE_LIMIT);
  std::printf("%llu records", static_cast<unsigned long long>(records.size()));
  if (dropped)
    std::printf(" (%llu with |score| >= %d left out)", static_cast<unsigned long long>(dropped), SCORE_LIMIT);
  std::printf("\n");
  if (records.size() < 2) {
    std::fprintf(stderr, "too few records to train on\n");
    return false;
  }
  // The last records, whole games as the files hold them: positions of one
  // game on both sides of the split would make the validation loss flatter.
  std::size_t held = static_cast<std::size_t>(std::llround(static_cast<double>(records.size()) * s.validation));
  if (s.validation > 0 && held == 0) held = 1;
  validation.assign(records.end() - static_cast<std::ptrdiff_t>(held), records.end());
  records.resize(records.size() - held);
  if (s.mirror) trainer::add_mirrored(records);
  trainer::shuffle(records, rng);
  std::printf("%llu for training, %llu for validation\n", static_cast<unsigned long long>(records.size()),
              static_cast<unsigned long long>(validation.size()));
  return true;
}

// The mean validation loss; -1 without a validation set.
double validation_loss(const trainer::Net& net, const std::vector<TrainingRecord>& validation,
                       const trainer::LossSettings& loss, int threads) {
  const int n = static_cast<int>(validation.size());
  return n > 0 ? trainer::loss_sum(net, validation.data(), n, loss, threads, nullptr) / n : -1;
}

std::string loss_text(double loss) {
  char text[32] = "-";
  if (loss >= 0) std::snprintf(text, sizeof text, "%.6f", loss);
  return text;
}

// How far the engine's integer evaluation of the written net strays from the float network.
void report_quantisation(const trainer::Net& net, const std::vector<TrainingRecord>& records, const char* which) {
  const trainer::QuantNet q = trainer::quantise(net);
  double sum = 0, worst = 0;
  for (const TrainingRecord& r : records) {
    const double diff = std::fabs(trainer::evaluate(net, r) - trainer::evaluate_quantised(q, r));
    sum += diff;
    worst = std::max(worst, diff);
  }
  std::printf("quantised against float, %s records: mean %.2f cp, max %.2f cp\n", which,
              sum / static_cast<double>(records.size()), worst);
}

double seconds_since(std::int64_t start_ms) { return static_cast<double>(get_ms() - start_ms) / 1000; }

}  // namespace

int main(int argc, char** argv) {
  Settings s;
  bool help = false;
  if (!parse(argc, argv, s, help)) {
    std::fprintf(stderr, "corvantis-train --help for the usage\n");
    return 2;
  }
  if (help) {
    std::fputs(USAGE, stdout);
    return 0;
  }

  // The nets first: a bad file or path is told before the records load.
  trainer::Net net;
  if (!starting_net(s, net)) return 1;
  if (!s.out.empty() && !can_write(s.out)) {
    std::fprintf(stderr, "cannot write %s\n", s.out.c_str());
    return 1;
  }
  trainer::Rng rng{s.seed};
  std::vector<TrainingRecord> records, validation;
  if (!prepare_records(s, rng, records, validation)) return 1;

  if (s.scale == 0) {
    s.scale = trainer::fit_scale(records);
    std::printf("scale K %.1f (fitted on the training records)\n", s.scale);
  } else {
    std::printf("scale K %.1f\n", s.scale);
  }
  const trainer::LossSettings loss{s.scale, s.lambda};
  if (!s.init.empty()) std::printf("starting from %s\n", s.init.c_str());
  // The net written is the one of the epoch with the lowest validation loss:
  // with few games, later epochs learn the training games by heart.
  double best_loss = validation_loss(net, validation, loss, s.threads);
  int best_epoch = 0;
  trainer::Net best = net;
  std::printf("start: validation loss %s\n", loss_text(best_loss).c_str());
  std::fflush(stdout);

  trainer::Adam adam;
  for (int epoch = 1; epoch <= s.epochs; ++epoch) {
    const double lr = 3 * (epoch - 1) >= 2 * s.epochs ? s.lr * 0.3 : s.lr;
    const std::int64_t start = get_ms();
    trainer::shuffle(records, rng);
    const std::int64_t train_start = get_ms();
    const double train = trainer::train_epoch(net, adam, records, loss, s.batch, lr, s.threads);
    const double train_seconds = seconds_since(train_start);
    const double valid = validation_loss(net, validation, loss, s.threads);
    const bool kept = valid < 0 || valid < best_loss;
    if (kept) {
      best = net, best_loss = valid, best_epoch = epoch;
      if (!s.out.empty() && !trainer::write_net(s.out.c_str(), trainer::quantise(net))) {
        std::fprintf(stderr, "cannot write %s\n", s.out.c_str());
        return 1;
      }
    }
    std::printf("epoch %d train %.6f validation %s lr %.6g seconds %.1f samples/s %.0f%s\n", epoch, train,
                loss_text(valid).c_str(), lr, seconds_since(start),
                static_cast<double>(records.size()) / std::max(train_seconds, 1e-3), kept ? "" : " (not kept)");
    std::fflush(stdout);
  }

  // No epoch did better than the starting net: that is the one to keep.
  if (best_epoch == 0 && !s.out.empty() && !trainer::write_net(s.out.c_str(), trainer::quantise(best))) {
    std::fprintf(stderr, "cannot write %s\n", s.out.c_str());
    return 1;
  }
  if (validation.empty()) report_quantisation(best, records, "training");
  else report_quantisation(best, validation, "validation");
  if (!s.out.empty()) std::printf("net of epoch %d written to %s\n", best_epoch, s.out.c_str());
  return 0;
}
