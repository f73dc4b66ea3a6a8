# align with read pairs: hand-designed pairs on the small genome with a
# repeat (proper pairs on both strands, a mate rescued next to its partner,
# a repeat mate placed by its partner, an unmapped pair, mates on two
# sequences, on one strand, too far apart, and a pair with one mate
# mapped); the expected file was checked field by field by hand. Then
# simulated pairs of the lambda genome: valid SAM, MD and NM as samtools
# computes them, properly paired counts, accuracy, repeatable single-thread
# output and whole pairs from several threads.
. "$(dirname "$0")/../lib.sh"

D=$SRC/tests/data/aligner
run index "$D/genome.fa" 14 g.tidx
expect_status 0 "index"
# Local copies: the @PG line holds the read file names as given.
cp "$D/pairs_1.fq" "$D/pairs_2.fq" .

run align g.tidx -1 pairs_1.fq -2 pairs_2.fq
expect_status 0 "pairs"
expect_out_file "$D/expected_pairs.sam"
expect_err_line "Number of NW and SW   8"
cp out pairs.sam

# Without the local rescue of an unmapped mate the scan between mates
# places it, typed W.
run align g.tidx -1 pairs_1.fq -2 pairs_2.fq -s
expect_status 0 "-s"
CHECKS=$((CHECKS + 1))
[ "$(awk -F'\t' '$1 == "rescued" && $2 == 147 { print $4, $6, $20 }' out)" = "2201 100M XT:A:W" ] ||
  fail "-s: $(grep rescued out | cut -f1-6,20)"

# Gap allowances far beyond any window (up to 100 openings of 10,000
# bases) give the rescue the gapped phase's capped reach: the run stays
# small, and every pair is written, with the rescued mate placed as before.
for opt in "-e 10000 -o 100" "-o 10000" "-e 10000 -o 100000"; do
  # shellcheck disable=SC2086
  run_peak align g.tidx -1 pairs_1.fq -2 pairs_2.fq $opt
  expect_status 0 "$opt"
  expect_peak_below 2000000 "$opt"
  CHECKS=$((CHECKS + 1))
  [ "$(grep -vc '^@' out)" = "$(grep -vc '^@' pairs.sam)" ] ||
    fail "$opt: $(grep -vc '^@' out) records"
  CHECKS=$((CHECKS + 1))
  [ "$(awk -F'\t' '$1 == "rescued" && $2 == 147 { print $4, $6 }' out)" = "2201 100M" ] ||
    fail "$opt: $(grep rescued out | cut -f1-6)"
done

# One hit allowed: no XA tag anywhere; the records are otherwise the same.
run align g.tidx -1 pairs_1.fq -2 pairs_2.fq -n 1
expect_status 0 "-n 1"
CHECKS=$((CHECKS + 1))
grep -q 'XA:Z:' out && fail "-n 1 wrote XA"
CHECKS=$((CHECKS + 1))
grep -v '^@PG' out | sed 's/\tXA:Z:[^\t]*//' >n1
grep -v '^@PG' pairs.sam | sed 's/\tXA:Z:[^\t]*//' | cmp -s - n1 || fail "-n 1 changed the records"

# The Novoalign-style format is for single reads: pairs stay SAM, header
# included, the same as without the option but for the command line.
run align g.tidx -1 pairs_1.fq -2 pairs_2.fq --novo
expect_status 0 "--novo"
CHECKS=$((CHECKS + 1))
grep -v '^@PG' out | cmp -s - <(grep -v '^@PG' pairs.sam) ||
  fail "--novo pairs: $(diff <(grep -v '^@PG' pairs.sam) <(grep -v '^@PG' out) | head -5)"

# Hybrid mode: the unmapped pair goes to the two side files, in input
# orientation, and has no record.
run align g.tidx -1 pairs_1.fq -2 pairs_2.fq -y side
expect_status 0 "-y"
CHECKS=$((CHECKS + 1))
grep -q '^unmapped' out && fail "-y wrote the unmapped pair"
CHECKS=$((CHECKS + 1))
grep -A3 '^@unmapped/1' pairs_1.fq | cmp -s - side_1.fq || fail "side_1.fq: $(head -2 side_1.fq)"
CHECKS=$((CHECKS + 1))
grep -A3 '^@unmapped/2' pairs_2.fq | cmp -s - side_2.fq || fail "side_2.fq: $(head -2 side_2.fq)"

# Simulated pairs of lambda: 2% substitutions, 5% random pairs.
zcat "$DATA/lambda.fa.gz" | sed '1s/ .*//' >ref.fa
run index ref.fa 14 ref.tidx
expect_status 0 "index lambda"
run pair_reads ref.fa 100 100 2000 2 300 30 5 sim
expect_status 0 "pair_reads"

run align ref.tidx -1 sim_1.fq -2 sim_2.fq
expect_status 0 "align lambda pairs"
cp out p1.sam
run align ref.tidx -1 sim_1.fq -2 sim_2.fq
expect_file_eq p1.sam out
CHECKS=$((CHECKS + 1))
[ "$(grep -vc '^@' p1.sam)" -eq 4000 ] || fail "not two records per pair"

(grep '^@' p1.sam; grep -v '^@' p1.sam | LC_ALL=C sort -s -t "$(printf '\t')" -k1,1) >sorted.sam
run check_pair sorted.sam 10 2000 20 0 cp
expect_status 0 "check_pair"
mapped=$(sed -n 's/^Total reads mapped: *\([0-9]*\).*/\1/p' out)
correct=$(sed -n 's/^Total reads correct: *\([0-9]*\).*/\1/p' out)
CHECKS=$((CHECKS + 1))
[ -n "$mapped" ] && [ "$mapped" -ge 1850 ] && [ $((correct * 100)) -ge $((mapped * 99)) ] ||
  fail "accuracy: $(cat out)"

# Several threads: every pair once, its two records next to each other.
run align ref.tidx -1 sim_1.fq -2 sim_2.fq -p 4
expect_status 0 "-p 4"
CHECKS=$((CHECKS + 1))
grep -v '^@' out | awk -F'\t' 'NR % 2 == 1 { n = $1; next } $1 != n { bad = 1 } END { exit bad }' ||
  fail "-p 4 split a pair"
CHECKS=$((CHECKS + 1))
[ "$(grep -v '^@' out | cut -f1 | sort | uniq -c | awk '$1 != 2' | wc -l)" -eq 0 ] ||
  fail "-p 4 record counts per pair"
CHECKS=$((CHECKS + 1))
grep -v '^@' out | LC_ALL=C sort -s -t "$(printf '\t')" -k1,1 | cut -f1-9 >p4.cols
grep -v '^@' sorted.sam | cut -f1-9 >p1.cols
[ "$(diff p1.cols p4.cols | grep -c '^<')" -lt 20 ] ||
  fail "-p 4 placed many pairs differently from -p 1"

# Templates of 500 +- 50 bases: many lie above the maximum of 550, so both
# mates are found but do not pair, and the scan between them finds each
# mate again at its own place. That must leave unique mates unique: no
# record with an empty or repeating XA list (a copy of its own place), and
# nearly every read with MAPQ >= 20 (lambda has no repeats at this scale).
run pair_reads ref.fa 100 100 1000 1 500 50 0 far
expect_status 0 "pair_reads 500"
run align ref.tidx -1 far_1.fq -2 far_2.fq
expect_status 0 "align 500"
CHECKS=$((CHECKS + 1))
bad=$(grep -v '^@' out | awk -F'\t' '
  { xa = ""; has = 0
    for (i = 12; i <= NF; i++)
      if ($i ~ /^XA:Z:/) { xa = substr($i, 6); has = 1 }
    if (!has) next
    if (xa == "") { print $1; next }
    n = split(xa, e, ";"); delete seen
    for (j = 1; j < n; j++) { if (e[j] in seen) { print $1; next }; seen[e[j]] = 1 }
  }' | wc -l)
[ "$bad" -eq 0 ] || fail "500 +- 50: $bad records with an empty or repeating XA list"
CHECKS=$((CHECKS + 1))
q20=$(grep -v '^@' out | awk -F'\t' '$5 >= 20' | wc -l)
[ "$q20" -ge 1960 ] || fail "500 +- 50: only $q20 of 2000 records with MAPQ >= 20"

# The largest pairing prior accepted: every sum the pairing forms with it
# stays in range (the sanitizer build reports any that does not).
run align ref.tidx -1 far_1.fq -2 far_2.fq -d 100000
expect_status 0 "-d 100000"
CHECKS=$((CHECKS + 1))
[ "$(grep -vc '^@' out)" -eq 2000 ] && ! grep -q 'runtime error' err ||
  fail "-d 100000: $(grep -m1 'runtime error' err)"

if have samtools; then
  cp "$D/genome.fa" genome.fa
  CHECKS=$((CHECKS + 1))
  samtools view -b pairs.sam >pairs.bam 2>sv.err && [ ! -s sv.err ] ||
    fail "samtools view (hand pairs): $(head -3 sv.err)"
  CHECKS=$((CHECKS + 1))
  samtools calmd pairs.bam genome.fa 2>calmd.err >/dev/null
  grep -q different calmd.err && fail "calmd (hand pairs): $(head -3 calmd.err)"
  CHECKS=$((CHECKS + 1))
  samtools view -b p1.sam >p1.bam 2>sv.err && [ ! -s sv.err ] ||
    fail "samtools view: $(head -3 sv.err)"
  CHECKS=$((CHECKS + 1))
  samtools calmd p1.bam ref.fa 2>calmd.err >/dev/null
  grep -q different calmd.err && fail "calmd: $(head -3 calmd.err)"
  # Every mapped mate of a real pair is properly paired here (templates
  # of 300 +- 30 bases); the random pairs stay unmapped.
  samtools flagstat p1.bam >flagstat.txt
  proper=$(sed -n 's/^\([0-9]*\) + 0 properly paired.*/\1/p' flagstat.txt)
  mapped_mates=$(sed -n 's/^\([0-9]*\) + 0 mapped (.*/\1/p' flagstat.txt)
  CHECKS=$((CHECKS + 1))
  [ -n "$proper" ] && [ "$proper" -ge 3700 ] && [ $((proper * 100)) -ge $((mapped_mates * 98)) ] ||
    fail "flagstat: $(cat flagstat.txt)"
fi

finish
