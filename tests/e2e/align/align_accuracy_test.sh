# align on simulated reads of the lambda genome (2% substitutions, 5% random
# reads): valid SAM by samtools, MD and NM as samtools computes them, and at
# least 99% of the mapped reads within 10 bases of their origin.
. "$(dirname "$0")/../lib.sh"

zcat "$DATA/lambda.fa.gz" | sed '1s/ .*//' >ref.fa
run index ref.fa 14 ref.tidx
expect_status 0 "index"
run single_reads ref.fa 100 2000 2 5
expect_status 0 "single_reads"
mv out reads.fq

run align ref.tidx -1 reads.fq -p 3
expect_status 0 "align"
(grep '^@' out; grep -v '^@' out | LC_ALL=C sort -t "$(printf '\t')" -k1,1) >sorted.sam
CHECKS=$((CHECKS + 1))
[ "$(grep -vc '^@' sorted.sam)" -eq 2000 ] || fail "not one record per read"

run check_single sorted.sam 10 2000 20 cs
expect_status 0 "check_single"
mapped=$(sed -n 's/^Total reads mapped: *\([0-9]*\).*/\1/p' out)
correct=$(sed -n 's/^Total reads correct: *\([0-9]*\).*/\1/p' out)
CHECKS=$((CHECKS + 1))
[ -n "$mapped" ] && [ "$mapped" -ge 1800 ] && [ $((correct * 100)) -ge $((mapped * 99)) ] ||
  fail "accuracy: $(cat out)"

if have samtools; then
  CHECKS=$((CHECKS + 1))
  samtools view -b sorted.sam >s.bam 2>sv.err && [ ! -s sv.err ] ||
    fail "samtools view: $(head -3 sv.err)"
  CHECKS=$((CHECKS + 1))
  samtools calmd s.bam ref.fa 2>calmd.err >/dev/null
  grep -q different calmd.err && fail "calmd: $(head -3 calmd.err)"
fi

finish
