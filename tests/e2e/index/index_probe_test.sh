# check_idx and index_depth: usage texts, statuses and listings on small inputs.
. "$(dirname "$0")/../lib.sh"

check_usage=(
  "Usage: venkari-basic check_idx <seq> <kmer_size>"
  "    seq       -- Read sequence"
  "    kmer_size -- k-mer size to analyze"
  "Output the k-mers within a read that will be used for index mode 1"
)
expect_err_empty() {
  CHECKS=$((CHECKS + 1))
  [ ! -s err ] || fail "stderr not empty: $(head -c 200 err)"
}
depth_usage=(
  "Usage: venkari-basic index_depth <FASTQ file> <kmer_size>"
  "Get depth for a FASTQ file"
)

for words in "" "ACGT" "ACGT 3 x"; do
  # shellcheck disable=SC2086
  run check_idx $words
  expect_status 3 "check_idx $words"
  expect_err_is "${check_usage[@]}"
  expect_out_empty
done
# Keys hold at most 32 bases.
for k in 0 -1 33 abc; do
  run check_idx ACGTACGTACGTACGTACGTACGTACGTACGTACGT "$k"
  expect_status 3 "check_idx k $k"
  expect_err_is "ERROR: kmer_size must be a whole number from 1 to 32, not \"$k\""
  expect_out_empty
done

run check_idx ACGTACGTACGT 10
expect_status 0 "check_idx palindrome"
expect_err_empty
printf '%s\n' "[0]ACGTACGTAC|320740" "[0]CGTACGTACG|604473" \
  "[1]ACGTACGTAC|320740" "[1]CGTACGTACG|604473" >want
expect_out_file want

run check_idx GATTACAGATTACA 10
expect_status 0 "check_idx marks"
printf '%s\n' "[0]GATTACAGAT|820466" "[0]ATTACAGATT|991548 *" \
  "[0]TTACAGATTA|247887 *" "[0]TACAGATTAC|324115 *" \
  "[1]TGTAATCTGT|973883 *" "[1]GTAATCTGTA|243470" \
  "[1]TAATCTGTAA|60867 *" "[1]AATCTGTAAT|801648" >want
expect_out_file want

run check_idx tacgga 3
expect_status 0 "check_idx lower case"
printf '%s\n' "[0]tac|19 *" "[0]acg|36" "[0]cgg|41 *" \
  "[1]tcc|23" "[1]ccg|37" "[1]cgt|57" >want
expect_out_file want

run check_idx "$(printf 'T%.0s' {1..33})" 32
expect_status 0 "check_idx k 32"
printf '%s\n' "[0]$(printf 'T%.0s' {1..32})|18446744073709551615" \
  "[1]$(printf 'A%.0s' {1..32})|0" >want
expect_out_file want

for seq in ACGTACGTAC ACGTA; do
  run check_idx "$seq" 10
  expect_status 0 "check_idx short $seq"
  expect_out_empty
done

# Windows with N are listed; their random keys repeat from run to run.
run check_idx ACGTNACGTNNNAC 4
expect_status 0 "check_idx N"
mv out first
run check_idx ACGTNACGTNNNAC 4
expect_out_file first
CHECKS=$((CHECKS + 1))
[ "$(cut -c1-8 first | tr '\n' ' ')" = "[0]ACGT| [0]CGTN| [0]GTNA| [0]TNAC| [0]NACG| [0]ACGT| [0]CGTN| [0]GTNN| [0]TNNN| [0]NNNA| [1]GTNN| [1]TNNN| [1]NNNA| [1]NNAC| [1]NACG| [1]ACGT| [1]CGTN| [1]GTNA| [1]TNAC| [1]NACG| " ] ||
  fail "check_idx N windows: $(cut -c1-8 first | tr '\n' ' ')"

for words in "" "g.fa" "g.fa 3 x"; do
  # shellcheck disable=SC2086
  run index_depth $words
  expect_status 3 "index_depth $words"
  expect_err_is "${depth_usage[@]}"
  expect_out_empty
done

printf 'junk before\n>chrA first record\n NTACA \nNTAC\n\nGTTT\r\n>chrB\nTACTACTAC\n' >g.fa
for k in 0 -1 33; do
  run index_depth g.fa "$k"
  expect_status 3 "index_depth k $k"
  expect_err_is "ERROR: kmer_size must be a whole number from 1 to 32, not \"$k\""
  expect_out_empty
done

run index_depth g.fa 3
expect_status 0 "index_depth"
expect_err_is "Found chrA"
printf 'chrA\t%s\t1\n' 2 4 5 6 7 7 >want
expect_out_file want


printf '>short\nTANCA\n' >short.fa
run index_depth short.fa 3
expect_status 0 "index_depth short record"
expect_err_is "Found short"
expect_out_empty

printf '>w\nAAATAC\n>x\nTAC\n' >last.fa
run index_depth last.fa 3
printf 'w\t3\t1\n' >want
expect_out_file want

printf 'ACGT\nACGT\n' >nohead.fa
run index_depth nohead.fa 3
expect_status 0 "index_depth without header"
expect_err_empty
expect_out_empty

run index_depth missing.fa 3
expect_status 3 "index_depth missing file"
expect_err_is "Error: cannot open input file: missing.fa"
mkdir adir
run index_depth adir 3
expect_status 3 "index_depth directory"
expect_err_is "Error: cannot open input file: adir"

# A file that is no text is refused, not listed as a sequence.
gzip -c g.fa >g.fa.gz
run index_depth g.fa.gz 3
expect_status 3 "index_depth gzip file"
expect_err_is "ERROR: g.fa.gz is gzip-compressed; decompress it first"
expect_out_empty
printf '>n\nTACTAC\0TAC\n' >nul.fa
run index_depth nul.fa 3
expect_status 3 "index_depth NUL"
expect_err_is "ERROR: nul.fa is not a text file (it holds a NUL byte)"
expect_out_empty
# The whole file is looked at, not only the record listed; binary data
# without a newline is refused after its first block, in the memory of a
# block (/dev/zero, and a 1 GB file of NULs, sparse).
{
  printf '>a\nTACTACTAC\n>b\n'
  head -c 200000 /dev/zero | tr '\0' C
  printf '\0\n'
} >late.fa
truncate -s 1G zeros.fa
for fa in late.fa /dev/zero zeros.fa; do
  CAP_KB=3000000 run_peak index_depth "$fa" 3
  expect_status 3 "index_depth $fa"
  expect_err_is "ERROR: $fa is not a text file (it holds a NUL byte)"
  expect_out_empty
  expect_peak_below 300000 "index_depth $fa"
done

# A listing that cannot be written is not a success.
if [ -w /dev/full ]; then
  "$BIN" check_idx ACGTACGTACGT 10 >/dev/full 2>err.full
  STATUS=$?
  tail -n +$((BANNER_LINES + 1)) err.full >err
  expect_status 1 "check_idx to a full device"
  expect_err_is "ERROR: Could not write to standard output"
  "$BIN" index_depth g.fa 3 >/dev/full 2>err.full
  STATUS=$?
  tail -n +$((BANNER_LINES + 1)) err.full >err
  expect_status 1 "index_depth to a full device"
  expect_err_is "Found chrA" "ERROR: Could not write to standard output"
fi

finish
