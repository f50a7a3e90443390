#!/usr/bin/env bash
# Builds the engine (Release, profile-guided: an instrumented build runs bench
# first) into build/release and starts it in the current directory (where its
# log file goes). The engine speaks UCI on standard input and output; build
# messages go to stderr.
set -euo pipefail
root="$(cd "$(dirname "$0")" && pwd)"

cmake -S "$root" -B "$root/build/release" -DCMAKE_BUILD_TYPE=Release -DCORVANTIS_PGO=ON -DCORVANTIS_TESTS=OFF >&2
cmake --build "$root/build/release" -j"$(nproc)" --target corvantis >&2
exec "$root/build/release/corvantis"
