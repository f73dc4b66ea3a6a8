# The failing-allocation sweep, sourced after lib.sh by the scripts that
# run it. A command's whole run is counted; then it runs once for every
# operator new it makes, with that one call failing. The calls fail through
# a preloaded library (libfail_nth_new.so, built beside the program), as an
# address-space cap cannot reach a buffer that reuses memory already held.
# Each run must either run whole (when it could do without that memory), or
# say "not enough memory" with status 1 and leave its directory as it found
# it, or abort before the banner (the runtime's own start failing).

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

# The process id every run sees: temporary names hold it, so their length
# and with it the number of allocations would follow the real one. Seven
# digits, as many as any pid_max allows, make every allocation a pid could.
SWEEP_PID=4194303

# The runs of a sweep are shared among this many jobs: half the cores, as
# the other tests run beside it.
JOBS=$(($(nproc 2>/dev/null || echo 4) / 2))
[ "$JOBS" -ge 2 ] 2>/dev/null || JOBS=2

# A directory whose files each run starts with (such as an earlier output
# that a failed run must leave as it was); empty for none.
SEED=""
# The lines, one a line, a run that ran out of memory may end with; empty
# for "ERROR: <name>: not enough memory".
NO_MEMORY=""

# prepare WHAT ARGS...: a run that makes the script's inputs.
prepare() {
  local what=$1
  shift
  run "$@"
  expect_status 0 "$what"
}

# one_run N DIR ARGS...: runs the program in DIR, made afresh from SEED,
# with its N-th operator new failing (none for 0); standard output and
# error in DIR.out and DIR.err, the library's notes in DIR.count, status in
# STATUS.
one_run() {
  local n=$1 dir=$2
  shift 2
  rm -rf "$dir" "$dir.count" && mkdir "$dir"
  [ -z "$SEED" ] || cp -pR "$SEED/." "$dir"
  # The shell's own line for an aborted run is not the program's.
  { (cd "$dir" && LD_PRELOAD=$LIB VENKARI_FAIL_NEW=$n VENKARI_PID=$SWEEP_PID \
    VENKARI_NEW_COUNT="../$dir.count" exec "$BIN" "$@" >"../$dir.out" 2>"../$dir.err"); } 2>/dev/null
  STATUS=$?
}

# as_found DIR: DIR holds what SEED does, and nothing else.
as_found() {
  if [ -z "$SEED" ]; then
    [ -z "$(ls -A "$1")" ]
  else
    diff -r "$SEED" "$1" >/dev/null
  fi
}

# sweep_part NAME TOTAL K ARGS...: of a sweep over TOTAL allocations, the
# runs with allocation K + 1, K + 1 + JOBS, ... failing, in directory oneK;
# FAIL lines go to standard error, "CHECKS FAILS" of the part to standard
# output.
sweep_part() {
  local name=$1 total=$2 dir=one$3 n first last
  local start=$(($3 + 1)) no_memory=${NO_MEMORY:-"ERROR: $1: not enough memory"}
  shift 3
  CHECKS=0
  FAILS=0
  for n in $(seq "$start" "$JOBS" "$total"); do
    one_run "$n" "$dir" "$@"
    first=""
    read -r first 2>/dev/null <"$dir.count"
    CHECKS=$((CHECKS + 1))
    # Runs in a fresh directory make the same calls in the same order up
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
      printf '%s\n' "$no_memory" | grep -qxF -e "$last" && as_found "$dir" ||
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
