# Out of memory anywhere after start-up, a command says "not enough memory"
# and ends with status 1, writing no named file; status 0 comes only with
# the whole output. Each command runs under address-space caps from the
# least the program starts in, in small steps, until it has run whole at
# many caps in a row, so that allocations fail at every place in turn.
. "$(dirname "$0")/lib.sh"

# The sanitizer runtime cannot start under an address-space limit.
sanitized && {
  echo "skipped: a sanitizer build cannot run under a memory cap" >&2
  exit $SKIP_STATUS
}

STEP_KB=8
WHOLE_RUNS=30
# A command that has not run whole by this much above the start fails.
MAX_SPAN_KB=20000

gzip -dc "$DATA/lambda.fa.gz" >l.fa
run single_reads l.fa 100 2000 1 1
expect_status 0 "single_reads"
mv out r.fq
gzip -c r.fq >r.fq.gz
run index l.fa 14 l.tidx
run align l.tidx -1 r.fq
mv out r.sam
run pair_reads l.fa 100 100 300 0 250 25 0 p
run align l.tidx -1 p_1.fq -2 p_2.fq
mv out p.sam

# capped_run KB DIR ARGS...: runs the program under a cap of KB in the
# empty directory DIR; stdout, stderr and status beside it.
capped_run() {
  local kb=$1 dir=$2
  shift 2
  rm -rf "$dir" && mkdir "$dir"
  # The shell's own line for an aborted run is not the program's.
  { (cd "$dir" && ulimit -v "$kb" && exec "$BIN" "$@" >../capped.out 2>../capped.err); } 2>/dev/null
  echo $? >capped.status
}

# The least cap the program starts in: below it, the runtime or the
# allocator cannot even start.
starts() { capped_run "$1" probe && grep -q '^Usage' capped.err; }
start_kb=4000
while ! starts $start_kb; do start_kb=$((start_kb + 512)); done
while starts $((start_kb - STEP_KB)); do start_kb=$((start_kb - STEP_KB)); done

# whole_records N: capped.out is the start of the whole run's output and
# ends at the end of a record of N lines (or is empty).
whole_records() {
  local bytes lines
  bytes=$(wc -c <capped.out)
  lines=$(wc -l <capped.out)
  [ "$bytes" = 0 ] && return 0
  cmp -s -n "$bytes" capped.out whole.out && [ "$(tail -c 1 capped.out | od -An -tx1 | tr -d ' ')" = 0a ] &&
    [ $((lines % $1)) = 0 ]
}

# sweep NAME ARGS...: the command's whole run, then every capped one. With
# RECORD_LINES set, what a failed run leaves on standard output must be
# whole records of that many lines.
sweep() {
  local name=$1 kb=$((start_kb - STEP_KB)) whole_runs=0 status last
  shift
  capped_run 4000000 whole "$@"
  cp capped.out whole.out
  CHECKS=$((CHECKS + 1))
  [ "$(cat capped.status)" = 0 ] || {
    fail "$name: the uncapped run failed"
    return
  }
  while [ $whole_runs -lt $WHOLE_RUNS ]; do
    CHECKS=$((CHECKS + 1))
    [ $kb -lt $((start_kb + MAX_SPAN_KB)) ] || {
      fail "$name: no whole run up to $kb kB"
      return
    }
    kb=$((kb + STEP_KB))
    capped_run "$kb" capped "$@"
    status=$(cat capped.status)
    last=$(grep -v 'tcmalloc' capped.err | tail -n 1)
    CHECKS=$((CHECKS + 1))
    case $status in
    0)
      whole_runs=$((whole_runs + 1))
      cmp -s capped.out whole.out && diff -r capped whole >/dev/null ||
        fail "$name at $kb kB: status 0 with output other than the whole run's"
      ;;
    1)
      whole_runs=0
      [ "$last" = "ERROR: $name: not enough memory" ] &&
        [ -z "$(ls -A capped)" ] ||
        fail "$name at $kb kB: status 1 with [$last], files [$(ls -A capped)]"
      [ -z "${RECORD_LINES:-}" ] || {
        CHECKS=$((CHECKS + 1))
        whole_records "$RECORD_LINES" ||
          fail "$name at $kb kB: standard output ends in a cut record [$(tail -n 1 capped.out | cut -c 1-40)]"
      }
      ;;
    134)
      whole_runs=0
      # Before main the allocator or the runtime may fail on its own; and
      # when the runtime could not set aside memory for an exception at
      # start-up, it cannot raise one later ("without an active
      # exception"). Neither is the program's doing.
      grep -q '^\*\*venkari-basic' capped.err &&
        [ "$last" != "terminate called without an active exception" ] &&
        fail "$name at $kb kB: aborted [$last]"
      ;;
    *) fail "$name at $kb kB: status $status [$last]" ;;
    esac
  done
}

sweep fastq_stats fastq_stats ../r.fq
sweep fastq_stats fastq_stats ../r.fq.gz
sweep fq_len_filter fq_len_filter 50 f ../r.fq.gz
sweep check_single check_single ../r.sam 5 2000 0 cs
sweep check_pair check_pair ../p.sam 5 300 0 0 cp
sweep single_reads single_reads ../l.fa 100 300 1 1
sweep pair_reads pair_reads ../l.fa 100 75 300 0 250 25 0 pr
# The tools that write records to standard output build each one in their
# output buffer.
awk 'NR % 4 == 2' r.fq >raw.txt
RECORD_LINES=2 sweep raw2fasta raw2fasta ../raw.txt
RECORD_LINES=4 sweep qual_convert qual_convert S I ../r.fq
RECORD_LINES=4 sweep fastq_trim fastq_trim 30 20 ../r.fq
finish
