#!/usr/bin/env bash
# Builds and runs every test twice: in the Release build and in a build under
# AddressSanitizer and UndefinedBehaviorSanitizer. samtools reads the SAM
# output in the end-to-end tests; bwa is the other aligner whose SAM the
# checkers are tested on; python3 reruns the generators of the designed
# align test data. A test whose tool is missing is reported as skipped.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/setup.sh samtools bwa python3

jobs=$(nproc)
echo "== Release build" >&2
bash scripts/build.sh build
(cd build && ctest --output-on-failure -j "$jobs")

echo "== AddressSanitizer + UndefinedBehaviorSanitizer build" >&2
bash scripts/build.sh build-asan -DCMAKE_BUILD_TYPE=Debug -DVENKARI_SANITIZE=ON
(cd build-asan && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --output-on-failure -j "$jobs")
