#!/usr/bin/env bash
# Throughput of the transfer screen through real pseudo-terminals, against cat on the same kind
# of pty (goals: sending at least 0.9 of cat's rate, receiving at least 0.8, nothing lost):
#   sending:   a 4 MiB test file (packet size 4096, pause 0) into `zemra-module --pty --mode
#              sink`, whose first-to-last-byte rate is compared with `cat` of the same 4 MiB
#              into another sink's pty;
#   receiving: a pty flooded with 4 MiB as fast as it takes them, drained by the screen (with
#              its CPU seconds per MiB) and by cat; each run checks that every byte came.
# The screen and cat take turns, RUNS times each (5 by default); the figures are medians, so that
# a shared machine's load weighs on both alike.
# Needs a build with -DZT_BUILD_BENCH=ON (programs in build/bin, or BIN=...).
set -euo pipefail
cd "$(dirname "$0")/.."
bin=${BIN:-build/bin}
runs=${RUNS:-5}
size=$((4 << 20))
for program in zemra-module zt_transfer_bench; do
  [[ -x $bin/$program ]] || { echo "no $bin/$program (build with -DZT_BUILD_BENCH=ON)" >&2; exit 2; }
done
work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$work"' EXIT
head -c "$size" /dev/zero | tr '\0' x > "$work/file"

# "... N bytes in S s (R B/s), C CPU s": the fields R and C, after checking N.
fields() {
  sed -nE "s/.* ([0-9]+) bytes in .* \(([0-9]+) B\/s\)(, ([0-9.]+) CPU s)?.*/\1 \2 \4/p" <<< "$1" |
    awk -v size="$size" '$1 != size { print "lost bytes: " $1 > "/dev/stderr"; exit 1 } { print $2, $3 }'
}
# Runs "$@ PTY" against a fresh sink module; prints the module's rate.
into_sink() {
  local out
  out=$(mktemp -p "$work")
  "$bin/zemra-module" --pty --mode sink > "$out" &
  local module=$!
  until [[ -s $out ]]; do sleep 0.05; done
  "$@" "$(head -n 1 "$out")" > /dev/null
  sleep 1  # the module drains what the pty still holds
  kill -INT "$module"
  wait "$module"
  fields "$(tail -n 1 "$out")"
}
cat_into() { cat "$work/file" > "$1"; }
measure() { fields "$("$bin/zt_transfer_bench" "$@")"; }
# The median of the numbers on standard input.
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

for ((i = 0; i < runs; ++i)); do
  into_sink "$bin/zt_transfer_bench" send | awk '{ print "screen_send", $1 }'
  into_sink cat_into | awk '{ print "cat_send", $1 }'
  measure receive | awk '{ print "screen_receive", $1; print "cpu", $2 }'
  measure receive-cat | awk '{ print "cat_receive", $1 }'
done > "$work/figures"
figure() { awk -v name="$1" '$1 == name { print $2 }' "$work/figures" | median; }
awk -v ss="$(figure screen_send)" -v cs="$(figure cat_send)" -v sr="$(figure screen_receive)" \
    -v cr="$(figure cat_receive)" -v cpu="$(figure cpu)" -v mib="$((size >> 20))" 'BEGIN {
  printf "sending:   screen %.1f MiB/s, cat %.1f MiB/s, ratio %.2f (goal 0.9)\n",
         ss / 1048576, cs / 1048576, ss / cs
  printf "receiving: screen %.1f MiB/s, cat %.1f MiB/s, ratio %.2f (goal 0.8), %.4f CPU s/MiB\n",
         sr / 1048576, cr / 1048576, sr / cr, cpu / mib
}'
