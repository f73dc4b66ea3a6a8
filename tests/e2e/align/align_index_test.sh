# align on indexes written by the index command: SAM header, k-mer size
# check and damaged files.
. "$(dirname "$0")/../lib.sh"

# samtools reads the SAM header in out (checked only where it is installed).
expect_samtools_header() {
  have samtools || return 0
  CHECKS=$((CHECKS + 1))
  samtools view -H out >/dev/null 2>samtools.err || fail "$1: samtools rejects the header: $(cat samtools.err)"
}

printf '@r1\nACGTACGTACGTACGTACGT\n+\nIIIIIIIIIIIIIIIIIIII\n' >r.fq
# chr2 comes first in the file, chr1 second: @SQ lines follow the file.
{
  printf '>chr2 second name\n'
  printf 'ACGTTGCAACGTAGCTAGCTAGGATCCATGCATGCAAGTC\n'
  printf '>chr1\nTTGACCAGTAGGCATCGATCGGATCAGTCA\n'
} >two.fa
"$BIN" index two.fa 12 two.tidx 2>/dev/null || fail "index of two.fa"

run align two.tidx -1 r.fq
expect_status 0 "two sequences"
printf '@HD\tVN:1.4\n@SQ\tSN:chr2\tLN:40\n@SQ\tSN:chr1\tLN:30\n@PG\tID:venkari-basic\tPN:venkari-basic\tCL:tolvenard align -1 r.fq \tVN:0.5-r123\n' >expected.sam
printf 'r1\t4\t*\t0\t0\t*\t*\t0\t0\tACGTACGTACGTACGTACGT\tIIIIIIIIIIIIIIIIIIII\n' >>expected.sam
expect_out_file expected.sam
expect_err_line "12bp - 21bp reads: max mismatch = 2"
expect_err_line "480bp - 500bp reads: max mismatch = 27"
expect_err_line "Alignment complete! "
CHECKS=$((CHECKS + 1))
[ "$(grep -c 'max mismatch' err)" -eq 26 ] || fail "mismatch table must have 26 lines"
expect_samtools_header "two sequences"

# Option words in @PG CL: a tab, carriage return or line feed in a word (a
# read file name, the ignored repeat of --rg) is written as a blank.
cp r.fq "$(printf 'r\tx.fq')"
run align two.tidx -1 "$(printf 'r\tx.fq')" --rg G1 --rg "$(printf 'G\r\n2')"
expect_status 0 "line breaks in option words"
CHECKS=$((CHECKS + 1))
[ "$(grep '^@PG' out)" = "$(printf '@PG\tID:venkari-basic\tPN:venkari-basic\tCL:tolvenard align -1 r x.fq --rg G1 --rg G  2 \tVN:0.5-r123')" ] ||
  fail "@PG line: $(grep -A1 '^@PG' out | cat -A)"
CHECKS=$((CHECKS + 1))
[ "$(wc -l <out)" -eq 6 ] || fail "five header lines and one record: $(cat -A out)"
expect_samtools_header "line breaks in option words"

# An empty sequence gets no @SQ line: the index leaves it out.
printf '>a\nACGTACGTACGTACGTAC\n>c_empty\n>c\nGGGGCCCCAAAATTTTGG\n>z_end\n' >empty.fa
"$BIN" index empty.fa 12 empty.tidx 2>/dev/null || fail "index of empty.fa"
run align empty.tidx -1 r.fq --rg G1 --pl ILLUMINA --lb L1
expect_status 0 "empty sequences"
printf '@HD\tVN:1.4\n@SQ\tSN:a\tLN:18\n@SQ\tSN:c\tLN:18\n@RG\tID:G1\tPL:ILLUMINA\tLB:L1\n@PG\tID:venkari-basic\tPN:venkari-basic\tCL:tolvenard align -1 r.fq --rg G1 --pl ILLUMINA --lb L1 \tVN:0.5-r123\n' >expected.sam
printf 'r1\t4\t*\t0\t0\t*\t*\t0\t0\tACGTACGTACGTACGTACGT\tIIIIIIIIIIIIIIIIIIII\tRG:Z:G1\tLB:Z:L1\n' >>expected.sam
expect_out_file expected.sam

# The lambda genome, spaced seeds.
gzip -dc "$DATA/lambda.fa.gz" >lambda.fa
"$BIN" index -I 2 lambda.fa 10 lambda.tidx 2>/dev/null || fail "index of lambda"
run align lambda.tidx -1 r.fq
expect_status 0 "spaced index with k 10"
expect_err_line "k-mer size: 14"
CHECKS=$((CHECKS + 1))
grep -q "^@SQ	SN:[^	]*	LN:48502$" out || fail "lambda @SQ line: $(grep @SQ out)"

# The empty b before c must not take c's bases or its reads.
lam=$(grep -v '^>' lambda.fa | tr -d '\n')
printf '>a\n%s\n>b\n>c\n%s\n' "${lam:0:1000}" "${lam:2000:1000}" >abc.fa
"$BIN" index abc.fa 12 abc.tidx 2>/dev/null || fail "index of abc.fa"
printf '@rc\n%s\n+\n%s\n' "${lam:2100:100}" "$(printf "%100s" "" | tr " " I)" >rc.fq
run align abc.tidx -1 rc.fq
expect_status 0 "empty sequence before another"
CHECKS=$((CHECKS + 1))
[ "$(grep '^@SQ' out)" = "$(printf '@SQ\tSN:a\tLN:1000\n@SQ\tSN:c\tLN:1000')" ] ||
  fail "@SQ lines: $(grep '^@SQ' out)"
CHECKS=$((CHECKS + 1))
grep -v '^@' out | cut -f 3,4,6 | grep -qx "c	101	100M" ||
  fail "read from c: $(grep -v '^@' out | cut -f 1-6)"

# k below 12 for continuous seeds: refused after the header.
"$BIN" index two.fa 11 small.tidx 2>/dev/null || fail "index with k 11"
run align small.tidx -1 r.fq
expect_status 3 "k-mer size 11"
expect_err_line "ERROR: k-mer size too small, should be at least: 12"
CHECKS=$((CHECKS + 1))
head -n 1 out | grep -qx "@HD	VN:1.4" || fail "header expected before the k-mer size error"

# Damaged files.
gzip -dc two.tidx >two.raw
bad() {
  run align bad.tidx -1 r.fq
  expect_status 1 "$1"
  expect_err_line "$2"
  CHECKS=$((CHECKS + 1))
  grep -q "Alignment complete" err && fail "$1: reported completion"
}
head -c 100 two.raw | gzip >bad.tidx
bad "truncated inside the genome" "Hash file is of the wrong format"
head -c $(($(wc -c <two.raw) - 3)) two.raw | gzip >bad.tidx
bad "truncated inside the groups" "Hash file is of the wrong format"
head -c $(($(wc -c <two.tidx) - 20)) two.tidx >bad.tidx
bad "truncated compressed stream" "Hash file is of the wrong format"
{ printf '\073\001\000\000'; tail -c +5 two.raw; } | gzip >bad.tidx
bad "wrong magic" "Hash file is of the wrong format"
{ printf '\072\001\000\000\005\000\000\000'; tail -c +9 two.raw; } | gzip >bad.tidx
bad "wrong version" "Hash file is of the wrong version"
{ printf '\072\001\000\000\006\000\000\000\003\000\000\000'; tail -c +13 two.raw; } | gzip >bad.tidx
bad "parameter count" "Incorrect number of parameters in index: 3"
expect_err_line "Please check that index file is correct or re-build it"
{ head -c 12 two.raw; head -c 2000 /dev/urandom; } | gzip >bad.tidx
bad "garbage after the header" "Hash file is of the wrong format"
{ cat two.raw; printf 'more'; } | gzip >bad.tidx
bad "bytes after the last group" "Hash file is of the wrong format"
: >bad.tidx
bad "empty file" "Hash file is of the wrong format"
run align missing.tidx -1 r.fq
expect_status 1 "missing index"
expect_err_is "Could not open hash file: missing.tidx"
run align two.tidx -1 r.fq -2 r.fq
expect_status 0 "paired run"
expect_err_line "Reads are paired"
finish
