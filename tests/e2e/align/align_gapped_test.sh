# align with gaps: reads holding one 3- to 10-base insertion or deletion in
# the middle get the alignment written down by hand in gapped_truth.txt
# (FLAG, RNAME, POS, CIGAR, NM, MD) under the default options; -u leaves
# them unmapped and runs no screening. Reads from gap_reads on lambda give
# valid SAM with MD and NM as samtools computes them, and at least 99% of
# the mapped reads lie within 10 bases of their origin.
. "$(dirname "$0")/../lib.sh"

D=$SRC/tests/data/aligner
run index "$D/genome.fa" 14 g.tidx
expect_status 0 "index"

# Name, FLAG, RNAME, POS, CIGAR, NM and MD of each record, in read order.
fields() {
  grep -v '^@' "$1" | awk -F'\t' '{
    nm = ""; md = ""
    for (i = 12; i <= NF; i++) {
      if ($i ~ /^NM:i:/) nm = substr($i, 6)
      if ($i ~ /^MD:Z:/) md = substr($i, 6)
    }
    print $1 "\t" $2 "\t" $3 "\t" $4 "\t" $6 "\t" nm "\t" md }'
}

# The number the run prints for its screening and rescue kernel calls.
kernel_runs() { sed -n 's/^Number of NW and SW *//p' err; }

run align g.tidx -1 "$D/gapped_reads.fq"
expect_status 0 "default"
fields out >got.txt
expect_file_eq "$D/gapped_truth.txt" got.txt
CHECKS=$((CHECKS + 1))
[ "$(kernel_runs)" -gt 0 ] 2>/dev/null || fail "no screening counted: $(kernel_runs)"

run align g.tidx -1 "$D/gapped_reads.fq" -u
expect_status 0 "-u"
CHECKS=$((CHECKS + 1))
[ "$(grep -v '^@' out | cut -f2 | sort -u)" = "4" ] || fail "-u mapped a gapped read"
CHECKS=$((CHECKS + 1))
[ "$(kernel_runs)" = "0" ] || fail "-u screened: $(kernel_runs)"

# Reads found without gaps never reach the screening.
head -12 "$D/reads.fq" >exact.fq
run align g.tidx -1 exact.fq
expect_status 0 "exact reads"
CHECKS=$((CHECKS + 1))
[ "$(kernel_runs)" = "0" ] || fail "ungapped reads screened: $(kernel_runs)"

zcat "$DATA/lambda.fa.gz" | sed '1s/ .*//' >lambda.fa
run index lambda.fa 14 lambda.tidx
expect_status 0 "lambda index"

# Two insertions, 8 bases after the read's 12th and 3 after its 52nd: a read
# from base 3 begins before the genome as its k-mers see it (every one of
# them implies a start of -5 or -8), yet aligns at 3 as the read from 5003
# does at 5003, on both strands.
lam=$(grep -v '^>' lambda.fa | tr -d '\n')
qual=$(printf 'I%.0s' $(seq 100))
two_ins() { echo "${lam:$1-1:12}TTTTGGGG${lam:$1+11:40}CCA${lam:$1+51:37}"; }
revcomp() {
  echo "$1" | awk '{ for (i = length($0); i > 0; i--) printf "%s", substr($0, i, 1); print "" }' |
    tr ACGT TGCA
}
for pos in 3 5003; do
  r=$(two_ins $pos)
  printf '@f%s\n%s\n+\n%s\n@r%s\n%s\n+\n%s\n' $pos "$r" "$qual" \
    $pos "$(revcomp "$r")" "$qual"
done >start.fq
run align lambda.tidx -1 start.fq -p 1
expect_status 0 "insertions at the genome start"
grep -v '^@' out | cut -f1,2,4,6 >got.txt
printf '%s\t%s\t%s\t12M8I40M3I37M\n' f3 0 3 r3 16 3 f5003 0 5003 r5003 16 5003 >want.txt
expect_file_eq want.txt got.txt

for gap in 6 -4; do
  run gap_reads lambda.fa 100 1000 1 1 "$gap"
  expect_status 0 "gap_reads $gap"
  mv out gap.fq
  run align lambda.tidx -1 gap.fq -p 2
  expect_status 0 "align gap $gap"
  (grep '^@' out; grep -v '^@' out | LC_ALL=C sort -t "$(printf '\t')" -k1,1) >sorted.sam
  run check_single sorted.sam 10 1000 20 cs
  expect_status 0 "check_single gap $gap"
  mapped=$(sed -n 's/^Total reads mapped: *\([0-9]*\).*/\1/p' out)
  correct=$(sed -n 's/^Total reads correct: *\([0-9]*\).*/\1/p' out)
  CHECKS=$((CHECKS + 1))
  [ -n "$mapped" ] && [ "$mapped" -ge 950 ] && [ $((correct * 100)) -ge $((mapped * 99)) ] ||
    fail "accuracy with gap $gap: $(cat out)"
  if have samtools; then
    CHECKS=$((CHECKS + 1))
    samtools view -b sorted.sam >s.bam 2>sv.err && [ ! -s sv.err ] ||
      fail "samtools view: $(head -3 sv.err)"
    CHECKS=$((CHECKS + 1))
    samtools calmd s.bam lambda.fa 2>calmd.err >/dev/null
    grep -q different calmd.err && fail "calmd with gap $gap: $(head -3 calmd.err)"
  fi
done

finish
