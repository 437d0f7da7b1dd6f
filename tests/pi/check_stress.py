#!/usr/bin/env python3
"""Checks what a stress test (--stress) printed, and its JSON records.

  check_stress.py STDOUT --cpus 0,1 [--threads N] [--runs N] [--quiet] [--error CPU:RUN:TEXT]
                  [--stop-on-error] [--stopped-by NAME] [--json FILE] [--sizes D,D..] [--paths P,P..]
                  [--cycle]

Without --quiet STDOUT must hold the start line, the lines of the size classes, the line of the
hardware report sources ("hardware reports: ..."), one line per
finished run ("cpu C  run R  D digits  PATH  T msec  verified", or "... error: TEXT"), optionally
"stopped by NAME", the summary table (one row per CPU of --cpus, in that order), one line per CPU
that failed ("cpu C: E errors, at D digits on PATH") and the last line; with --quiet only the error
lines and the last line. --sizes, --paths: the runs of each CPU take these in turn (--cycle: the runs
of the one worker, in the order printed; else one size: --sizes D, else any).
The runs of each CPU are numbered 1, 2, ... in order; the table's runs, errors and best, median and
worst times must be those of the lines. --runs N: every CPU without an error did exactly N runs.
--error: exactly that error, on that CPU and run (TEXT starts the message), and no other; its CPU did
no run after it. A worker process that crashed, hung or was killed has the record of its run's
status "crashed", "hung" or "killed". With --quiet, --runs gives the number of runs in the last line. --stop-on-error:
after the error line no other CPU finished more than one run.
--threads N: each worker is N consecutive CPUs of --cpus, named in the lines as a list ("0-1",
"0,2"): CPU in the lines above stands for such a list, and a record's "cpu" is its first CPU and
"cpus" the list.
--json: one record per run line, with its cpu, worker, run, total_ms and status. Exit status 1 and
one line per fault when anything differs.
"""
import argparse
import json
import re
import sys

faults = []
RUN = re.compile(r"cpu ([\d,-]+)  run (\d+)  (\d+) digits  (\w+)  (\d+) msec  (verified|error: (.*))")
CLASS = re.compile(r"(l2|l3|ram|blend): .*")
ROW = re.compile(r"\s*([\d,-]+)\s+(\S+)\s+(\S+)\s+(\d+)\s+(\d+)\s+(\S+)\s+(\S+)\s+(\S+)(?:\s+.*)?")


def median(times):
    times = sorted(times)
    middle = len(times) // 2
    return times[middle] if len(times) % 2 else (times[middle - 1] + times[middle]) // 2


def cpu_list_text(cpus):
    """The CPUs as the programs name a set: runs of consecutive numbers as ranges, "0-3,6"."""
    parts, i = [], 0
    while i < len(cpus):
        end = i + 1
        while end < len(cpus) and cpus[end] == cpus[end - 1] + 1:
            end += 1
        parts.append(str(cpus[i]) + (f"-{cpus[end - 1]}" if end - i > 1 else ""))
        i = end
    return ",".join(parts)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("stdout")
    parser.add_argument("--cpus", required=True)
    parser.add_argument("--threads", type=int, default=1)
    parser.add_argument("--runs", type=int)
    parser.add_argument("--quiet", action="store_true")
    parser.add_argument("--error")
    parser.add_argument("--stop-on-error", action="store_true")
    parser.add_argument("--stopped-by")
    parser.add_argument("--json")
    parser.add_argument("--sizes")
    parser.add_argument("--paths")
    parser.add_argument("--cycle", action="store_true")
    args = parser.parse_args()
    every_cpu = [int(c) for c in args.cpus.split(",")]
    sets = [every_cpu[i:i + args.threads] for i in range(0, len(every_cpu) - args.threads + 1, args.threads)]
    cpus = [cpu_list_text(s) for s in sets]  # the workers, as their lines name them
    lines = open(args.stdout).read().replace("\r", "").splitlines()

    if not args.quiet:
        if not lines or not lines[0].startswith("stress test: "):
            faults.append(f"no start line: {lines[:1]!r}")
        elif args.runs is not None and not args.cycle and f", {args.runs} run{'s' if args.runs != 1 else ''} each" not in lines[0]:
            faults.append(f"the start line does not say {args.runs} runs each: {lines[0]!r}")
        lines = lines[1:]
        while lines and CLASS.fullmatch(lines[0]):
            lines = lines[1:]
        if not lines or not lines[0].startswith("hardware reports: "):
            faults.append(f"no line of the hardware report sources: {lines[:1]!r}")
        lines = lines[1:]
    runs = []  # (cpu, run, msec, error text or None) in the order printed
    made = []  # (digits, path) of each
    at = 0
    while at < len(lines) and RUN.fullmatch(lines[at]):
        cpu, run, digits, path, msec, _, error = RUN.fullmatch(lines[at]).groups()
        runs.append((cpu, int(run), int(msec), error))
        made.append((int(digits), path))
        at += 1
    for given, index in ((args.sizes, 0), (args.paths, 1)):
        if not given:
            continue
        turns = [int(v) if index == 0 else v for v in given.split(",")]
        series = [[m[index] for m in made]] if args.cycle else \
            [[m[index] for r, m in zip(runs, made) if r[0] == cpu] for cpu in cpus]
        for values in series:
            if values != [turns[i % len(turns)] for i in range(len(values))]:
                faults.append(f"runs made with {values}, not {turns} in turn")
    if args.quiet and any(error is None for *_, error in runs):
        faults.append("a verified run was printed with --quiet")
    if args.stopped_by and not args.quiet:
        if at >= len(lines) or lines[at] != f"stopped by {args.stopped_by}":
            faults.append(f"line {at + 2}: {lines[at:at + 1]!r} is not 'stopped by {args.stopped_by}'")
        at += 1

    for cpu in cpus:
        numbers = [run for c, run, *_ in runs if c == cpu]
        if numbers != list(range(1, len(numbers) + 1)):
            faults.append(f"cpu {cpu}: runs numbered {numbers}")
    if set(c for c, *_ in runs) - set(cpus):
        faults.append(f"runs on CPUs other than {cpus}: {sorted(set(c for c, *_ in runs))}")

    errors = [(c, run, error) for c, run, _, error in runs if error is not None]
    if args.cycle and runs:
        # One CPU at a time, in the order of --cpus, round after round; a CPU that failed is not
        # visited again (when one CPU is left, its visits run together).
        failed = set()
        visits = [runs[0][0]]
        for (cpu, _, _, error), (later, *_) in zip(runs, runs[1:]):
            if error is not None:
                failed.add(cpu)
            if later != cpu or cpu in failed:
                visits.append(later)
        if visits[0] != cpus[0]:
            faults.append(f"the cycle started on cpu {visits[0]}, not {cpus[0]}")
        failed = set()
        for visit, after in zip(visits, visits[1:]):
            failed |= {c for c, *_ in errors if c == visit}
            healthy = [c for c in cpus[cpus.index(visit) + 1:] + cpus[:cpus.index(visit) + 1] if c not in failed]
            if not healthy or after != healthy[0]:
                faults.append(f"the cycle went from cpu {visit} to cpu {after}: visits {visits}")
                break
    if args.error:
        cpu, run, text = args.error.split(":", 2)
        if len(errors) != 1 or errors[0][:2] != (cpu, int(run)) or not errors[0][2].startswith(text):
            faults.append(f"errors {errors}, expected cpu {cpu} run {run}: {text}")
        elif max(run for c, run, *_ in runs if c == cpu) != int(run):
            faults.append(f"cpu {cpu} went on after its error")
        if args.stop_on_error:
            first = next(i for i, r in enumerate(runs) if r[3] is not None)
            later = [r for r in runs[first + 1:] if r[0] != cpu]
            if any(sum(1 for r in later if r[0] == c) > 1 for c in cpus):
                faults.append(f"other CPUs went on after the error: {later}")
    elif errors:
        faults.append(f"unexpected errors: {errors}")
    if args.runs is not None and not args.quiet:
        failed = {c for c, *_ in errors}
        for cpu in cpus:
            count = sum(1 for c, *_ in runs if c == cpu)
            if cpu not in failed and count != args.runs:
                faults.append(f"cpu {cpu}: {count} runs, expected {args.runs}")

    if not args.quiet:
        header = lines[at].split() if at < len(lines) else []
        if header[:11] != ["cpu", "core", "package", "runs", "errors", "best", "ms", "median", "ms", "worst", "ms"]:
            faults.append(f"line {at + 2}: {lines[at:at + 1]!r} is not the table's header")
        at += 1
        for cpu in cpus:
            match = ROW.fullmatch(lines[at]) if at < len(lines) else None
            at += 1
            if not match:
                faults.append(f"no table row for cpu {cpu}: {lines[at - 1:at]!r}")
                continue
            mine = [r for r in runs if r[0] == cpu]
            good = [msec for _, _, msec, error in mine if error is None]
            want = [cpu, match[2], match[3], str(len(mine)), str(sum(1 for r in mine if r[3])),
                    str(min(good)) if good else "-", str(median(good)) if good else "-",
                    str(max(good)) if good else "-"]
            if list(match.groups()) != want:
                faults.append(f"table row {list(match.groups())}, the lines say {want}")
        # Where each failed CPU failed.
        for cpu in cpus:
            mine = [m for r, m in zip(runs, made) if r[0] == cpu and r[3] is not None]
            if not mine:
                continue
            sizes = " and ".join(dict.fromkeys(str(d) for d, _ in mine))
            paths = " and ".join(dict.fromkeys(p for _, p in mine))
            want = f"cpu {cpu}: {len(mine)} error{'s' if len(mine) > 1 else ''}, at {sizes} digits on {paths}"
            if at >= len(lines) or lines[at] != want:
                faults.append(f"line {at + 2}: {lines[at:at + 1]!r}, expected {want!r}")
            at += 1

    total = len(runs)
    if args.quiet and args.runs is not None:  # the verified runs were not printed
        error_run = {c: run for c, run, _ in errors}
        total = sum(error_run.get(cpu, args.runs) for cpu in cpus)
    failed_cpus = sorted({c for c, *_ in errors}, key=lambda c: cpus.index(c) if c in cpus else len(cpus))
    tested = len(sets) * args.threads
    on = f"{tested} CPU" + ("s" if tested != 1 else "")
    if errors:
        listed = ", ".join(failed_cpus)
        one = len(failed_cpus) == 1 and failed_cpus[0].isdigit()
        want = (f"errors on CPU{'' if one else 's'} {listed}: {len(errors)} of {total} "
                f"run{'s' if total != 1 else ''} failed")
    elif total == 0:
        want = f"no run finished on {on}"
    else:
        want = f"all {total} run{'s' if total != 1 else ''} verified on {on}"
    if lines[at:] != [want]:
        faults.append(f"after line {at + 1}: {lines[at:]!r}, expected the last line {want!r}")

    if args.json:
        try:
            records = [json.loads(line) for line in open(args.json).read().splitlines()]
        except ValueError as error:
            records = []
            faults.append(f"{args.json}: not JSON Lines: {error}")
        # A start record, the runs' records, an end record with the exit status.
        if not records or records[0].get("record") != "start" or records[0].get("cpus") != sum(sets, []) or \
                records[0].get("threads") != args.threads:
            faults.append(f"{args.json}: no start record naming the CPUs {sets}: {records[:1]!r}")
        if not records or records[-1].get("record") != "end" or records[-1].get("last_line") != lines[-1]:
            faults.append(f"{args.json}: no end record with the last line: {records[-1:]!r}")
        elif not args.quiet:
            counts = [{"cpu": s[0], "cpus": c, "runs": sum(1 for r in runs if r[0] == c),
                       "errors": sum(1 for r in errors if r[0] == c)} for s, c in zip(sets, cpus)]
            if [{k: r.get(k) for k in ("cpu", "cpus", "runs", "errors")} for r in records[-1].get("cpus", [])] != counts:
                faults.append(f"{args.json}: the end record's CPUs {records[-1].get('cpus')!r}, the lines say {counts}")
        records = [r for r in records if r.get("record") == "run"]
        if len(records) != total:
            faults.append(f"{len(records)} JSON records for {total} runs")
        # Each worker's watcher writes its records as they come, so two CPUs' records may come in either order.
        by_run = {(r.get("cpus"), r.get("run")): r for r in records}
        for (cpu, run, msec, error), (digits, path) in zip(runs, made):
            record = by_run.get((cpu, run), {})
            want = {"cpu": int(re.match(r"\d+", cpu)[0]), "cpus": cpu, "worker": 0 if args.cycle else cpus.index(cpu) if cpu in cpus else None, "run": run, "total_ms": msec,
                    "digits": digits, "vector_path": path,
                    "exit_status": 0 if error is None else record.get("exit_status")}
            if error is None:
                want.update(status="ok", verified=True)
            elif error.startswith("not reproducible"):
                # The final quotient and the rounding distance are compared after the digits verified.
                match = re.match(r"not reproducible: (.+?) differs? from the known answer", error)
                phase = match.group(1) if match else "the largest rounding distance"
                want.update(status="not_reproducible", exit_status=3, differing_phase=phase,
                            verified="(the checked digits are right)" in error)
            elif error.startswith("the worker "):
                # A worker process that did not end its run: the main process recorded its death.
                status, exit_status = next(v for k, v in {"crashed": ("crashed", 3), "hung": ("hung", 3),
                                                          "": ("killed", 1)}.items()
                                           if error.startswith("the worker " + k))
                want.update(status=status, exit_status=exit_status, worker_failure=error, phase_ms=[])
            for name, value in want.items():
                if record.get(name) != value:
                    faults.append(f"record of cpu {cpu} run {run}: {name} is {record.get(name)!r}, not {value!r}")

    for text in faults:
        print(text)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
