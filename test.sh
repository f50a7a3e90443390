#!/usr/bin/env bash
# Builds and runs every test twice: a Release build in build/release (the
# profile-guided engine that ./run.sh builds) and an AddressSanitizer/UBSan
# build in build/asan. Extra arguments go to ctest,
# e.g. ./test.sh -R Position
set -uo pipefail
cd "$(dirname "$0")"

jobs="$(nproc)"
ctest_args=("$@")

run_suite() {
  local dir="$1"
  shift
  cmake -S . -B "$dir" -DCORVANTIS_TESTS=ON "$@" &&
    cmake --build "$dir" -j"$jobs" &&
    (cd "$dir" && ctest --output-on-failure --timeout 900 -j"$jobs" "${ctest_args[@]}")
}

status=0
run_suite build/release -DCMAKE_BUILD_TYPE=Release -DCORVANTIS_PGO=ON -DCORVANTIS_SANITIZE=OFF || status=1
run_suite build/asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCORVANTIS_SANITIZE=ON || status=1
exit "$status"
