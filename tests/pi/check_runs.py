#!/usr/bin/env python3
"""Checks the standard output of a console program's runs and their JSON records.

  check_runs.py STDOUT --digits D [--runs N] [--repeat] [--quiet] [--json FILE|-]
                [--program NAME] [--version-text FILE]

STDOUT holds what the program printed (carriage returns allowed). Without --quiet it must be N
transcripts "bx = D  use memory = M", "-- Xmsec", one "%2d Xmsec" line per iteration, "-- Xmsec",
"Total time : X msec."; with --repeat each followed by "run r of N: X msec, verified" (X the run's
total) and the whole closed by "best B msec, median M msec, worst W msec" from those totals. With
--json each run has one JSON record (read by Python's json), in FILE or, for "-", on the line after
the run; its fields must agree with the run's own lines and with --version. Exit status 1 and one
line per fault when anything differs.
"""
import argparse
import json
import re
import sys

faults = []


def fault(text):
    faults.append(text)


def iterations_of(digits):
    k = 1
    while (1 << k) < digits:
        k += 1
    return k - 1


def parse_transcript(lines, at, digits):
    """The transcript starting at lines[at]; returns (run figures, index after it) or (None, at)."""
    iterations = iterations_of(digits)
    want = [rf"bx = {digits}  use memory = (\d+)", r"-- (\d+)msec"]
    want += [rf"{j:2d} (\d+)msec" for j in range(1, iterations + 1)]
    want += [r"-- (\d+)msec", r"Total time : (\d+) msec\."]
    values = []
    for offset, pattern in enumerate(want):
        line = lines[at + offset] if at + offset < len(lines) else "<end of output>"
        match = re.fullmatch(pattern, line)
        if not match:
            fault(f"line {at + offset + 1}: {line!r} does not match {pattern!r}")
            return None, at
        values.append(int(match.group(1)))
    run = {"memory_bytes": values[0], "phase_ms": values[1:-1], "total_ms": values[-1]}
    return run, at + len(want)


def check_record(record, run, number, args, version):
    expected = {"program": args.program, "run": number, "digits": args.digits,
                "iterations": iterations_of(args.digits), "status": "ok", "exit_status": 0,
                "threads": args.threads}
    if version:
        expected["version"] = version["version"]
        expected["vector_path"] = version["vector_path"]
    if run:
        expected.update({name: run[name] for name in ("memory_bytes", "phase_ms", "total_ms")})
    for name, value in expected.items():
        if record.get(name) != value:
            fault(f"record {number}: {name} is {record.get(name)!r}, the run says {value!r}")
    if run and "verified_line" in run and record.get("verified") != run["verified_line"]:
        fault(f"record {number}: verified is {record.get('verified')!r}, the run line says {run['verified_line']!r}")
    if not isinstance(record.get("verified"), bool):
        fault(f"record {number}: verified is not a boolean")
    phases = record.get("phase_ms", [])
    if len(phases) != iterations_of(args.digits) + 2 or sum(phases) > record.get("total_ms", -1):
        fault(f"record {number}: phase_ms {phases} does not fit total_ms {record.get('total_ms')}")
    distance = record.get("max_rounding_distance")
    if not (isinstance(distance, (int, float)) and 0 <= distance < 0.5):
        fault(f"record {number}: max_rounding_distance {distance!r} is not in [0, 0.5)")
    for name in ("processor", "os"):
        if not isinstance(record.get(name), str) or not record[name]:
            fault(f"record {number}: {name} is {record.get(name)!r}")


def read_version(path):
    text = open(path).read().replace("\r", "")
    match = re.fullmatch(r"(\S+) \(pi-agm\) (\S+)\nbuild: (.+)\nvector path: (\S+)\nknown answers: [0-9a-f]{16}\n",
                         text)
    if not match:
        fault(f"--version printed {text!r}")
        return None
    return {"program": match.group(1), "version": match.group(2), "vector_path": match.group(4)}


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("stdout")
    parser.add_argument("--digits", type=int, required=True)
    parser.add_argument("--runs", type=int, default=1)
    parser.add_argument("--repeat", action="store_true")
    parser.add_argument("--quiet", action="store_true")
    parser.add_argument("--json")
    parser.add_argument("--program", default="")
    parser.add_argument("--version-text")
    parser.add_argument("--threads", type=int, default=1)
    args = parser.parse_args()
    version = read_version(args.version_text) if args.version_text else None

    lines = open(args.stdout).read().replace("\r", "").splitlines()
    runs, records, at = [], [], 0
    for number in range(1, args.runs + 1):
        run = None
        if not args.quiet:
            run, at = parse_transcript(lines, at, args.digits)
            if run is None:
                break
        if args.repeat and not args.quiet:
            line = lines[at] if at < len(lines) else "<end of output>"
            match = re.fullmatch(rf"run {number} of {args.runs}: (\d+) msec, (verified|not verified)", line)
            if not match or int(match.group(1)) != run["total_ms"]:
                fault(f"line {at + 1}: {line!r} is not the run line of run {number} ({run['total_ms']} msec)")
                break
            run["verified_line"] = match.group(2) == "verified"
            at += 1
        if args.json == "-":
            try:
                records.append(json.loads(lines[at]))
            except (IndexError, ValueError) as error:
                fault(f"line {at + 1}: no JSON record of run {number}: {error}")
                break
            at += 1
        runs.append(run)
    if args.repeat and not args.quiet and len(runs) == args.runs:
        totals = sorted(run["total_ms"] for run in runs)
        middle = len(totals) // 2
        median = totals[middle] if len(totals) % 2 else (totals[middle - 1] + totals[middle]) // 2
        want = f"best {totals[0]} msec, median {median} msec, worst {totals[-1]} msec"
        line = lines[at] if at < len(lines) else "<end of output>"
        if line != want:
            fault(f"line {at + 1}: {line!r}, expected {want!r}")
        at += 1
    if not faults and at != len(lines):
        fault(f"unexpected output after line {at}: {lines[at:]!r}")

    if args.json and args.json != "-":
        try:
            records = [json.loads(line) for line in open(args.json).read().splitlines()]
        except ValueError as error:
            fault(f"{args.json}: not JSON Lines: {error}")
    if args.json and not faults:
        if len(records) != args.runs:
            fault(f"{len(records)} JSON records for {args.runs} runs")
        for number, (record, run) in enumerate(zip(records, runs), start=1):
            check_record(record, run, number, args, version)

    for text in faults:
        print(text)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
