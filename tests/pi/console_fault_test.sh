#!/usr/bin/env bash
# Faults injected into real runs of a console program (mevroc or sudel). Every case starts from a
# known good pi.txt; afterwards pi.txt must be that file byte for byte or a complete new file that
# passes the digit check, and the exit status and last line must be the documented ones.
#
#   console_fault_test.sh PROGRAM CORRUPT_PROGRAM CHECKER [RUNNER...]
#
# CORRUPT_PROGRAM is a build whose final product has one limb off by one unit ("" to skip),
# CHECKER the native pi_file_check ("" to skip the digit checks), RUNNER an optional command that
# runs the programs (scripts/wine-run). Cases that need POSIX signals or limits run natively only.
set -u
program=$(realpath "$1") corrupt=${2:+$(realpath "$2")} checker=${3:+$(realpath "$3")}
shift 3
runner=("$@")
native=$([ -z "${runner[*]}" ] && [ "$(uname)" = Linux ] && echo 1)

passed=0 failed=0
work=$(mktemp -d)
chmod 755 "$work"
trap 'chmod -R u+w "$work"; rm -rf "$work"' EXIT
fail() { echo "FAIL [$case]: $*"; failed=$((failed + 1)); }

# The known good file: a complete run of 2^12 digits, checked once.
good=$work/good.txt
(cd "$work" && printf '4096\n' | "${runner[@]}" "$program" >/dev/null 2>&1 && mv pi.txt "$good")
if [ -n "$checker" ] && ! "$checker" "$good" 4096 >/dev/null; then
  echo "FAIL: no known good pi.txt to start from"; exit 1
fi

new_dir() { dir=$work/$((passed + failed))_$RANDOM; mkdir -p "$dir"; cp "$good" "$dir/pi.txt"; }

# run_program DIGITS [PREFIX...]: runs the program in $dir, optionally through a command prefix
# (for limits and signals); sets $status and $last (the last line of standard output).
run_program() {
  local digits=$1
  shift
  (cd "$dir" && printf '%s\n' "$digits" | "$@" "${runner[@]}" "$program" >stdout 2>stderr)
  status=$?
  last=$(tr -d '\r' <"$dir/stdout" | tail -n 1)
}

# expect STATUS LAST KEPT|NEW DIGITS: the outcome of the case just run. KEPT: pi.txt is the
# known good file byte for byte; NEW: it passes the digit check for DIGITS (or for any of a
# space-separated list). LAST is a shell pattern for the last line ("" when it is not checked).
expect() {
  local want_status=$1 want_last=$2 file=$3 digits=$4 d
  [ "$status" -eq "$want_status" ] || { fail "exit status $status, expected $want_status: $last"; return; }
  [ -z "$want_last" ] || [[ "$last" == $want_last ]] || { fail "last line: $last"; return; }
  [ -f "$dir/pi.txt" ] && [ ! -L "$dir/pi.txt" ] || { fail "pi.txt is not a regular file"; return; }
  if [ "$file" = KEPT ]; then
    cmp -s "$good" "$dir/pi.txt" || { fail "the earlier pi.txt was changed"; return; }
  elif [ -n "$checker" ]; then
    for d in $digits; do "$checker" "$dir/pi.txt" "$d" >/dev/null && break; d=; done
    [ -n "$d" ] || { fail "pi.txt is neither the earlier file nor a complete result: $("$checker" "$dir/pi.txt" "${digits%% *}")"; return; }
  fi
  passed=$((passed + 1))
}

# No temporary file may be left by a run that ended by itself.
expect_no_stray() {
  local stray
  stray=$(find "$dir" -maxdepth 1 -name 'pi.txt.*' | head -n 1)
  [ -z "$stray" ] || { fail "temporary file left: $stray"; return; }
  passed=$((passed + 1))
}

wait_for_start() {  # waits until the run has printed its first line (buffers and files exist)
  for _ in $(seq 1 200); do grep -q 'use memory' "$dir/stdout" 2>/dev/null && return; sleep 0.05; done
}

if [ -n "$native" ]; then
  # 2^16 digits make a pi.txt of about 68 KB; the limit (in KiB) stops the write half-way.
  case="file-size limit, SIGXFSZ ignored"
  new_dir; run_program 65536 bash -c 'trap "" XFSZ; ulimit -f 32; exec "$@"' limit
  expect 1 "*file write error!" KEPT 0; expect_no_stray

  case="file-size limit, SIGXFSZ fatal"
  new_dir; run_program 65536 bash -c 'trap - XFSZ; ulimit -f 32; exec "$@"' limit
  expect $((128 + 25)) "" KEPT 0

  case="SIGTERM during the run"
  new_dir
  (cd "$dir" && exec "$program" >stdout 2>stderr < <(printf '4194304\n')) &
  pid=$!
  wait_for_start; sleep 0.3; kill -TERM "$pid"; wait "$pid"; status=$?
  last=$(tail -n 1 "$dir/stdout")
  expect $((128 + 15)) "" KEPT 0

  case="unwritable directory"
  new_dir; chmod 555 "$dir"
  as_other=(); [ "$(id -u)" -eq 0 ] && as_other=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
  run_program 65536 "${as_other[@]}"
  chmod 755 "$dir"
  expect 1 "length of pi =? file open error!" KEPT 0; expect_no_stray

  # Around the memory a run of 2^18 digits needs (2.75 MB of buffers): a coarse pass in steps of
  # 1 MiB finds the first limit under which a run completes, then steps of 128 KiB from 2 MiB
  # below it to 1 MiB above. Every run that starts completes or says "Memory Allocation Failure!",
  # and pi.txt is never damaged.
  case="memory sweep"
  completed=0 refused=0 first_complete=0
  sweep_run() {  # LIMIT_KIB
    new_dir; run_program 262144 bash -c 'ulimit -v "$0"; exec "$@"' "$1"
    grep -q '^length of pi =? ' "$dir/stdout" || return 1  # the loader itself found no room
    if [ "$status" -eq 0 ]; then
      expect 0 "Total time : * msec." NEW 262144 && completed=$((completed + 1))
    else
      expect 1 "length of pi =? Memory Allocation Failure!" KEPT 0 && refused=$((refused + 1))
    fi
    [ "$status" -eq 0 ]
  }
  for ((limit = 4096; limit <= 65536; limit += 1024)); do
    sweep_run "$limit" && { first_complete=$limit; break; }
  done
  for ((limit = first_complete - 2048; limit <= first_complete + 1024; limit += 128)); do sweep_run "$limit"; done
  [ "$completed" -gt 0 ] && [ "$refused" -gt 0 ] || fail "sweep did not cross the limit: $completed completed, $refused refused"
  echo "memory sweep around ulimit -v $first_complete KiB: $completed runs completed, $refused refused"

  # Limits just above what the loader needs: whatever the front end allocates may fail, and must end
  # in the line "Memory Allocation Failure!" and status 1, never in an abort. The sweep starts where the
  # program first loads and must cross the limit under which every command completes.
  case="tight memory limits"
  limited() { (cd "$dir" && bash -c 'ulimit -v "$0"; exec "$@"' "$@" >stdout 2>stderr </dev/null); }
  lowest=2048
  while new_dir && limited "$lowest" "$program" --version; [ $? -eq 127 ] && [ "$lowest" -lt 65536 ]; do
    lowest=$((lowest + 256))
  done
  failures=0 completed=0 failed_before=$failed
  for ((limit = lowest - 256; limit <= lowest + 1024; limit += 8)); do
    for args in "--version" "--bogus" "--json - 64" "--repeat 2 256"; do
      new_dir
      # shellcheck disable=SC2086
      limited "$limit" "$program" $args
      status=$?
      last=$(tail -n 1 "$dir/stdout")
      case $status in
        127) ;;  # the loader found no room: the program never ran
        0) completed=$((completed + 1)) ;;
        1) grep -qx 'Memory Allocation Failure!' "$dir/stdout" && failures=$((failures + 1)) ||
             fail "limit $limit KiB, $args: status 1, last line '$last'" ;;
        2) [ "$args" = --bogus ] || fail "limit $limit KiB, $args: status 2" ;;
        *) fail "limit $limit KiB, $args: exit status $status, last line '$last'" ;;
      esac
    done
  done
  [ "$failures" -gt 0 ] && [ "$completed" -gt 0 ] ||
    fail "the sweep from $lowest KiB did not cross the limit: $failures failures, $completed completed"
  echo "tight memory limits from $lowest KiB: $failures memory failures, $completed completed"
  [ "$failed" -eq "$failed_before" ] && passed=$((passed + 1))
fi

case="symbolic link named pi.txt"
new_dir; mv "$dir/pi.txt" "$dir/linked.txt"; ln -s linked.txt "$dir/pi.txt"
run_program 4096
expect 0 "Total time : * msec." NEW 4096; expect_no_stray
cmp -s "$good" "$dir/linked.txt" || fail "the link's target was written"

case="two runs of different sizes together"
new_dir
(cd "$dir" && printf '131072\n' | "${runner[@]}" "$program" >stdout1 2>&1) & first=$!
(cd "$dir" && printf '65536\n' | "${runner[@]}" "$program" >stdout2 2>&1) & second=$!
wait "$first"; status1=$?; wait "$second"; status=$?
[ "$status1" -eq 0 ] || fail "first run: exit status $status1"
last=$(tr -d '\r' <"$dir/stdout2" | tail -n 1)
expect 0 "Total time : * msec." NEW "65536 131072"; expect_no_stray

case="pi.txt is a directory"
new_dir; rm "$dir/pi.txt"; mkdir "$dir/pi.txt"; run_program 4096
if [ "$status" -eq 1 ] && [ "$last" = "length of pi =? file open error!" ]; then passed=$((passed + 1)); else fail "status $status: $last"; fi

if [ -n "$corrupt" ]; then
  # name | PI_TEST_FAULT | arguments | pi.txt KEPT or NEW | the last line
  while IFS='|' read -r case fault arguments file want; do
    case=${case%"${case##*[! ]}"} fault=$(echo $fault) file=$(echo $file) want=${want# }
    read -r -a args <<<"$arguments"
    new_dir
    (cd "$dir" && PI_TEST_FAULT=$fault "${runner[@]}" "$corrupt" "${args[@]}" </dev/null >stdout 2>stderr)
    status=$?
    last=$(tr -d '\r' <"$dir/stdout" | tail -n 1)
    expect 3 "$want" "$file" 4096
    expect_no_stray
  done <<'CASES'
one limb of a product off by one unit | 1 | 4096 | KEPT | verification failed: the digits differ from pi from decimal * on, pi.txt not replaced
iteration 4 left its known answer | phase 4 | 4096 | KEPT | not reproducible: iteration 4 differs from the known answer (the digits may still be right), pi.txt not replaced
right digits, rounding distance off | 0.01 | 4096 | KEPT | not reproducible: largest rounding distance *, the known answer's * (the checked digits are right), pi.txt not replaced
the second of three runs, iteration 9 | phase 9 -1 2 | --repeat 3 4096 | NEW | run 2 of 3: failed, exit status 3
CASES
  case="the failed run's line names iteration 9"
  grep -q '^not reproducible: iteration 9 differs from the known answer' "$dir/stdout" &&
    passed=$((passed + 1)) || fail "$(cat "$dir/stdout")"
fi

echo "$(basename "$program") faults: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
