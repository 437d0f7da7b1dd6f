#!/usr/bin/env bash
# mevroc and sudel on several threads against Arb's pi on as many (bench/pi/arb_pi: the Chudnovsky
# series on FLINT's thread pool, and arb_get_str), and each program against itself on one thread.
#
#   bench/pi/compare_threads.sh BUILD_DIR [RUNS] [SIZES...]
#
# BUILD_DIR is a native build with -DPI_BUILD_BENCH=ON and Arb found (libflint-arb-dev); RUNS (default 5)
# rounds per size; SIZES default to 1048576 4194304 (add 33554432 for 2^25). PI_THREADS (default "1 2")
# lists the thread counts; a round runs, for each count T in turn, mevroc --threads T, sudel --threads T
# and arb_pi on T threads, so that a change of the machine's load touches all of them alike. Each run is
# timed from start to exit (wall clock, digits written included). One row per size and thread count:
# the median time of each program, the median over the rounds of each round's ratio ours / Arb (below
# 1: ours is faster), and for every count after the first the median per-round speedup of each program,
# its time on the first count / its time on this one ("m 1/T": mevroc on 1 thread against T).
set -euo pipefail
. "$(dirname "$0")/timing.sh"
bench_arguments "$@"
read -r -a threads <<<"${PI_THREADS:-1 2}"
for T in "${threads[@]}"; do
  [[ "$T" =~ ^[1-9][0-9]*$ ]] || { echo "PI_THREADS: not a thread count: $T" >&2; exit 2; }
done
[ -x "$build/bench/pi/arb_pi" ] || { echo "no $build/bench/pi/arb_pi (Arb not found at configure?)" >&2; exit 2; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/m" "$work/s" "$work/a"

# Each program in a directory of its own, where it writes its digit file.
run_console() { cd "$work/${1:0:1}" && "$build/console/$1" -q --threads "$2" "$3"; }  # PROGRAM THREADS DIGITS
run_arb() { cd "$work/a" && "$build/bench/pi/arb_pi" "$2" "$1"; }                       # THREADS DIGITS

first=${threads[0]}
declare -A t  # t[PROGRAM,THREADS,ROUND]: seconds of one run, PROGRAM m, s or a
printf '%10s %4s | %9s %9s %9s | %7s %7s | %7s %7s %7s\n' digits thr mevroc sudel arb "m/arb" "s/arb" \
  "m $first/T" "s $first/T" "a $first/T"
for D in "${sizes[@]}"; do
  t=()
  for ((i = 0; i < runs; i++)); do
    for T in "${threads[@]}"; do
      t[m,$T,$i]=$(seconds run_console mevroc "$T" "$D")
      t[s,$T,$i]=$(seconds run_console sudel "$T" "$D")
      t[a,$T,$i]=$(seconds run_arb "$T" "$D")
    done
  done
  for T in "${threads[@]}"; do
    m=() s=() a=() ma=() sa=() mu=() su=() au=()
    for ((i = 0; i < runs; i++)); do
      m+=("${t[m,$T,$i]}") s+=("${t[s,$T,$i]}") a+=("${t[a,$T,$i]}")
      ma+=("$(ratio "${t[m,$T,$i]}" "${t[a,$T,$i]}")") sa+=("$(ratio "${t[s,$T,$i]}" "${t[a,$T,$i]}")")
      mu+=("$(ratio "${t[m,$first,$i]}" "${t[m,$T,$i]}")") su+=("$(ratio "${t[s,$first,$i]}" "${t[s,$T,$i]}")")
      au+=("$(ratio "${t[a,$first,$i]}" "${t[a,$T,$i]}")")
    done
    printf '%10s %4s | %8ss %8ss %8ss | %7s %7s' "$D" "$T" "$(median "${m[@]}")" "$(median "${s[@]}")" \
      "$(median "${a[@]}")" "$(median "${ma[@]}")" "$(median "${sa[@]}")"
    if [ "$T" = "$first" ]; then
      printf ' | %7s %7s %7s\n' - - -
    else
      printf ' | %7s %7s %7s\n' "$(median "${mu[@]}")" "$(median "${su[@]}")" "$(median "${au[@]}")"
    fi
  done
done
