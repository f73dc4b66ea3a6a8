# fastq_stats and raw2fasta: usage, refusals and reports.
. "$(dirname "$0")/../lib.sh"

run fastq_stats
expect_status 3 "fastq_stats usage"
expect_err_is "Usage: venkari-basic fastq_stats <FASTQ file>" "Get stats for a FASTQ file"
run fastq_stats a b
expect_status 3 "fastq_stats usage, two arguments"
RAW_USAGE="Usage: venkari-basic raw2fasta <raw_file>    raw_file  -- Input text file, one line per readConverts raw reads into FASTA file, Outputs to stdout"
for args in "" "a b"; do
  # shellcheck disable=SC2086
  run raw2fasta $args
  expect_status 3 "raw2fasta usage for [$args]"
  expect_err_is "$RAW_USAGE"
done

A36=$(printf 'A%.0s' $(seq 36))
A50=$(printf 'C%.0s' $(seq 50))
{
  printf '@a\n%s\n+\n%s\n' "$A36" "$A36"
  printf '@b\n%s\n+\n%s\n' "$A50" "$A50"
  printf '@c\n%s\n+\n%s\n' "$A36" "$A36"
} >lens.fq
run fastq_stats lens.fq
expect_status 0 "two lengths"
printf '36,2, (66.6667%%)\n50,1,(100.0%%)\n' >want.txt
expect_out_file want.txt
gzip -c lens.fq >lens.fq.gz
run fastq_stats lens.fq.gz
expect_out_file want.txt

printf '>x one\nACGT\nAC\n>y\nACGTAC\n>z\nAC\n' >s.fa
run fastq_stats s.fa
expect_status 0 "FASTA"
printf '2,1, (33.3333%%)\n6,2,(100.0%%)\n' >want.txt
expect_out_file want.txt

printf '@a\nACG\n+\nIII\n@b\nTTT\n+\nIII\n' >one.fq
run fastq_stats one.fq
printf '3,2,(100.0%%)\n' >want.txt
expect_out_file want.txt

: >empty.fq
run fastq_stats empty.fq
expect_status 0 "empty file"
expect_out_empty

run fastq_stats missing.fq
expect_status 3 "stats missing input"
expect_err_is "Error: cannot open input file: missing.fq"

printf 'ACGT\n\n   \nTTGCA' >raw.txt
run raw2fasta raw.txt
expect_status 0 "raw lines"
printf '>1\nACGT\n>2\nTTGCA\n' >want.txt
expect_out_file want.txt
printf '  ACGT \r\n\tGG\t\r\n' >raw.txt
run raw2fasta raw.txt
printf '>1\nACGT\n>2\nGG\n' >want.txt
expect_out_file want.txt
run raw2fasta empty.fq
expect_status 0 "raw empty"
expect_out_empty
run raw2fasta missing.txt
expect_status 1 "raw missing"
expect_err_is "ERROR: Cannot open RAW file, missing.txt"
run raw2fasta .
expect_status 1 "raw directory"
expect_err_is "ERROR: Cannot open RAW file, ."

cp raw.txt raw2.txt
"$BIN" raw2fasta raw2.txt >>raw2.txt 2>/dev/null
STATUS=$?
expect_status 1 "raw output appended to its input"
expect_file_eq raw.txt raw2.txt

cp lens.fq lens2.fq
"$BIN" fastq_stats lens2.fq >>lens2.fq 2>err.full
STATUS=$?
tail -n +6 err.full >err
expect_status 1 "stats output appended to its input"
expect_err_is "Error: standard output is an input file: lens2.fq"
expect_file_eq lens.fq lens2.fq

# Output that cannot be written is a failure, not a success.
if [ -w /dev/full ]; then
  "$BIN" fastq_stats lens.fq >/dev/full 2>err.full
  STATUS=$?
  tail -n +6 err.full >err
  expect_status 1 "stats to a full device"
  expect_err_is "Error: cannot write: standard output"
  "$BIN" raw2fasta raw.txt >/dev/full 2>/dev/null
  STATUS=$?
  expect_status 1 "raw2fasta to a full device"
fi
finish
