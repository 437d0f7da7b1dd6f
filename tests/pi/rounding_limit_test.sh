#!/usr/bin/env bash
# A run whose products came too close to a half-integer must fail and leave the earlier pi.txt.
# PROGRAM is built with the rounding limit at 0, so that every real run exceeds it.
#
#   rounding_limit_test.sh PROGRAM [RUNNER...]
set -u
program=$(realpath "$1")
shift
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
printf 'an earlier result\n' >"$dir/pi.txt"
(cd "$dir" && printf '1024\n' | "$@" "$program" >stdout 2>/dev/null)
status=$?
last=$(tr -d '\r' <"$dir/stdout" | tail -n 1)
failed=0
[ "$status" -eq 1 ] || { echo "FAIL: exit status $status"; failed=1; }
[[ "$last" == "rounding error too large ("*"): the digits cannot be trusted, pi.txt not replaced" ]] ||
  { echo "FAIL: last line: $last"; failed=1; }
[ "$(cat "$dir/pi.txt")" = "an earlier result" ] || { echo "FAIL: the earlier pi.txt was changed"; failed=1; }
grep -q '^Total time' "$dir/stdout" && { echo "FAIL: reported a total time"; failed=1; }
echo "rounding limit: $((1 - failed)) passed, $failed failed"
exit "$failed"
