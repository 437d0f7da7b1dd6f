#!/usr/bin/env bash
# Installs what is missing, builds the console programs and computes pi.
#   scripts/run-pi.sh [DIGITS] [mevroc|sudel]     (default: 1048576 digits with mevroc)
# The digits are written to pi.txt in the current directory.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
digits=${1:-1048576}
program=${2:-mevroc}
"$root/scripts/install-deps.sh" native
cmake -S "$root" -B "$root/build/native" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$root/build/native" -j"$(nproc)" --target "$program" >/dev/null
echo "$digits" | "$root/build/native/console/$program"
echo
