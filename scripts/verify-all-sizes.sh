#!/usr/bin/env bash
# The long check, run by hand: every size from 2^FIRST to 2^LARGEST digits with both console
# programs, the digits compared with pi from MPFR, and a table of times, peak memory and the
# largest rounding distance of each run. Needs a native build with benchmarks (built here) and
# GNU time. Sizes above 2^25 are checked only when asked for (LARGEST 26..28); a 2^28 run needs
# about 2.8 GB of memory.
# PI_THREADS=N runs each computation on N threads (--threads; default 1): the same digits, peak memory
# within a few hundred KiB per thread of one thread's.
#   scripts/verify-all-sizes.sh [LARGEST_EXPONENT [FIRST_EXPONENT]]     (default 25 14)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
last=${1:-25} first=${2:-14} threads=${PI_THREADS:-1}
[ "$last" -le 28 ] || { echo "the programs accept at most 2^28 digits" >&2; exit 2; }
"$root/scripts/install-deps.sh" native
command -v /usr/bin/time >/dev/null || { apt-get install -y -qq time >/dev/null 2>&1 || sudo apt-get install -y -qq time; }
build=$root/build/verify
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DPI_BUILD_BENCH=ON >/dev/null
cmake --build "$build" -j"$(nproc)" --target mevroc_reporting sudel_reporting pi_file_check >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The memory figure each run must print, as published for the menu sizes.
declare -A published_memory=([14]=172072 [15]=344104 [16]=688168 [17]=1376296 [18]=2752552 [19]=5505064
  [20]=11010088 [21]=22020136 [22]=44040232 [23]=88080424 [24]=176160808 [25]=352321576
  [26]=704643112 [27]=1409286184 [28]=2818572328)

printf '%-8s %-7s %10s %10s %12s %9s %s\n' digits program "total ms" "wall s" "peak KiB" rounding digits
failures=0
for ((e = first; e <= last; e++)); do
  D=$((1 << e))
  for program in mevroc sudel; do
    (cd "$work" && echo "$D" | /usr/bin/time -v "$build/bench/pi/${program}_reporting" --threads "$threads" >out 2>err) || true
    total=$(sed -n 's/^Total time : \([0-9]*\) msec\./\1/p' "$work/out")
    wall=$(sed -n 's/.*Elapsed (wall clock) time (h:mm:ss or m:ss): //p' "$work/err")
    peak=$(sed -n 's/.*Maximum resident set size (kbytes): //p' "$work/err")
    margin=$(sed -n 's/^largest rounding distance //p' "$work/err")
    if check=$("$build/tests/pi/pi_file_check" "$work/pi.txt" "$D"); then verdict=ok; else verdict=FAIL; fi
    memory=$(sed -n 's/.*use memory = \([0-9]*\)$/\1/p' "$work/out")
    [ -z "${published_memory[$e]:-}" ] || [ "$memory" = "${published_memory[$e]}" ] ||
      { verdict=FAIL; check="use memory = $memory, not ${published_memory[$e]}: $check"; }
    [ "$verdict" = ok ] || failures=$((failures + 1))
    printf '%-8s %-7s %10s %10s %12s %9s %s\n' "2^$e" "$program" "${total:--}" "${wall:--}" "${peak:--}" "${margin:--}" \
      "$verdict (${check#*: })"
    [ "$e" -eq 22 ] && cp "$work/err" "$root/build/verify/time-v-2^22-$program.txt"
  done
done
echo "GNU time -v of the 2^22 runs: $build/time-v-2^22-*.txt"
exit $((failures > 0))
