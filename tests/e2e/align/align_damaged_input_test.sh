# align on read files that turn out damaged: a gzip file cut short or with
# changed bytes, a file whose reading fails, and binary data. Every record of
# the reads before the damage is written, then one ERROR line per damaged
# file and status 1 instead of the summary and "Alignment complete! ".
. "$(dirname "$0")/../lib.sh"

D=$SRC/tests/data/aligner
run index "$D/genome.fa" 14 g.tidx
expect_status 0 "index"
run pair_reads "$D/genome.fa" 100 100 600 1 300 30 0 pr
expect_status 0 "pairs"

# The whole run, the records of a file cut after `size * part / 10` bytes,
# and the number of its records (one per read single-end, two per pair).
records() { grep -v '^@' "$1"; }
not_complete() {
  CHECKS=$((CHECKS + 1))
  grep -q "Alignment complete" err && fail "$1: damaged input reported as complete"
  CHECKS=$((CHECKS + 1))
  grep -q "^Total alignment time" err && fail "$1: summary after damage"
}
# The records written are the first ones of the whole run, each whole.
expect_prefix_of() {
  local n
  n=$(records out | wc -l)
  CHECKS=$((CHECKS + 1))
  [ "$n" -gt 0 ] && [ "$n" -lt "$(wc -l <"$1")" ] || fail "$2: $n records"
  CHECKS=$((CHECKS + 1))
  records out | cmp -s - <(head -n "$n" "$1") || fail "$2: records differ from the whole run"
}
cut_gz() { # FILE PART OUT
  gzip -c "$1" >whole.gz
  head -c $(($(wc -c <whole.gz) * $2 / 10)) whole.gz >"$3"
}

run align g.tidx -1 pr_1.fq -p 1
expect_status 0 "single, whole"
records out >single.sam
run align g.tidx -1 pr_1.fq -2 pr_2.fq -p 1
expect_status 0 "paired, whole"
records out >paired.sam

cut_gz pr_1.fq 4 cut_1.fq.gz
run align g.tidx -1 cut_1.fq.gz -p 1
expect_status 1 "single, cut"
expect_err_line "ERROR: cut_1.fq.gz: gzip input is corrupt or truncated (unexpected end of file); reading stopped early"
CHECKS=$((CHECKS + 1))
[ "$(grep -c cut_1.fq.gz err)" -eq 1 ] || fail "damage named more than once"
not_complete "single, cut"
expect_prefix_of single.sam "single, cut"
CHECKS=$((CHECKS + 1))
grep -q '^@SQ' out || fail "no header before the records"

# Several threads: the same records, in some order.
run align g.tidx -1 cut_1.fq.gz -p 4
expect_status 1 "single, cut, 4 threads"
not_complete "single, cut, 4 threads"
CHECKS=$((CHECKS + 1))
records out | sort | cmp -s - <(head -n "$(records out | wc -l)" single.sam | sort) ||
  fail "4 threads: records differ"

# Either mate file cut: the pairs before the damage, and no length error.
cut_gz pr_2.fq 6 cut_2.fq.gz
for mates in "cut_1.fq.gz pr_2.fq" "pr_1.fq cut_2.fq.gz"; do
  set -- $mates
  cut=$1
  [ "$cut" = pr_1.fq ] && cut=$2
  run align g.tidx -1 "$1" -2 "$2" -p 1
  expect_status 1 "$cut in a pair"
  # The damage is the one ERROR line, and the last one.
  expect_err_is "$(grep -v "^ERROR" err)" \
    "ERROR: $cut: gzip input is corrupt or truncated (unexpected end of file); reading stopped early"
  not_complete "$cut in a pair"
  expect_prefix_of paired.sam "$cut in a pair"
done

# Plain files whose last FASTQ record is cut short (an interrupted copy) in
# its quality, its sequence line or its header: the cut record is no read,
# and each file says so once, whichever worker meets it.
cut_warning() { echo "Warning: $1: the last FASTQ record is cut short and was skipped"; }
cut_last() { # FILE KEEP_LINES KEEP_BYTES_OF_NEXT OUT
  { head -n "$2" "$1"; sed -n "$(($2 + 1))p" "$1" | head -c "$3"; } >"$4"
}
lines=$(wc -l <pr_1.fq)
for kind in qual seq name; do
  case $kind in
  qual) keep=$((lines - 1)) part=97 ;;
  seq) keep=$((lines - 3)) part=40 ;;
  name) keep=$((lines - 4)) part=5 ;;
  esac
  cut_last pr_1.fq $keep $part ${kind}_1.fq
  cut_last pr_2.fq $keep $part ${kind}_2.fq
  for threads in 1 4; do
    run align g.tidx -1 ${kind}_1.fq -p $threads
    expect_status 0 "single, $kind of the last record cut, -p $threads"
    expect_err_line "$(cut_warning ${kind}_1.fq)"
    CHECKS=$((CHECKS + 1))
    [ "$(grep -c 'cut short' err)" -eq 1 ] || fail "$kind, -p $threads: $(grep 'cut short' err)"
    CHECKS=$((CHECKS + 1))
    # Tie picks vary with the threads: the same reads, each once.
    records out | cut -f 1 | sort | cmp -s - <(head -n -1 single.sam | cut -f 1 | sort) ||
      fail "single, $kind of the last record cut, -p $threads: reads differ"
  done
  run align g.tidx -1 ${kind}_1.fq -2 ${kind}_2.fq -p 1
  expect_status 0 "pair, $kind of the last records cut"
  expect_err_line "$(cut_warning ${kind}_1.fq)"
  expect_err_line "$(cut_warning ${kind}_2.fq)"
  CHECKS=$((CHECKS + 1))
  records out | cmp -s - <(head -n -2 paired.sam) || fail "pair, $kind of the last records cut: records differ"
done

# Binary data as reads (an index, a BAM, whose blocks zlib inflates) is
# refused before the SAM header when its first block shows it.
not_text() { echo "ERROR: $1 is not text (it holds a NUL byte)"; }
printf 'BAM\001\037\000\000\000@HD\tVN:1.4\n@SQ\tSN:chr1\tLN:9000\n\000' | gzip >fake.bam
binaries="g.tidx fake.bam"
if have samtools; then
  samtools view -b -o real.bam "$D/expected.sam"
  binaries="$binaries real.bam"
fi
for bin in $binaries; do
  for mates in "$bin" "pr_1.fq $bin"; do
    set -- $mates
    run align g.tidx -1 "$1" ${2:+-2 "$2"}
    expect_status 1 "$mates as reads"
    expect_out_empty
    expect_err_line "$(not_text "$bin")"
    not_complete "$mates as reads"
  done
done

# Further on, it ends the input there: the message once, and what was
# written are whole records that a SAM reader takes.
for i in 1 2; do
  at=$(($(wc -c <pr_$i.fq) * 8 / 10))
  { head -c $at pr_$i.fq && printf '\000' && tail -c +$((at + 1)) pr_$i.fq; } >nul_$i.fq
done
for run in "-1 nul_1.fq -p 1" "-1 pr_1.fq -2 nul_2.fq -p 1" "-1 nul_1.fq -p 4"; do
  run align g.tidx $run
  expect_status 1 "$run"
  CHECKS=$((CHECKS + 1))
  [ "$(grep -c ERROR err)" -eq 1 ] && grep -qx "$(not_text 'nul_.\.fq')" err ||
    fail "$run: $(tail -n 3 err)"
  not_complete "$run"
  CHECKS=$((CHECKS + 1))
  records out | awk -F '\t' 'NF < 11 { exit 1 }' || fail "$run: a record cut short"
  if have samtools; then
    CHECKS=$((CHECKS + 1))
    [ "$(samtools view -c out 2>/dev/null)" = "$(records out | wc -l)" ] ||
      fail "$run: samtools does not read every record"
  fi
  case $run in
  *"-2 "*"-p 1") expect_prefix_of paired.sam "$run" ;;
  *"-p 1") expect_prefix_of single.sam "$run" ;;
  esac
done

# Changed bytes inside the stream.
gzip -c pr_1.fq >bad.fq.gz
printf '\377\377\377\377\377\377\377\377' |
  dd of=bad.fq.gz bs=1 seek=$(($(wc -c <bad.fq.gz) / 2)) conv=notrunc 2>/dev/null
run align g.tidx -1 bad.fq.gz
expect_status 1 "changed bytes"
CHECKS=$((CHECKS + 1))
[ "$(grep -c '^ERROR: bad.fq.gz: gzip input is corrupt or truncated (.*); reading stopped early$' err)" -eq 1 ] ||
  fail "changed bytes: $(cat err)"
not_complete "changed bytes"

# A file whose reading fails.
if have_read_error_file; then
  run align g.tidx -1 /proc/self/mem
  expect_status 1 "read error"
  expect_err_line "ERROR: /proc/self/mem: read error (Input/output error); reading stopped early"
  not_complete "read error"
fi
finish
