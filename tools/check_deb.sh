#!/usr/bin/env bash
# Builds the Debian package of the build directory given (cpack -G DEB) and
# checks it: its files with their modes and owner, its control fields, that
# the engine it holds runs bench to the signature, and, where lintian is
# installed, that lintian finds no error.
set -uo pipefail
build=${1:?usage: check_deb.sh BUILD_DIR}
cd "$build" || exit 1

rm -f corvantis_*.deb
cpack -G DEB >cpack-deb.log 2>&1 || { cat cpack-deb.log; exit 1; }
deb=$(ls corvantis_*.deb)
status=0
fail() {
  echo "$deb: $*"
  status=1
}

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' CMakeCache.txt)
expected="-rwxr-xr-x root/root ./usr/games/corvantis
-rw-r--r-- root/root ./usr/share/doc/corvantis/LICENSE
-rw-r--r-- root/root ./usr/share/doc/corvantis/README.md
-rw-r--r-- root/root ./usr/share/doc/corvantis/changelog.gz
-rw-r--r-- root/root ./usr/share/doc/corvantis/copyright
-rw-r--r-- root/root ./usr/share/man/man6/corvantis.6.gz"
files=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $1, $2, $6 }' | sort -k3)
[ "$files" = "$expected" ] || fail "files differ from the expected ones:
$files"

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = corvantis ] || fail "Package: $(field Package)"
[ "$(field Version)" = "$version" ] || fail "Version: $(field Version), not $version"
[ "$(field Section)" = games ] || fail "Section: $(field Section)"
[ "$(field Architecture)" = "$(dpkg --print-architecture)" ] || fail "Architecture: $(field Architecture)"
# Computed from the binary: the C and C++ libraries with their versions.
[[ "$(field Depends)" =~ libc6\ \(\>=\ [0-9.]+\).*libstdc\+\+6\ \(\>=\ [0-9.]+\) ]] ||
  fail "Depends: $(field Depends)"
[[ "$(field Maintainer)" =~ \<.+@.+\> ]] || fail "Maintainer: $(field Maintainer)"
[ "$(field Description | wc -l)" -gt 3 ] || fail "Description without a long description"

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root"
"$root/usr/games/corvantis" bench </dev/null | grep -q '^t_time_ms = [0-9]*, t_nodes = 3300739, ave_nps = [0-9]*$' ||
  fail "the packaged engine does not bench to the signature"
gzip -dc "$root/usr/share/man/man6/corvantis.6.gz" | grep -q '^\.TH CORVANTIS 6 ' || fail "no manual page of section 6"

if command -v lintian >/dev/null; then
  errors=$(lintian "$deb" 2>/dev/null | grep '^E:')
  [ -z "$errors" ] || fail "lintian: $errors"
else
  echo "lintian not installed: the package is not linted"
fi
[ "$status" -eq 0 ] && echo "$deb: files, control fields and the engine as expected."
exit "$status"
