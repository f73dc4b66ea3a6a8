#!/usr/bin/env bash
# Aligns 500,000 simulated 100-base single-end reads (2% substitutions) to
# E. coli 536 with as many threads as the machine has cores, and reports
# wall time, CPU time, peak memory and accuracy (check_single: mapped,
# correct within 10 bases, MAPQ >= 20). The same reads go through
# `bwa mem` and `minimap2 -ax sr` with the same thread count when they are
# installed (secondary and supplementary records removed with samtools
# before scoring), and the CPU-time ratios are printed. A one-thread run
# gives the speed-up of the threads.
# A second set of 500,000 reads follows, with the error model of wgsim's
# defaults (1% sequencing substitutions, 0.1% mutations of which 15% are
# small indels; bench/sim_reads.awk), aligned by this program and, when
# installed, minimap2 -ax sr, with their CPU-time ratio.
# Usage: bench/align.sh [program]   (default: build/venkari-basic)
. "$(dirname "$0")/lib.sh" "$@"
reads=500000

# Scores a SAM file with check_single; prints "<mapped> <correct>
# <mapq20 mapped> <mapq20 correct>".
score() {
  local sam=$1
  (grep '^@' "$sam" || true; grep -v '^@' "$sam" | LC_ALL=C sort -t "$(printf '\t')" -k1,1) >"$work/sorted.sam"
  "$bin" check_single "$work/sorted.sam" 10 "$reads" 20 "$work/cs" 2>/dev/null >"$work/cs.txt"
  awk '
    /^Total reads mapped:/ { m = $4 } /^Total reads correct:/ { c = $4 }
    /^Total mapq>=20 mapped:/ { qm = $4 } /^Total mapq>=20 correct:/ { qc = $4 }
    END { print m, c, qm, qc }' "$work/cs.txt"
}

# One result line: name, wall, CPU, peak memory, accuracy.
report() {
  awk -v name="$1" -v w="$2" -v c="$3" -v k="$4" -v m="$5" -v ok="$6" -v qm="$7" -v qc="$8" -v n="$reads" 'BEGIN {
    printf "%-26s wall %7.2f s  CPU %7.2f s  peak %7.1f MiB  mapped %6.2f%%  correct %6.2f%%  MAPQ>=20: %6.2f%% of reads, error %.4f%%\n",
      name, w, c, k / 1024, 100 * m / n, 100 * ok / n, 100 * qm / n, (qm > 0 ? 100 * (qm - qc) / qm : 0) }'
}

echo "E. coli 536, $reads reads of 100 bases, 2% substitutions, $threads threads"
"$bin" index -I 1 "$work/ecoli.fa" 22 "$work/ecoli.tidx" 2>/dev/null
"$bin" single_reads "$work/ecoli.fa" 100 "$reads" 2 0 2>/dev/null >"$work/reads.fq"

# "Total alignment time" of the last run: the threaded phase alone.
align_phase() { sed -n 's/^Total alignment time: //p' "$work/log.txt"; }
read -r w1 c1 k1 < <(measure "$work/one.sam" "$bin" align "$work/ecoli.tidx" -1 "$work/reads.fq" -p 1)
a1=$(align_phase)
read -r wv cv kv < <(measure "$work/v.sam" "$bin" align "$work/ecoli.tidx" -1 "$work/reads.fq" -p "$threads")
av=$(align_phase)
read -r m c qm qc < <(score "$work/v.sam")
report "venkari-basic align" "$wv" "$cv" "$kv" "$m" "$c" "$qm" "$qc"
awk -v a="$w1" -v b="$wv" -v x="$a1" -v y="$av" -v t="$threads" 'BEGIN {
  printf "speed-up with %d threads (target %.2f): whole run %.2f (wall %.2f s with one thread), alignment phase %.2f (%.2f s -> %.2f s)\n",
    t, 0.75 * t, (b > 0 ? a / b : 0), a, (y > 0 ? x / y : 0), x, y }'

# minimap2 -ax sr on a read file, scored like our own output; prints its
# result line and leaves its CPU seconds in $cm.
minimap2_line() {
  read -r wm cm km < <(measure "$work/mm.sam" minimap2 -ax sr -t "$threads" "$work/ecoli.fa" "$1")
  samtools view -h -F 0x900 "$work/mm.sam" >"$work/mm.f.sam"
  read -r m c qm qc < <(score "$work/mm.f.sam")
  report "minimap2 -ax sr" "$wm" "$cm" "$km" "$m" "$c" "$qm" "$qc"
}

# The wgsim-style read set: our aligner, then minimap2 beside it.
wgsim_style() {
  echo
  echo "E. coli 536, $reads reads of 100 bases, wgsim-style errors (1% substitutions, 0.1% mutations, 15% of them indels), $threads threads"
  awk -v len=100 -v n="$reads" -f "$root/bench/sim_reads.awk" "$work/ecoli.fa" >"$work/reads.fq"
  read -r wv cv kv < <(measure "$work/v.sam" "$bin" align "$work/ecoli.tidx" -1 "$work/reads.fq" -p "$threads")
  read -r m c qm qc < <(score "$work/v.sam")
  report "venkari-basic align" "$wv" "$cv" "$kv" "$m" "$c" "$qm" "$qc"
  if ! command -v samtools >/dev/null || ! command -v minimap2 >/dev/null; then
    echo "minimap2 or samtools not installed: no comparison"
    return
  fi
  minimap2_line "$work/reads.fq"
  awk -v a="$cv" -v b="$cm" 'BEGIN { printf "CPU ratio venkari-basic / minimap2 on wgsim-style reads: %.2f (target <= 0.5)\n", (b > 0 ? a / b : 0) }'
}

if ! command -v samtools >/dev/null; then
  echo "samtools not installed: no comparison with other aligners"
  wgsim_style
  exit 0
fi
if command -v minimap2 >/dev/null; then
  minimap2_line "$work/reads.fq"
  awk -v a="$cv" -v b="$cm" 'BEGIN { printf "CPU ratio venkari-basic / minimap2: %.2f (target <= 1)\n", (b > 0 ? a / b : 0) }'
else
  echo "minimap2 not installed: no comparison"
fi
if command -v bwa >/dev/null; then
  bwa index "$work/ecoli.fa" 2>/dev/null
  read -r wb cb kb < <(measure "$work/bwa.sam" bwa mem -t "$threads" "$work/ecoli.fa" "$work/reads.fq")
  samtools view -h -F 0x900 "$work/bwa.sam" >"$work/bwa.f.sam"
  read -r m c qm qc < <(score "$work/bwa.f.sam")
  report "bwa mem" "$wb" "$cb" "$kb" "$m" "$c" "$qm" "$qc"
  awk -v a="$cv" -v b="$cb" 'BEGIN { printf "CPU ratio venkari-basic / bwa mem: %.2f (target <= 0.5)\n", (b > 0 ? a / b : 0) }'
else
  echo "bwa not installed: no comparison"
fi
wgsim_style
