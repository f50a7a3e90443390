#!/bin/sh
# Self-play training data for the learned evaluation, one engine process per
# core, each with its own seed (SEED, SEED+1, ...); the parts are joined into
# OUT in seed order, so the same arguments give the same file.
#
#   tools/datagen.sh ENGINE OUT GAMES_PER_PROCESS [NODES [SEED [PROCESSES]]]
#
# Lines in the environment variable DATAGEN_OPTIONS (setoption commands) are
# sent before the games, e.g. to play them with the learned evaluation.
set -eu
[ $# -ge 3 ] || { sed -n '2,9p' "$0"; exit 2; }
engine=$1 out=$2 games=$3 nodes=${4:-5000} seed=${5:-1} procs=${6:-$(nproc)}

i=0
while [ "$i" -lt "$procs" ]; do
  printf 'setoption name Hash value 16\n%s\ndatagen games %s nodes %s seed %s file %s.part%s\nquit\n' \
    "${DATAGEN_OPTIONS:-}" "$games" "$nodes" "$((seed + i))" "$out" "$i" | "$engine" &
  i=$((i + 1))
done
wait

: >"$out"
i=0
while [ "$i" -lt "$procs" ]; do
  cat "$out.part$i" >>"$out" && rm "$out.part$i"
  i=$((i + 1))
done
echo "$(($(wc -c <"$out") / 32)) positions in $out"
