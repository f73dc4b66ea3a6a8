# Command entry: banner, usage text, dispatch.
. "$(dirname "$0")/lib.sh"

run
expect_status 2 "no command word"
expect_out_empty
head -n 2 err.full >banner
printf '**venkari-basic\nVersion: 0.5-r123\n' >expected.banner
expect_file_eq banner expected.banner
expect_err_line "Usage: venkari-basic <option>"
expect_err_line "  index          -- Index the reference"
expect_err_line "  sample_reads   -- Randomly select some reads from a FASTQ file"
[ "$(tail -n 1 err)" = "  sample_reads   -- Randomly select some reads from a FASTQ file" ] ||
  fail "usage text must end with the sample_reads entry"
[ "$(wc -l <err)" -eq 25 ] || fail "usage text has $(wc -l <err) lines, expected 25"
grep -q check_idx err && fail "hidden word listed in usage"

run Index
expect_status 2 "wrong case"
run "index "
expect_status 2 "trailing blank"
run nonsense a b
expect_status 2 "unknown word"

# Every word dispatches to its own command, which answers a missing argument
# with its own usage text and status 3, never the top-level usage.
for word in gap_reads pair_reads single_reads random_genome check_single check_pair \
  check_edits raw2fasta affine_nw all_sw index align check_idx subseq qual_convert \
  fastq_trim merge_sam sample_reads fastq_filter fq_len_filter fastq_stats index_depth; do
  run "$word"
  expect_status 3 "$word without arguments"
  CHECKS=$((CHECKS + 1))
  head -n 1 err | grep -q "^Usage: venkari-basic $word " ||
    fail "$word did not print its own usage: $(head -n 1 err)"
  grep -qxF "Usage: venkari-basic <option>" err && fail "$word printed the top-level usage"
done
finish
