// The network the learned evaluation reads (learned_net.h): the one built
// into the program or one read from a file, shared by every search thread.
#pragma once

#include <cstddef>
#include <cstdint>

#include "eval/learned_net.h"

struct LearnedNetwork {
  alignas(64) std::int16_t weights[learned::FEATURES][learned::HIDDEN];
  alignas(64) std::int16_t biases[learned::HIDDEN];
  alignas(64) std::int16_t output_weights[2][learned::HIDDEN];  // side to move's, then the other's
  std::int32_t output_bias;
};

extern LearnedNetwork learned_network;
extern bool learned_eval_on;  // the UseLearnedEval option
// Changed with every network read: sums kept for a position are current
// only for the network they were made with, in every thread.
extern std::uint64_t learned_network_stamp;

// Switches the learned evaluation on or off, and with it the board's log of
// piece changes that keeps its sums up to date.
void set_learned_eval(bool on);

// The network in a file's bytes into *out; false, *out untouched and *why
// saying what is wrong, when they are no network this program can use.
bool read_learned_network(const unsigned char* bytes, std::size_t size, LearnedNetwork* out, const char** why);

void load_embedded_network();
// The EvalFile option: the file's network, or the built-in one for an empty
// name. A file that cannot be read or is malformed is reported in an "info
// string" and the built-in network stays in use; false then.
bool load_network_file(const char* path);
