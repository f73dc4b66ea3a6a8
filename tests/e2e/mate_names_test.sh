# Two mate files out of step: a pair whose names, as the reader cuts them,
# differ stops align and every tool that reads two mate files with one line
# naming the pair and both names, and status 1. Pairs of the simulators,
# and names that differ only after a blank, a tab or a '/', pair as before.
. "$(dirname "$0")/lib.sh"

D=$SRC/tests/data/aligner
run index "$D/genome.fa" 14 g.tidx
expect_status 0 "index"
run pair_reads "$D/genome.fa" 100 100 1000 1 300 30 0 pr
expect_status 0 "pair_reads"
run single_reads "$D/genome.fa" 100 1000 1 0
expect_status 0 "single_reads"
mv out u.fq

# Record 11 of the mate file is lost and one record is added at its end, so
# both files still hold 1000 records.
awk 'NR>=41&&NR<=44{next} {print} END{s="ACGTACGTAC"; q="IIIIIIIIII"; print "@extra/2"; print s s s s s; print "+"; print q q q q q}' pr_2.fq >skew_2.fq
# Pair 600 lost instead: several batches of four threads come before it.
awk 'NR>=2397&&NR<=2400{next} {print} END{print "@extra/2"; print "ACGT"; print "+"; print "IIII"}' pr_2.fq >late_2.fq
# cut_name FILE LINE: the name the reader makes of header line LINE.
cut_name() { sed -n "$2p" "$1" | cut -c2- | sed 's|[ \t/\r].*||'; }
apart() { # PAIR FILE1 LINE1 FILE2 LINE2
  echo "ERROR: mates of pair $1 have different names: \"$(cut_name "$2" "$3")\" in $2, \"$(cut_name "$4" "$5")\" in $4"
}
SKEW=$(apart 11 pr_1.fq 41 skew_2.fq 41)
records() { grep -v '^@' out; }
# said_once LINE WHAT: LINE is the only error line, and the run did not end
# as a success.
said_once() {
  expect_err_line "$1"
  CHECKS=$((CHECKS + 1))
  [ "$(grep -c '^ERROR' err)" -eq 1 ] || fail "$2: $(grep -c '^ERROR' err) error lines"
  CHECKS=$((CHECKS + 1))
  ! grep -q "Alignment complete" err || fail "$2: reported as complete"
}
# first_pairs N WHAT: the records written are those of pairs 1 to N, each
# pair whole.
first_pairs() {
  CHECKS=$((CHECKS + 1))
  [ "$(records | cut -f1 | sort | uniq -c | awk '$1==2' | wc -l)" -eq "$1" ] &&
    [ "$(records | wc -l)" -eq $(($1 * 2)) ] || fail "$2: $(records | wc -l) records"
  CHECKS=$((CHECKS + 1))
  records | cut -f1 | sort -u | cmp -s - <(awk 'NR%4==1' pr_1.fq | head -n "$1" |
    cut -c2- | sed 's|/.*||' | sort) || fail "$2: not the first $1 pairs"
}

# The simulator's pairs pair, at one thread and at four.
for t in 1 4; do
  run align g.tidx -1 pr_1.fq -2 pr_2.fq -p $t
  expect_status 0 "simulated pairs, -p $t"
  CHECKS=$((CHECKS + 1))
  [ "$(records | wc -l)" -eq 2000 ] || fail "simulated pairs, -p $t: $(records | wc -l) records"
done
run align g.tidx -1 pr_1.fq -p 4
expect_status 0 "single-end"

for t in 1 4; do
  run align g.tidx -1 pr_1.fq -2 skew_2.fq -p $t
  expect_status 1 "skewed mates, -p $t"
  said_once "$SKEW" "skewed mates, -p $t"
  first_pairs 10 "skewed mates, -p $t"
done
run align g.tidx -1 pr_1.fq -2 late_2.fq -p 4
expect_status 1 "pair 600 lost, -p 4"
said_once "$(apart 600 pr_1.fq 2397 late_2.fq 2397)" "pair 600 lost, -p 4"
first_pairs 599 "pair 600 lost, -p 4"
run align g.tidx -1 pr_1.fq -2 u.fq -p 4
expect_status 1 "unrelated mate file"
said_once "$(apart 1 pr_1.fq 1 u.fq 1)" "unrelated mate file"
CHECKS=$((CHECKS + 1))
[ -z "$(records)" ] && grep -q '^@SQ' out || fail "unrelated mate file: records written"

# A shorter mate file, or one that ends at damage, is reported as before.
head -n 2000 pr_2.fq >short_2.fq
run align g.tidx -1 pr_1.fq -2 short_2.fq -p 4
expect_status 1 "shorter mate file"
expect_err_line "ERROR: files not the same length ... "
gzip -c pr_2.fq | head -c 20000 >cut_2.fq.gz
run align g.tidx -1 pr_1.fq -2 cut_2.fq.gz -p 1
expect_status 1 "mate file cut"
expect_err_line "ERROR: cut_2.fq.gz: gzip input is corrupt or truncated (unexpected end of file); reading stopped early"
CHECKS=$((CHECKS + 1))
! grep -q "mates of pair" err || fail "mate file cut: names compared past the damage"

# Names that differ only after a blank, a tab or a '/' still pair.
awk 'NR%4==1{n=(NR-1)/4; h=n%3==0 ? "@q" n " 1:N:0" : n%3==1 ? "@q" n "\tA" : "@q" n "/1"; print h; next} {print}' pr_1.fq >n_1.fq
awk 'NR%4==1{n=(NR-1)/4; h=n%3==0 ? "@q" n " 2:N:0" : n%3==1 ? "@q" n "\tB/2" : "@q" n "/2 x"; print h; next} {print}' pr_2.fq >n_2.fq
run align g.tidx -1 n_1.fq -2 n_2.fq -p 4
expect_status 0 "names cut at a blank, a tab or '/'"
CHECKS=$((CHECKS + 1))
[ "$(records | wc -l)" -eq 2000 ] || fail "cut names: $(records | wc -l) records"

# The tools: the same line and status 1, and the earlier output files stay
# as they were.
tool_apart() { # WHAT PREFIX FILES... ARGS...
  local what=$1 prefix=$2
  shift 2
  for f in "$prefix"_1.fq "$prefix"_2.fq; do echo PREV >"$f"; done
  run "$@"
  expect_status 1 "$what"
  expect_err_is "$SKEW"
  CHECKS=$((CHECKS + 1))
  [ "$(cat "$prefix"_1.fq "$prefix"_2.fq)" = "$(printf 'PREV\nPREV')" ] ||
    fail "$what: earlier output not kept"
  CHECKS=$((CHECKS + 1))
  [ -z "$(ls -A | grep "^\.$prefix")" ] || fail "$what: temporary files left"
}
tool_apart sample_reads smp sample_reads 10 smp pr_1.fq skew_2.fq
tool_apart fastq_filter ff fastq_filter 0 0 ff pr_1.fq skew_2.fq
tool_apart fq_len_filter fl fq_len_filter 0 fl pr_1.fq skew_2.fq
run fq_len_filter 0 fu pr_1.fq u.fq
expect_status 1 "fq_len_filter, unrelated mate file"
expect_err_is "$(apart 1 pr_1.fq 1 u.fq 1)"

for args in "sample_reads 10 s" "fastq_filter 0 0 s" "fq_len_filter 0 s"; do
  # shellcheck disable=SC2086
  run $args n_1.fq n_2.fq
  expect_status 0 "$args on cut names"
  CHECKS=$((CHECKS + 1))
  [ -s s_1.fq ] && [ "$(grep -c '^@q' s_1.fq)" -eq "$(grep -c '^@q' s_2.fq)" ] ||
    fail "$args on cut names: outputs"
done
# A shorter mate file keeps its own message.
run fq_len_filter 0 fs pr_1.fq short_2.fq
expect_status 1 "fq_len_filter, shorter mate file"
expect_err_is "Error: FASTQ files are different length"
run sample_reads 10 ss pr_1.fq short_2.fq
expect_status 1 "sample_reads, shorter mate file"
expect_err_is "Error: paired files are different length"
finish
