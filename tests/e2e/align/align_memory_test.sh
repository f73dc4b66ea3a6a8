# align: a worker that runs out of memory ends the run with one line and
# status 1, as the main thread does: no abort, the side files' temporary
# names removed, the earlier side files kept, and no record cut short on
# standard output.
. "$(dirname "$0")/../lib.sh"

D=$SRC/tests/data/aligner
run index "$D/genome.fa" 14 g.tidx
expect_status 0 "index"

# A read of 8 Mbases needs some 500 MB in the worker that aligns it; the
# index loads and eight workers start in about 100 MB.
CAP_KB=200000
BIG=$(awk 'BEGIN { s = "ACGTACGTACGTACGT"; while (length(s) < 8388608) s = s s; print s }')
{
  head -n 8 "$D/reads.fq"
  printf '@big\n%s\n+\n%s\n' "$BIG" "$(echo "$BIG" | tr ACGT IIII)"
} >big.fq
head -n 8 "$D/pairs_1.fq" >big_1.fq
head -n 8 "$D/pairs_2.fq" >big_2.fq
printf '@big\n%s\n+\n%s\n' "$BIG" "$(echo "$BIG" | tr ACGT IIII)" | tee -a big_1.fq >>big_2.fq

# capped ARGS...: like run, under the address-space cap.
capped() {
  (
    ulimit -v "$CAP_KB"
    run "$@"
    echo "$STATUS" >status.txt
  )
  STATUS=$(cat status.txt)
}

# The sanitizer runtime cannot start under an address-space limit.
if ! sanitized; then
  for threads in 1 8; do
    for reads in "-1 big.fq" "-1 big_1.fq -2 big_2.fq"; do
      label="-p $threads $reads"
      for f in hy.fq hy_1.fq hy_2.fq; do echo "earlier $f" >"$f"; done
      # shellcheck disable=SC2086
      capped align g.tidx $reads -p $threads -y hy
      expect_status 1 "$label"
      expect_err_line "Number of threads: $threads"
      CHECKS=$((CHECKS + 1))
      [ "$(tail -n 1 err)" = "ERROR: align: not enough memory" ] &&
        ! grep -q -e terminate -e Aborted err ||
        fail "$label: stderr ends [$(tail -n 2 err)]"
      CHECKS=$((CHECKS + 1))
      [ "$(cat hy.fq hy_1.fq hy_2.fq)" = "$(printf 'earlier %s\n' hy.fq hy_1.fq hy_2.fq)" ] ||
        fail "$label: an earlier side file changed"
      CHECKS=$((CHECKS + 1))
      ! ls -A | grep -q '\.tmp' || fail "$label: temporary file left: $(ls -A | grep '\.tmp')"
      # Whatever was written is whole records.
      CHECKS=$((CHECKS + 1))
      grep -q '^@SQ' out && [ "$(tail -c 1 out | od -An -c | tr -d ' ')" = '\n' ] &&
        awk -F '\t' '!/^@/ && NF < 11 { exit 1 }' out ||
        fail "$label: standard output holds a cut record"
    done
  done
fi
# An open that fails for want of memory (strace makes the kernel say
# ENOMEM) is not a reads file that cannot be opened: neither the check
# that the file can be read (the first open) nor the reader's own (the
# second). fastq_stats stands for the tools that share the reader.
if have_strace; then
  enomem_open() {
    local path=$1 when=$2
    shift 2
    strace_run -o /dev/null -P "$path" -e trace=openat \
      -e inject=openat:error=ENOMEM:when="$when" -- "$@"
  }
  for when in 1 2; do
    enomem_open big_2.fq $when align g.tidx -1 big_1.fq -2 big_2.fq
    expect_status 1 "align, open $when of the second mate file fails"
    CHECKS=$((CHECKS + 1))
    [ "$(tail -n 1 err)" = "ERROR: align: not enough memory" ] ||
      fail "align, open $when of big_2.fq: stderr ends [$(tail -n 1 err)]"
  done
  enomem_open big.fq 1 fastq_stats big.fq
  expect_status 1 "fastq_stats, the open fails"
  CHECKS=$((CHECKS + 1))
  [ "$(tail -n 1 err)" = "ERROR: fastq_stats: not enough memory" ] ||
    fail "fastq_stats, the open fails: stderr ends [$(tail -n 1 err)]"
fi
finish
