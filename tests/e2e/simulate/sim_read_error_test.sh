# The genome-reading simulators on a genome they cannot read as FASTA text.
. "$(dirname "$0")/../lib.sh"

# A gzip-compressed or binary genome is refused with one ERROR line and
# status 3, and leaves no output file behind: neither when its start shows it
# nor when only the load does (a NUL far into the file, or a FIFO).
printf '>a\n%s\n' "$(head -c 400 /dev/zero | tr '\0' A)" >g.fa
gzip -c g.fa >g.fa.gz
printf '>a\nACGT\0ACGT\n' >nul.fa
{
  cat g.fa
  head -c 100000 /dev/zero | tr '\0' C
  printf '\0\n'
} >late.fa
mkfifo pipe.fa
refused() { # WHAT GENOME MESSAGE
  expect_status 3 "$1"
  CHECKS=$((CHECKS + 1))
  [ "$(tail -n 1 err)" = "ERROR: $2 $3" ] || fail "$1: $(cat err)"
  expect_out_empty
  CHECKS=$((CHECKS + 1))
  [ -z "$(ls mut.* pp_* 2>/dev/null)" ] || fail "$1: output left: $(ls mut.* pp_*)"
}
GZ="is gzip-compressed; decompress it first"
NUL="is not a text file (it holds a NUL byte)"
for genome in g.fa.gz nul.fa late.fa pipe.fa; do
  msg=$NUL
  [ "$genome" = g.fa.gz ] && msg=$GZ
  for cmd in "random_genome $genome 1 1 1 mut" "single_reads $genome 50 3 1 1" \
    "gap_reads $genome 50 3 1 1 2" "pair_reads $genome 50 50 3 1 200 10 0 pp"; do
    [ "$genome" = pipe.fa ] && (timeout 20 sh -c 'cat nul.fa >pipe.fa' &)
    # shellcheck disable=SC2086
    run $cmd
    refused "$cmd" "$genome" "$msg"
  done
done

# Binary data without a newline is refused after its first block, in the
# memory of a block: /dev/zero, and a 1 GB file of NULs (sparse, so it costs
# no disk). The cap stops a reader that would hold it whole.
truncate -s 1G zeros.fa
for genome in /dev/zero zeros.fa; do
  for cmd in "random_genome $genome 1 1 1 mut" "single_reads $genome 50 3 1 1" \
    "gap_reads $genome 50 3 1 1 2" "pair_reads $genome 50 50 3 1 200 10 0 pp"; do
    # shellcheck disable=SC2086
    CAP_KB=3000000 run_peak $cmd
    refused "$cmd" "$genome" "$NUL"
    expect_peak_below 300000 "$cmd"
  done
done

# A genome larger than the memory ends the run with one line naming the
# command and status 1, leaves no temporary file, and keeps the outputs of
# an earlier run as they were. 24 Mbp need some 80 MB; the program starts
# in under 20 MB. The sanitizer runtime cannot start under an address-space
# limit.
if ! sanitized && have python3; then
  python3 "$SRC/bench/make_genome.py" 24000000 big.fa 1 1
  for f in mut.fa mut.fa.map mut.edits pp_1.fq pp_2.fq; do echo old >"$f"; done
  for cmd in "random_genome big.fa 0.01 0.001 1 mut" "single_reads big.fa 50 3 1 1" \
    "pair_reads big.fa 50 50 3 1 200 10 0 pp"; do
    (
      ulimit -v 40000
      # shellcheck disable=SC2086
      run $cmd
      echo "$STATUS" >status.txt
    )
    STATUS=$(cat status.txt)
    expect_status 1 "$cmd, out of memory"
    expect_err_is "Found chr1" "ERROR: ${cmd%% *}: not enough memory"
    expect_out_empty
  done
  CHECKS=$((CHECKS + 1))
  [ "$(cat mut.fa mut.fa.map mut.edits pp_1.fq pp_2.fq)" = "$(printf 'old\n%.0s' 1 2 3 4 5)" ] ||
    fail "out of memory: an earlier output changed"
  CHECKS=$((CHECKS + 1))
  ! ls -A | grep -q 'tmp$' || fail "out of memory: temporary file left: $(ls -A)"
  rm -f mut.* pp_*
fi

# A read error is not the end of the genome, so no read is made and the run
# ends with one ERROR line naming the file and the reason, and the status of
# a genome that cannot be read.
have_read_error_file || finish
LINE="ERROR: /proc/self/mem: read error (Input/output error)"
run random_genome /proc/self/mem 0.1 0.01 1 mut
expect_status 3 "random_genome"
expect_err_is "$LINE"
run single_reads /proc/self/mem 50 3 1 1
expect_status 3 "single_reads"
expect_err_is "$LINE"
expect_out_empty
run gap_reads /proc/self/mem 50 3 1 1 2
expect_status 3 "gap_reads"
expect_err_is "$LINE"
expect_out_empty
run pair_reads /proc/self/mem 50 50 3 1 200 10 0 pp
expect_status 3 "pair_reads"
expect_err_is "$LINE"
CHECKS=$((CHECKS + 1))
[ ! -s pp_1.fq ] && [ ! -s pp_2.fq ] || fail "pair_reads wrote reads"
finish
