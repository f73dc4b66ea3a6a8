# The FASTQ tools on read files that turn out damaged (a gzip file cut
# short, a file whose reading fails): one ERROR line per damaged file and a
# failure status. A tool writing to standard output has written what it read
# before the damage; one writing named files has written none of them.
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
CUT_LINE="ERROR: cut.fq.gz: gzip input is corrupt or truncated (unexpected end of file); reading stopped early"

# The records read before the damage, as fastq_stats counts them.
run fastq_stats cut.fq.gz
expect_status 1 "fastq_stats, cut"
expect_err_is "$CUT_LINE"
n=$(awk -F, '{ s += $2 } END { print s + 0 }' out)
CHECKS=$((CHECKS + 1))
[ "$n" -gt 100 ] && [ "$n" -lt 3000 ] || fail "$n records before the damage"
head -n $((4 * n)) whole.fq >prefix.fq
head -n $((4 * n)) mates.fq >prefix_mates.fq

# Each tool: status, the one line, and the output of the same run on the
# records before the damage.
same_as_prefix() { # STATUS LABEL ARGS... (with CUT standing for the input)
  local want=$1 label=$2
  shift 2
  local args=("$@") i
  for i in "${!args[@]}"; do [ "${args[$i]}" = CUT ] && args[$i]=prefix.fq; done
  run "${args[@]}"
  cp out want.out
  for i in "${!args[@]}"; do [ "${args[$i]}" = prefix.fq ] && args[$i]=cut.fq.gz; done
  run "${args[@]}"
  expect_status "$want" "$label"
  expect_err_is "$CUT_LINE"
  expect_out_file want.out
}
same_as_prefix 1 "fastq_stats" fastq_stats CUT
same_as_prefix 1 "fastq_trim" fastq_trim 30 20 CUT
run qual_convert S I prefix.fq
cp out want.out
run qual_convert S I cut.fq.gz
expect_status 3 "qual_convert"
expect_err_is "Original format: Sanger" "New format: Illumina 1.3+" "$CUT_LINE"
expect_out_file want.out

# no_outputs LABEL: the last run left no file but the test's own.
ls >own.list
no_outputs() {
  CHECKS=$((CHECKS + 1))
  ls -A | grep -vxF -f own.list -e own.list -e out -e err -e err.full |
    grep -q . && fail "$1: files left: $(ls -A | grep -vxF -f own.list)"
}
run fastq_filter 20 60 p cut.fq.gz
expect_status 1 "fastq_filter"
expect_err_is "$CUT_LINE"
no_outputs "fastq_filter"
run sample_reads 25 s cut.fq.gz
expect_status 1 "sample_reads"
expect_err_is "$CUT_LINE"
no_outputs "sample_reads"
# Damage that leaves fewer reads than asked for is the fault named.
run sample_reads 2900 s cut.fq.gz
expect_status 1 "sample_reads, too few left"
expect_err_is "$CUT_LINE"

# Paired: a damaged file is no length fault, whichever file is damaged.
for order in 1 2; do
  if [ $order = 1 ]; then a=cut.fq.gz b=mates.fq; else a=mates.fq b=cut.fq.gz; fi
  run fq_len_filter 50 lp $a $b
  expect_status 1 "paired filter, file $order damaged"
  expect_err_is "$CUT_LINE"
  no_outputs "paired filter, file $order damaged"
  run sample_reads 25 sp $a $b
  expect_status 1 "paired sample, file $order damaged"
  expect_err_is "$CUT_LINE"
  no_outputs "paired sample, file $order damaged"
done

# A read error is a damage too.
if have_read_error_file; then
  run fastq_stats /proc/self/mem
  expect_status 1 "read error"
  expect_err_is "ERROR: /proc/self/mem: read error (Input/output error); reading stopped early"
fi
finish
