#!/usr/bin/env bash
# The stress test's throughput, runs per minute, of two builds side by side.
#
#   bench/stress/compare_throughput.sh OLD_PROGRAM NEW_PROGRAM [ROUNDS] [SIZE:RUNS...]
#
# Each program runs `--stress -q --repeat RUNS SIZE` (every CPU the process may use, one worker
# each) ROUNDS times (default 5), the two taken in turns (old, new, old, ...) so that a change of the
# machine's load touches both alike. A round's throughput is the runs of all workers per minute of
# wall clock, from start to exit (the workers' start and end included). The table gives each
# program's median and the median over the rounds of each round's ratio new / old (above 1: the new
# build does more runs). SIZE:RUNS default to l2:1000 (the size class that fits one core's L2) and
# 4194304:3.
set -euo pipefail
old=$(realpath "$1") new=$(realpath "$2")
rounds=${3:-5}
shift $(($# >= 3 ? 3 : 2))
cases=("$@")
[ ${#cases[@]} -gt 0 ] || cases=(l2:1000 4194304:3)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

# PROGRAM SIZE RUNS: runs per minute of one test, which must verify every run.
per_minute() {
  local t0 t1 last
  t0=$(date +%s%N)
  last=$("$1" --stress -q --repeat "$3" "$2" </dev/null | tail -n 1) || { echo "failed: $1 $2: $last" >&2; exit 1; }
  t1=$(date +%s%N)
  local runs=${last#all } && runs=${runs%% *}
  awk -v runs="$runs" -v ns=$((t1 - t0)) 'BEGIN {printf "%.1f", runs * 60e9 / ns}'
}
median() { printf '%s\n' "$@" | sort -n | awk '{a[NR] = $1} END {printf "%.3f", (NR % 2) ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2}'; }

printf '%12s %6s | %12s %12s | %9s\n' size runs "old /min" "new /min" "new/old"
for c in "${cases[@]}"; do
  size=${c%%:*} runs=${c##*:}
  olds=() news=() ratios=()
  for _ in $(seq 1 "$rounds"); do
    o=$(per_minute "$old" "$size" "$runs")
    n=$(per_minute "$new" "$size" "$runs")
    olds+=("$o") news+=("$n") ratios+=("$(awk "BEGIN {printf \"%.4f\", $n / $o}")")
  done
  printf '%12s %6s | %12s %12s | %9s   (ratios %s)\n' "$size" "$runs" "$(median "${olds[@]}")" "$(median "${news[@]}")" \
    "$(median "${ratios[@]}")" "${ratios[*]}"
done
