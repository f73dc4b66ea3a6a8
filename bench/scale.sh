#!/usr/bin/env bash
# Scale benchmark of the index: makes a synthetic genome of the given size
# (bench/make_genome.py: random bases in 10 chromosomes, 3 kb repeats
# planted once per 100 kb, a run of N in each chromosome), indexes it in the
# default mode with k 22, aligns simulated single-end reads (100 bases, 1%
# substitutions) with as many threads as the machine has cores, and prints:
# index build time and peak memory, the file's size, `align`'s own index
# loading time, its alignment time and peak memory, and accuracy
# (check_single: correct within 10 bases). Beside them, when installed,
# `minimap2 -x sr -d` on the same genome with as many threads, and the time
# `gzip -dc` takes to decompress our index.
# The scratch files take about 6.5 times the genome size on disk.
# Usage: bench/scale.sh <bases, e.g. 300e6> [program] [reads]
set -euo pipefail
size=${1:?usage: bench/scale.sh <bases> [program] [reads]}
reads=${3:-200000}
. "$(dirname "$0")/lib.sh" "${2:-}"

say() { printf '%-34s %s\n' "$1" "$2"; }
mib() { awk -v k="$1" 'BEGIN { printf "%.0f MiB", k / 1024 }'; }

python3 "$root/bench/make_genome.py" "$size" "$work/g.fa"
say "genome" "$(awk -v b="$size" 'BEGIN { printf "%.0f Mbp", b / 1e6 }'), $threads cores"

read -r t_idx c_idx m_idx < <(measure /dev/null "$bin" index -I 1 "$work/g.fa" 22 "$work/g.tidx")
say "index -I 1, k 22" "wall $t_idx s, CPU $c_idx s, peak $(mib "$m_idx"), file $(($(stat -c %s "$work/g.tidx") >> 20)) MiB"

# The index reaches the disk before it is timed being read back.
sync "$work/g.tidx"
"$bin" single_reads "$work/g.fa" 100 "$reads" 1 0 2>/dev/null >"$work/reads.fq"
read -r t_aln c_aln m_aln < <(measure "$work/out.sam" "$bin" align "$work/g.tidx" -1 "$work/reads.fq" -p "$threads")
load=$(sed -n 's/^Total index loading time: \(.*\)s\.$/\1/p' "$work/log.txt")
phase=$(sed -n 's/^Total alignment time: //p' "$work/log.txt")
say "align, $reads reads, -p $threads" "wall $t_aln s, CPU $c_aln s, peak $(mib "$m_aln")"
say "  index loading (align's own)" "$load s"
say "  alignment" "$phase s"
(grep '^@' "$work/out.sam" || true; grep -v '^@' "$work/out.sam" | LC_ALL=C sort -t "$(printf '\t')" -k1,1) >"$work/sorted.sam"
rm -f "$work/out.sam"
"$bin" check_single "$work/sorted.sam" 10 "$reads" 20 "$work/cs" 2>/dev/null >"$work/cs.txt"
awk -v n="$reads" '/^Total reads mapped:/ { m = $4 } /^Total reads correct:/ { c = $4 }
  END { printf "%-34s mapped %.2f%%, correct %.2f%%\n", "  accuracy (check_single)", 100 * m / n, 100 * c / n }' "$work/cs.txt"

read -r t_gz _ _ < <(measure /dev/null gzip -dc "$work/g.tidx")
say "gzip -dc of the index" "$t_gz s"
awk -v l="$load" -v g="$t_gz" 'BEGIN { printf "%-34s %.3f (target <= 0.25)\n", "load / gzip -dc", (g > 0 ? l / g : 0) }'
if command -v minimap2 >/dev/null; then
  rm -f "$work/sorted.sam" "$work/reads.fq"
  read -r t_mm c_mm m_mm < <(measure /dev/null minimap2 -x sr -t "$threads" -d "$work/g.mmi" "$work/g.fa")
  rm -f "$work/g.mmi"
  say "minimap2 -x sr -d -t $threads" "wall $t_mm s, CPU $c_mm s, peak $(mib "$m_mm")"
  awk -v a="$t_idx" -v b="$t_mm" 'BEGIN { printf "%-34s %.2f (target <= 1)\n", "index / minimap2 wall", (b > 0 ? a / b : 0) }'
else
  echo "minimap2 not installed: no comparison"
fi
