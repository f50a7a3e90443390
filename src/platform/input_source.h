// The one part of reading standard input that differs between the systems:
// taking the bytes that are there. The line buffer on top of it is shared.
#pragma once

#include <cstddef>

// Reads up to room bytes of standard input into dst. Without block it
// returns 0 at once when nothing is waiting; with block it waits for bytes.
// Returns the number of bytes read, or -1 at the end of input.
long read_input_bytes(char* dst, std::size_t room, bool block);
