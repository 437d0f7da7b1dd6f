#!/usr/bin/env bash
# End-to-end tests of the stress test (--stress) of a console program, on the real executable.
#
#   stress_test.sh PROGRAM CORRUPT_PROGRAM [RUNNER...]
#
# CORRUPT_PROGRAM is the build whose final product PI_TEST_FAULT moves ("" to skip the faults),
# RUNNER an optional command that runs the programs (scripts/wine-run): then only the plain
# two-worker case, the cycle and the vector paths in turn run. Every case starts in a fresh
# directory holding an earlier pi.txt, which must stay as it was, with no other file left beside it. The output is checked by check_stress.py.
# The signal cases need runs that last seconds: 2^24 digits, or PI_STRESS_LONG_SIZE (a slow build,
# such as one under ThreadSanitizer, takes a smaller size). Prints one line per failure and a count.
set -u
here=$(dirname "$(realpath "$0")")
program=$(realpath "$1") corrupt=${2:+$(realpath "$2")}
shift 2
runner=("$@")
native=$([ -z "${runner[*]}" ] && [ "$(uname)" = Linux ] && echo 1)
long_size=${PI_STRESS_LONG_SIZE:-16M}

passed=0 failed=0
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL [$case]: $*"; failed=$((failed + 1)); }

# The CPUs the workers get: the first two the tests may use (the program's own default order).
if [ -n "$native" ]; then
  read -r -a allowed < <(python3 -c 'import os; print(*sorted(os.sched_getaffinity(0)))')
else
  allowed=(0 1)
fi
first=${allowed[0]} second=${allowed[1]:-}
two=$first,$second
# How the programs name sets of CPUs: both of the two (--threads 2), and every allowed CPU.
pair=$([ "$second" = $((first + 1)) ] && echo "$first-$second" || echo "$two")
every=$(IFS=,; echo "${allowed[*]}")
# The vector paths this processor has, from its own flags.
paths=sse2
grep -qw avx2 /proc/cpuinfo 2>/dev/null && paths+=,avx2
grep -qw avx512f /proc/cpuinfo 2>/dev/null && paths+=,avx512

new_dir() {
  dir=$work/$((passed + failed))
  mkdir -p "$dir"
  printf 'earlier file\n' >"$dir/pi.txt"
}
untouched() {  # pi.txt as it was, and nothing left but what the case itself wrote
  [ "$(cat "$dir/pi.txt")" = "earlier file" ] || { fail "pi.txt was changed"; return 1; }
  local stray
  stray=$(find "$dir" -mindepth 1 -not -name pi.txt -not -name stdout -not -name stderr -not -name runs.json)
  [ -z "$stray" ] || { fail "left behind: $stray"; return 1; }
}
checked() {  # check_stress.py arguments, run in $dir
  (cd "$dir" && python3 "$here/check_stress.py" stdout "$@" >"$work/faults") || { fail "$(head -n 5 "$work/faults")"; return 1; }
}

# Runs that end by themselves, and refusals (status 2: the check is the start of the one line on
# standard error after the program's name).
# name | PI_TEST_FAULT ("-": the plain program) | arguments | exit status | check_stress.py arguments
cases() {
  cat <<CASES
two workers for three seconds | - | --stress --workers 2 --seconds 3 16K | 0 | --cpus $two
one CPU named, three runs | - | --stress --cpus $second --repeat 3 4K | 0 | --cpus $second --runs 3
one CPU named, one run | - | --stress --cpus $second --repeat 1 4K | 0 | --cpus $second --runs 1
records with CPU and worker | - | --stress --cpus $two --repeat 2 --json runs.json 2K | 0 | --cpus $two --runs 2 --json runs.json
quiet | - | -q --stress --workers 2 --repeat 2 2K | 0 | --cpus $two --runs 2 --quiet
wrong digits on the second CPU | 1 $second 2 | --stress --workers 2 --repeat 4 --json runs.json 16K | 3 | --cpus $two --runs 4 --json runs.json --error $second:2:the digits differ from pi from decimal 1 on
rounding on the second CPU | 0.3 $second 1 | --stress --workers 2 --repeat 3 16K | 1 | --cpus $two --runs 3 --error $second:1:rounding error too large (0.3
iteration 5 differs on the second CPU | phase 5 $second 1 | --stress --workers 2 --repeat 3 --json runs.json 16K | 3 | --cpus $two --runs 3 --json runs.json --error $second:1:not reproducible: iteration 5 differs from the known answer (the digits may still be right)
digits right, not reproducible | 0.01 $second 2 | --stress --workers 2 --repeat 3 --json runs.json 16K | 3 | --cpus $two --runs 3 --json runs.json --error $second:2:not reproducible: largest rounding distance
quietly, only the error | 1 $second 1 | -q --stress --workers 2 --repeat 2 4K | 3 | --cpus $two --runs 2 --quiet --error $second:1:the digits differ
--stop-on-error | 1 $second 2 | --stress --workers 2 --repeat 100000 --seconds 60 --stop-on-error 16K | 3 | --cpus $two --stop-on-error --error $second:2:the digits differ
every vector path in turn | - | --stress --workers 2 --repeat 4 --simd all --json runs.json 4K | 0 | --cpus $two --runs 4 --json runs.json --paths $paths
one vector path chosen | - | --stress --workers 2 --repeat 2 --simd sse2 --json runs.json 4K | 0 | --cpus $two --runs 2 --json runs.json --paths sse2
an error's path and size named | 1 $second 2 | --stress --workers 2 --repeat 3 --simd all 4K | 3 | --cpus $two --runs 3 --paths $paths --error $second:2:the digits differ from pi from decimal 1 on, in the final quotient
cycling over the CPUs | - | --stress --cpus $two --cycle 1 --repeat 2 --json runs.json 4K | 0 | --cpus $two --cycle --json runs.json
a CPU that failed is skipped | 1 $second 1 | --stress --cpus $two --cycle 1 --repeat 3 --json runs.json 4K | 3 | --cpus $two --cycle --json runs.json --error $second:1:the digits differ
cycling and every path in turn | - | --stress --cpus $two --cycle 1 --repeat 1 --simd all 4K | 0 | --cpus $two --cycle --paths $paths
a worker that crashes | crash $second 2 | --stress --workers 2 --repeat 4 --json runs.json 16K | 3 | --cpus $two --runs 4 --json runs.json --error $second:2:the worker crashed (
a crash in a cycle skips its CPU | crash $second 1 | --stress --cpus $two --cycle 1 --repeat 2 --json runs.json 4K | 3 | --cpus $two --cycle --json runs.json --error $second:1:the worker crashed (
a threaded worker's error names its CPUs | 1 -1 1 | --stress --cpus $two --threads 2 --repeat 2 --json runs.json 4K | 3 | --cpus $two --threads 2 --runs 2 --json runs.json --error $pair:1:the digits differ from pi from decimal 1 on
one computation over the whole machine | - | --stress --threads all --repeat 1 --json runs.json 4K | 0 | --cpus $every --threads ${#allowed[@]} --runs 1 --json runs.json
a cycle of threaded workers | - | --stress --cycle 5 --threads 2 4K | 2 | --cycle refused with --threads 2:
more threaded workers than CPUs | - | --stress --cpus $two --workers 2 --threads 2 4K | 2 | --workers 2 with --threads 2 refused: they need 4 CPUs, --cpus names 2 CPUs
CASES
}
while IFS='|' read -r case fault arguments want check; do
  case=${case%"${case##*[! ]}"} fault=$(echo $fault) want=${want// /}
  read -r -a args <<<"$arguments"
  read -r -a checks <<<"$check"
  # The words after --error's CPU:RUN: are one argument.
  for i in "${!checks[@]}"; do
    if [ "${checks[i]}" = --error ]; then checks=("${checks[@]:0:i+1}" "${checks[*]:i+1}"); break; fi
  done
  [ -n "$second" ] || continue                                                    # one CPU only
  [ "$fault" = - ] || [ -n "$corrupt" ] || continue                               # no faulty build
  case "${runner[*]}:$case" in  # Wine: these four
    :* | *:"two workers for three seconds" | *:"cycling over the CPUs" | *:"every vector path in turn" | \
      *:"a worker that crashes") ;;
    *) continue ;;
  esac
  new_dir
  executable=$program
  [ "$fault" = - ] || executable=$corrupt
  (cd "$dir" && PI_TEST_FAULT=$fault "${runner[@]}" "$executable" "${args[@]}" </dev/null >stdout 2>stderr)
  status=$?
  [ "$status" -eq "$want" ] || { fail "exit status $status, expected $want: $(tail -n 3 "$dir/stdout") $(cat "$dir/stderr")"; continue; }
  if [ "$want" -eq 2 ]; then
    if [ -s "$dir/stdout" ] || [ "$(wc -l <"$dir/stderr")" -ne 1 ] ||
       [[ "$(cat "$dir/stderr")" != "$(basename "$program"): ${check# }"* ]]; then
      fail "refusal: $(cat "$dir/stdout" "$dir/stderr")"
    else
      untouched && passed=$((passed + 1))
    fi
    continue
  fi
  [ -s "$dir/stderr" ] && { fail "standard error: $(cat "$dir/stderr")"; continue; }
  checked "${checks[@]}" && untouched && passed=$((passed + 1))
done < <(cases)

# A CPU that is wrong in every run, with a healthy one beside it: in every trial only the faulty CPU
# is named, at its first run and the phase that differed, and the healthy one does all its runs.
if [ -n "$corrupt" ] && [ -n "$second" ] && [ -z "${runner[*]}" ]; then
  for trial in $(seq 1 10); do
    case="every run of the second CPU leaves its known answer, trial $trial"
    new_dir
    (cd "$dir" && PI_TEST_FAULT="phase 3 $second 0" "$corrupt" --stress --workers 2 --repeat 3 --json runs.json 4K \
      </dev/null >stdout 2>stderr)
    status=$?
    [ "$status" -eq 3 ] || { fail "exit status $status, expected 3: $(tail -n 3 "$dir/stdout")"; continue; }
    checked --cpus "$two" --runs 3 --json runs.json \
      --error "$second:1:not reproducible: iteration 3 differs from the known answer" && untouched &&
      passed=$((passed + 1))
  done
fi

# A worker that hangs in its second run, with a healthy one beside it: named as hung once it has
# been silent for the hang limit (at 16K digits, whose phases last milliseconds, the least: 10 s),
# and not much later; the healthy one does all its runs.
if [ -n "$corrupt" ] && [ -n "$second" ] && [ -n "$native" ]; then
  case="a worker that hangs is stopped at the limit"
  new_dir
  began=$(date +%s%N)
  (cd "$dir" && PI_TEST_FAULT="hang 3 $second 2" "$corrupt" --stress --workers 2 --repeat 3 --json runs.json 16K \
    </dev/null >stdout 2>stderr)
  status=$? took=$((($(date +%s%N) - began) / 1000000))
  if [ "$status" -ne 3 ] || [ "$took" -lt 10000 ] || [ "$took" -gt 14000 ]; then
    fail "exit status $status after $took ms, expected 3 after 10 to 14 s: $(tail -n 3 "$dir/stdout")"
  else
    checked --cpus "$two" --runs 3 --json runs.json \
      --error "$second:2:the worker hung: no phase ended within 10 s (the limit at this size), so it was stopped" &&
      untouched && passed=$((passed + 1))
  fi
fi

# The size classes from a machine described here (PI_AGM_CPU_SYSFS): the CPUs of the test on one
# physical core, each with an L2 of its own, both sharing one L3. The sizes expected are the rules
# applied here to that description (memory of a run: 42 (D/4) + 40 bytes).
if [ -n "$native" ] && [ -n "$second" ]; then
  describe_machine() {  # L2 L3 (in K): the tree under $dir/sys
    local cpu index fields
    for cpu in "$first" "$second"; do
      mkdir -p "$dir/sys/cpu$cpu/topology"
      echo 0 >"$dir/sys/cpu$cpu/topology/core_id"
      echo 0 >"$dir/sys/cpu$cpu/topology/physical_package_id"
      index=0
      for fields in "1 Data 48K $cpu" "1 Instruction 32K $cpu" "2 Unified ${1}K $cpu" "3 Unified ${2}K $two"; do
        read -r -a f <<<"$fields"
        mkdir -p "$dir/sys/cpu$cpu/cache/index$index"
        for i in 0 1 2 3; do
          echo "${f[i]}" >"$dir/sys/cpu$cpu/cache/index$index/$(echo level type size shared_cpu_list | cut -d' ' -f$((i + 1)))"
        done
        index=$((index + 1))
      done
    done
  }
  class_sizes() {  # CLASS L2 L3 WORKERS_SHARING_THE_L3: the sizes, comma-separated
    python3 - "$@" <<'PY'
import sys
name, l2, l3, sharing = sys.argv[1], int(sys.argv[2]) << 10, int(sys.argv[3]) << 10, int(sys.argv[4])
memory = lambda d: 42 * (d // 4) + 40
sizes = [1 << e for e in range(6, 29)]
fits = lambda b: max(d for d in sizes if memory(d) <= b)
low, share, high = fits(l2), fits(l3 // sharing), min(d for d in sizes if memory(d) >= 4 * l3)
print(",".join(str(d) for d in {"l2": [low], "l3": [share], "ram": [high],
                               "blend": [d for d in sizes if low <= d <= high]}[name]))
PY
  }
  # name | L2 | L3 | workers sharing the L3 | arguments (CLASS last)
  while IFS='|' read -r case l2 l3 sharing arguments; do
    case=${case%"${case##*[! ]}"} l2=${l2// /} l3=${l3// /} sharing=${sharing// /}
    read -r -a args <<<"$arguments"
    new_dir
    describe_machine "$l2" "$l3"
    sizes=$(class_sizes "${args[-1]}" "$l2" "$l3" "$sharing")
    cpus=$two; [ "$sharing" = 2 ] || cpus=$first
    cycle=; [[ "$arguments" == *--cycle* ]] && cycle=--cycle
    (cd "$dir" && PI_AGM_CPU_SYSFS=$dir/sys "$program" "${args[@]}" </dev/null >stdout 2>stderr)
    status=$?
    rm -rf "$dir/sys"
    [ "$status" -eq 0 ] || { fail "exit status $status: $(cat "$dir/stdout" "$dir/stderr")"; continue; }
    grep -Eq "^${args[-1]}: (.* )?${sizes%%,*} " "$dir/stdout" || { fail "no line of the class: $(head -n 5 "$dir/stdout")"; continue; }
    checked --cpus "$cpus" --sizes "$sizes" $cycle && untouched && passed=$((passed + 1))
  done <<CASES
l2 of each core                  | 512  | 4096 | 2 | --stress --workers 2 --repeat 2 l2
l3 shared by two workers         | 128  | 512  | 2 | --stress --workers 2 --repeat 2 l3
l3 to one worker at a time       | 128  | 512  | 1 | --stress --cpus $first --cycle 1 --repeat 1 l3
ram: four times the L3           | 64   | 128  | 2 | --stress --workers 2 --repeat 1 ram
blend walks from l2 to ram       | 64   | 128  | 1 | --stress --workers 1 --repeat 6 blend
CASES

  # Refused with status 2 and a message that says to give DIGITS: caches not described, a class
  # without --stress. The cycle's default order: one logical CPU per physical core (both CPUs of
  # the test are described as one core).
  while IFS='|' read -r case describe arguments; do
    case=${case%"${case##*[! ]}"} describe=${describe// /}
    read -r -a args <<<"$arguments"
    new_dir
    mkdir -p "$dir/sys"
    [ "$describe" = yes ] && describe_machine 512 4096
    (cd "$dir" && PI_AGM_CPU_SYSFS=$dir/sys "$program" "${args[@]}" </dev/null >stdout 2>stderr)
    status=$?
    rm -rf "$dir/sys"
    if [ "$describe" = yes ]; then
      [ "$status" -eq 0 ] && checked --cpus "$first" --cycle && untouched && passed=$((passed + 1))
    elif [ "$status" -eq 2 ] && [ ! -s "$dir/stdout" ] && grep -q "give DIGITS" "$dir/stderr"; then
      untouched && passed=$((passed + 1))
    else
      fail "status $status: $(cat "$dir/stdout" "$dir/stderr")"
    fi
  done <<CASES
no cache described, l2      | no  | --stress --workers 2 --repeat 1 l2
no cache described, blend   | no  | --stress --cycle 1 --repeat 1 blend
a class without --stress    | yes-but-plain | l2
one CPU per core            | yes | --stress --cycle 1 --repeat 1 4K
CASES
fi

if [ -n "$native" ] && [ -n "$second" ]; then
  # started ARGS...: the program in the background, once it has printed its start line and started
  # its workers (on a loaded machine that may take longer than half a second).
  started() {
    new_dir
    (cd "$dir" && exec "$program" "$@" </dev/null >stdout 2>stderr) &
    pid=$!
    for _ in $(seq 1 200); do grep -q '^stress test: ' "$dir/stdout" 2>/dev/null && break; sleep 0.05; done
    for _ in $(seq 1 100); do [ -n "$(workers_of "$pid")" ] && break; sleep 0.1; done
    sleep 0.5
  }
  # ended: the status of the background program, which must end within a minute.
  ended() {
    for _ in $(seq 1 600); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    kill -0 "$pid" 2>/dev/null && { kill -KILL "$pid"; fail "still running a minute after the signal"; }
    wait "$pid"
  }
  # workers_of PID: the worker processes the program started (its children).
  workers_of() {
    awk -v parent="$1" 'FNR == 1 { id = FILENAME; gsub(/[^0-9]/, "", id) } /^PPid:/ && $2 == parent { print id }' \
      /proc/[0-9]*/status 2>/dev/null
  }
  # running PID...: those that still run (a zombie has ended: its parent may be gone).
  running() {
    local p
    for p in "$@"; do [ -r "/proc/$p/stat" ] && [ "$(awk '{ print $3 }' "/proc/$p/stat" 2>/dev/null)" != Z ] && echo "$p"; done
  }

  # A signal while every worker is inside a run that lasts seconds: the runs stop at their next
  # iteration boundary, none is counted, and the summary follows.
  while IFS='|' read -r case signal want name; do
    case=${case%"${case##*[! ]}"} signal=${signal// /} want=${want// /} name=${name// /}
    started --stress --workers 2 "$long_size"
    workers=$(workers_of "$pid")
    kill -"$signal" "$pid"
    ended
    status=$?
    [ "$status" -eq "$want" ] || { fail "exit status $status, expected $want"; continue; }
    [ "$(wc -w <<<"$workers")" -eq 2 ] || { fail "worker processes before the signal: $workers"; continue; }
    left=$(running $workers)
    [ -z "$left" ] || { fail "worker processes left after the test: $left"; continue; }
    [ "$(grep -c '^cpu .* run ' "$dir/stdout")" -eq 0 ] || { fail "runs were finished: $(cat "$dir/stdout")"; continue; }
    checked --cpus "$two" --stopped-by "$name" && untouched && passed=$((passed + 1))
  done <<'CASES'
SIGINT mid-test  | INT  | 130 | SIGINT
SIGTERM mid-test | TERM | 143 | SIGTERM
CASES

  # The workers may reach an iteration boundary, and the program its summary, before the second
  # signal is sent: then the case proves nothing and is tried again.
  case="a second SIGINT exits at once"
  for attempt in 1 2 3 4 5; do
    started --stress --workers 2 "$long_size"
    kill -INT "$pid"
    sleep 0.05
    kill -INT "$pid" 2>/dev/null; sent=$?
    ended
    status=$?
    [ "$sent" -eq 0 ] && break
  done
  if [ "$sent" -ne 0 ]; then
    fail "the first SIGINT ended the program before a second could be sent, $attempt times"
  elif [ "$status" -eq 130 ] && ! grep -q '^stopped by' "$dir/stdout"; then
    untouched && passed=$((passed + 1))
  else
    fail "status $status: $(cat "$dir/stdout")"
  fi

  # On a terminal the progress line comes and goes on standard error (script gives a terminal).
  if command -v script >/dev/null; then
    case="progress line on a terminal"
    new_dir
    (cd "$dir" && script -qefc "'$program' --stress --workers 2 --seconds 3 16K" /dev/null </dev/null >stdout)
    status=$?
    if [ "$status" -eq 0 ] && grep -q $'\r0:0[0-9] elapsed, [0-9]* runs*, 0 errors, 0:0[0-9] left' "$dir/stdout" &&
       tr -d '\r' <"$dir/stdout" | grep -q '^all [0-9]* runs verified on 2 CPUs$'; then
      passed=$((passed + 1))
    else
      fail "status $status: $(cat -A "$dir/stdout" | head -n 5)"
    fi
  fi

  # The worker of --cpus computes in a process of its own, whose thread is the one allowed on that
  # CPU alone, and runs there (field 39 of its stat: the CPU it last ran on); the main process
  # keeps the process's CPUs.
  case="the worker stays on its CPU"
  started --stress --cpus "$second" "$long_size"
  pinned=0 elsewhere=0 pinned_task=
  for task in /proc/"$pid"/task/* $(for w in $(workers_of "$pid"); do echo /proc/"$w"/task/*; done); do
    list=$(awk '/^Cpus_allowed_list:/ { print $2 }' "$task/status")
    if [ "$list" = "$second" ]; then
      pinned=$((pinned + 1)) pinned_task=$task
      [ "$(awk '{ print $39 }' "$task/stat")" = "$second" ] || elsewhere=$((elsewhere + 1))
    fi
  done
  kill -INT "$pid"
  ended
  if [ "$pinned" -eq 1 ] && [ "$elsewhere" -eq 0 ] && [ -n "$pinned_task" ] && [ "${pinned_task#/proc/$pid/}" = "$pinned_task" ]; then
    passed=$((passed + 1))
  else
    fail "$pinned threads pinned to CPU $second (the last $pinned_task), $elsewhere of them found on another CPU"
  fi
fi

if [ -n "$native" ] && [ -n "$second" ]; then
  # The one worker of --cycle, sampled while it runs: at most one thread (of a worker process) is
  # allowed on a single CPU at any time, and that CPU follows the order, first, second, first ...
  case="the cycle's worker moves from CPU to CPU"
  started --stress --cpus "$two" --cycle 1 --seconds 5 16K
  visits=() last_visit=
  for _ in $(seq 1 45); do
    kill -0 "$pid" 2>/dev/null || break  # the test has ended
    single=$(for w in $pid $(workers_of "$pid"); do cat /proc/"$w"/task/*/status; done 2>/dev/null |
      awk '/^Cpus_allowed_list:/ && $2 ~ /^[0-9]+$/ { print $2 }')
    [ -z "$single" ] && { sleep 0.1; continue; }  # between two visits
    [ "$(wc -l <<<"$single")" -eq 1 ] || { visits=(more than one pinned thread); break; }
    [ "$last_visit" = "$single" ] || { visits+=("$single"); last_visit=$single; }
    sleep 0.1
  done
  ended
  want=()
  for i in "${!visits[@]}"; do want+=("$([ $((i % 2)) -eq 0 ] && echo "$first" || echo "$second")"); done
  if [ "${#visits[@]}" -ge 3 ] && [ "${visits[*]}" = "${want[*]}" ]; then
    passed=$((passed + 1))
  else
    fail "the pinned thread was seen on CPUs ${visits[*]}"
  fi

  # A worker process killed from outside (as the kernel's memory killer does) while its run hangs:
  # named as killed, not as a fault of its CPU (status 1); the other worker does all its runs.
  if [ -n "$corrupt" ]; then
    case="a worker killed from outside"
    new_dir
    (cd "$dir" && PI_TEST_FAULT="hang 1 $second 1" exec "$corrupt" --stress --workers 2 --repeat 3 --json runs.json 16K \
      </dev/null >stdout 2>stderr) &
    pid=$!
    victim=
    for _ in $(seq 1 100); do
      for w in $(workers_of "$pid"); do
        grep -q "^Cpus_allowed_list:[[:space:]]*$second\$" /proc/"$w"/task/*/status 2>/dev/null && victim=$w
      done
      [ -n "$victim" ] && break
      sleep 0.05
    done
    sleep 0.3
    [ -n "$victim" ] && kill -KILL "$victim"
    ended
    status=$?
    if [ -z "$victim" ] || [ "$status" -ne 1 ]; then
      fail "worker on CPU $second: '$victim', exit status $status: $(tail -n 3 "$dir/stdout")"
    else
      checked --cpus "$two" --runs 3 --json runs.json \
        --error "$second:1:the worker was killed from outside (SIGKILL): not a fault of this processor" &&
        untouched && passed=$((passed + 1))
    fi
  fi

  # A test killed as a crash kills it: every line of the record file is whole JSON, the start record
  # first, no end record, and every run printed has its record.
  # Its worker processes end with it, within a second.
  case="the records after kill -9, and no worker left"
  started --stress --workers 2 --json runs.json 16K
  for _ in $(seq 1 200); do [ "$(wc -l <"$dir/runs.json")" -ge 8 ] && break; sleep 0.05; done
  workers=$(workers_of "$pid")
  kill -KILL "$pid"
  wait "$pid" 2>/dev/null
  sleep 1
  left=$(running $workers)
  if [ "$(wc -w <<<"$workers")" -ne 2 ]; then
    fail "worker processes before kill -9: $workers"
  elif [ -n "$left" ]; then
    fail "worker processes left a second after kill -9: $left"
  elif python3 - "$dir/runs.json" "$dir/stdout" >"$work/faults" <<'PY'; then
import json, re, sys
records = [json.loads(line) for line in open(sys.argv[1])]
kinds = [r.get("record") for r in records]
assert kinds[0] == "start" and "end" not in kinds and len(kinds) >= 8, kinds
recorded = {(r["cpu"], r["run"]) for r in records if r.get("record") == "run"}
printed = {(int(c), int(r)) for c, r in re.findall(r"^cpu (\d+)  run (\d+) ", open(sys.argv[2]).read(), re.M)}
assert printed and printed <= recorded, (printed - recorded)
PY
    untouched && passed=$((passed + 1))
  else
    fail "$(tail -n 3 "$work/faults")"
  fi

  # Too little memory for some of the workers, their threads or their runs: every error has its
  # line naming its CPU, and the last line counts exactly the lines printed. (Not under
  # ThreadSanitizer, whose shadow memory fits no such limit.)
  if command -v prlimit >/dev/null && [ -z "${TSAN_OPTIONS:-}" ]; then
    for limit in 8192000 20000000 26000000 36000000; do
      case="an address-space limit of $limit bytes"
      new_dir
      (cd "$dir" && prlimit --as="$limit" "$program" --stress --cpus "$two" --repeat 1 1M </dev/null >stdout 2>stderr)
      status=$?
      runs=$(grep -c "^cpu [0-9]*  [re]" "$dir/stdout") errors=$(grep -c "^cpu [0-9]*  .*error: " "$dir/stdout")
      last=$(tail -n 1 "$dir/stdout")
      if [ "$errors" -eq 0 ]; then want="all $runs runs verified on 2 CPUs"; else want="*: $errors of $runs run* failed"; fi
      if [[ "$last" == $want ]] && [ "$status" -eq "$([ "$errors" -eq 0 ] && echo 0 || echo 1)" ] && [ "$runs" -eq 2 ]; then
        untouched && passed=$((passed + 1))
      else
        fail "status $status: $(cat "$dir/stdout")"
      fi
    done
  fi
fi

[ -n "$second" ] || echo "the two-worker cases need two CPUs: only $first may be used"
echo "$(basename "$program") stress: $passed passed, $failed failed"
[ "$failed" -eq 0 ] && [ "$passed" -gt 0 ]
