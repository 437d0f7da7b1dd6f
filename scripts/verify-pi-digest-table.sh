#!/usr/bin/env bash
# The long check of the verification table, run by hand: every block digest and every size's tail
# digest in core/pi/pi_digest_table.cpp against pi from MPFR to 2^28 digits (CTest checks only the
# prefix up to 2^20). Takes about half an hour and a few GB of memory.
#   scripts/verify-pi-digest-table.sh [LARGEST_EXPONENT]     (default 28)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build/native
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target test_pi_digest_table >/dev/null
PI_DIGEST_CHECK_LOG2=${1:-28} "$build/tests/pi/test_pi_digest_table"
