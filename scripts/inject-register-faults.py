#!/usr/bin/env python3
"""Transient faults in one stress worker's registers, as a faulty core makes them: how a test ends.

  scripts/inject-register-faults.py PROGRAM [TRIALS] [--bits B] [--flips F] [--size DIGITS] [--cpu C]

Each trial runs PROGRAM --stress --workers 2 --repeat 3 SIZE (default 1M) in a fresh directory and,
while it runs, flips F times (default 20, some 50 ms apart) one random bit among bits 0 .. B-1
(default 64) of a random XMM register of the thread that computes on CPU C (default 1), through
ptrace (Linux, x86-64; needs the right to trace: root, or ptrace_scope 0). That thread is found by
its affinity: the one allowed on CPU C alone, in the program or in one of its worker processes.
Prints one line per trial and the counts of each ending:
  named      the test ended with CPU C named as failed, and no other CPU
  wrong cpu  another CPU was named (a fault blamed on a healthy CPU)
  test died  the whole test ended by a signal (no summary, no CPU named)
  unseen     every run verified (the flips hit nothing that mattered)
  other      anything else (the last line is shown)
Not part of the test suite: a person runs it to compare builds.
"""
import argparse
import ctypes
import os
import random
import re
import subprocess
import sys
import tempfile
import time

PTRACE_GETFPREGS, PTRACE_SETFPREGS, PTRACE_ATTACH, PTRACE_DETACH = 14, 15, 16, 17
XMM_OFFSET = 160  # of xmm_space in struct user_fpregs_struct (512 bytes)
libc = ctypes.CDLL(None, use_errno=True)
libc.ptrace.argtypes = [ctypes.c_long, ctypes.c_long, ctypes.c_void_p, ctypes.c_void_p]
libc.ptrace.restype = ctypes.c_long


def threads_of(pid):
    """The tasks of pid and of its children."""
    pids = [pid]
    for entry in os.listdir("/proc"):
        try:
            if entry.isdigit() and re.search(rf"^PPid:\s*{pid}$", open(f"/proc/{entry}/status").read(), re.M):
                pids.append(int(entry))
        except OSError:
            pass
    for p in pids:
        try:
            yield from (int(t) for t in os.listdir(f"/proc/{p}/task"))
        except OSError:
            pass


def pinned_thread(pid, cpu):
    for tid in threads_of(pid):
        try:
            if re.search(rf"^Cpus_allowed_list:\s*{cpu}$", open(f"/proc/{tid}/status").read(), re.M):
                return tid
        except OSError:
            pass
    return None


def flip(tid, bits):
    """One random bit of one random XMM register of the stopped thread; False when it is gone."""
    if libc.ptrace(PTRACE_ATTACH, tid, None, None) != 0:
        return False
    try:
        os.waitpid(tid, 0x40000000)  # __WALL: a thread of another process
    except ChildProcessError:
        return False
    registers = ctypes.create_string_buffer(512)
    if libc.ptrace(PTRACE_GETFPREGS, tid, None, registers) == 0:
        bit = random.randrange(bits)
        byte = XMM_OFFSET + 16 * random.randrange(16) + bit // 8
        registers[byte] = bytes([registers.raw[byte] ^ (1 << (bit % 8))])
        libc.ptrace(PTRACE_SETFPREGS, tid, None, registers)
    libc.ptrace(PTRACE_DETACH, tid, None, None)
    return True


def trial(program, args):
    with tempfile.TemporaryDirectory() as work:
        test = subprocess.Popen([program, "--stress", "--workers", "2", "--repeat", "3", args.size], cwd=work,
                                stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        tid = None
        for _ in range(200):
            tid = pinned_thread(test.pid, args.cpu)
            if tid:
                break
            time.sleep(0.01)
        flips = 0
        for _ in range(args.flips):
            time.sleep(random.uniform(0.02, 0.08))
            tid = pinned_thread(test.pid, args.cpu) or tid
            flips += bool(tid and flip(tid, args.bits))
        out, _ = test.communicate(timeout=600)
    last = out.strip().splitlines()[-1] if out.strip() else ""
    failed = re.match(r"errors on CPUs? ([\d, ]+):", last)
    if test.returncode < 0 or test.returncode >= 128:
        ending = "test died"
    elif failed:
        ending = "named" if failed.group(1).split(", ") == [str(args.cpu)] else "wrong cpu"
    elif last.startswith("all "):
        ending = "unseen"
    else:
        ending = "other"
    return ending, test.returncode, flips, last


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("program")
    parser.add_argument("trials", type=int, nargs="?", default=25)
    parser.add_argument("--bits", type=int, default=64)
    parser.add_argument("--flips", type=int, default=20)
    parser.add_argument("--size", default="1M")
    parser.add_argument("--cpu", type=int, default=1)
    args = parser.parse_args()
    counts = {}
    for number in range(1, args.trials + 1):
        ending, status, flips, last = trial(os.path.realpath(args.program), args)
        counts[ending] = counts.get(ending, 0) + 1
        print(f"trial {number}: {ending}, status {status}, {flips} flips: {last}", flush=True)
    print(", ".join(f"{k} {v}" for k, v in sorted(counts.items())))


if __name__ == "__main__":
    sys.exit(main())
