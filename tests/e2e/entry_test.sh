# Command entry: banner, usage text, dispatch, and the standard output
# every command shares.
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

# Standard output onto one of the command's own files, under any name: its
# input would be read back, or a file it writes would get two writers. The
# command refuses before writing anything, and the file stays as it was.
A=$SRC/tests/data/aligner
S=$SRC/tests/data/simulate
cp "$A/genome.fa" g.fa
cp "$A/reads.fq" r.fq
cp "$S/single.sam" s.sam
cp "$S/calls.vcf" v.vcf
ln r.fq hard.fq
ln -s g.fa soft.fa
"$BIN" index g.fa 14 g.tidx 2>/dev/null
echo old >h.fq
echo old >cs.err
echo old >ce.missed
# stdout_onto STATUS KIND FILE PATH ARGS...: the command run with standard
# output appended to FILE says that PATH, as named, is an input or output
# file.
stdout_onto() {
  local status=$1 kind=$2 file=$3 path=$4
  shift 4
  cp "$file" before
  "$BIN" "$@" >>"$file" 2>err.full
  STATUS=$?
  tail -n +$((BANNER_LINES + 1)) err.full >err
  expect_status "$status" "$* >>$file"
  expect_err_is "Error: standard output is an $kind file: $path"
  expect_file_eq before "$file"
}
# align ends every check made before the run with 3.
stdout_onto 3 input r.fq r.fq align g.tidx -1 r.fq
stdout_onto 3 input r.fq hard.fq align g.tidx -1 hard.fq
stdout_onto 3 input g.tidx g.tidx align g.tidx -1 r.fq
stdout_onto 3 output h.fq h.fq align g.tidx -1 r.fq -y h
stdout_onto 1 input g.fa ./g.fa single_reads ./g.fa 50 10 1 0
stdout_onto 1 input g.fa g.fa gap_reads g.fa 50 10 1 1 2
stdout_onto 1 input g.fa soft.fa index_depth soft.fa 10
stdout_onto 1 input s.sam s.sam check_single s.sam 0 10 20 cs
stdout_onto 1 output cs.err cs.err check_single s.sam 0 10 20 cs
stdout_onto 1 input s.sam s.sam check_pair s.sam 0 10 20 20 cp
stdout_onto 1 input v.vcf v.vcf check_edits "$S/truth.edits" v.vcf 0 5 2 10 ce
stdout_onto 1 output ce.missed ce.missed check_edits "$S/truth.edits" v.vcf 0 5 2 10 ce
CHECKS=$((CHECKS + 1))
[ ! -e cs_wrong.fq ] && [ ! -e ce.wrong_snp ] || fail "an output was created before the refusal"

# Pipes and /dev/null are never one of the files.
"$BIN" align g.tidx -1 r.fq 2>/dev/null >r.sam
"$BIN" align g.tidx -1 r.fq 2>/dev/null | cat >piped.sam
expect_file_eq r.sam piped.sam
for cmd in "align g.tidx -1 r.fq -y h" "index_depth g.fa 10" "check_single s.sam 0 10 20 cs"; do
  $BIN $cmd >/dev/null 2>err.full
  STATUS=$?
  tail -n +$((BANNER_LINES + 1)) err.full >err
  expect_status 0 "$cmd >/dev/null"
done
# A closed standard output lends its number to no file the command opens:
# writing fails instead of landing in a side file.
for cmd in "align g.tidx -1 r.fq -y h" "check_edits $S/truth.edits v.vcf 0 5 2 10 ce"; do
  $BIN $cmd >&- 2>err.full
  STATUS=$?
  tail -n +$((BANNER_LINES + 1)) err.full >err
  expect_status 1 "$cmd >&-"
  expect_err_line "ERROR: Could not write to standard output"
  CHECKS=$((CHECKS + 1))
  [ "$(grep -c "^ERROR" err)" = 1 ] || fail "$cmd >&-: not one error line: $(cat err)"
done
CHECKS=$((CHECKS + 1))
! grep -q "^@HD" h.fq && ! grep -q "^Quality limit" ce.missed || fail "results written into a side file"
finish
