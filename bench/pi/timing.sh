# The timing helpers of the comparison scripts of bench/pi (sourced, not run).

# BUILD_DIR [RUNS] [SIZES...] of a script's command line: sets build, runs (default 5) and sizes
# (default 2^20 and 2^22 digits).
bench_arguments() {
  build=$(realpath "$1")
  runs=${2:-5}
  shift $(($# >= 2 ? 2 : 1))
  sizes=("$@")
  [ ${#sizes[@]} -gt 0 ] || sizes=(1048576 4194304)
}

seconds() {  # COMMAND...: the wall-clock time of COMMAND in seconds
  local t0 t1
  t0=$(date +%s%N)
  "$@" >/dev/null 2>&1 || { echo "failed: $*" >&2; exit 1; }
  t1=$(date +%s%N)
  awk -v ns=$((t1 - t0)) 'BEGIN {printf "%.3f", ns / 1e9}'
}
median() { printf '%s\n' "$@" | sort -n | awk '{a[NR] = $1} END {printf "%.3f", (NR % 2) ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2}'; }
ratio() { awk "BEGIN {printf \"%.3f\", $1 / $2}"; }
