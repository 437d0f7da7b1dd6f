#!/usr/bin/env bash
# End-to-end tests of a console program (mevroc or sudel) on the real executable.
#
#   console_test.sh PROGRAM CHECKER [RUNNER...]
#
# PROGRAM is the executable, CHECKER the native pi_file_check (or "" to skip the digit checks; it
# holds the digits to the programs' promise: all right but the last few that their verification
# leaves unchecked), RUNNER an optional command that runs PROGRAM (scripts/wine-run for the Windows build).
# Every case runs in a fresh directory. Prints one line per failure and a closing count.
set -u
program=$(realpath "$1") checker=${2:+$(realpath "$2")}
shift 2
runner=("$@")

passed=0 failed=0
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() { echo "FAIL [$case]: $*"; failed=$((failed + 1)); }
ok() { passed=$((passed + 1)); }

# run INPUT: runs the program in a fresh directory with INPUT on standard input; sets $out
# (standard output without carriage returns), $status and $dir. A function named in $setup
# prepares the directory first.
run() {
  dir=$work/$((passed + failed))_$RANDOM
  mkdir -p "$dir"
  [ -n "${setup:-}" ] && "$setup" "$dir"
  (cd "$dir" && printf '%b' "$1" | "${runner[@]}" "$program" >stdout 2>stderr)
  status=$?
  out=$(tr -d '\r' <"$dir/stdout")
}

check_digits() {  # D
  [ -z "$checker" ] && return 0
  "$checker" "$dir/pi.txt" "$1" >"$dir/check" || { fail "$(cat "$dir/check")"; return 1; }
}

# The whole transcript of a run of D digits, line by line.
check_transcript() {  # D expected_memory
  local D=$1 memory=$2 iterations=-1 k=1
  while [ $((1 << k)) -lt "$D" ]; do k=$((k + 1)); done
  iterations=$((k - 1))
  mapfile -t lines <<<"$out"
  local want=$((iterations + 4))
  [ "${#lines[@]}" -eq "$want" ] || { fail "expected $want lines, got ${#lines[@]}: $out"; return 1; }
  [ "${lines[0]}" = "length of pi =? bx = $D  use memory = $memory" ] || { fail "first line: ${lines[0]}"; return 1; }
  [[ "${lines[1]}" =~ ^--\ [0-9]+msec$ ]] || { fail "setup line: ${lines[1]}"; return 1; }
  for ((j = 1; j <= iterations; j++)); do
    [[ "${lines[j + 1]}" =~ ^$(printf '%2d' "$j")\ [0-9]+msec$ ]] || { fail "iteration line $j: ${lines[j + 1]}"; return 1; }
  done
  [[ "${lines[iterations + 2]}" =~ ^--\ [0-9]+msec$ ]] || { fail "final phase line: ${lines[iterations + 2]}"; return 1; }
  [[ "${lines[iterations + 3]}" =~ ^Total\ time\ :\ [0-9]+\ msec\.$ ]] || { fail "total line: ${lines[iterations + 3]}"; return 1; }
}

# The memory figure of the first line: five numbers of n + 4 16-bit limbs and 4n doubles, n = D/4.
# The menu sizes' figures as published; smaller sizes from the same sum.
declare -A published_memory=([16384]=172072 [32768]=344104 [65536]=688168 [131072]=1376296
  [262144]=2752552 [524288]=5505064 [1048576]=11010088)
memory_figure() { echo "${published_memory[$1]:-$((5 * 2 * ($1 / 4 + 4) + 8 * 4 * ($1 / 4)))}"; }

# A completed run: exit 0, the transcript, the digits.
expect_run() {  # input D
  run "$1"
  [ "$status" -eq 0 ] || { fail "exit status $status"; return; }
  check_transcript "$2" "$(memory_figure "$2")" && check_digits "$2" && ok
}

earlier_file() { printf 'earlier file\n' >"$1/pi.txt"; }
pi_txt_directory() { mkdir "$1/pi.txt"; }  # a directory cannot be opened for writing

# A refused input: one line after the prompt (matching the pattern MESSAGE when given), non-zero
# status, an earlier pi.txt untouched.
expect_refusal() {  # input [message]
  setup=earlier_file run "$1"
  [ "$status" -eq 2 ] || { fail "status $status: $out"; return; }
  [ "$(printf '%s\n' "$out" | wc -l)" -eq 1 ] || { fail "more than one line: $out"; return; }
  [[ "$out" == "length of pi =? "${2:-?*} ]] || { fail "no message after the prompt: $out"; return; }
  [ "$(cat "$dir/pi.txt")" = "earlier file" ] || { fail "pi.txt was changed"; return; }
  ok
}

# Every size from 64 to 2^20 digits: transcript and digits.
for ((e = 6; e <= 20; e++)); do
  case="2^$e digits"
  expect_run "$((1 << e))" "$((1 << e))"
done

# The length typed is read as DIGITS is (K and M honoured) and rounded up to a power of two; what
# follows the first word stays unread.
case="16385"; expect_run '16385\n' 32768
case="1000000"; expect_run '1000000\n' 1048576
case="1M"; expect_run '1M\n' 1048576
case="64k"; expect_run '64k\n' 65536
case="100, then a second word"; expect_run '100 abc\n' 128
case="leading blank lines"; expect_run '\n\n   100\n' 128
case="below 64 raised"; expect_run '10\n' 64
case="1 raised"; expect_run '1\n' 64
case="zero raised"; expect_run '0\n' 64

case="letters only"; expect_refusal 'abc\n'
case="empty input"; expect_refusal ''
case="blank lines only"; expect_refusal '\n\n\n'
case="sign without digits"; expect_refusal '-x\n'
case="negative"; expect_refusal '-5\n' "invalid number of digits: '-5' *"
case="letters after the number"; expect_refusal '12abc\n' "invalid number of digits: '12abc' *"
case="exponent"; expect_refusal '1e6\n' "invalid number of digits: '1e6' *"
case="other suffix"; expect_refusal '1G\n' "invalid number of digits: '1G' *"
case="above 2^28"; expect_refusal '268435457\n' 'length 268435457 refused: the largest length is 268435456 digits'
case="above 2^30"; expect_refusal '1073741825\n'
case="above 2^31"; expect_refusal '2147483648\n'
case="far above"; expect_refusal '  99999999999999999999999 \n' 'length 99999999999999999999999 refused: *'
case="far above with a suffix"; expect_refusal '4096M\n' 'length 4096M refused: *'

case="pi.txt cannot be opened"
setup=pi_txt_directory run '256\n'
if [ "$status" -eq 1 ] && [ "$out" = "length of pi =? file open error!" ]; then ok; else fail "status $status: $out"; fi

if [ -z "${runner[*]}" ] && [ "$(uname)" = Linux ]; then
  case="memory allocation failure"
  dir=$work/nomemory; mkdir -p "$dir"
  out=$(cd "$dir" && ulimit -v 300000 && printf '33554432\n' | "$program" 2>/dev/null); status=$?
  if [ "$status" -eq 1 ] && [ "$out" = "length of pi =? Memory Allocation Failure!" ] && [ ! -e "$dir/pi.txt" ]; then
    ok
  else
    fail "status $status: $out"
  fi
fi

echo "$(basename "$program"): $passed passed, $failed failed"
[ "$failed" -eq 0 ]
