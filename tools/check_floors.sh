#!/usr/bin/env bash
# Fails when an #include of src/ runs up a floor. Each folder of src/ is a
# floor; a file may include its own folder and the floors below it, never a
# floor above or beside it. The order, bottom first:
#   platform | options output | board | movegen eval | book | search | engine
set -uo pipefail
cd "$(dirname "$0")/.."

floor_of() {
  case "$1" in
    platform) echo 0 ;;
    options | output) echo 1 ;;
    board) echo 2 ;;
    movegen | eval) echo 3 ;;
    book) echo 4 ;;
    search) echo 5 ;;
    engine) echo 6 ;;
    *) echo -1 ;;
  esac
}

status=0
while IFS=: read -r file line text; do
  from=$(basename "$(dirname "$file")")
  to=${text#*\"}
  to=${to%%/*}
  [ "$from" = "$to" ] && continue
  from_floor=$(floor_of "$from") to_floor=$(floor_of "$to")
  if ((from_floor < 0 || to_floor < 0 || to_floor >= from_floor)); then
    echo "$file:$line: $from/ includes $to/ (${text})"
    status=1
  fi
done < <(git grep -n -E '^#include "' -- 'src/*.cpp' 'src/*.h')
[ "$status" -eq 0 ] && echo "Every include of src/ runs down a floor."
exit "$status"
