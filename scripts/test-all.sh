#!/usr/bin/env bash
# Installs what is missing, builds the native (Linux) and the Windows (MinGW-w64) targets and runs
# every test: natively, then under Wine (the windowed programs in an Xvfb display), then the stress
# test's workers under ThreadSanitizer (scripts/tsan-stress.sh).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc)
"$root/scripts/install-deps.sh" all

native=$root/build/native windows=$root/build/windows
cmake -S "$root" -B "$native" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$native" -j"$jobs"
cmake -S "$root" -B "$windows" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" -DPI_NATIVE_BUILD_DIR="$native" >/dev/null
cmake --build "$windows" -j"$jobs"

status=0
echo "== native tests"
(cd "$native" && ctest --output-on-failure -j"$jobs") || status=1
echo "== Windows tests under Wine"
(cd "$windows" && ctest --output-on-failure) || status=1
echo "== stress test under ThreadSanitizer"
"$root/scripts/tsan-stress.sh" || status=1
exit $status
