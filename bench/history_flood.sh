#!/usr/bin/env bash
# What the session history costs a flood: the transfer screen drains a flooded pseudo-terminal
# (zt_transfer_bench receive) with the history at its default 32 MiB and with it off
# (--history-size 0), taking turns RUNS times each (5 by default); the ratio of the medians
# must stay at or above 0.9. On a machine that others load, the best runs' ratio is printed too.
# Needs a build with -DZT_BUILD_BENCH=ON (programs in build/bin, or BIN=...).
set -euo pipefail
cd "$(dirname "$0")/.."
bin=${BIN:-build/bin}
runs=${RUNS:-5}
[[ -x $bin/zt_transfer_bench ]] || { echo "no $bin/zt_transfer_bench (build with -DZT_BUILD_BENCH=ON)" >&2; exit 2; }

# The rate (B/s) of one flood drained with a history of $1 MiB.
rate() {
  ZT_HISTORY_MIB=$1 "$bin/zt_transfer_bench" receive | sed -nE 's/.*\(([0-9]+) B\/s\).*/\1/p'
}
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
best() { sort -n | tail -n 1; }
on=() off=()
for ((i = 0; i < runs; ++i)); do
  on+=("$(rate 32)")
  off+=("$(rate 0)")
done
awk -v on="$(printf '%s\n' "${on[@]}" | median)" -v off="$(printf '%s\n' "${off[@]}" | median)" \
    -v bon="$(printf '%s\n' "${on[@]}" | best)" -v boff="$(printf '%s\n' "${off[@]}" | best)" 'BEGIN {
  printf "flood with the history: %.1f MiB/s, without: %.1f MiB/s, ratio %.2f (goal 0.9)\n",
         on / 1048576, off / 1048576, on / off
  printf "best runs: %.1f and %.1f MiB/s, ratio %.2f\n", bon / 1048576, boff / 1048576, bon / boff
}'
