#!/usr/bin/env bash
# The stress test's workers and the threaded computations under ThreadSanitizer: builds mevroc, its
# fault build, the drivers' event test and the thread-count test with -fsanitize=thread in build/tsan,
# then runs the stress tests of tests/pi/stress_test.sh on them (two workers, faults in one worker,
# signals, pinning), the runs on two threads of test_driver_events (both drivers) and one computation
# on 1, 2, 3 and 5 threads up to 2^17 digits (test_thread_counts). Any report of a race fails (status 66).
#   scripts/tsan-stress.sh        (also run by scripts/test-all.sh)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build/tsan
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DPI_SANITIZE=thread >/dev/null
cmake --build "$build" -j"$(nproc)" --target mevroc mevroc_corrupt test_driver_events test_thread_counts >/dev/null

# The instrumented transforms run some fifty times slower: runs of 2^18 digits last seconds. A
# second Ctrl-C ends the process at once, its watchers unjoined on purpose: no thread leak reports.
# A worker that crashes on purpose dies of its signal, as it does without the sanitizer, instead of
# the sanitizer's report and exit status.
export TSAN_OPTIONS="halt_on_error=1 exitcode=66 report_thread_leaks=0 handle_segv=0 ${TSAN_OPTIONS:-}"
export PI_STRESS_LONG_SIZE=256K
status=0
bash "$root/tests/pi/stress_test.sh" "$build/console/mevroc" "$build/tests/pi/mevroc_corrupt" || status=1
"$build/tests/pi/test_driver_events" --gtest_brief=1 || status=1
PI_THREAD_TEST_DIGITS=131072 "$build/tests/pi/test_thread_counts" --gtest_brief=1 || status=1
exit $status
