# gap_reads: usage, refusals, records and reproducibility.
. "$(dirname "$0")/../lib.sh"
G=$SRC/tests/data/simulate/three_chr.fa
NOGOOD=$SRC/tests/data/simulate/all_n.fa

USAGE=("Usage: venkari-basic gap_reads [-i] <genome_file> <read_len> <num_reads> <%_mismatch> <num_gaps> <gap_len>"
  "    -i           -- use ion torrent error profile"
  "    genome_file  -- FASTA file of reference sequences"
  "    read_len     -- Read length to generate"
  "    num_reads    -- Number of reads to generate"
  "    %_mismatch   -- Probability that a base is substituted"
  "    num_gaps     -- Total number of gaps in each read"
  "    gap_len      -- Length of each gap in each read (negative means insertion)"
  "Generate random reads from genome, each has specified gap number and length."
  "Outputted in FASTQ format to stdout")
for args in "" "$G 30 10 1 1" "-i $G 30 10 1 1 2"; do
  # shellcheck disable=SC2086
  run gap_reads $args
  expect_status 3 "usage for [$args]"
  expect_err_is "${USAGE[@]}"
  expect_out_empty
done

run gap_reads missing.fa 30 10 1 1 2
expect_status 3 "missing genome"
expect_err_is "ERROR: Cannot open genome file, missing.fa"

run gap_reads "$G" 0 10 1 1 2
expect_status 3 "read length 0"
expect_err_is 'ERROR: read_len must be a whole number of at least 1, not "0"'

# An insertion may be one base longer than the read, not more.
run gap_reads "$G" 10 10 0 1 -12
expect_status 3 "insertion too long"
expect_err_is "ERROR: Bad gap length: -12"
run gap_reads "$G" 10 5 0 1 -11
expect_status 0 "longest insertion"
[ "$(wc -l <out)" -eq 20 ] || fail "expected 5 records"

run gap_reads "$G" 601 10 0 0 0
expect_status 3 "read too long"
expect_err_line "ERROR: Read length 601 is too long for every sequence of the genome"
# The longest clean stretch is the first 300 bases of chr1 (partly lower case).
run gap_reads "$G" 301 10 0 0 0
expect_status 3 "read longer than every clean stretch"
expect_err_line "ERROR: No sequence holds 301 consecutive A, C, G, T bases to cut a read from"
run gap_reads "$G" 300 3 0 0 0
expect_status 0 "read as long as the longest clean stretch"
[ "$(grep -c '^@[123];chr1:1;0;[01]$' out)" -eq 3 ] ||
  fail "a 300-base read can only come from chr1:1"

run gap_reads "$NOGOOD" 5 10 0 0 0
expect_status 3 "no clean window"
expect_err_line "ERROR: No sequence holds 5 consecutive A, C, G, T bases to cut a read from"
expect_out_empty

run gap_reads "$G" 30 -3 1 1 2
expect_status 3 "negative read count"
expect_err_is 'ERROR: num_reads must be a whole number of at least 0, not "-3"'
expect_out_empty

# Deletions near the end of chr1 leave reads short: one quality per base.
run gap_reads "$G" 50 400 1 3 4
expect_status 0 "deletion run"
cp out first.fq
awk 'NR%4==2 {len=length($0)} NR%4==0 && length($0)!=len {bad=1} END {exit bad}' out ||
  fail "SEQ and QUAL lengths differ"
awk 'NR%4==2 && length($0)<50 {s=1} END {exit !s}' out || fail "no shortened read"
run gap_reads "$G" 50 400 1 3 4
expect_out_file first.fq

# No read asked for: the run finishes whatever the lengths.
printf '>c\nACGTNACGTA\n' >c.fa
for args in "30 0 0 1 1" "5 0 0 1 1" "4 0 0 1 -9"; do
  # shellcheck disable=SC2086
  run gap_reads c.fa $args
  expect_status 0 "no reads: $args"
  expect_out_empty
  expect_err_is "Found c" "Genome Length: 10"
done
finish
