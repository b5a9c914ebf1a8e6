#!/usr/bin/env bash
# Wakeups of an idle program: starts PROGRAM [ARGS...] in a detached tmux terminal, lets it
# settle, then counts the context switches of all its threads (/proc/PID/task/*/status) over
# IDLE_SECONDS (10 by default). Each one is a time it woke up; an idle program should make none.
#
#   bench/idle_wakeups.sh              zemra-telvo on its main screen (a data folder of its own)
#   bench/idle_wakeups.sh build/bin/zemra-telvo --device /tmp/module --data-dir DIR
set -euo pipefail
cd "$(dirname "$0")/.."
program=${1:-build/bin/zemra-telvo}
if [[ $# -gt 0 ]]; then
  shift
else
  data=$(mktemp -d)
  set -- --data-dir "$data"
fi
seconds=${IDLE_SECONDS:-10}
settle=${SETTLE_SECONDS:-3}
[[ -x $program ]] || { echo "no program $program (build it first)" >&2; exit 2; }

session=zt-idle-$$
command=$(printf '%q ' exec "$(realpath "$program")" "$@")
trap 'tmux kill-session -t "$session" 2>/dev/null || true; [[ -z ${data:-} ]] || rm -rf "$data"' EXIT
tmux new-session -d -s "$session" -x 100 -y 30 "$command"
pid=$(tmux list-panes -t "$session" -F '#{pane_pid}')

switches() {
  local total=0 n
  for status in /proc/"$pid"/task/*/status; do
    n=$(awk '/ctxt_switches/ { s += $2 } END { print s + 0 }' "$status" 2>/dev/null || echo 0)
    total=$((total + n))
  done
  echo "$total"
}

sleep "$settle"  # the launch and the first frame
[[ -d /proc/$pid ]] || { echo "$program ended early" >&2; exit 1; }
before=$(switches)
sleep "$seconds"
after=$(switches)
[[ -d /proc/$pid ]] || { echo "$program ended during the measurement" >&2; exit 1; }
echo "$program $*: $((after - before)) context switches in $seconds s"
