# single_reads: usage, refusals, records and reproducibility.
. "$(dirname "$0")/../lib.sh"
G=$SRC/tests/data/simulate/three_chr.fa
NOGOOD=$SRC/tests/data/simulate/all_n.fa

USAGE=("Usage: venkari-basic single_reads [-i] <genome_file> <read_len> <num_reads> <%_mismatch> <%_unmappable>"
  "    -i           -- use ion torrent error profile"
  "    genome_file  -- FASTA file of reference sequences"
  "    read_len     -- Read length to generate"
  "    num_reads    -- Number of reads to generate"
  "    %_mismatch   -- Probability that a base is substituted"
  "    %_unmappable -- Probability that a read will be random bases"
  "Generate random single-end reads from genome, each with a specified error profile."
  "Outputted in FASTQ format to stdout")
for args in "" "$G 30 10 1" "$G 30 10 1 1 1" "-x $G 30 10 1 1" "-i $G 30 10 1 1 1"; do
  # shellcheck disable=SC2086
  run single_reads $args
  expect_status 3 "usage for [$args]"
  expect_err_is "${USAGE[@]}"
  expect_out_empty
done

run single_reads missing.fa 30 10 1 1
expect_status 3 "missing genome"
expect_err_is "ERROR: Cannot open genome file, missing.fa"

for len in 0 -4 x; do
  run single_reads "$G" "$len" 10 1 1
  expect_status 3 "read length $len"
  expect_err_is "ERROR: read_len must be a whole number of at least 1, not \"$len\""
  expect_out_empty
done

# A read needs a window of twice its length inside one sequence.
run single_reads "$G" 301 10 0 0
expect_status 3 "read too long"
expect_err_is "Found chr1" "Found chr2" "Warning: Zero length chromosome: chr2" \
  "Found chr3" "Genome Length: 1000" \
  "ERROR: Read length 301 is too long for every sequence of the genome"
expect_out_empty

run single_reads "$NOGOOD" 4 10 0 50
expect_status 3 "no clean window"
expect_err_line "ERROR: No sequence holds 8 consecutive A, C, G, T bases to cut a read from"
expect_out_empty

printf '>a\nACGT\n>a\nACGT\n' >dup.fa
run single_reads dup.fa 2 10 0 0
expect_status 2 "duplicate sequence"

run single_reads "$G" 30 0 1 1
expect_status 0 "no reads asked"
expect_out_empty
expect_err_is "Found chr1" "Found chr2" "Warning: Zero length chromosome: chr2" \
  "Found chr3" "Genome Length: 1000"

run single_reads -i "$G" 40 300 2 10
expect_status 0 "ion run"
cp out first.fq
[ "$(wc -l <out)" -eq 1200 ] || fail "expected 300 records"
awk 'NR%4==1 && !/^@[0-9]+;/ {bad=1} NR%4==3 && $0!="+" {bad=1}
     NR%4==2 {len=length($0); if ($0 !~ /^[ACGT]+$/) bad=1}
     NR%4==0 {if (length($0)!=len || $0 !~ /^I+$/) bad=1}
     END {exit bad}' out || fail "malformed records"
awk -F';' 'NR%4==1 {n++; if ($1 != "@" n) bad=1} END {exit bad}' out ||
  fail "read numbers not consecutive"
grep -q '^@[0-9]*;\*:\*;\*$' out || fail "no random read"
grep -q '^@[0-9]*;chr3:' out || fail "no read from chr3"
run single_reads -i "$G" 40 300 2 10
expect_out_file first.fq

# No read asked for: the run finishes whatever the read length.
printf '>c\nACGTACGTAC\n' >c.fa
for args in "c.fa 30 0 0 0" "c.fa 6 0 0 0" "-i c.fa 30 0 0 0"; do
  # shellcheck disable=SC2086
  run single_reads $args
  expect_status 0 "no reads: $args"
  expect_out_empty
  expect_err_is "Found c" "Genome Length: 10"
done
finish
