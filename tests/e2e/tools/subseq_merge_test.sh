# subseq and merge_sam: usage, refusals and outputs.
. "$(dirname "$0")/../lib.sh"

SUSAGE=("Usage: venkari-basic subseq <chr_file> <start> <end>"
  "    chr_file -- FASTA file containing only one sequence"
  "    start    -- one based start position (inclusive)"
  "    end      -- one based end position (inclusive)"
  "Extract a sub-sequence from a FASTA file, must be only 1 sequence in the FASTA file")
MUSAGE=("Usage: venkari-basic merge_sam <sam_file> <other_sam_file>"
  "    sam_file       -- First SAM file, the headers will be preserved"
  "    other_sam_file -- Second SAM file"
  "Merge two SAM files, probably generated from hybrid mode alignment")
for args in "" "a 1" "a 1 2 3"; do
  # shellcheck disable=SC2086
  run subseq $args
  expect_status 3 "subseq usage for [$args]"
  expect_err_is "${SUSAGE[@]}"
done
for args in "" "a" "a b c"; do
  # shellcheck disable=SC2086
  run merge_sam $args
  expect_status 3 "merge_sam usage for [$args]"
  expect_err_is "${MUSAGE[@]}"
done

printf '>chr1 test\nacgtn\n  ACGTA \n' >c.fa
region() {
  run subseq c.fa "$1" "$2"
  expect_status 0 "region $1 $2"
  printf 'Chromosone Name: chr1 test\nChromosone Length: 10\nParameters: [%s,%s]\n%s\n%s\n' \
    "$1" "$2" "$3" "$4" >want.txt
  expect_out_file want.txt
}
region 2 5 CGTN NACG
region 3 3 G C
region 8 40 GTA TAC
region 11 11 "" ""

run subseq missing.fa 5 4
expect_status 2 "end before start"
printf 'ERROR: End before Start!' >want.err
cmp -s want.err err || fail "end before start: $(cat -A err)"
expect_out_empty

run subseq missing.fa 1 4
expect_status 1 "missing FASTA"
printf "ERROR: I'm sorry, the genome file cannot be opened. \n" >want.txt
expect_out_file want.txt

run subseq c.fa 12 14
expect_status 2 "start past the end"
[ "$(wc -l <out)" -eq 3 ] || fail "descriptive lines before the refusal"
expect_err_is "ERROR: Start position 12 lies outside the sequence of length 10"
# Positions are one based: a start below 1 is no position.
for start in 0 -2; do
  run subseq c.fa $start 3
  expect_status 3 "start $start"
  expect_out_empty
  expect_err_is "ERROR: start must be a whole number of at least 1, not \"$start\""
done

# Standard output appended to the FASTA file is refused before anything is
# written, however long the name line is.
{
  printf '>'
  head -c 70000 /dev/zero | tr '\0' n
  printf '\nACGTACGT\n'
} >long.fa
cp long.fa long2.fa
"$BIN" subseq long2.fa 1 4 >>long2.fa 2>err.full
STATUS=$?
tail -n +6 err.full >err
expect_status 1 "subseq output appended to its input"
expect_err_is "Error: standard output is an input file: long2.fa"
expect_file_eq long.fa long2.fa

# A FASTA file that is no text is refused before anything is written.
gzip -c c.fa >c.fa.gz
run subseq c.fa.gz 1 4
expect_status 3 "gzip FASTA"
expect_err_is "ERROR: c.fa.gz is gzip-compressed; decompress it first"
expect_out_empty
printf '>chr1\nACGT\nAC\0GT\n' >nul.fa
run subseq nul.fa 1 4
expect_status 3 "NUL in the FASTA"
expect_err_is "ERROR: nul.fa is not a text file (it holds a NUL byte)"
expect_out_empty
# Binary data without a newline is refused after its first block, in the
# memory of a block: /dev/zero, and a 1 GB file of NULs (sparse).
truncate -s 1G zeros.fa
for fa in /dev/zero zeros.fa; do
  CAP_KB=3000000 run_peak subseq "$fa" 1 10
  expect_status 3 "subseq $fa"
  expect_err_is "ERROR: $fa is not a text file (it holds a NUL byte)"
  expect_out_empty
  expect_peak_below 300000 "subseq $fa"
done

# A second sequence is refused, not read as bases of the first; a '>'
# inside a sequence line is still a base.
printf '>a\nACGTACGTAC\n>b\nGGGGCCCCAA\n' >two.fa
printf '>a\nACGT\n\n  >b x\nGG\n' >two_blank.fa
for fa in two.fa:3 two_blank.fa:4; do
  run subseq "${fa%:*}" 1 30
  expect_status 3 "second header in ${fa%:*}"
  expect_err_is "ERROR: ${fa%:*} has a second header line (line ${fa#*:}); subseq takes a FASTA file of one sequence"
  expect_out_empty
done
printf '>a\nAC>GT\n' >gt.fa
run subseq gt.fa 1 5
expect_status 0 "'>' inside a sequence line"
printf 'Chromosone Name: a\nChromosone Length: 5\nParameters: [1,5]\nAC>GT\nAC>GT\n' >want.txt
expect_out_file want.txt

printf '@HD\tVN:1.4\n@SQ\tSN:c\tLN:9\n\nr1\t0\tc\t1\t60\t4M\t*\t0\t0\tACGT\tIIII \r\n' >a.sam
printf '@HD\tVN:1.4\r\n@PG\tID:x\n   \nr2\t4\t*\t0\t0\t*\t*\t0\t0\tAC\tII\t\nr3\t4\t*\t0\t0\t*\t*\t0\t0\tGG\tII' >b.sam
run merge_sam a.sam b.sam
expect_status 0 "merge"
printf '@HD\tVN:1.4\n@SQ\tSN:c\tLN:9\nr1\t0\tc\t1\t60\t4M\t*\t0\t0\tACGT\tIIII\n' >want.txt
printf 'r2\t4\t*\t0\t0\t*\t*\t0\t0\tAC\tII\nr3\t4\t*\t0\t0\t*\t*\t0\t0\tGG\tII\n' >>want.txt
expect_out_file want.txt

cp b.sam b2.sam
"$BIN" merge_sam a.sam b2.sam >>b2.sam 2>err.full
STATUS=$?
tail -n +6 err.full >err
expect_status 1 "merged output appended to an input"
expect_err_is "Error: standard output is an input file: b2.sam"
expect_file_eq b.sam b2.sam

run merge_sam a.sam missing.sam
expect_status 1 "second SAM missing"
expect_err_is "Error cannot open: missing.sam"
expect_out_empty
run merge_sam missing.sam b.sam
expect_status 1 "first SAM missing"
expect_err_is "Error cannot open: missing.sam"

# A second file that cannot be read is refused before anything of the
# first is written.
printf 'BAM\1\0\0\0' >x.bam
mkdir sam_dir
run merge_sam a.sam x.bam
expect_status 1 "second file a BAM"
expect_err_is "ERROR: x.bam is not text (it holds a NUL byte)"
expect_out_empty
run merge_sam a.sam sam_dir
expect_status 1 "second file a directory"
expect_err_is "Error cannot open: sam_dir"
expect_out_empty
if have_read_error_file; then
  run merge_sam a.sam /proc/self/mem
  expect_status 1 "second file unreadable"
  expect_err_is "ERROR: /proc/self/mem: read error (Input/output error)"
  expect_out_empty
fi
finish
