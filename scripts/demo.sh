#!/usr/bin/env bash
# Builds the program and runs the main job on the bundled lambda genome:
# index it, make a mutated copy with a record of every change, simulate
# reads from the copy, align them to the original and score the alignments.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/setup.sh
TARGET=venkari-basic bash scripts/build.sh build

bin=$root/build/venkari-basic
out=$root/demo
mkdir -p "$out"
cd "$out"
gzip -dc "$root/data/lambda.fa.gz" >lambda.fa
reads=10000
step() { echo "== $*" >&2; }

step "index the genome (k 14, mode 1)"
"$bin" index -I 1 lambda.fa 14 lambda.tidx 2>index.log
step "mutate the genome: 0.1% substitutions, 0.01% indels"
"$bin" random_genome lambda.fa 0.1 0.01 1 mutated 2>random_genome.log
step "simulate $reads single-end 100-base reads from it, 2% mismatches, 1% random"
"$bin" single_reads mutated.fa 100 "$reads" 2 1 >reads.fq 2>single_reads.log
step "align them with $(nproc) threads"
"$bin" align lambda.tidx -1 reads.fq -p "$(nproc)" >aligned.sam 2>align.log
tail -n 4 align.log >&2
step "score the alignments (wiggle 5 bp, MAPQ >= 20)"
awk '!/^@/' aligned.sam | sort -k1,1 -s >aligned.sorted.sam
"$bin" check_single mutated.fa.map aligned.sorted.sam 5 "$reads" 20 check 2>check.log
echo "Outputs are in $out" >&2
