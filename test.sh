#!/usr/bin/env bash
# Builds and runs every test twice: a Release build in build/release and an
# AddressSanitizer/UBSan build in build/asan. Extra arguments go to ctest,
# e.g. ./test.sh -R MoveGen. CORVANTIS_WERROR=ON (as CI sets it) makes every
# compiler warning an error.
set -uo pipefail
cd "$(dirname "$0")"

jobs="$(nproc)"
ctest_args=("$@")

run_suite() {
  local dir="$1"
  shift
  cmake -S . -B "$dir" -DCORVANTIS_TESTS=ON -DCORVANTIS_WERROR="${CORVANTIS_WERROR:-OFF}" "$@" &&
    cmake --build "$dir" -j"$jobs" &&
    (cd "$dir" && ctest --output-on-failure --no-tests=error --timeout 900 -j"$jobs" "${ctest_args[@]}")
}

status=0
run_suite build/release -DCMAKE_BUILD_TYPE=Release -DCORVANTIS_SANITIZE=OFF || status=1
run_suite build/asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCORVANTIS_SANITIZE=ON || status=1
exit "$status"
