#!/usr/bin/env bash
# Builds and runs every test twice: in the Release build and in a build under
# AddressSanitizer and UndefinedBehaviorSanitizer; then runs the end-to-end
# tests of the threaded commands (`align`, `index`) under ThreadSanitizer. samtools reads the SAM
# output in the end-to-end tests; bwa is the other aligner whose SAM the
# checkers are tested on; python3 reruns the generators of the designed
# align test data; strace shows how a temporary output file is made. A test
# whose tool is missing is reported as skipped.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/setup.sh samtools bwa python3 strace

jobs=$(nproc)
echo "== Release build" >&2
bash scripts/build.sh build
(cd build && ctest --output-on-failure -j "$jobs")

echo "== AddressSanitizer + UndefinedBehaviorSanitizer build" >&2
bash scripts/build.sh build-asan -DCMAKE_BUILD_TYPE=Debug -DVENKARI_SANITIZE=ON
(cd build-asan && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --output-on-failure -j "$jobs")

# Any report fails the run, whether or not the test looked at the status.
# Thread-leak reports are off: a fatal error in a worker ends the process
# while other workers still run, as it must.
echo "== ThreadSanitizer build: align and index end-to-end tests" >&2
TARGET="venkari-basic venkari-basic-faults" bash scripts/build.sh build-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVENKARI_TSAN=ON
reports=$root/build-tsan/tsan-reports
rm -rf "$reports" && mkdir -p "$reports"
(cd build-tsan && TSAN_OPTIONS="report_thread_leaks=0 log_path=$reports/report" \
  ctest --output-on-failure -j "$jobs" -R '^e2e[.](align|index)_')
if compgen -G "$reports/report*" >/dev/null; then
  cat "$reports"/report* >&2
  echo "ThreadSanitizer reported the races above" >&2
  exit 1
fi
