# The timing helpers of the comparison scripts of bench/pi (sourced, not run).

seconds() {  # COMMAND...: the wall-clock time of COMMAND in seconds
  local t0 t1
  t0=$(date +%s%N)
  "$@" >/dev/null 2>&1 || { echo "failed: $*" >&2; exit 1; }
  t1=$(date +%s%N)
  awk -v ns=$((t1 - t0)) 'BEGIN {printf "%.3f", ns / 1e9}'
}
median() { printf '%s\n' "$@" | sort -n | awk '{a[NR] = $1} END {printf "%.3f", (NR % 2) ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2}'; }
ratio() { awk "BEGIN {printf \"%.3f\", $1 / $2}"; }
