#!/usr/bin/env bash
# Checks the formatting and that no include runs up a floor, then builds
# and runs every test (and checks the helpers' copy of the search): a Release build in build/release (the
# profile-guided engine that ./run.sh builds) with its Debian package where
# dpkg-deb and dpkg-shlibdeps are installed, an AddressSanitizer/UBSan build
# in build/asan, a ThreadSanitizer build in build/tsan for the tests that run
# several threads and, where mingw-w64, clang, lld and wine are installed, the
# Windows suite in build/windows. Extra arguments go to ctest, e.g.
# ./test.sh -R MoveGen. CORVANTIS_WERROR=ON (as CI sets it) makes every
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

# corvantis.exe and the unit tests cross-built with mingw-w64 and run under
# wine; then the Release build's dialogue tests talk to corvantis.exe through
# pipe_driver.exe, which makes Windows pipes as a Windows GUI does.
run_windows_suite() {
  local dir=build/windows status=0
  export WINEPREFIX="$PWD/$dir/wineprefix" WINEDEBUG=-all
  cmake --preset windows -DCORVANTIS_TESTS=ON -DCORVANTIS_WERROR="${CORVANTIS_WERROR:-OFF}" && cmake --build "$dir" -j"$jobs" || return 1
  # The first start sets up the prefix (up to a minute). Wine's services
  # start here once, apart from the tests' output, and stay for the suite.
  wineserver -p 2>/dev/null  # fails only when it runs already
  wine wineboot </dev/null >/dev/null 2>&1 || return 1
  # Now and then wine fails to start a process at all (seen in CI: exit
  # status 1 within milliseconds, no output, a different test each time),
  # so a test that fails here runs once more; the same tests run natively
  # above without a second chance.
  local retry=(--repeat until-pass:2)
  (cd "$dir" && ctest --output-on-failure --timeout 900 -j"$jobs" "${retry[@]}" "${ctest_args[@]}") || status=1
  CORVANTIS_UCI_ENGINE="$(command -v wine) $PWD/$dir/tests/pipe_driver.exe $PWD/$dir/corvantis.exe" \
    ctest --test-dir build/release -L dialogue --output-on-failure --timeout 900 -j"$jobs" "${retry[@]}" \
    "${ctest_args[@]}" || status=1
  wineserver -k
  return "$status"
}

status=0
if command -v clang-format >/dev/null; then
  echo "=== Format check (clang-format, .clang-format)"
  tools/check_format.sh || status=1
else
  echo "=== Format check SKIPPED: it needs clang-format; .ci/run installs it"
fi
echo "=== Include floors (tools/check_floors.sh)"
tools/check_floors.sh || status=1
run_suite build/release -DCMAKE_BUILD_TYPE=Release -DCORVANTIS_PGO=ON -DCORVANTIS_SANITIZE=OFF || status=1
if command -v dpkg-deb >/dev/null && command -v dpkg-shlibdeps >/dev/null; then
  echo "=== Debian package (tools/check_deb.sh)"
  tools/check_deb.sh build/release || status=1
else
  echo "=== Debian package SKIPPED: it needs dpkg-deb and dpkg-shlibdeps (dpkg-dev); .ci/run installs them"
fi
run_suite build/asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCORVANTIS_SANITIZE=ON || status=1
# The helpers' copy holds no data object that is not thread-local; the
# sanitizer build's objects carry machine code (no link-time optimisation).
echo "=== Helpers' copy (tools/check_helper_copy.sh)"
tools/check_helper_copy.sh build/asan || status=1
# The searches with helper threads and the table they share; the engine
# exits with status 66 on any report, which fails the dialogue.
ctest_args=(-R 'UciThreads|TTable' "$@")
run_suite build/tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCORVANTIS_SANITIZE_THREAD=ON || status=1
ctest_args=("$@")
if command -v x86_64-w64-mingw32-g++ >/dev/null && command -v clang++ >/dev/null && command -v ld.lld >/dev/null &&
  command -v wine >/dev/null && command -v wineserver >/dev/null; then
  echo "=== Windows suite: corvantis.exe under wine"
  started=$SECONDS
  run_windows_suite || status=1
  echo "=== Windows suite took $((SECONDS - started)) s"
else
  echo "=== Windows suite SKIPPED: it needs mingw-w64 (x86_64-w64-mingw32-g++), clang, lld and wine; .ci/run installs them"
fi
exit "$status"
