# align: threads, batches, paired-file checks, failed writes, fatal read
# errors, hybrid side files and trimming switches.
. "$(dirname "$0")/../lib.sh"

D=$SRC/tests/data/aligner
run index "$D/genome.fa" 14 g.tidx
expect_status 0 "index"

# Many reads with distinct names: substrings of chr1, every other one
# reverse-complemented.
awk 'NR > 1 && /^>/ { exit } NR > 1 { s = s $0 }
  END {
    c["A"] = "T"; c["C"] = "G"; c["G"] = "C"; c["T"] = "A"
    q = ""; for (j = 0; j < 100; j++) q = q "I"
    for (i = 0; i < 1200; i++) {
      p = 1 + (i * 37) % (length(s) - 100)
      r = substr(s, p, 100)
      if (i % 2) { t = ""; for (j = 100; j >= 1; j--) t = t c[substr(r, j, 1)]; r = t }
      printf "@m%d\n%s\n+\n%s\n", i, r, q
    }
  }' "$D/genome.fa" >many.fq
cat "$D/reads.fq" >>many.fq
n_reads=$(grep -c '^@' many.fq)

# One thread: the same bytes every run, records in input order.
run align g.tidx -1 many.fq
expect_status 0 "one thread"
expect_err_line "Number of threads: 1"
expect_err_line "Alignment complete! "
cp out p1.sam
run align g.tidx -1 many.fq
expect_file_eq p1.sam out
CHECKS=$((CHECKS + 1))
grep -v '^@' p1.sam | cut -f1 >names1
sed -n 's/^@//p' many.fq | sed 's/\/1$//' | cmp -s - names1 || fail "-p 1 records not in input order"

# Four threads: every read exactly once, whole lines, and the same record
# for every read whose result involves no random draw (no tie pick, no
# base drawn for an N).
run align g.tidx -1 many.fq -p 4
expect_status 0 "four threads"
expect_err_line "Number of threads: 4"
cp out p4.sam
CHECKS=$((CHECKS + 1))
[ "$(grep -vc '^@' p4.sam)" -eq "$n_reads" ] || fail "-p 4 record count"
CHECKS=$((CHECKS + 1))
[ -z "$(grep -v '^@' p4.sam | cut -f1 | sort | uniq -d)" ] || fail "-p 4 repeated a read"
CHECKS=$((CHECKS + 1))
awk -F'\t' '!/^@/ && (NF < 11 || $1 !~ /^[a-z_0-9]+$/) { bad = 1 } END { exit bad }' p4.sam ||
  fail "-p 4 wrote a torn line"
CHECKS=$((CHECKS + 1))
grep -v -e 'XT:A:R' -e '^@' p1.sam | awk -F'\t' '$10 !~ /N/' | sort >u1
grep -v -e 'XT:A:R' -e '^@' p4.sam | awk -F'\t' '$10 !~ /N/' | sort >u4
cmp -s u1 u4 || fail "-p 4 records differ from -p 1: $(diff u1 u4 | head -4)"

# An empty read file: the header and nothing else.
: >empty.fq
run align g.tidx -1 empty.fq -p 3
expect_status 0 "empty reads"
CHECKS=$((CHECKS + 1))
[ "$(grep -vc '^@' out)" -eq 0 ] || fail "records from an empty file"

# Paired files of different lengths, whichever is longer: status 1.
head -8 many.fq >two.fq
head -12 many.fq >three.fq
run align g.tidx -1 three.fq -2 two.fq
expect_status 1 "mate file shorter"
expect_err_line "ERROR: files not the same length ... "
CHECKS=$((CHECKS + 1))
grep -q "Alignment complete" err && fail "unequal files reported as complete"
run align g.tidx -1 two.fq -2 three.fq -p 2
expect_status 1 "mate file longer"
expect_err_line "ERROR: files not the same length ... "
# Equal files: both mates of each pair once, mate 1 first. Both mates
# lie on the same strand, so they never form a proper pair: flags 65 and
# 129, plus both strand bits for the reverse-strand read m1.
run align g.tidx -1 two.fq -2 two.fq
expect_status 0 "paired"
CHECKS=$((CHECKS + 1))
[ "$(grep -v '^@' out | cut -f1,2 | tr '\t' ' ' | tr '\n' ',')" = "m0 65,m0 129,m1 113,m1 177," ] ||
  fail "paired records: $(grep -v '^@' out | cut -f1,2)"

# Failed writes: a full device and a closed pipe.
"$BIN" align g.tidx -1 many.fq >/dev/full 2>err.full
STATUS=$?
tail -n +6 err.full >err
expect_status 1 "full device"
expect_err_line "ERROR: Could not write to standard output"
CHECKS=$((CHECKS + 1))
grep -q "Alignment complete" err && fail "failed write reported as complete"
("$BIN" align g.tidx -1 many.fq -p 2 2>err.full; echo $? >pipe.status) | true
tail -n +6 err.full >err
STATUS=$(cat pipe.status)
expect_status 1 "closed pipe"
expect_err_line "ERROR: Could not write to standard output"

# A bad quality character ends the process with status 2; the records of
# the reads before it are written out first.
{ head -8 many.fq; printf '@badq\nACGTACGTACGTACGTACGT\n+\nhhhhhhhhhhhhhhhhhhh5\n'; tail -4 many.fq; } >badq.fq
sed -i '4s/I/h/g; 8s/I/h/g; $s/I/h/g' badq.fq
run align g.tidx -1 badq.fq --qual ill_13
expect_status 2 "bad quality"
expect_err_line "ERROR: Quality format specification error: negative quality score"
expect_err_line "Please check the quality format specified!"
expect_err_line "badq"
CHECKS=$((CHECKS + 1))
[ "$(grep -v '^@' out | cut -f1 | tr '\n' ' ')" = "m0 m1 " ] || fail "records before the bad read: $(cut -f1 out)"
CHECKS=$((CHECKS + 1))
grep -q '^@HD' out || fail "header lost on a fatal read error"

# Hybrid mode: unmapped reads go to the side file (FASTA reads as FASTA),
# and no SAM record is written for them.
printf '>fa_random\nGATTTAGGCCATTAGCCGATTAACCGGTATTAGCGGCATTAACGTTGACCAGGTACATCAGGTTAACCTAGCTAGCAATCCTAGAGAGCTTCA\n' >random.fa
run align g.tidx -1 random.fa -y side
expect_status 0 "hybrid"
expect_file_eq random.fa side.fq
CHECKS=$((CHECKS + 1))
[ "$(grep -vc '^@' out)" -eq 0 ] || fail "hybrid wrote a record for a diverted read"

# A side file that cannot be written ends the run with status 1.
ln -s /dev/full full.fq
run align g.tidx -1 many.fq -y full
expect_status 1 "hybrid file on a full device"
expect_err_line "ERROR: Could not write hybrid file"

# --trim 0 trims nothing: the same records as without it.
run align g.tidx -1 many.fq --trim 0
expect_status 0 "--trim 0"
CHECKS=$((CHECKS + 1))
grep -v '^@PG' out >t0
grep -v '^@PG' p1.sam | cmp -s - t0 || fail "--trim 0 changed the records"

finish
