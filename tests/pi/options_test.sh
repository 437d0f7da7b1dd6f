#!/usr/bin/env bash
# End-to-end tests of the command line of a console program (mevroc or sudel), on the real
# executable: DIGITS in every form, the options, their refusals, --repeat, --json.
#
#   options_test.sh PROGRAM CORRUPT_PROGRAM CHECKER [RUNNER...]
#
# PROGRAM is the executable, CORRUPT_PROGRAM a build of it whose digits come out wrong ("" to skip
# that case), CHECKER the native pi_file_check (or "" to skip the digit checks),
# RUNNER an optional command that runs PROGRAM (scripts/wine-run for the Windows build). Every case
# runs in a fresh directory that holds an earlier pi.txt, with nothing on standard input (a program
# that ignored its arguments would prompt and be refused). Prints one line per failure and a count.
set -u
here=$(dirname "$(realpath "$0")")
program=$(realpath "$1") corrupt=${2:+$(realpath "$2")} checker=${3:+$(realpath "$3")}
shift 3
runner=("$@")
name=$(basename "$program" .exe)

passed=0 failed=0
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() { echo "FAIL [$case]: $*"; failed=$((failed + 1)); }

# run ARGS...: sets $dir, $status, $out and $err (without carriage returns).
run() {
  dir=$work/$((passed + failed))
  mkdir -p "$dir"
  printf 'earlier file\n' >"$dir/pi.txt"
  [ -n "${setup:-}" ] && "$setup" "$dir"
  (cd "$dir" && "${runner[@]}" "$program" "$@" </dev/null >stdout 2>stderr)
  status=$?
  out=$(tr -d '\r' <"$dir/stdout") err=$(tr -d '\r' <"$dir/stderr")
}
pi_txt_directory() { rm "$1/pi.txt" && mkdir "$1/pi.txt"; }  # every run fails to commit pi.txt
earlier_records() { printf 'earlier records\n' >"$1/runs.json"; }
link_to_pi_txt() { ln -s pi.txt "$1/linked.json"; }

digits_right() {  # D
  [ -z "$checker" ] || "$checker" "$dir/pi.txt" "$1" >"$dir/check" ||
    { fail "$(cat "$dir/check")"; return 1; }
}
untouched() { [ "$(cat "$dir/pi.txt")" = "earlier file" ] || { fail "pi.txt was changed"; return 1; }; }
quiet_stderr() { [ -z "$err" ] || { fail "standard error: $err"; return 1; }; }
runs_right() {  # check_runs.py arguments
  python3 "$here/check_runs.py" "$dir/stdout" --program "$name" --version-text "$work/version" "$@" >"$dir/faults" ||
    { fail "$(head -n 5 "$dir/faults")"; return 1; }
}

# What each kind of case must show; $1 is the last field of its row.
expect_run() { quiet_stderr && runs_right --digits "$1" && digits_right "$1"; }        # D
expect_quiet() { [ -z "$out$err" ] || { fail "printed: $out$err"; return; } && digits_right "$1"; }  # D
expect_output() { [[ "$out" =~ $1 ]] || { fail "standard output: $out"; return 1; }; quiet_stderr; }  # regex
expect_refusal() {  # the message (words)
  [ -z "$out" ] || { fail "standard output: $out"; return 1; }
  [[ "$err" == "$name: $*"* ]] || { fail "standard error: $err"; return 1; }
  untouched
}
expect_records_kept() {  # a refused length leaves the record file as it was
  [[ "$out" == "length of pi =? no length read"* ]] || { fail "standard output: $out"; return 1; }
  [ "$(cat "$dir/runs.json")" = "earlier records" ] || fail "runs.json was changed"
}
expect_usage() {  # the message (words), then the usage line
  expect_refusal "$@" || return
  [[ "$err" == *$'\n'"Usage: $name [OPTIONS] [DIGITS]"$'\n'* ]] || fail "no usage line: $err"
}
expect_repeat() { quiet_stderr && runs_right --digits "$2" --runs "$1" --repeat && digits_right "$2"; }  # "N D"
expect_stop() {  # the first of several runs failed to commit pi.txt: its message, its run line, nothing more
  [ "$(grep -c '^run ' <<<"$out")" -eq 1 ] && [[ "$out" == *$'\n'"run 1 of 3: failed, exit status $status" ]] ||
    fail "did not stop after the failed run: $out"
}
expect_json() {  # "FILE N D [--quiet]": the records against the run's own lines
  local file=$1 runs=$2 digits=$3
  shift 3
  [ "$file" = - ] || file=$dir/$file
  quiet_stderr && runs_right --digits "$digits" --runs "$runs" --json "$file" "$@" && digits_right "$digits"
}

(cd "$work" && "${runner[@]}" "$program" --version </dev/null | tr -d '\r' >"$work/version")

# The CPUs this process may use, which --threads all takes (ALLOWED in a row).
allowed_cpus=$(nproc)

# name | arguments | exit status | check | what the check needs (words; regular expressions
# without blanks)
while IFS='|' read -r case arguments want check detail; do
  case=${case%"${case##*[! ]}"} want=${want// /} check=${check// /}
  read -r -a args <<<"$arguments"
  case $case in
    *"stops at a failed run"*) setup=pi_txt_directory ;;
    *"record file kept"*) setup=earlier_records ;;
    *"link to pi.txt"*) setup=link_to_pi_txt ;;
    *) setup= ;;
  esac
  run "${args[@]}"
  [ "$status" -eq "$want" ] || { fail "exit status $status, expected $want; $out $err"; continue; }
  read -r -a details <<<"${detail//ALLOWED/$allowed_cpus}"
  failed_before=$failed
  "$check" "${details[@]}"
  [ "$failed" -eq "$failed_before" ] && passed=$((passed + 1))
done <<'CASES'
plain number, rounded up      | 1000                       | 0 | expect_run     | 1024
suffix K                      | 1K                         | 0 | expect_run     | 1024
suffix k                      | 2k                         | 0 | expect_run     | 2048
suffix M                      | 1M                         | 0 | expect_run     | 1048576
zero raised to the smallest   | 0                          | 0 | expect_run     | 64
DIGITS after --               | -- 100                     | 0 | expect_run     | 128
quiet                         | -q 4K                      | 0 | expect_quiet   | 4096
quiet after DIGITS            | 256 --quiet                | 0 | expect_quiet   | 256
help                          | --help                     | 0 | expect_output  | ^Usage:.[a-z]+.\[OPTIONS\].\[DIGITS\]
-h                            | -h 64                      | 0 | expect_output  | --repeat.N
version                       | --version                  | 0 | expect_output  | ^[a-z]+.\(pi-agm\).[0-9.]+.build:..+.vector.path:.[a-z0-9]+.known.answers:.[0-9a-f]{16}$
unknown option                | --bogus 64                 | 2 | expect_usage   | unknown option '--bogus'
unknown short option          | -x                         | 2 | expect_usage   | unknown option '-x'
negative length               | -5                         | 2 | expect_usage   | unknown option '-5'
negative length after --      | -- -5                      | 2 | expect_usage   | invalid number of digits: '-5'
other suffix                  | 1G                         | 2 | expect_usage   | invalid number of digits: '1G'
letters after the number      | 100abc                     | 2 | expect_usage   | invalid number of digits: '100abc'
fraction                      | 1.5M                       | 2 | expect_usage   | invalid number of digits: '1.5M'
two lengths                   | 64 128                     | 2 | expect_usage   | more than one DIGITS argument: '128'
above every limit             | 2048M                      | 2 | expect_refusal | length 2048M refused: the largest length is 268435456 digits
far above                     | 99999999999999999999999    | 2 | expect_refusal | length 99999999999999999999999 refused
2^43 M, once wrapped to 64    | 8796093022208M             | 2 | expect_refusal | length 8796093022208M refused
2^44 K                        | 17592186044416k            | 2 | expect_refusal | length 17592186044416k refused
far above with a suffix       | 99999999999999999999999M   | 2 | expect_refusal | length 99999999999999999999999M refused
--repeat without a count      | 64 --repeat                | 2 | expect_usage   | option '--repeat' needs a number of runs
--repeat 0                    | --repeat 0 64              | 2 | expect_usage   | invalid number of runs for '--repeat': '0'
--repeat=x                    | --repeat=x 64              | 2 | expect_usage   | invalid number of runs for '--repeat': 'x'
--repeat with a suffix        | --repeat 1K 64             | 2 | expect_usage   | invalid number of runs for '--repeat': '1K'
--json without a file         | 64 --json                  | 2 | expect_usage   | option '--json' needs a file name
--json into a missing folder  | --json /no/such/dir/r.json 64 | 2 | expect_refusal | cannot open '/no/such/dir/r.json'
--json pi.txt                 | --json pi.txt 64           | 2 | expect_refusal | --json 'pi.txt' refused: it names the digit file pi.txt
--json ./pi.txt, prompt       | --json ./pi.txt            | 2 | expect_refusal | --json './pi.txt' refused
--json=pi.txt's temporary     | --json=pi.txt.77-0.tmp 64  | 2 | expect_refusal | --json 'pi.txt.77-0.tmp' refused
--json to a link to pi.txt    | --json linked.json 64      | 2 | expect_refusal | --json 'linked.json' refused
refused length, record file kept | --json runs.json        | 2 | expect_records_kept |
--workers without --stress    | --workers 2 64             | 2 | expect_usage   | option '--workers' needs --stress
--simd chosen, in --version   | --simd sse2 --version      | 0 | expect_output  | vector.path:.sse2.known.answers
--simd chosen for a run       | --simd=sse2 4K             | 0 | expect_run     | 4096
--simd naming no path         | --simd avx3 64             | 2 | expect_refusal | --simd avx3 refused: the vector paths are sse2, avx2 and avx512
--simd without a path         | 64 --simd                  | 2 | expect_usage   | option '--simd' needs a vector path
--simd all without --stress   | --simd all 64              | 2 | expect_usage   | option '--simd all' needs --stress
--threads 0                   | --threads 0 64             | 2 | expect_refusal | invalid number of threads for '--threads': '0' (a count from 1 to
--threads that is no count    | --threads=two 64           | 2 | expect_refusal | invalid number of threads for '--threads': 'two'
more threads than CPUs        | --threads 99999 64         | 2 | expect_refusal | --threads 99999 refused: this process may use
--threads without a count     | 64 --threads               | 2 | expect_usage   | option '--threads' needs a number of threads, or all
--threads all, its record     | --threads all --json - 64K | 0 | expect_json    | - 1 65536 --threads ALLOWED
--cycle without --stress      | --cycle 5 64               | 2 | expect_usage   | option '--cycle' needs --stress
--cycle 0                     | --stress --cycle 0 64      | 2 | expect_usage   | invalid number of seconds for '--cycle': '0'
--cycle with --workers        | --stress --cycle 1 --workers 2 64 | 2 | expect_usage | options '--cycle' and '--workers' exclude each other
--cycle-order without --cycle | --stress --cycle-order cores 64 | 2 | expect_usage | option '--cycle-order' needs --cycle
--cycle-order unknown         | --stress --cycle 1 --cycle-order spiral 64 | 2 | expect_usage | option '--cycle-order' needs cores or alternate, not 'spiral'
a size class without --stress | l2                         | 2 | expect_usage   | size class 'l2' needs --stress
DIGITS and a size class       | --stress 64 blend          | 2 | expect_usage   | more than one DIGITS argument: 'blend'
--stop-on-error, no --stress  | --stop-on-error 64         | 2 | expect_usage   | option '--stop-on-error' needs --stress
--workers 0                   | --stress --workers 0 64    | 2 | expect_usage   | invalid number of workers for '--workers': '0'
--seconds=x                   | --stress --seconds=x 64    | 2 | expect_usage   | invalid number of seconds for '--seconds': 'x'
--cpus with a bad range       | --stress --cpus 3-1 64     | 2 | expect_usage   | invalid list of CPUs for '--cpus': '3-1'
--cpus naming a CPU twice     | --stress --cpus 0,1,0-1 64 | 2 | expect_usage   | invalid list of CPUs for '--cpus': '0,1,0-1'
--cpus ending in a comma      | --stress --cpus=0, 64      | 2 | expect_usage   | invalid list of CPUs for '--cpus': '0,'
--cpus outside the process    | --stress --cpus 1000 64    | 2 | expect_refusal | --cpus 1000 refused: CPU 1000 is not one of the CPUs this process may use
more workers than CPUs        | --stress --workers 99999 64 | 2 | expect_refusal | --workers 99999 refused: this process may use
--stress above every limit    | --stress 2048M             | 2 | expect_refusal | length 2048M refused
--stress, --json pi.txt       | --stress --json pi.txt 64  | 2 | expect_refusal | --json 'pi.txt' refused
--repeat 3                    | --repeat 3 1K              | 0 | expect_repeat  | 3 1024
--repeat=2                    | --repeat=2 64              | 0 | expect_repeat  | 2 64
repeat stops at a failed run  | --repeat 3 1K              | 1 | expect_stop    |
quietly stops at a failed run | -q --repeat 3 1K           | 1 | expect_stop    |
--json FILE with --repeat     | --repeat 2 --json runs.json 1K | 0 | expect_json | runs.json 2 1024 --repeat
--json=FILE                   | --json=runs.json 256       | 0 | expect_json    | runs.json 1 256
--json - quietly              | -q --json - 2K             | 0 | expect_json    | - 1 2048 --quiet
--json - after the transcript | --json - --repeat 2 64     | 0 | expect_json    | - 2 64 --repeat
CASES
setup=

# Digits that differ from pi stop the loop too, with their own status.
if [ -n "$corrupt" ]; then
  case="repeat stops at a run that does not verify"
  good_program=$program program=$corrupt
  run --repeat 3 1K
  program=$good_program
  if [ "$status" -eq 3 ]; then expect_stop && untouched && passed=$((passed + 1)); else fail "exit status $status: $out"; fi
fi

# Standard output that cannot take what is written to it: a full device, closed, or a pipe whose
# reader leaves after one line, SIGPIPE ignored (native only: POSIX redirections). The lines never
# arrived, so nothing may vouch for them: status 1 and one line on standard error, in every mode.
# A run still leaves pi.txt with its digits and nothing else (a closed standard output once lent its
# number to the digit file, and the transcript went into pi.txt). DIGITS: those of pi.txt, or "-".
if [ -z "${runner[*]}" ] && [ -w /dev/full ]; then
  while IFS='|' read -r case target arguments digits; do
    case=${case%"${case##*[! ]}"} target=${target// /} digits=${digits// /}
    read -r -a args <<<"$arguments"
    dir=$work/$((passed + failed))
    mkdir -p "$dir"
    case $target in
      closed) (cd "$dir" && "$program" "${args[@]}" </dev/null >&- 2>stderr) ;;
      pipe) (cd "$dir" && trap '' PIPE && "$program" "${args[@]}" </dev/null 2>stderr | head -n 1 >/dev/null
             exit "${PIPESTATUS[0]}") ;;
      *) (cd "$dir" && "$program" "${args[@]}" </dev/null >"$target" 2>stderr) ;;
    esac
    status=$? err=$(cat "$dir/stderr")
    [ "$status" -eq 1 ] || { fail "exit status $status, expected 1: $err"; continue; }
    [ "$err" = "$name: standard output could not be written" ] || { fail "standard error: $err"; continue; }
    if [ "$digits" = - ]; then
      [ ! -e "$dir/pi.txt" ] || { fail "pi.txt was written"; continue; }
      passed=$((passed + 1))
    else
      digits_right "$digits" && passed=$((passed + 1))
    fi
  done <<'CASES'
a run to a full device          | /dev/full | 4K                        | 4096
--json - to a full device       | /dev/full | --json - 64               | 64
--json - --repeat, full device  | /dev/full | --json - --repeat 2 64     | 64
--json - quietly, output closed | closed    | -q --json - 256           | 256
output closed                   | closed    | 256                       | 256
--help to a full device         | /dev/full | --help                    | -
--version to a full device      | /dev/full | --version                 | -
stress test to a full device    | /dev/full | --stress --workers 1 --repeat 1 4K | -
quiet stress test, full device  | /dev/full | -q --stress --workers 1 --repeat 1 4K | -
stress test, output closed      | closed    | --stress --workers 1 --repeat 1 4K | -
stress test into a closed pipe  | pipe      | --stress --workers 1 --seconds 2 4K | -
CASES
fi

# On a terminal (native only: script gives the program one) the progress line comes and goes on
# standard error; the timing lines stay as they are.
if [ -z "${runner[*]}" ] && command -v script >/dev/null; then
  case="progress line on a terminal"
  dir=$work/terminal && mkdir -p "$dir"
  (cd "$dir" && script -qefc "'$program' 4K" /dev/null </dev/null >typescript)
  status=$?
  screen=$(cat "$dir/typescript")
  if [ "$status" -eq 0 ] && [[ "$screen" == *$'\r'"iteration 11 of 11, "*" elapsed, about "*" left"$'\r'* ]] &&
     tr -d '\r' <"$dir/typescript" | grep -q '^Total time : [0-9]* msec\.$'; then
    passed=$((passed + 1))
  else
    fail "status $status: $(cat -A "$dir/typescript" | head -n 5)"
  fi
fi

echo "$name options: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
