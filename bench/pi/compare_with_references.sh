#!/usr/bin/env bash
# mevroc and sudel against two references, side by side: MPFR's pi (mpfr_const_pi + mpfr_get_str,
# bench/pi/mpfr_pi) and the Chudnovsky series by binary splitting on GMP integers (bench/pi/gmp_chudnovsky).
#
#   bench/pi/compare_with_references.sh BUILD_DIR [RUNS] [SIZES...]
#
# BUILD_DIR is a native build with -DPI_BUILD_BENCH=ON; RUNS (default 5) runs of each program per
# size, taken in turns (mevroc, sudel, mpfr, chudnovsky, mevroc, ...) so that a change of the machine's
# load touches all four alike; SIZES default to 1048576 4194304 (add 33554432 for 2^25). Each run is
# timed from start to exit (wall clock, digits written included); the table gives the median time of
# each program and the median over the rounds of each round's ratio, ours / reference (below 1: ours
# is faster), which a slow phase of the machine touches less than the ratio of the medians.
# PI_AGM_SIMD, if set, is passed on to mevroc and sudel. PI_BASELINE, if set, names a directory
# holding mevroc and sudel of an earlier build: they take their turns too, and two more columns give
# the median per-round ratio new / earlier.
set -euo pipefail
. "$(dirname "$0")/timing.sh"
bench_arguments "$@"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

run_console() { printf '%s\n' "$2" | "$build/console/$1"; }
run_baseline() { printf '%s\n' "$2" | "$PI_BASELINE/$1"; }
baseline=${PI_BASELINE:-}

printf '%10s | %9s %9s %9s %9s | %7s %7s | %7s %7s' digits mevroc sudel mpfr chudn. "m/mpfr" "s/mpfr" "m/chud" "s/chud"
[ -z "$baseline" ] || printf ' | %9s %9s %7s %7s' "old m" "old s" "m/old" "s/old"
printf '\n'
for D in "${sizes[@]}"; do
  m=() s=() r=() c=() mr=() sr=() mc=() sc=() om=() os=() mo=() so=()
  for ((i = 0; i < runs; i++)); do
    if [ -n "$baseline" ]; then
      om+=("$(seconds run_baseline mevroc "$D")")
      os+=("$(seconds run_baseline sudel "$D")")
    fi
    m+=("$(seconds run_console mevroc "$D")")
    s+=("$(seconds run_console sudel "$D")")
    r+=("$(seconds "$build/bench/pi/mpfr_pi" "$D")")
    c+=("$(seconds "$build/bench/pi/gmp_chudnovsky" "$D")")
    mr+=("$(ratio "${m[i]}" "${r[i]}")") sr+=("$(ratio "${s[i]}" "${r[i]}")")
    mc+=("$(ratio "${m[i]}" "${c[i]}")") sc+=("$(ratio "${s[i]}" "${c[i]}")")
    [ -z "$baseline" ] || { mo+=("$(ratio "${m[i]}" "${om[i]}")") so+=("$(ratio "${s[i]}" "${os[i]}")"); }
  done
  printf '%10s | %8ss %8ss %8ss %8ss | %7s %7s | %7s %7s' "$D" "$(median "${m[@]}")" "$(median "${s[@]}")" \
    "$(median "${r[@]}")" "$(median "${c[@]}")" "$(median "${mr[@]}")" "$(median "${sr[@]}")" \
    "$(median "${mc[@]}")" "$(median "${sc[@]}")"
  [ -z "$baseline" ] || printf ' | %8ss %8ss %7s %7s' "$(median "${om[@]}")" "$(median "${os[@]}")" \
    "$(median "${mo[@]}")" "$(median "${so[@]}")"
  printf '\n'
done
