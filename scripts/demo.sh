#!/usr/bin/env bash
# Builds the program and runs the main job on the bundled small genome.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/setup.sh
TARGET=venkari-basic bash scripts/build.sh build

bin=$root/build/venkari-basic
out=$root/demo
mkdir -p "$out"
gzip -dc "$root/../shared/data/lambda.fa.gz" >"$out/lambda.fa"
echo "Genome: $out/lambda.fa" >&2
"$bin" 2>&1 | head -n 2
