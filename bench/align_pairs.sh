#!/usr/bin/env bash
# Aligns 250,000 simulated read pairs (100 + 100 bases, templates of
# 300 +- 30 bases, 2% substitutions, 1% random pairs) to E. coli 536 with
# as many threads as the machine has cores, and reports wall time, CPU
# time, peak memory and accuracy (check_pair: pairs mapped, both mates
# within 10 bases of their origin, MAPQ >= 20) next to `bwa mem` in paired
# mode with the same thread count when it is installed (its secondary and
# supplementary records removed with samtools before scoring).
# Usage: bench/align_pairs.sh [program]   (default: build/venkari-basic)
. "$(dirname "$0")/lib.sh" "$@"
pairs=250000

# Scores a SAM file with check_pair; prints "<mapped> <correct>
# <mapq20 mapped> <mapq20 correct>".
score() {
  local sam=$1
  (grep '^@' "$sam" || true; grep -v '^@' "$sam" | LC_ALL=C sort -s -t "$(printf '\t')" -k1,1) >"$work/sorted.sam"
  "$bin" check_pair "$work/sorted.sam" 10 "$pairs" 20 0 "$work/cp" 2>/dev/null >"$work/cp.txt"
  awk '
    /^Total reads mapped:/ { m = $4 } /^Total reads correct:/ { c = $4 }
    /^Total mapq>=20 mapped:/ { qm = $4 } /^Total mapq>=20 correct:/ { qc = $4 }
    END { print m, c, qm, qc }' "$work/cp.txt"
}

# One result line: name, wall, CPU, peak memory, accuracy.
report() {
  awk -v name="$1" -v w="$2" -v c="$3" -v k="$4" -v m="$5" -v ok="$6" -v qm="$7" -v qc="$8" -v n="$pairs" 'BEGIN {
    printf "%-26s wall %7.2f s  CPU %7.2f s  peak %7.1f MiB  pairs mapped %6.2f%%  correct %6.2f%% (%.2f%% of mapped)  MAPQ>=20: %6.2f%% of pairs, error %.4f%%\n",
      name, w, c, k / 1024, 100 * m / n, 100 * ok / n, (m > 0 ? 100 * ok / m : 0), 100 * qm / n, (qm > 0 ? 100 * (qm - qc) / qm : 0) }'
}

echo "E. coli 536, $pairs pairs of 100 + 100 bases, templates 300 +- 30, 2% substitutions, $threads threads"
"$bin" index -I 1 "$work/ecoli.fa" 22 "$work/ecoli.tidx" 2>/dev/null
"$bin" pair_reads "$work/ecoli.fa" 100 100 "$pairs" 2 300 30 1 "$work/reads" 2>/dev/null

read -r wv cv kv < <(measure "$work/v.sam" "$bin" align "$work/ecoli.tidx" -1 "$work/reads_1.fq" -2 "$work/reads_2.fq" -p "$threads")
read -r m c qm qc < <(score "$work/v.sam")
report "venkari-basic align" "$wv" "$cv" "$kv" "$m" "$c" "$qm" "$qc"
if command -v samtools >/dev/null; then
  samtools flagstat "$work/v.sam" | grep -E 'properly paired|singletons|different chr \(' | sed 's/^/  /'
fi

if ! command -v bwa >/dev/null || ! command -v samtools >/dev/null; then
  echo "bwa or samtools not installed: no comparison"
  exit 0
fi
bwa index "$work/ecoli.fa" 2>/dev/null
read -r wb cb kb < <(measure "$work/bwa.sam" bwa mem -t "$threads" "$work/ecoli.fa" "$work/reads_1.fq" "$work/reads_2.fq")
samtools view -h -F 0x900 "$work/bwa.sam" >"$work/bwa.f.sam"
read -r m c qm qc < <(score "$work/bwa.f.sam")
report "bwa mem (paired)" "$wb" "$cb" "$kb" "$m" "$c" "$qm" "$qc"
awk -v a="$cv" -v b="$cb" 'BEGIN { printf "CPU ratio venkari-basic / bwa mem: %.2f\n", (b > 0 ? a / b : 0) }'
