# The FASTQ tools on read files that turn out damaged (a gzip file cut
# short, binary data, a file whose reading fails): one ERROR line per damaged
# file and a failure status. A tool writing to standard output has written
# what it read before the damage; one writing named files has written none
# of them.
. "$(dirname "$0")/../lib.sh"

# Reads of many lengths and random bases, so that the compressed file is
# long and its cut falls inside a record; names with a comment.
awk 'BEGIN {
  srand(7)
  for (i = 1; i <= 3000; i++) {
    n = 30 + int(rand() * 70); s = ""; q = ""
    for (j = 0; j < n; j++) {
      s = s substr("ACGT", 1 + int(rand() * 4), 1)
      q = q sprintf("%c", 35 + int(rand() * 40))
    }
    printf "@r%d c%d\n%s\n+\n%s\n", i, i, s, q
  }
}' >whole.fq
sed 's/^@\(r[0-9]*\) c[0-9]*$/@\1 mate/' whole.fq >mates.fq
gzip -c whole.fq >whole.fq.gz
head -c $(($(wc -c <whole.fq.gz) / 2)) whole.fq.gz >cut.fq.gz
# The same text with a NUL byte half way: binary data, not reads.
{ head -c 200000 whole.fq && printf '\000' && tail -c +200001 whole.fq; } >nul.fq

# no_outputs LABEL: the last run left no file but the test's own.
no_outputs() {
  CHECKS=$((CHECKS + 1))
  ls -A | grep -vxF -f own.list -e own.list -e out -e err -e err.full |
    grep -q . && fail "$1: files left: $(ls -A | grep -vxF -f own.list)"
}

# Each tool on a damaged input BAD: its status (STATS_TRIM for fastq_stats
# and fastq_trim: 1 for damage, 3 as for a file they cannot open for binary
# data) and the one line BAD_LINE. The tools writing to standard output give
# the output of the same run on the records before the damage; those writing
# named files write none.
check_tools() { # BAD BAD_LINE STATS_TRIM
  BAD=$1 BAD_LINE=$2
  local stats_trim=$3
  # The records read before the damage, as fastq_stats counts them.
  run fastq_stats $BAD
  expect_status $stats_trim "fastq_stats, $BAD"
  expect_err_is "$BAD_LINE"
  n=$(awk -F, '{ s += $2 } END { print s + 0 }' out)
  CHECKS=$((CHECKS + 1))
  [ "$n" -gt 100 ] && [ "$n" -lt 3000 ] || fail "$BAD: $n records before the damage"
  head -n $((4 * n)) whole.fq >prefix.fq
  head -n $((4 * n)) mates.fq >prefix_mates.fq

  same_as_prefix $stats_trim "fastq_stats" fastq_stats CUT
  same_as_prefix $stats_trim "fastq_trim" fastq_trim 30 20 CUT
  run qual_convert S I prefix.fq
  cp out want.out
  run qual_convert S I $BAD
  expect_status 3 "qual_convert, $BAD"
  expect_err_is "Original format: Sanger" "New format: Illumina 1.3+" "$BAD_LINE"
  expect_out_file want.out

  ls >own.list
  run fastq_filter 20 60 p $BAD
  expect_status 1 "fastq_filter, $BAD"
  expect_err_is "$BAD_LINE"
  no_outputs "fastq_filter, $BAD"
  run sample_reads 25 s $BAD
  expect_status 1 "sample_reads, $BAD"
  expect_err_is "$BAD_LINE"
  no_outputs "sample_reads, $BAD"
  # Damage that leaves fewer reads than asked for is the fault named.
  run sample_reads 2900 s $BAD
  expect_status 1 "sample_reads, too few left, $BAD"
  expect_err_is "$BAD_LINE"

  # Paired: a damaged file is no length fault, whichever file is damaged.
  for order in 1 2; do
    if [ $order = 1 ]; then a=$BAD b=mates.fq; else a=mates.fq b=$BAD; fi
    run fq_len_filter 50 lp $a $b
    expect_status 1 "paired filter, file $order damaged, $BAD"
    expect_err_is "$BAD_LINE"
    no_outputs "paired filter, file $order damaged, $BAD"
    run sample_reads 25 sp $a $b
    expect_status 1 "paired sample, file $order damaged, $BAD"
    expect_err_is "$BAD_LINE"
    no_outputs "paired sample, file $order damaged, $BAD"
  done
}

# Each tool: status, the one line, and the output of the same run on the
# records before the damage.
same_as_prefix() { # STATUS LABEL ARGS... (with CUT standing for the input)
  local want=$1 label=$2
  shift 2
  local args=("$@") i
  for i in "${!args[@]}"; do [ "${args[$i]}" = CUT ] && args[$i]=prefix.fq; done
  run "${args[@]}"
  cp out want.out
  for i in "${!args[@]}"; do [ "${args[$i]}" = prefix.fq ] && args[$i]=$BAD; done
  run "${args[@]}"
  expect_status "$want" "$label, $BAD"
  expect_err_is "$BAD_LINE"
  expect_out_file want.out
}
check_tools cut.fq.gz "ERROR: cut.fq.gz: gzip input is corrupt or truncated (unexpected end of file); reading stopped early" 1
check_tools nul.fq "ERROR: nul.fq is not text (it holds a NUL byte)" 3

# Binary data in the first block is refused before anything is written, with
# each tool's status for an input it cannot open.
printf '@r1\nACGT\n+\nII\000I\n' >bin.fq
for t in "3 fastq_stats" "3 fastq_trim 30 20" "3 qual_convert S I" \
  "1 fastq_filter 20 60 bo" "1 fq_len_filter 0 bo" "1 sample_reads 0 bo"; do
  set -- $t
  want=$1
  shift
  run "$@" bin.fq
  expect_status $want "$*, binary"
  expect_err_line "ERROR: bin.fq is not text (it holds a NUL byte)"
  CHECKS=$((CHECKS + 1))
  [ "$(grep -vc '^Original format\|^New format' err)" -eq 1 ] || fail "$*, binary: $(cat err)"
  expect_out_empty
  CHECKS=$((CHECKS + 1))
  ! ls bo*.fq >/dev/null 2>&1 || fail "$*, binary: wrote $(ls bo*.fq)"
done
rm -f bin.fq

# A last record cut in its sequence line is no read.
{ head -n 11997 whole.fq && sed -n 11998p whole.fq | head -c 20; } >seq_cut.fq
head -n 11996 whole.fq >want.fq
run fastq_stats want.fq
cp out want.out
run fastq_stats seq_cut.fq
expect_status 0 "fastq_stats, sequence cut"
expect_err_is "Warning: seq_cut.fq: the last FASTQ record is cut short and was skipped"
expect_out_file want.out

# A read error is a damage too.
if have_read_error_file; then
  run fastq_stats /proc/self/mem
  expect_status 1 "read error"
  expect_err_is "ERROR: /proc/self/mem: read error (Input/output error); reading stopped early"
fi
finish
