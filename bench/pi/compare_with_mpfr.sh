#!/usr/bin/env bash
# mevroc and sudel against MPFR's pi (mpfr_const_pi + mpfr_get_str, bench/pi/mpfr_pi), side by side.
#
#   bench/pi/compare_with_mpfr.sh BUILD_DIR [RUNS] [SIZES...]
#
# BUILD_DIR is a native build with -DPI_BUILD_BENCH=ON; RUNS (default 5) runs of each program per
# size, taken in turns (mevroc, sudel, mpfr, mevroc, ...) so that a change of the machine's load
# touches all three alike; SIZES default to 1048576 4194304 (add 33554432 for 2^25). Each run is
# timed from start to exit (wall clock, digits written included); the table gives the median of
# each program and the ratios of the medians, ours / MPFR (below 1: ours is faster).
# PI_AGM_SIMD, if set, is passed on to mevroc and sudel.
set -euo pipefail
build=$(realpath "$1")
runs=${2:-5}
shift $(($# >= 2 ? 2 : 1))
sizes=("$@")
[ ${#sizes[@]} -gt 0 ] || sizes=(1048576 4194304)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

seconds() {  # COMMAND...: the wall-clock time of COMMAND in seconds
  local t0 t1
  t0=$(date +%s%N)
  "$@" >/dev/null 2>&1 || { echo "failed: $*" >&2; exit 1; }
  t1=$(date +%s%N)
  awk -v ns=$((t1 - t0)) 'BEGIN {printf "%.3f", ns / 1e9}'
}
median() { printf '%s\n' "$@" | sort -n | awk '{a[NR] = $1} END {printf "%.3f", (NR % 2) ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2}'; }
run_console() { printf '%s\n' "$2" | "$build/console/$1"; }

printf '%10s | %9s %9s %9s | %13s %13s\n' digits mevroc sudel mpfr "mevroc/mpfr" "sudel/mpfr"
for D in "${sizes[@]}"; do
  m=() s=() r=()
  for ((i = 0; i < runs; i++)); do
    m+=("$(seconds run_console mevroc "$D")")
    s+=("$(seconds run_console sudel "$D")")
    r+=("$(seconds "$build/bench/pi/mpfr_pi" "$D")")
  done
  mm=$(median "${m[@]}") ms=$(median "${s[@]}") mr=$(median "${r[@]}")
  printf '%10s | %8ss %8ss %8ss | %13s %13s\n' "$D" "$mm" "$ms" "$mr" "$(awk "BEGIN {printf \"%.2f\", $mm / $mr}")" \
    "$(awk "BEGIN {printf \"%.2f\", $ms / $mr}")"
done
