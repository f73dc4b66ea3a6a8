# fastq_trim and qual_convert: usage, refusals and rewritten records.
. "$(dirname "$0")/../lib.sh"

TUSAGE=("Usage: venkari-basic fastq_trim <min_len> <Phred_score> <FASTQ_file>"
  "    min_len        -- Minimum length of read after trimming"
  "    Phred_score    -- Phred score threshold (reads must be Sanger quals)"
  "Trim a FASTQ file BWA style, reads trimmed to zero are replaced by a single N")
CUSAGE=("Usage: venkari-basic qual_convert <original_format> <new_format> <input_file>"
  "-- Format --"
  "    S - Sanger or Illumina 1.8+ format [Phred + 33]"
  "    X - Solexa format [Solexa + 64]"
  "    I - Illumina 1.3+ or 1.5+ format [Phred + 64]"
  "Covert the quality format of FASTQ files")
for args in "" "1 20" "1 20 a b"; do
  # shellcheck disable=SC2086
  run fastq_trim $args
  expect_status 3 "fastq_trim usage for [$args]"
  expect_err_is "${TUSAGE[@]}"
  # shellcheck disable=SC2086
  run qual_convert $args
  expect_status 3 "qual_convert usage for [$args]"
  expect_err_is "${CUSAGE[@]}"
done

# Qualities 40 40 40 40 2 2 and 40 40 2 2 2 2 at threshold 20.
printf '@t1/1 keep this\nACGTAC\n+\nIIII##\n@t2\nACGTAC\n+\nII####\n@t3 x\nACG\n+\nIII\n' >t.fq
run fastq_trim 1 20 t.fq
expect_status 0 "trim"
[ ! -s err ] || fail "messages on a good run: $(cat err)"
printf '@t1/1 keep this\nACGTA\n+\nIIII#\n@t2\nACG\n+\nII#\n@t3 x\nACG\n+\nIII\n' >want.fq
expect_out_file want.fq
gzip -c t.fq >t.fq.gz
run fastq_trim 1 20 t.fq.gz
expect_out_file want.fq

# A read shorter than min_len is kept whole.
run fastq_trim 7 20 t.fq
expect_out_file t.fq
# A threshold below 1 would trim every read away.
for score in 0 -3; do
  run fastq_trim 1 $score t.fq
  expect_status 3 "score $score"
  expect_out_empty
  expect_err_is "ERROR: Phred_score must be a whole number of at least 1, not \"$score\""
done

run fastq_trim 1 20 missing.fq
expect_status 3 "trim missing input"
expect_err_is "Error: cannot open input file: missing.fq"

printf '@t1\nACGT\n+\nIIII\n>f1 desc\nACGT\n' >mixed.fq
run fastq_trim 1 20 mixed.fq
expect_status 2 "trim FASTA"
expect_err_is "Error: not FASTQ file: f1 desc"
printf '@t1\nACGT\n+\nIIII\n' >want.fq
expect_out_file want.fq

# qual_convert letter checks, in the order the messages come.
printf '@n1 c\nACGT\n+\n;@h~\n' >x.fq
check_formats() {
  local status=$1 from=$2 to=$3
  shift 3
  run qual_convert "$from" "$to" missing.fq
  expect_status "$status" "formats $from $to"
  printf '%s\n' "$@" | head -c -1 >expected.err
  cmp -s expected.err err || fail "formats $from $to: $(cat -A err)"
  expect_out_empty
}
check_formats 3 s S "Original format: Error: Wrong original format!" ""
check_formats 3 S X "Original format: Sanger" "New format: Error: Cannot convert to Solexa format" ""
check_formats 3 X X "Original format: Solexa" "New format: Error: Cannot convert to Solexa format" ""
check_formats 3 I i "Original format: Illumina 1.3+" "New format: Error: Wrong new format!" ""
check_formats 3 S S "Original format: Sanger" "New format: Sanger" \
  "Error: Original and New format are the same" ""
check_formats 3 I I "Original format: Illumina 1.3+" "New format: Illumina 1.3+" \
  "Error: Original and New format are the same" ""
check_formats 3 X S "Original format: Solexa" "New format: Sanger" \
  "Error: cannot open input file: missing.fq" ""

run qual_convert X S x.fq
expect_status 0 "Solexa to Sanger"
expect_err_is "Original format: Solexa" "New format: Sanger"
printf '@n1 c\nACGT\n+\n"$I_\n' >want.fq
expect_out_file want.fq
run qual_convert X I x.fq
expect_status 0 "Solexa to Illumina"
printf '@n1 c\nACGT\n+\nACh~\n' >want.fq
expect_out_file want.fq

printf '@i1\nAC\n+\nhJ\n' >i.fq
run qual_convert I S i.fq
expect_status 0 "Illumina to Sanger"
printf '@i1\nAC\n+\nI+\n' >want.fq
expect_out_file want.fq
run qual_convert S I want.fq
expect_status 0 "Sanger to Illumina"
expect_out_file i.fq

# A refused character stops the run; earlier records stay written.
printf '@ok\nA\n+\n@\n@bad one\nACG\n+\n;:h\n' >bad.fq
run qual_convert X S bad.fq
expect_status 3 "Solexa character out of range"
expect_err_is "Original format: Solexa" "New format: Sanger" 'Error: line bad one,":h'
printf '@ok\nA\n+\n$\n' >want.fq
expect_out_file want.fq
printf '@b\nACG\n+\nh?h\n' >bad.fq
run qual_convert I S bad.fq
expect_status 3 "Illumina character out of range"
expect_err_line "Error: line b,I?h"
printf '@b\nAC\n+\nI`\n' >bad.fq
run qual_convert S I bad.fq
expect_status 3 "Sanger character out of range"
expect_err_line 'Error: line b,h`'

# Appending to the input would feed the output back in without end.
cp t.fq t2.fq
"$BIN" fastq_trim 1 20 t2.fq >>t2.fq 2>err.full
STATUS=$?
tail -n +6 err.full >err
expect_status 1 "trim output appended to its input"
expect_err_is "Error: standard output is an input file: t2.fq"
expect_file_eq t.fq t2.fq
# A valid Illumina input, so only the guard can refuse it.
cp i.fq i2.fq
"$BIN" qual_convert I S i2.fq >>i2.fq 2>err.full
STATUS=$?
tail -n +6 err.full >err
expect_status 3 "converted output appended to its input"
expect_err_is "Original format: Illumina 1.3+" "New format: Sanger" \
  "Error: standard output is an input file: i2.fq"
expect_file_eq i.fq i2.fq

printf '>f\nACGT\n' >f.fa
run qual_convert S I f.fa
expect_status 3 "FASTA input"
expect_err_is "Original format: Sanger" "New format: Illumina 1.3+" "Error: File is not a FASTQ file"
finish
