# align on a small genome with a repeat: exact reads on both strands, reads
# with mismatches, one deletion and one insertion, an N, a read in two
# places, a random read, a short read and one running across the end of a
# sequence. The expected files were checked field by field by hand.
. "$(dirname "$0")/../lib.sh"

D=$SRC/tests/data/aligner
run index "$D/genome.fa" 14 g.tidx
expect_status 0 "index"
cp "$D/reads.fq" reads.fq

# Default allowances: the reads with an indel keep more than 7 mismatches
# in any ungapped placement, so only the gapped phase places them (25M1D75M
# and 25M2I73M, as the single-indel step does with -r 22 below); with -u
# they stay unmapped.
run align g.tidx -1 reads.fq
expect_status 0 "default"
expect_out_file "$D/expected.sam"

run align g.tidx -1 reads.fq -u
expect_status 0 "-u"
expect_out_file "$D/expected_ungapped.sam"

# A larger mismatch allowance lets the ungapped placement of the indel
# reads set `found`, and the single-indel step then finds 25M1D75M and
# 25M2I73M, with the ungapped placement as the second tier (XA).
run align g.tidx -1 reads.fq -r 22
expect_status 0 "-r 22"
expect_out_file "$D/expected_r22.sam"
cp out r22.sam

run align g.tidx -1 reads.fq -r 22 --all_hits
expect_status 0 "--all_hits"
expect_out_file "$D/expected_all_hits.sam"

run align g.tidx -1 reads.fq -r 22 --novo
expect_status 0 "--novo"
expect_out_file "$D/expected_novo.txt"

# The same reads as FASTA: SEQ as given, QUAL "*".
awk 'NR % 4 == 1 { print ">" substr($0, 2) } NR % 4 == 2' reads.fq >reads.fa
run align g.tidx -1 reads.fa -r 22
expect_status 0 "FASTA"
CHECKS=$((CHECKS + 1))
grep -v '^@' out | cut -f1-9 >fa.cols
grep -v '^@' r22.sam | cut -f1-9 | cmp -s - fa.cols || fail "FASTA reads placed differently"
CHECKS=$((CHECKS + 1))
[ "$(grep -v '^@' out | cut -f11 | sort -u)" = "*" ] || fail "FASTA QUAL is not *"
cp out fa.sam

# Windows line ends: a carriage return never reaches QNAME, SEQ or QUAL;
# the records are those of the same reads with plain line ends. The names
# lose their "/1" so that nothing but the line end follows them.
cp "$D/pairs_1.fq" "$D/pairs_2.fq" .
run align g.tidx -1 pairs_1.fq -2 pairs_2.fq
grep -v '^@' out >pairs.sam
for f in reads.fq reads.fa pairs_1.fq pairs_2.fq; do
  sed 's,/[12]$,,; s/$/\r/' $f >crlf_$f
done
for args in "reads.fq -r 22;r22.sam" "reads.fa -r 22;fa.sam" \
  "pairs_1.fq -2 crlf_pairs_2.fq;pairs.sam"; do
  # shellcheck disable=SC2086
  run align g.tidx -1 crlf_${args%;*}
  expect_status 0 "CRLF $args"
  CHECKS=$((CHECKS + 1))
  grep -v '^@' out | cmp -s - <(grep -v '^@' "${args#*;}") ||
    fail "CRLF $args: $(grep -v '^@' out | head -2 | cat -A | head -c 300)"
done

if have samtools; then
  cp "$D/genome.fa" genome.fa
  CHECKS=$((CHECKS + 1))
  samtools view -b r22.sam >r22.bam 2>sv.err && [ ! -s sv.err ] ||
    fail "samtools view: $(head -3 sv.err)"
  # The N of read with_n is packed as a random base, which MD follows.
  CHECKS=$((CHECKS + 1))
  grep -v with_n r22.sam | samtools calmd - genome.fa 2>calmd.err >/dev/null
  grep -q different calmd.err && fail "calmd: $(head -3 calmd.err)"
fi

# Look-ahead values near the int limit only make the k-mer walk go further:
# every read is placed as with the defaults (the coverage tags may grow).
grep -v '^@' "$D/expected.sam" | cut -f1-4,6 >default.cols
for opt in "--kmer_pen 306783379" "--kmer_pen 400000000" \
  "--kmer_pen_nw 400000000" "--look_ahead 2147483641"; do
  # shellcheck disable=SC2086
  run align g.tidx -1 reads.fq $opt
  expect_status 0 "$opt"
  CHECKS=$((CHECKS + 1))
  grep -v '^@' out | cut -f1-4,6 | cmp -s - default.cols ||
    fail "$opt: $(grep -v '^@' out | cut -f1-4,6 | diff - default.cols | head -5)"
done

finish
