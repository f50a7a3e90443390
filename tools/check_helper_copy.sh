#!/usr/bin/env bash
# Reads the symbol tables of the helper threads' copy of the search (the
# object files of corvantis_helper_copy in the build directory given) and
# fails on a data object there that is not thread-local: each helper would
# share it with the others, or leave it unused beside the main thread's.
# Needs object files with machine code (a build without link-time
# optimisation, such as the sanitizer builds).
set -uo pipefail
build=${1:?usage: check_helper_copy.sh BUILD_DIR}
objects=$(find "$build/CMakeFiles/corvantis_helper_copy.dir" -name '*.o' 2>/dev/null)
[ -n "$objects" ] || { echo "no object files of the helpers' copy in $build"; exit 1; }

status=0
for object in $objects; do
  # Writable sections that are not thread-local (flag W without T); constant
  # tables with addresses in them sit in .data.rel.ro, written only at load.
  writable=$(readelf -SW "$object" | sed 's/^ *\[ *\([0-9]*\)\] /\1 /' |
    awk '$1 ~ /^[0-9]+$/ && $2 !~ /^\.data\.rel\.ro/ { flags = $(NF - 3); if (flags ~ /W/ && flags !~ /T/) print $1 }')
  [ -n "$writable" ] || continue
  found=$(readelf -sW "$object" | awk -v sections=" $(echo $writable) " '
    $4 == "OBJECT" && index(sections, " " $7 " ") && $8 !~ /^(__asan|__tsan|__ubsan|___asan)/ { print $8 }' | c++filt)
  if [ -n "$found" ]; then
    echo "${object#"$build"/CMakeFiles/corvantis_helper_copy.dir/}: not thread-local: $(echo $found)"
    status=1
  fi
done
[ "$status" -eq 0 ] && echo "Every data object of the helpers' copy is thread-local."
exit "$status"
