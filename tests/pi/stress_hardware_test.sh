#!/usr/bin/env bash
# The stress test hears the hardware's own reports: end-to-end tests of a console program on
# machines described here. PI_AGM_HARDWARE_ROOT stands for / (proc/interrupts, sys/class/hwmon,
# sys/devices/system/edac, the cpufreq and thermal_throttle directories of the CPUs),
# PI_AGM_CPU_SYSFS for the CPUs' topology and caches. The test raises the counts, removes a source
# or writes garbage while the program runs, once the second CPU has finished a run.
#
#   stress_hardware_test.sh PROGRAM
#
# Linux only. Prints one line per failure and a count.
set -u
program=$(realpath "$1")
passed=0 failed=0
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL [$case]: $*"; failed=$((failed + 1)); }

read -r -a allowed < <(python3 -c 'import os; print(*sorted(os.sched_getaffinity(0)))')
first=${allowed[0]} second=${allowed[1]:-}
if [ -z "$second" ]; then
  echo "the hardware cases need two CPUs: only $first may be used"
  exit 0
fi
two=$first,$second

# /proc/interrupts with a column for every CPU up to the second: "interrupts THR_OF_SECOND".
interrupts() {
  local cpu row
  {
    for cpu in $(seq 0 "$second"); do printf '       CPU%d' "$cpu"; done
    echo
    for row in "MCE:0:Machine check exceptions" "THR:$1:Threshold APIC interrupts" "DFR:0:Deferred Error APIC interrupts" \
      "TRM:0:Thermal event interrupts" "MCP:7:Machine check polls"; do
      IFS=: read -r name count text <<<"$row"
      printf '%s:' "$name"
      for cpu in $(seq 0 "$second"); do printf ' %10d' "$([ "$cpu" = "$second" ] && echo "$count" || echo 0)"; done
      echo "   $text"
    done
  } >"$root/proc/interrupts.new" && mv "$root/proc/interrupts.new" "$root/proc/interrupts"
}

# A fresh machine: the interrupts, and both CPUs on package 0, cores 0 and 9, each with an L3 of its
# own (two CCDs; the one cache described).
new_machine() {
  dir=$work/$((passed + failed))
  root=$dir/root
  mkdir -p "$root/proc"
  interrupts 0
  local cpu core
  for cpu in "$first" "$second"; do
    core=$([ "$cpu" = "$first" ] && echo 0 || echo 9)
    mkdir -p "$root/sys/devices/system/cpu/cpu$cpu/topology" "$root/sys/devices/system/cpu/cpu$cpu/cache/index0"
    echo "$core" >"$root/sys/devices/system/cpu/cpu$cpu/topology/core_id"
    echo 0 >"$root/sys/devices/system/cpu/cpu$cpu/topology/physical_package_id"
    (cd "$root/sys/devices/system/cpu/cpu$cpu/cache/index0" && echo 3 >level && echo Unified >type &&
      echo 32768K >size && echo "$cpu" >shared_cpu_list)
  done
}

# A hwmon chip: "sensor hwmonN CHIP LABEL=MILLIDEGREES ...".
sensor() {
  local d=$root/sys/class/hwmon/$1 n=1 pair
  mkdir -p "$d"
  echo "$2" >"$d/name"
  shift 2
  for pair in "$@"; do
    echo "${pair%%=*}" >"$d/temp${n}_label"
    echo "${pair#*=}" >"$d/temp${n}_input"
    n=$((n + 1))
  done
}

# Runs the program on both CPUs (for 3 seconds unless the options say otherwise) with records in
# runs.json and the options given (a word); once the second CPU has a run's record, runs the command
# given (the change to the machine) and waits for the program's end.
run_changing() {
  local options
  read -r -a options <<<"$1"
  [[ "$1" == *--seconds* ]] || options+=(--seconds 3)
  shift
  (cd "$dir" && PI_AGM_HARDWARE_ROOT=$root PI_AGM_CPU_SYSFS=$root/sys/devices/system/cpu \
    "$program" --stress --cpus "$two" --json runs.json "${options[@]}" 64K </dev/null >stdout 2>stderr) &
  local pid=$! waited=0
  until grep -q "\"cpu\": $second, \"record\": \"run\"" "$dir/runs.json" 2>/dev/null || [ $waited -ge 200 ]; do
    sleep 0.05
    waited=$((waited + 1))
  done
  "$@"
  wait $pid
  status=$?
}

# check.py EXIT_STATUS WANT...: the output and the records against what the case expects (below).
checked() {
  python3 - "$dir" "$first" "$second" "$status" "$@" <<'PY' >"$work/faults" || { fail "$(head -n 5 "$work/faults")"; return 1; }
import json, re, sys
directory, first, second, status, want_status, *wants = sys.argv[1:]
first, second = int(first), int(second)
lines = open(directory + "/stdout").read().splitlines()
records = [json.loads(line) for line in open(directory + "/runs.json")]
start, end = records[0], records[-1]
runs = [r for r in records if r.get("record") == "run"]
cpu_end = {c["cpu"]: c for c in end["cpus"]}
faults = []
if status != want_status:
    faults.append(f"exit status {status}, expected {want_status}: {lines[-3:]}")
if open(directory + "/stderr").read():
    faults.append("standard error: " + open(directory + "/stderr").read())
if end.get("exit_status") != int(status) or end.get("last_line") != lines[-1]:
    faults.append(f"end record {end.get('exit_status')} {end.get('last_line')!r}, the last line {lines[-1]!r}")
if sum(1 for line in lines if line.startswith("hardware reports: ") and "could no longer" not in line) != 1:
    faults.append("not one line of the sources")
for want in wants:
    kind, _, value = want.partition("=")
    if kind == "line":  # a line that starts so, exactly once
        if sum(1 for line in lines if line.startswith(value)) != 1:
            faults.append(f"not one line {value!r}: {lines}")
    elif kind == "sources":
        if not any(line.startswith("hardware reports: ") and value in line for line in lines):
            faults.append(f"no sources line with {value!r}")
    elif kind == "thr-run":  # the second CPU's THR rise of 2, in one run's line and record, its last
        match = [re.match(rf"cpu {second}: the hardware reported 2 corrected errors \(THR\) during run (\d+) "
                          rf"\(reported by CPU {second};", line) for line in lines]
        numbers = [int(m.group(1)) for m in match if m]
        mine = [r for r in runs if r["cpu"] == second]
        if len(numbers) != 1:
            faults.append(f"hardware lines of runs {numbers}")
        elif mine[-1]["run"] != numbers[0] or mine[-1]["machine_checks"] != {"MCE": 0, "THR": 2, "DFR": 0} or \
                mine[-1]["hardware_errors"] != 2 or mine[-1]["exit_status"] != 4 or mine[-1]["status"] != "ok":
            faults.append(f"the second CPU's last record {mine[-1]}, its line names run {numbers[0]}")
        if sum(r["hardware_errors"] for r in runs) != 2 or cpu_end[second]["hardware_errors"] != 2 or \
                cpu_end[first]["hardware_errors"] != 0 or end["hardware_errors"] != 2:
            faults.append(f"the end record {end}")
        if lines[-1] != f"all {len(runs)} runs verified on 2 CPUs, but the hardware reported errors: CPU {second}":
            faults.append(f"the last line {lines[-1]!r}")
    elif kind == "after":  # after the second CPU's hardware line, no run of it and of the first at
        # most N runs, or some
        error = next(i for i, line in enumerate(lines) if line.startswith(f"cpu {second}: the hardware reported"))
        later = [line.split()[1] for line in lines[error + 1:] if re.match(r"cpu \d+  run ", line)]
        if str(second) in later or (value == "some" and not later) or (value != "some" and len(later) > int(value)):
            faults.append(f"runs of CPUs {later} after the error, expected {value} of cpu {first}")
    elif kind == "memory":
        # The line when it is heard, and again under the table.
        line = "memory controller mc0 (DIMM_A1): 3 corrected errors during the test"
        if end["memory_errors"] != [{"controller": "mc0", "dimm": "DIMM_A1", "corrected": 3, "uncorrected": 0}] or \
                end["hardware_errors"] != 3 or not lines[-1].endswith("but the hardware reported errors: memory controller mc0"):
            faults.append(f"the end record {end}")
        if lines.count(line) != 2 or lines.index(line) > lines.index(next(l for l in lines if l.startswith(" cpu  core"))):
            faults.append(f"not the line {line!r} when heard and under the table: {lines}")
    elif kind == "temperature":  # CPU:SENSOR:DEGREES over the test
        cpu, sensor, degrees = value.split(":")
        got = cpu_end[int(cpu)]
        if got["temperature_sensor"] != sensor or got["largest_temperature_c"] != float(degrees):
            faults.append(f"cpu {cpu}: {got['temperature_sensor']} {got['largest_temperature_c']}, not {sensor} {degrees}")
    elif kind == "end":  # CPU:NAME:JSON, a member of a CPU's figures over the test
        cpu, name, value = value.split(":", 2)
        if cpu_end[int(cpu)].get(name) != json.loads(value):
            faults.append(f"cpu {cpu}: {name} is {cpu_end[int(cpu)].get(name)!r}, not {value}")
    elif kind == "failures":
        if len(end["hardware_source_failures"]) != int(value):
            faults.append(f"source failures {end['hardware_source_failures']}")
for fault in faults:
    print(fault)
sys.exit(1 if faults else 0)
PY
}

# name | options | machine | change while it runs | exit status | checks (kind=value; ...)
while IFS='|' read -r case options machine change want checks; do
  case=${case%"${case##*[! ]}"}
  new_machine
  eval "$machine"
  run_changing "$options" eval "$change"
  IFS=';' read -r -a wanted <<<"$checks"
  checked $want "${wanted[@]}" && passed=$((passed + 1))
done <<CASES
a THR rise on the second CPU |  | : | interrupts 2 | 4 | sources=machine checks (MCE THR DFR);thr-run
--stop-on-error stops every CPU | --stop-on-error | : | interrupts 2 | 4 | sources=machine checks (MCE THR DFR);thr-run;after=1
--cycle skips the CPU | --cycle 1 --seconds 5 | : | interrupts 2 | 4 | sources=machine checks (MCE THR DFR);end=$second:hardware_errors:2;after=some
an EDAC rise |  | mkdir -p \$root/sys/devices/system/edac/mc/mc0/dimm0 && (cd \$root/sys/devices/system/edac/mc/mc0 && echo 0 >ce_count && echo 0 >ue_count && echo DIMM_A1 >dimm0/dimm_label && echo 0 >dimm0/dimm_ce_count && echo 0 >dimm0/dimm_ue_count) | (cd \$root/sys/devices/system/edac/mc/mc0 && echo 3 >ce_count && echo 3 >dimm0/dimm_ce_count) | 4 | sources=EDAC (mc0);memory
k10temp sensors of the CCDs |  | sensor hwmon0 k10temp Tctl=70000 Tccd1=61500 Tccd2=66250 | : | 0 | sources=temperatures (k10temp);temperature=$first:Tccd1:61.5;temperature=$second:Tccd2:66.25
coretemp sensors of a core and a package |  | sensor hwmon0 nct6775 SYSTIN=30000 && sensor hwmon1 coretemp Package\ id\ 0=80000 Core\ 0=71000 Core\ 1=72000 | : | 0 | sources=temperatures (coretemp);temperature=$first:core 0:71;temperature=$second:package 0:80
clocks and throttle counts |  | for c in $first $second; do mkdir -p \$root/sys/devices/system/cpu/cpu\$c/cpufreq \$root/sys/devices/system/cpu/cpu\$c/thermal_throttle && echo 3500000 >\$root/sys/devices/system/cpu/cpu\$c/cpufreq/scaling_cur_freq && echo 0 >\$root/sys/devices/system/cpu/cpu\$c/thermal_throttle/core_throttle_count && echo 0 >\$root/sys/devices/system/cpu/cpu\$c/thermal_throttle/package_throttle_count; done | echo 5 >\$root/sys/devices/system/cpu/cpu$second/thermal_throttle/core_throttle_count | 0 | sources=clocks (cpufreq);sources=throttle counts;end=$second:throttles:{"TRM":0,"core":5,"package":0};end=$first:clock_mhz:{"lowest":3500,"median":3500,"highest":3500}
a source removed in the middle |  | sensor hwmon0 k10temp Tctl=70000 | rm -r \$root/sys/class/hwmon/hwmon0 | 0 | line=hardware reports: temperatures (k10temp) could no longer be read;failures=1
a file of garbage in the middle |  | : | echo garbage >\$root/proc/interrupts | 0 | line=hardware reports: machine checks (MCE THR DFR) and thermal events (TRM) could no longer be read;failures=1
a file of garbage at the start |  | mkdir -p \$root/sys/devices/system/edac/mc/mc0 && printf '\\x01zz\\n' >\$root/sys/devices/system/edac/mc/mc0/ce_count && echo 0 >\$root/sys/devices/system/edac/mc/mc0/ue_count | : | 0 | sources=EDAC (unreadable:;failures=0
CASES

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
