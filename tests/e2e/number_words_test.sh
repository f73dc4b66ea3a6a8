# Number words on every command line: a word that is no number of its kind,
# or a number no run can use, ends the command with its usage-error status
# and one line naming the word; nothing is written.
. "$(dirname "$0")/lib.sh"

gzip -dc "$DATA/lambda.fa.gz" >l.fa
printf '@r1\nACGTACGTAC\n+\nIIIIIIIIII\n' >r.fq
printf 'lambda\t5\tSNP\tA\tC\n' >t.edits
: >x.sam
: >x.vcf

# refused STATUS LINE ARGS...: the run ends with STATUS, LINE is all it says
# and it writes nothing.
refused() {
  local status=$1 line=$2
  shift 2
  rm -rf made && mkdir made
  (cd made && "$BIN" "$@" >../out 2>../err.full)
  STATUS=$?
  tail -n +$((BANNER_LINES + 1)) err.full >err
  expect_status "$status" "$*"
  expect_err_is "$line"
  expect_out_empty
  CHECKS=$((CHECKS + 1))
  [ -z "$(ls made)" ] || fail "$*: wrote $(ls made)"
}
W=$WORK

# The cases that used to pass as a success.
refused 3 'ERROR: -I must be a whole number from 0 to 4, not "x"' \
  index -I x "$W/l.fa" 14 l.tidx
refused 3 '[-p] Must be a whole number from 1 to 255, not "4x"' \
  align l.tidx -1 "$W/r.fq" -p 4x
refused 3 'ERROR: num_reads must be a whole number of at least 0, not "-5"' \
  single_reads "$W/l.fa" 100 -5 1 0
refused 3 'ERROR: num_pairs must be a whole number of at least 1, not "-1"' \
  check_pair "$W/x.sam" 20 -1 0 0 p
refused 3 'ERROR: num_reads must be a whole number of at least 1, not "0"' \
  check_single "$W/x.sam" 20 0 0 p
refused 3 'ERROR: min_len must be a whole number of at least 0, not "-20"' \
  fastq_trim -20 30 "$W/r.fq"
refused 3 'ERROR: kmer_size must be a whole number from 1 to 32, not "0"' \
  index_depth "$W/l.fa" 0
for rate in -5 150 abc; do
  refused 3 "ERROR: %_mismatch must be a number from 0 to 100, not \"$rate\"" \
    random_genome "$W/l.fa" "$rate" 1 1 keep
done

# One bad word for each command.
refused 3 'ERROR: k-mer_size must be a whole number from 10 to 28, not "14x"' \
  index "$W/l.fa" 14x l.tidx
refused 3 'ERROR: kmer_size must be a whole number from 1 to 32, not "1e1"' \
  check_idx ACGTACGTACGTACGT 1e1
refused 3 '[-r] Must be a count from 0 to 100000 or a rate from 0 to below 1, not "0.05x"' \
  align l.tidx -1 "$W/r.fq" -r 0.05x
refused 3 '[--sw_gap] Must be a whole number from 0 to 1000, not "40.5"' \
  align l.tidx -1 "$W/r.fq" --sw_gap 40.5
refused 3 '[-c] Must be a whole number from 0 to 100, not "99999999999"' \
  align l.tidx -1 "$W/r.fq" -c 99999999999
refused 3 '[-n] Must be a whole number from 1 to 2147483647, not "99999999999"' \
  align l.tidx -1 "$W/r.fq" -n 99999999999
refused 3 'ERROR: extend_sw must be a whole number, not "2.5"' \
  all_sw ACGTACGT ACGT 3 1 3 5 2 1 3 5 2.5 2
refused 3 'ERROR: end_len must be a whole number, not "two"' \
  affine_nw ACGTACGT ACGT 3 1 3 5 2 two
refused 3 'ERROR: gap_len_param must be a number of at least 0, not "inf"' \
  random_genome "$W/l.fa" 1 1 inf keep
refused 3 'ERROR: num_gaps must be a whole number of at least 0, not "-1"' \
  gap_reads "$W/l.fa" 50 10 1 -1 2
refused 3 'ERROR: sd_template_len must be a number of at least 0, not "-30"' \
  pair_reads "$W/l.fa" 50 50 10 1 300 -30 0 p
refused 3 'ERROR: min_mapq must be a whole number of at least 0, not "-1"' \
  check_single "$W/x.sam" 20 10 -1 p
run check_edits t.edits x.vcf 0 5 2 high c
expect_status 1 "check_edits qual_limit high"
expect_err_is 'ERROR: qual_limit must be a number of at least 0, not "high"'
expect_out_empty
refused 3 'ERROR: end must be a whole number of at least 1, not "10,000"' \
  subseq "$W/l.fa" 1 10,000
refused 3 'ERROR: min_len must be a whole number of at least 0, not "5bp"' \
  fq_len_filter 5bp f "$W/r.fq"
refused 3 'ERROR: num_reads must be a whole number of at least 0, not "ten"' \
  sample_reads ten s "$W/r.fq"
refused 3 'ERROR: percent must be a number from 0 to 100, not "80%"' \
  fastq_filter 20 80% f "$W/r.fq"

# A number past the end of its variable names that end; other words keep
# the short form.
refused 3 'ERROR: num_reads must be a whole number from 0 to 2147483647, not "2147483648"' \
  sample_reads 2147483648 s "$W/r.fq"
refused 3 'ERROR: num_reads must be a whole number from 0 to 9223372036854775807, not "99999999999999999999"' \
  single_reads "$W/l.fa" 100 99999999999999999999 1 0
refused 3 'ERROR: wiggle_bp must be a whole number from 0 to 2147483647, not "+2147483648"' \
  check_single "$W/x.sam" +2147483648 10 0 p
refused 3 'ERROR: extend_sw must be a whole number from -2147483648 to 2147483647, not "-2147483649"' \
  all_sw ACGTACGT ACGT 3 1 3 5 2 1 3 5 -2147483649 2
refused 3 'ERROR: num_reads must be a whole number of at least 0, not "-2147483649"' \
  sample_reads -2147483649 s "$W/r.fq"

# A range the command checks itself keeps its own message.
refused 3 'Error: Invalid percent: 150' fastq_filter 20 150 f "$W/r.fq"
refused 4 'Invalid index mode: 7' index -I 7 "$W/l.fa" 14 l.tidx

# Words the stream extraction always took whole still work.
run index -I +1 l.fa 010 l.tidx
expect_status 0 "index -I +1 with k 010"
run check_idx ACGTACGTACGTA " 12"
expect_status 0 "check_idx k with a leading blank"
[ "$(wc -l <out)" -eq 2 ] || fail "check_idx: two windows expected"
run single_reads l.fa 050 +3 .5 0.
expect_status 0 "single_reads with real words for the rates"
[ "$(wc -l <out)" -eq 12 ] || fail "single_reads: three reads expected"
finish
