#!/usr/bin/env bash
# Checks that this build writes the same index as an earlier commit (the
# decompressed bytes, and every message) and that `align -p 1` gives the
# same output and messages (timings aside) on the same reads, whatever
# each index's gzip layout. Builds the earlier commit in a temporary
# worktree. Genomes: lambda and E. coli in all five index modes, a FASTA of
# awkward lines, and a synthetic genome.
# Usage: bench/same_as.sh <commit> [program] [synthetic genome bases]
set -euo pipefail
base=${1:?usage: bench/same_as.sh <commit> [program] [bases]}
bases=${3:-20e6}
. "$(dirname "$0")/lib.sh" "${2:-}"

git -C "$root" worktree add --detach "$work/base" "$base" >/dev/null 2>&1
trap 'git -C "$root" worktree remove --force "$work/base" >/dev/null 2>&1; rm -rf "$work"' EXIT
bash "$work/base/scripts/build.sh" build -DVENKARI_TESTS=OFF >/dev/null
old=$work/base/build/venkari-basic

zcat "$root/data/lambda.fa.gz" >"$work/lambda.fa"
python3 "$root/bench/make_genome.py" "$bases" "$work/synthetic.fa" 7 3
printf '>e1\n>a x\r\nACGTNNNNacgtRYKM\r\n  GATTACA  \n\n>e2\n>b\nNNNNNNNNNNNNNNNNNNNNNNNNNACGTACGTACGTACGTACGTAC\n>c\nAC GT\tTTGACCAGTAGGCATCGATCGGATCAGTCAGGATCCA\n' >"$work/odd.fa"

fails=0
# The two lines whose values vary from run to run.
timing='^Total (index loading|alignment) time: '
differ() {
  echo "DIFFERENT: $*"
  fails=$((fails + 1))
}

# Runs a command word with each program in its own directory, the output
# under the same name; compares the status and both streams.
both() {
  mkdir -p "$work/o" "$work/n"
  local so sn
  (cd "$work/o" && "$old" "$@" >out 2>err) && so=0 || so=$?
  (cd "$work/n" && "$bin" "$@" >out 2>err) && sn=0 || sn=$?
  [ "$so" -eq "$sn" ] || differ "$* (status $so, now $sn)"
  grep -Ev "$timing" "$work/o/err" >"$work/o/err.t" || true
  grep -Ev "$timing" "$work/n/err" >"$work/n/err.t" || true
  cmp -s "$work/o/out" "$work/n/out" || differ "$* (standard output)"
  cmp -s "$work/o/err.t" "$work/n/err.t" || differ "$* (standard error)"
}

index_both() {
  both index "$@" idx.tidx
  cmp -s <(gzip -dc "$work/o/idx.tidx") <(gzip -dc "$work/n/idx.tidx") ||
    differ "index $* (decompressed bytes)"
  gzip -t "$work/n/idx.tidx" || differ "index $* (gzip -t)"
}

for mode in 0 1 2 3 4; do
  for g in lambda ecoli; do
    index_both -I "$mode" "$work/$g.fa" 22
  done
  index_both -I "$mode" "$work/odd.fa" 10
done
index_both -I 1 "$work/ecoli.fa" 12
index_both -I 0 "$work/ecoli.fa" 28
index_both -I 1 "$work/synthetic.fa" 22
index_both -I 3 "$work/synthetic.fa" 20
echo "index: $((5 * 3 + 4)) builds compared"

"$bin" single_reads "$work/ecoli.fa" 100 20000 2 2 >"$work/r.fq" 2>/dev/null
"$bin" pair_reads "$work/ecoli.fa" 100 100 5000 2 300 30 1 "$work/p" 2>/dev/null
"$bin" single_reads "$work/synthetic.fa" 100 20000 1 1 >"$work/s.fq" 2>/dev/null
# Each program loads the index it wrote.
align_both() {
  local genome=$1
  shift
  both index "$genome" 22 idx.tidx
  both align idx.tidx "$@" -p 1
}
align_both "$work/ecoli.fa" -1 "$work/r.fq"
align_both "$work/ecoli.fa" -1 "$work/p_1.fq" -2 "$work/p_2.fq"
align_both "$work/synthetic.fa" -1 "$work/s.fq"
# The old program's index, read by the new program.
(cd "$work/o" && "$old" index "$work/ecoli.fa" 22 idx.tidx 2>/dev/null)
(cd "$work/o" && "$old" align idx.tidx -1 "$work/r.fq" -p 1 >out 2>/dev/null)
"$bin" align "$work/o/idx.tidx" -1 "$work/r.fq" -p 1 >"$work/n/out" 2>/dev/null
cmp -s "$work/o/out" "$work/n/out" || differ "align of the old index"
echo "align: 4 runs compared"
if [ "$fails" -gt 0 ]; then
  echo "$fails differences"
  exit 1
fi
echo "all the same"
