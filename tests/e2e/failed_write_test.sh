# Once a write to standard output has failed, nothing more is written to
# it: what a failed run leaves is the start of the whole run's output, with
# no hole in the middle, and the run ends with its write error and status.
# A write that fails once (strace makes the kernel answer EIO) stands for a
# failing disk; a file size limit stands for a full one, which may cut the
# output inside a record.
. "$(dirname "$0")/lib.sh"

gzip -dc "$DATA/lambda.fa.gz" >l.fa
run single_reads l.fa 100 2000 1 10
expect_status 0 "single reads"
mv out r.fq
awk 'NR % 4 == 2' r.fq >raw.txt

# Each case: status of a failed write, its line, the command.
CASES=(
  "1|Error: cannot write: standard output|raw2fasta raw.txt"
  "1|Error: cannot write: standard output|fastq_trim 20 20 r.fq"
  "3|Error: cannot write: standard output|qual_convert S I r.fq"
  "1|ERROR: Could not write to standard output|single_reads l.fa 100 2000 1 10"
  "1|ERROR: Could not write to standard output|gap_reads l.fa 100 2000 1 1 3"
)

# expect_start LABEL: out is a shorter start of whole.out.
expect_start() {
  local size
  size=$(stat -c %s out)
  CHECKS=$((CHECKS + 1))
  [ "$size" -lt "$(stat -c %s whole.out)" ] && head -c "$size" whole.out | cmp -s - out ||
    fail "$1: the output ($size bytes) is not a shorter start of the whole output"
}

# expect_failed STATUS LINE LABEL: the run ended as a failed write does.
expect_failed() {
  expect_status "$1" "$3"
  CHECKS=$((CHECKS + 1))
  [ "$(tail -n 1 err)" = "$2" ] || fail "$3: stderr ends [$(tail -n 1 err)]"
}

for c in "${CASES[@]}"; do
  IFS='|' read -r status line cmd <<<"$c"
  # shellcheck disable=SC2086
  run $cmd
  expect_status 0 "$cmd, whole"
  mv out whole.out
  # A full disk: the write that reaches the limit is cut short, the next
  # fails (EFBIG, with SIGXFSZ ignored as the limit's signal).
  for kb in 64 150; do
    # shellcheck disable=SC2086
    (trap '' XFSZ && ulimit -f "$kb" && run $cmd && echo "$STATUS" >status.txt)
    STATUS=$(cat status.txt)
    expect_failed "$status" "$line" "$cmd, limit $kb kB"
    expect_start "$cmd, limit $kb kB"
  done
  if have_strace; then
    for n in 1 2 3 5; do
      # shellcheck disable=SC2086
      strace_run -o /dev/null -P "$PWD/out" -e trace=write \
        -e inject=write:error=EIO:when="$n" -- $cmd
      expect_failed "$status" "$line" "$cmd, write $n fails"
      expect_start "$cmd, write $n fails"
    done
  fi
done
finish
