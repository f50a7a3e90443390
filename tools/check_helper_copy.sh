#!/usr/bin/env bash
# Reads the helper threads' copy of the search (the object files of
# corvantis_helper_copy in the build directory given) and fails
# - on a data object there that is not thread-local: each helper would share
#   it with the others, or leave it unused beside the main thread's;
# - on a function there that stores straight into data all threads share
#   (an instruction whose target is a relocated, not thread-local address):
#   such work is the main thread's, and its copy alone should exist.
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
for object in $objects; do
  # A store is an instruction whose last operand is the relocated address;
  # thread-local data is reached through %fs with its own relocations.
  writers=$(objdump -dr --no-show-raw-insn "$object" | awk '
    /^[0-9a-f]+ <.*>:$/ { fn = $2 }
    /^ +[0-9a-f]+:\t/ { split($0, field, "\t"); insn = field[2]; fresh = 1; next }
    fresh && /R_X86_64_(PC32|32S|32|64)\t/ {
      n = split(insn, ops, ",")
      if (n > 1 && ops[n] ~ /\(%rip\)|^0x0(\(|$)/ && insn !~ /^(cmp|test|lea|push|call|jmp|bt|ucomis|comis)/) print fn
    }
    { fresh = 0 }' | sort -u | tr -d '<>:' | c++filt)
  if [ -n "$writers" ]; then
    echo "${object#"$build"/CMakeFiles/corvantis_helper_copy.dir/}: writes shared data: $(echo $writers | tr '\n' ' ')"
    status=1
  fi
done
[ "$status" -eq 0 ] && echo "The helpers' copy defines only thread-local data and writes none that is shared."
exit "$status"
