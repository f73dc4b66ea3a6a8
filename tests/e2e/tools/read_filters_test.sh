# fastq_filter and fq_len_filter: usage, refusals, pass/reject splits of
# single and paired inputs.
. "$(dirname "$0")/../lib.sh"

TAIL=("    output_prefix  -- Output will be output_prefix.fq or output_prefix_1.fq,output_prefix_2.fq"
  "    first_pair     -- First pair or single-end FASTQ file"
  "    second_pair    -- Second pair of FASTQ file [optional]"
  "For paired-end reads only one end needs to satisfy this criteria")
QUSAGE=("Usage: venkari-basic fastq_filter <phred_score> <percent> <output_prefix> <first_pair> [<second_pair>]"
  "    phred_score    -- Phred score (reads must be Sanger quals)"
  "    percent        -- Percent of bases with the specified phred score"
  "${TAIL[@]}")
LUSAGE=("Usage: venkari-basic fq_len_filter <min_len> <output_prefix> <first_pair> [<second_pair>]"
  "    min_len        -- Pairs with one end shorter than this will be removed"
  "${TAIL[@]}")
for args in "" "1 2 p" "1 2 p a b c"; do
  # shellcheck disable=SC2086
  run fastq_filter $args
  expect_status 3 "fastq_filter usage for [$args]"
  expect_err_is "${QUSAGE[@]}"
done
for args in "" "1 p" "1 p a b c"; do
  # shellcheck disable=SC2086
  run fq_len_filter $args
  expect_status 3 "fq_len_filter usage for [$args]"
  expect_err_is "${LUSAGE[@]}"
done

# Scores 30 30 2 2 (50 % good at 30), 30 2 2 2, and all 40.
printf '@half/1 c\nACGT\n+\n??##\n@low\nACGT\n+\n?###\n@high x\nAC\n+\nII\n' >q.fq

run fastq_filter -1 50 p q.fq
expect_status 3 "negative score"
expect_err_is "Error: Invalid Phred score: -1"
for pct in 150 -1 100.5; do
  run fastq_filter 30 $pct p q.fq
  expect_status 3 "percent $pct"
  expect_err_is "Error: Invalid percent: $pct"
done
[ ! -e p.fq ] || fail "output created before the argument tests"
run fastq_filter 30 50 p q.fq missing.fq
expect_status 1 "missing mate file"
expect_err_is "Error: cannot open: missing.fq"
[ ! -e p_1.fq ] || fail "output created before the inputs were opened"

run fastq_filter 30 50 p q.fq
expect_status 0 "score 30, 50 %"
[ ! -s err ] || fail "messages on a good run: $(cat err)"
printf '@half\nACGT\n+\n??##\n@high\nAC\n+\nII\n' >want.fq
expect_file_eq want.fq p.fq
printf '@low\nACGT\n+\n?###\n' >want.fq
expect_file_eq want.fq p_reject.fq

# Windows line ends: no carriage return in the names written.
sed 's/$/\r/' q.fq >crlf.fq
run fastq_filter 30 50 c crlf.fq
expect_status 0 "CRLF input"
expect_file_eq p.fq c.fq
expect_file_eq p_reject.fq c_reject.fq

gzip -c q.fq >q.fq.gz
run fastq_filter 30 50 g q.fq.gz
expect_status 0 "gzip input"
expect_file_eq p.fq g.fq
expect_file_eq p_reject.fq g_reject.fq

run fastq_filter 30 0 z q.fq
[ "$(grep -c '^@' z.fq)" -eq 3 ] && [ ! -s z_reject.fq ] || fail "percent 0 passes all"
run fastq_filter 0 100 z q.fq
[ "$(grep -c '^@' z.fq)" -eq 3 ] && [ ! -s z_reject.fq ] || fail "score 0 passes all"

# One good end passes the pair.
printf '@half/2 d\nACGT\n+\n####\n@low/2\nACGT\n+\n####\n@high/2\nAC\n+\n##\n' >q2.fq
run fastq_filter 30 50 pp q.fq q2.fq
expect_status 0 "paired quality"
printf '@half/1\nACGT\n+\n??##\n@high/1\nAC\n+\nII\n' >want.fq
expect_file_eq want.fq pp_1.fq
printf '@half/2\nACGT\n+\n####\n@high/2\nAC\n+\n##\n' >want.fq
expect_file_eq want.fq pp_2.fq
printf '@low/1\nACGT\n+\n?###\n' >want.fq
expect_file_eq want.fq pp_reject_1.fq
printf '@low/2\nACGT\n+\n####\n' >want.fq
expect_file_eq want.fq pp_reject_2.fq

# Files of different lengths: an error, and no output.
head -n 8 q2.fq >short.fq
run fastq_filter 0 0 d q.fq short.fq
expect_status 1 "second file shorter"
expect_err_is "Error: FASTQ files are different length"
CHECKS=$((CHECKS + 1))
[ -z "$(ls -A | grep '^d_\|^\.d_')" ] || fail "second file shorter: $(ls -A)"
run fq_len_filter 0 d short.fq q.fq
expect_status 1 "first file shorter"
expect_err_is "Error: FASTQ files are different length"
CHECKS=$((CHECKS + 1))
[ -z "$(ls -A | grep '^d_\|^\.d_')" ] || fail "first file shorter: $(ls -A)"

printf '>f1\nACGT\n' >f.fa
run fastq_filter 0 0 e f.fa
expect_status 2 "FASTA input"
expect_err_is "Error: Input must be a FASTQ file"
printf '>f1\nACGT\n>f2\nAC\n>f3\nA\n>f4\nA\n' >long.fa
run fq_len_filter 0 e q.fq long.fa
expect_status 2 "FASTA second file"
expect_err_is "Error: Input must be a FASTQ file"
# The FASTA test comes first even where the first file has ended.
run fq_len_filter 0 e /dev/null f.fa
expect_status 2 "FASTA test before length test"
expect_err_is "Error: Input must be a FASTQ file"

: >empty.fq
run fq_len_filter 5 em empty.fq empty.fq
expect_status 0 "empty inputs"
for f in em_1.fq em_2.fq em_reject_1.fq em_reject_2.fq; do
  [ -e $f ] && [ ! -s $f ] || fail "$f should exist and be empty"
done

run fq_len_filter -1 l q.fq
expect_status 3 "negative length"
expect_err_is "Error: Invalid min_len: -1"

S50=$(printf 'A%.0s' $(seq 50))
Q50=$(printf 'I%.0s' $(seq 50))
printf '@a/1\n%s\n+\n%s\n@b/1\n%s\n+\n%s\n' "$S50" "$Q50" "${S50:0:30}" "${Q50:0:30}" >l1.fq
printf '@a/2\n%s\n+\n%s\n@b/2\n%s\n+\n%s\n' "${S50:0:29}" "${Q50:0:29}" "${S50:0:30}" "${Q50:0:30}" >l2.fq
run fq_len_filter 30 l l1.fq l2.fq
expect_status 0 "length pairs"
[ "$(grep '^@' l_1.fq l_2.fq l_reject_1.fq l_reject_2.fq | tr '\n' ' ')" = \
  "l_1.fq:@b/1 l_2.fq:@b/2 l_reject_1.fq:@a/1 l_reject_2.fq:@a/2 " ] ||
  fail "one short end rejects the pair: $(grep '^@' l_*.fq | tr '\n' ' ')"
run fq_len_filter 30 s l1.fq
[ "$(grep -c '^@' s.fq)" -eq 2 ] && [ ! -s s_reject.fq ] || fail "30 bases pass min_len 30"
run fq_len_filter 51 s l1.fq
[ ! -s s.fq ] && [ "$(grep -c '^@' s_reject.fq)" -eq 2 ] || fail "both shorter than 51"
run fq_len_filter 0 s l1.fq l2.fq
[ "$(grep -c '^@' s_1.fq)" -eq 2 ] || fail "min_len 0 passes all"

cp q.fq o_reject.fq
run fq_len_filter 1 o o_reject.fq
expect_status 1 "reject file over the input"
expect_err_is "Error: output file is an input file: o_reject.fq"
expect_file_eq q.fq o_reject.fq
finish
