# sample_reads: usage, refusals, reproducible samples from FASTQ, FASTA, gzip
# and paired inputs.
. "$(dirname "$0")/../lib.sh"
D=$SRC/tests/data/tools

USAGE=("Usage: venkari-basic sample_reads <num_reads> <output_prefix> <first_pair> [<second_pair>]"
  "    num_reads      -- Number of reads to extract"
  "    output_prefix  -- Output will be output_prefix.fq or output_prefix_1.fq,output_prefix_2.fq"
  "    first_pair     -- First pair or single-end FASTQ/A file"
  "    second_pair    -- Second pair of FASTQ/A file [optional]"
  "Uniformly randomly extract reads from a FASTQ file")
for args in "" "1 s" "1 s a b c"; do
  # shellcheck disable=SC2086
  run sample_reads $args
  expect_status 3 "usage for [$args]"
  expect_err_is "${USAGE[@]}"
done

run sample_reads -1 s "$D/reads_1.fq"
expect_status 3 "negative count"
expect_err_is "Error: Invalid number of reads: -1"
[ ! -e s.fq ] || fail "output created before the count test"

run sample_reads 1 s "$D/reads_1.fq" missing.fq
expect_status 1 "missing mate file"
expect_err_is "Error: cannot open: missing.fq"
[ ! -e s_1.fq ] || fail "output created before the inputs were opened"

# Exactly as many reads as asked for is refused, and writes no file.
run sample_reads 12 s "$D/reads_1.fq"
expect_status 3 "not greater"
expect_err_is "Error: the number of reads in the file is not greater than num_reads"
[ -z "$(ls -A | grep '^s\.\|^\.s\.')" ] || fail "not greater: files $(ls -A)"

# Nothing is reserved for reads that do not exist; a count past the int
# range is refused.
run sample_reads 2147483647 s "$D/reads_1.fq"
expect_status 3 "huge count"
expect_err_is "Error: the number of reads in the file is not greater than num_reads"
run sample_reads 99999999999 s "$D/reads_1.fq"
expect_status 3 "count past the int range"
expect_err_is 'ERROR: num_reads must be a whole number from 0 to 2147483647, not "99999999999"'

run sample_reads 11 s "$D/reads_1.fq"
expect_status 0 "eleven of twelve"
expect_file_eq "$D/sample11.fq" s.fq

run sample_reads 0 z "$D/reads_1.fq"
expect_status 0 "none asked"
[ -e z.fq ] && [ ! -s z.fq ] || fail "z.fq should exist and be empty"

run sample_reads 1 one "$D/reads_1.fq"
expect_status 0 "one read"
expect_file_eq "$D/sample1.fq" one.fq

run sample_reads 5 s "$D/reads_1.fq"
expect_status 0 "five reads"
[ ! -s err ] || fail "messages on a good run: $(cat err)"
expect_out_empty
expect_file_eq "$D/sample5.fq" s.fq
cp s.fq first.fq
run sample_reads 5 s "$D/reads_1.fq"
expect_file_eq first.fq s.fq

gzip -c "$D/reads_1.fq" >reads.fq.gz
run sample_reads 5 g reads.fq.gz
expect_status 0 "gzip input"
expect_file_eq "$D/sample5.fq" g.fq

run sample_reads 5 fa "$D/reads_1.fa"
expect_status 0 "FASTA input"
expect_file_eq "$D/sample5.fa" fa.fq

run sample_reads 5 p "$D/reads_1.fq" "$D/reads_2.fq"
expect_status 0 "paired"
expect_file_eq "$D/sample5_1.fq" p_1.fq
expect_file_eq "$D/sample5_2.fq" p_2.fq

# Many draws: 7 of 1000 records.
awk 'BEGIN {for (i = 1; i <= 1000; i++) printf "@n%d\nACGT\n+\nIIII\n", i}' >big.fq
run sample_reads 7 seven big.fq
expect_status 0 "big"
[ "$(grep '^@' seven.fq | tr '\n' ' ')" = "@n53 @n122 @n325 @n736 @n750 @n836 @n865 " ] ||
  fail "sample of 7 from 1000: $(grep '^@' seven.fq | tr '\n' ' ' | head -c 200)"

# A damaged gzip file is read twice but named once.
gzip -c big.fq | head -c 1500 >cut.fq.gz
run sample_reads 3 dmg cut.fq.gz
expect_status 1 "damaged input"
[ "$(grep -c 'cut.fq.gz: gzip input is corrupt or truncated' err)" = 1 ] ||
  fail "damaged input named other than once: $(cat err)"

# Mates that do not pair up are an error, not a silently short file.
head -n 44 "$D/reads_2.fq" >short_2.fq
run sample_reads 5 p "$D/reads_1.fq" short_2.fq
expect_status 1 "short mate file"
expect_err_is "Error: paired files are different length"
cat "$D/reads_2.fq" "$D/reads_2.fq" >long_2.fq
run sample_reads 5 p "$D/reads_1.fq" long_2.fq
expect_status 1 "long mate file"
expect_err_is "Error: paired files are different length"

# The first file is read twice: a pipe or a named FIFO is refused before any
# output is created (a FIFO would block on its second opening for ever).
run sample_reads 2 pipe <(cat "$D/reads_1.fq")
expect_status 1 "pipe input"
expect_err_is "Error: not a regular file, cannot be read twice: /dev/fd/63"
[ ! -e pipe.fq ] || fail "output created for a pipe input"
mkfifo fifo.fq
cat "$D/reads_1.fq" >fifo.fq &
WRITER=$!
STATUS=0
timeout 20 "$BIN" sample_reads 2 ff fifo.fq >out 2>err.full || STATUS=$?
tail -n +$((BANNER_LINES + 1)) err.full >err
kill "$WRITER" 2>/dev/null
wait "$WRITER" 2>/dev/null
expect_status 1 "named FIFO input"
expect_err_is "Error: not a regular file, cannot be read twice: fifo.fq"
[ ! -e ff.fq ] || fail "output created for a FIFO input"
# The second file is read once and may be a pipe.
run sample_reads 5 p "$D/reads_1.fq" <(cat "$D/reads_2.fq")
expect_status 0 "pipe as second file"
expect_file_eq "$D/sample5_2.fq" p_2.fq

# Output over an input would destroy it.
cp "$D/reads_1.fq" x.fq
run sample_reads 2 x x.fq
expect_status 1 "output is input"
expect_err_is "Error: output file is an input file: x.fq"
expect_file_eq "$D/reads_1.fq" x.fq

run sample_reads 2 nodir/s "$D/reads_1.fq"
expect_status 1 "output cannot be created"
expect_err_is "Error: cannot write: nodir/s.fq"

# A record cut short at the end is named, the rest is used.
head -c -3 "$D/reads_1.fq" >cut.fq
run sample_reads 4 c cut.fq
expect_status 0 "truncated input"
expect_err_is "Warning: cut.fq: the last FASTQ record is cut short and was skipped"
[ "$(grep '^@' c.fq | tr '\n' ' ')" = "@r2 @r6 @r7 @r9 " ] || fail "sample of 4 from 11"
finish
