# A run that fails, or is stopped by a signal, leaves the files it would
# have written as they were, and no temporary file beside them.
. "$(dirname "$0")/lib.sh"
D=$SRC/tests/data

# prefill FILE...: gives each file an earlier content of its own.
prefill() {
  local f
  for f in "$@"; do echo "earlier $f" >"$f"; done
}

# kept LABEL FILE...: each file still holds what prefill gave it, and no
# temporary file is left.
kept() {
  local label=$1 f
  shift
  for f in "$@"; do
    CHECKS=$((CHECKS + 1))
    [ "$(cat "$f" 2>/dev/null)" = "earlier $f" ] || fail "$label: $f changed"
  done
  CHECKS=$((CHECKS + 1))
  ! ls -A | grep -q '\.tmp' || fail "$label: temporary file left: $(ls -A | grep '\.tmp')"
}

RG="keep.fa keep.edits keep.fa.map"
: >empty.fa
prefill $RG
run random_genome empty.fa 1 0.1 1 keep
expect_status 3 "random_genome, no sequence"
kept "random_genome, no sequence" $RG

# A NUL past the block checked before the outputs are made.
{
  printf '>c\n'
  for _ in $(seq 1500); do printf 'ACGTACGTACGTACGTACGTACGTACGTACGTACGTACGTACGTACGTAC\n'; done
  printf 'AC\000GT\n'
} >nul.fa
run random_genome nul.fa 1 0.1 1 keep
expect_status 3 "random_genome, late NUL"
kept "random_genome, late NUL" $RG

printf '>c\nACGTACGTACGTACGTACGT\n>c\nACGTACGTACGTACGTACGT\n' >dup.fa
prefill d_1.fq d_2.fq
run pair_reads dup.fa 5 5 10 0 10 1 0 d
expect_status 2 "pair_reads, name met twice"
kept "pair_reads, name met twice" d_1.fq d_2.fq

printf 'not a map\n' >bad.map
prefill c_wrong.fq c_wrong.sam c.err
run check_single bad.map "$D/simulate/single.sam" 0 10 20 c
expect_status 1 "check_single, bad map"
kept "check_single, bad map" c_wrong.fq c_wrong.sam c.err

# The report goes to a pipe whose reader is gone.
mkfifo closed.pipe
(exec 3<closed.pipe) &
exec 5>closed.pipe
wait $!
prefill c_wrong.fq c_wrong.sam c.err
"$BIN" check_single "$D/simulate/single.sam" 0 10 20 c >&5 2>/dev/null
exec 5>&-
kept "check_single, closed pipe" c_wrong.fq c_wrong.sam c.err

prefill f_1.fq f_2.fq f_reject_1.fq f_reject_2.fq
head -n 4 "$D/tools/reads_2.fq" >short.fq
run fq_len_filter 0 f "$D/tools/reads_1.fq" short.fq
expect_status 1 "fq_len_filter, unequal files"
kept "fq_len_filter, unequal files" f_1.fq f_2.fq f_reject_1.fq f_reject_2.fq

# Stopped while it reads its genome from a pipe.
mkfifo genome.pipe
"$BIN" random_genome genome.pipe 1 0.1 1 keep >out 2>err &
pid=$!
exec 3>genome.pipe
printf '>c\nACGTACGTAC\n' >&3
for _ in $(seq 1000); do
  ls -A | grep -q '^\.keep\.fa\.map\.[0-9]*\.tmp$' && break
  sleep 0.01
done
kill -s TERM $pid
exec 3>&-
wait $pid 2>/dev/null
STATUS=$?
expect_status 143 "random_genome, SIGTERM"
kept "random_genome, SIGTERM" $RG
finish
