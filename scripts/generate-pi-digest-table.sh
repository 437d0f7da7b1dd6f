#!/usr/bin/env bash
# Regenerates core/pi/pi_digest_table.cpp, the digests of pi's decimals that every run is verified
# against, from pi to 2^28 decimals computed with GMP (about 5 minutes of one core, a few GB of memory).
#   scripts/generate-pi-digest-table.sh
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build/native
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target pi_digest_table_gen >/dev/null
"$build/tests/pi/pi_digest_table_gen" >"$root/core/pi/pi_digest_table.cpp.new"
mv "$root/core/pi/pi_digest_table.cpp.new" "$root/core/pi/pi_digest_table.cpp"
