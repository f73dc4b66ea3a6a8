# Out of memory at any one allocation, a simulator or checker either runs
# whole (when it could do without that memory) or says "not enough memory"
# with status 1 and writes no named file: a string stream that could not
# grow must not cut a read name or a SAM field silently. Each command's
# whole run is counted; then it runs once for every operator new it makes,
# with that one call failing. The calls fail through a preloaded library
# (libfail_nth_new.so, built beside the program), as an address-space cap
# cannot reach a buffer that reuses memory already held.
. "$(dirname "$0")/lib.sh"

LIB=$(dirname "$BIN")/libfail_nth_new.so
# The sanitizer runtime must be the first library loaded.
sanitized && {
  echo "skipped: a sanitizer build cannot take a preloaded allocator" >&2
  exit $SKIP_STATUS
}
[ -f "$LIB" ] || {
  echo "skipped: $LIB is not built" >&2
  exit $SKIP_STATUS
}
# An abort before main leaves no core file among the outputs.
ulimit -c 0

# prepare WHAT ARGS...: a run that makes this script's inputs.
prepare() {
  local what=$1
  shift
  run "$@"
  expect_status 0 "$what"
}

# Some reads are placed wrong (moved 30 bases) or left unmapped, so that the
# checkers write _wrong files too.
misplace() {
  awk 'BEGIN { FS = OFS = "\t" } /^@/ { print; next }
    { n++ } n % 5 == 3 { $4 += 30 } n % 7 == 0 { $2 += 4 } { print }' "$1" >"$2"
}

gzip -dc "$DATA/lambda.fa.gz" >l.fa
prepare "single reads" single_reads l.fa 100 20 1 10
mv out r.fq
prepare "index" index l.fa 14 l.tidx
prepare "single alignment" align l.tidx -1 r.fq
misplace out r.sam
prepare "pairs" pair_reads l.fa 100 75 20 1 250 25 10 p
prepare "pair alignment" align l.tidx -1 p_1.fq -2 p_2.fq
misplace out p.sam
# Pairs from a mutated copy, judged through its map.
prepare "mutated genome" random_genome l.fa 1 0.01 1 g
prepare "mutated pairs" pair_reads g.fa 100 75 20 1 250 25 10 q
prepare "mutated pair alignment" align l.tidx -1 q_1.fq -2 q_2.fq
misplace out q.sam

# one_run N DIR ARGS...: runs the program in the empty directory DIR with
# its N-th operator new failing (none for 0); standard output and error in
# DIR.out and DIR.err, the library's notes in DIR.count, status in STATUS.
one_run() {
  local n=$1 dir=$2
  shift 2
  rm -rf "$dir" "$dir.count" && mkdir "$dir"
  # The shell's own line for an aborted run is not the program's.
  { (cd "$dir" && LD_PRELOAD=$LIB VENKARI_FAIL_NEW=$n \
    VENKARI_NEW_COUNT="../$dir.count" exec "$BIN" "$@" >"../$dir.out" 2>"../$dir.err"); } 2>/dev/null
  STATUS=$?
}

# The runs of a sweep are shared among this many jobs.
JOBS=2

# sweep_part NAME TOTAL K ARGS...: of a sweep over TOTAL allocations, the
# runs with allocation K + 1, K + 1 + JOBS, ... failing, in directory oneK;
# FAIL lines go to standard error, "CHECKS FAILS" of the part to standard
# output.
sweep_part() {
  local name=$1 total=$2 dir=one$3 n first last
  local start=$(($3 + 1))
  shift 3
  CHECKS=0
  FAILS=0
  for n in $(seq "$start" "$JOBS" "$total"); do
    one_run "$n" "$dir" "$@"
    first=""
    read -r first 2>/dev/null <"$dir.count"
    CHECKS=$((CHECKS + 1))
    # Runs in an empty directory make the same calls in the same order up
    # to the failing one; if not, this sweep would miss places.
    [ "$first" = "failed $n" ] || {
      fail "$name: allocation $n of $total was never made (status $STATUS)"
      continue
    }
    last=$(tail -n 1 "$dir.err")
    CHECKS=$((CHECKS + 1))
    case $STATUS in
    0)
      cmp -s "$dir.out" whole.out && cmp -s "$dir.err" whole.err &&
        diff -r "$dir" whole >/dev/null ||
        fail "$name, allocation $n failing: status 0 with output other than the whole run's:" \
          "$({ diff "$dir.out" whole.out; diff "$dir.err" whole.err; diff -r "$dir" whole; } | head -8)"
      ;;
    1)
      [ "$last" = "ERROR: $name: not enough memory" ] && [ -z "$(ls -A "$dir")" ] ||
        fail "$name, allocation $n failing: status 1 with [$last], files [$(ls -A "$dir")]"
      ;;
    134)
      # Before main the runtime itself may fail; that is not the program's
      # doing.
      ! grep -q '^\*\*venkari-basic' "$dir.err" ||
        fail "$name, allocation $n failing: aborted after the banner [$last]"
      ;;
    *) fail "$name, allocation $n failing: status $STATUS [$last]" ;;
    esac
  done
  echo "$CHECKS $FAILS"
}

# sweep NAME ARGS...: the command's whole run, then one run for each of
# its allocations failing.
sweep() {
  local name=$1 total part checks fails
  shift
  one_run 0 whole "$@"
  CHECKS=$((CHECKS + 1))
  [ "$STATUS" -eq 0 ] || {
    fail "$name: the whole run ended with status $STATUS: $(tail -n 1 whole.err)"
    return
  }
  total=$(sed -n 's/^calls //p' whole.count 2>/dev/null)
  CHECKS=$((CHECKS + 1))
  [ "${total:-0}" -gt 0 ] || {
    fail "$name: no allocation counted; $LIB was not used"
    return
  }
  for part in $(seq 0 $((JOBS - 1))); do
    sweep_part "$name" "$total" "$part" "$@" >"part$part" &
  done
  wait
  for part in $(seq 0 $((JOBS - 1))); do
    checks=""
    fails=""
    read -r checks fails <"part$part"
    CHECKS=$((CHECKS + ${checks:-1}))
    FAILS=$((FAILS + ${fails:-1}))
  done
}

sweep single_reads single_reads ../l.fa 100 20 1 10
sweep pair_reads pair_reads ../l.fa 100 75 20 1 250 25 10 pr
sweep gap_reads gap_reads ../l.fa 100 20 1 1 3
sweep gap_reads gap_reads ../l.fa 100 20 1 2 -2
sweep random_genome random_genome ../l.fa 1 0.01 1 rg
sweep check_single check_single ../r.sam 0 20 0 cs
sweep check_pair check_pair ../p.sam 0 20 0 0 cp
# With a map, an alignment at its origin is one base off.
sweep check_pair check_pair ../g.fa.map ../q.sam 1 20 0 0 cq
finish
