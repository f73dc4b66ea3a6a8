# pair_reads: usage, refusals, output files and reproducibility.
. "$(dirname "$0")/../lib.sh"
G=$SRC/tests/data/simulate/three_chr.fa
NOGOOD=$SRC/tests/data/simulate/all_n.fa

USAGE=("Usage: venkari-basic pair_reads <genome_file> <read_len1> <read_len2> <num_pairs> <%_mismatch> <avg_template_len> <sd_template_len> <%unmappable> <output_prefix>"
  "    genome_file       -- Reference genome in FASTA format"
  "    read_len1         -- Read length of first pair (forward)"
  "    read_len2         -- Read length of second pair (reverse)"
  "    num_pairs         -- Number of pairs to generate"
  "    %_mismatch        -- Probability that a base will be substituted"
  "    avg_template_len  -- Average length of template"
  "    sd_template_len   -- Standard deviation of template length"
  "    %unmappable       -- % of pairs that are random bases"
  "    output_prefix     -- Output will be <output_prefix>_1.fq and <output_prefix>_2.fq"
  "Template length drawn from a normal distribution where "
  "templates less than the maximum read length are discarded")
for args in "" "$G 30 30 10 1 200 20 1" "$G 30 30 10 1 200 20 1 p x"; do
  # shellcheck disable=SC2086
  run pair_reads $args
  expect_status 3 "usage for [$args]"
  expect_err_is "${USAGE[@]}"
done

run pair_reads missing.fa 30 30 10 1 200 20 1 p
expect_status 3 "missing genome"
expect_err_is "ERROR: Cannot open genome file, missing.fa"
[ -e p_1.fq ] && fail "output created before the genome was opened"

run pair_reads "$G" 30 30 10 1 200 20 1 nodir/p
expect_status 3 "unwritable prefix"
expect_err_is "ERROR: Cannot write to reads file, nodir/p_1.fq"

# No output may empty the genome, under any name.
cp "$G" gg_1.fq
ln -s gg_1.fq soft.fa
for genome in gg_1.fq soft.fa; do
  run pair_reads "$genome" 30 30 10 1 200 20 1 gg
  expect_status 3 "output over the genome $genome"
  expect_err_is "ERROR: Output file gg_1.fq would overwrite the genome file"
done
cp "$G" gg_2.fq
run pair_reads gg_2.fq 30 30 10 1 200 20 1 gg
expect_err_is "ERROR: Output file gg_2.fq would overwrite the genome file"
expect_file_eq gg_1.fq "$G"
expect_file_eq gg_2.fq "$G"

run pair_reads "$G" 30 0 10 1 200 20 1 p
expect_status 3 "read length 2 is 0"
expect_err_is 'ERROR: read_len2 must be a whole number of at least 1, not "0"'
run pair_reads "$G" -2 30 10 1 200 20 1 p
expect_status 3 "negative read length 1"
expect_err_is 'ERROR: read_len1 must be a whole number of at least 1, not "-2"'

run pair_reads "$G" 601 30 10 1 200 20 1 p
expect_status 3 "read too long"
expect_err_line "ERROR: Read length 601 is too long for every sequence of the genome"

# Fixed templates shorter than the reads, or longer than every sequence.
run pair_reads "$G" 50 50 10 1 40 0 0 p
expect_status 3 "template too short"
expect_err_line "ERROR: Template length can never lie between 50 and the longest sequence, 600"
run pair_reads "$G" 50 50 10 1 601 0 0 p
expect_status 3 "template too long"
expect_err_line "ERROR: Template length can never lie between 50 and the longest sequence, 600"

run pair_reads "$NOGOOD" 5 5 10 1 10 0 0 p
expect_status 3 "no clean window"
expect_err_line "ERROR: No sequence holds 5 consecutive A, C, G, T bases to cut a read from"

run pair_reads "$G" 30 30 0 1 200 20 1 p
expect_status 0 "no pairs asked"
expect_out_empty
[ -e p_1.fq ] && [ ! -s p_1.fq ] && [ -e p_2.fq ] && [ ! -s p_2.fq ] ||
  fail "empty output files expected"
expect_err_is "Found chr1" "Found chr2" "Warning: Zero length chromosome: chr2" \
  "Found chr3" "Genome Length: 1000"

run pair_reads "$G" 40 30 200 2 150 30 10 p
expect_status 0 "pair run"
expect_out_empty
for e in 1 2; do
  [ "$(wc -l <p_$e.fq)" -eq 800 ] || fail "p_$e.fq: expected 200 records"
  awk -v e="$e" 'NR%4==1 && $0 !~ ("^@[0-9]+;.*/" e "$") {bad=1}
       NR%4==2 {len=length($0); if ($0 !~ /^[ACGT]+$/) bad=1}
       NR%4==0 && (length($0)!=len || $0 !~ /^I+$/) {bad=1} END {exit bad}' p_$e.fq ||
    fail "p_$e.fq: malformed records"
done
cmp -s <(awk 'NR%4==1' p_1.fq | sed 's#/1$##') <(awk 'NR%4==1' p_2.fq | sed 's#/2$##') ||
  fail "mate names differ"
grep -q '^@[0-9]*;\*:\*;\*;[0-9]*;[01]/1$' p_1.fq || fail "no random pair"
mv p_1.fq first_1.fq
mv p_2.fq first_2.fq
run pair_reads "$G" 40 30 200 2 150 30 10 p
expect_file_eq first_1.fq p_1.fq
expect_file_eq first_2.fq p_2.fq

# No pair asked for: the run finishes whatever the lengths, with two empty
# files, though no template could ever fit.
printf '>c\nACGTACGTAC\n' >c.fa
for args in "5 5 0 0 40 0 0" "20 20 0 0 20 0 0"; do
  rm -f z_1.fq z_2.fq
  # shellcheck disable=SC2086
  run pair_reads c.fa $args z
  expect_status 0 "no pairs: $args"
  expect_err_is "Found c" "Genome Length: 10"
  CHECKS=$((CHECKS + 1))
  [ -e z_1.fq ] && [ ! -s z_1.fq ] && [ -e z_2.fq ] && [ ! -s z_2.fq ] ||
    fail "no pairs: $args: two empty files expected"
done
finish
