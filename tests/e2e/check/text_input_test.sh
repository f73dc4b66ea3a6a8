# Text inputs that are no text or cannot be read: the SAM of check_single,
# check_pair and merge_sam, the edits file and VCF of check_edits, the lines
# of raw2fasta, and the checkers' map. Each is refused with one ERROR line
# and the status of an input the command cannot read, never taken as empty.
. "$(dirname "$0")/../lib.sh"
D=$SRC/tests/data/simulate

mkdir dir
printf '@HD\tVN:1.4\nr1\t0\tc\t1\t60\t4M\t*\t0\t0\tAC\0T\tIIII\n' >nul.sam
gzip -c "$D/single.sam" >sam.gz
printf 'chr1\t7\tSNP\tA\tG\n' >t.edits
printf 'chr1\t7\t.\tA\tG\t50\tPASS\n' >c.vcf
bad="dir nul.sam sam.gz"
if have samtools; then
  head -n 4 "$D/single.sam" | samtools view -b - >x.bam || fail "samtools view"
  bad="$bad x.bam"
fi
said() { # FILE: its one error line
  if [ "$1" = dir ]; then
    echo "ERROR: dir: read error (Is a directory)"
  else
    echo "ERROR: $1 is not text (it holds a NUL byte)"
  fi
}

for f in $bad; do
  run check_single "$f" 20 400 0 p
  expect_status 1 "check_single $f"
  expect_err_is "$(said "$f")"
  expect_out_empty
  run check_pair "$f" 20 400 0 0 p
  expect_status 1 "check_pair $f"
  expect_err_is "$(said "$f")"
  expect_out_empty
  run check_edits "$f" c.vcf 0 5 2 10 e
  expect_status 1 "edits file $f"
  expect_err_is "Reading edits file... " "$(said "$f")"
  expect_out_empty
  run check_edits t.edits "$f" 0 5 2 10 e
  expect_status 1 "VCF $f"
  expect_err_is "Reading edits file... " "Reading VCF file... " "$(said "$f")"
  expect_out_empty
done
# A map that cannot be read is not a malformed one.
run check_single dir "$D/single_map.sam" 20 400 0 p
expect_status 1 "map dir"
expect_err_is "$(said dir)"

# merge_sam and raw2fasta refuse a directory when they open it.
for f in nul.sam sam.gz; do
  run merge_sam "$f" "$D/single.sam"
  expect_status 1 "merge_sam $f first"
  expect_err_is "$(said "$f")"
  expect_out_empty
  run merge_sam "$D/single.sam" "$f"
  expect_status 1 "merge_sam $f second"
  expect_err_is "$(said "$f")"
  run raw2fasta "$f"
  expect_status 1 "raw2fasta $f"
  expect_err_is "$(said "$f")"
  expect_out_empty
done

# A read error part way is not the end of the SAM.
have_read_error_file || finish
run check_single /proc/self/mem 20 400 0 p
expect_status 1 "check_single read error"
expect_err_is "ERROR: /proc/self/mem: read error (Input/output error)"
expect_out_empty
finish
