# Shared helpers for the end-to-end scripts. Each script is called as
#   bash script.sh <program> <source dir> <data dir>
# and runs the program in a scratch directory that is removed afterwards.
set -u
BIN=$1
SRC=$2
DATA=$3
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
cd "$WORK" || exit 1
FAILS=0
CHECKS=0
MISSING=""
# CTest reports a script that ends with this status as skipped.
SKIP_STATUS=77
BANNER_LINES=5

# True for a build under a sanitizer, whose runtime cannot start under an
# address-space limit.
sanitized() { grep -q -e __asan_init -e __tsan_init "$BIN"; }

fail() {
  echo "FAIL: $*" >&2
  FAILS=$((FAILS + 1))
}

# run ARGS...: stdout to out, stderr (without the banner) to err, status in STATUS.
run() {
  "$BIN" "$@" >out 2>err.full
  STATUS=$?
  tail -n +$((BANNER_LINES + 1)) err.full >err
}

# run_in FILE ARGS...: like run, with standard input from FILE.
run_in() {
  local input=$1
  shift
  "$BIN" "$@" <"$input" >out 2>err.full
  STATUS=$?
  tail -n +$((BANNER_LINES + 1)) err.full >err
}

# run_peak ARGS...: like run, and the peak resident memory of the run in kB
# in PEAK_KB; empty when /usr/bin/time is missing (remembered as a skip).
# With CAP_KB set, the run's address space is capped at that many kB (not
# under a sanitizer, whose runtime cannot start so): a run that would hold
# an endless stream stops there instead of filling the machine.
run_peak() {
  PEAK_KB=""
  if have /usr/bin/time; then
    (
      if [ -n "${CAP_KB:-}" ] && ! sanitized; then ulimit -v "$CAP_KB"; fi
      exec /usr/bin/time -f %M -o peak.kb "$BIN" "$@"
    ) >out 2>err.full
    STATUS=$?
    PEAK_KB=$(tail -n 1 peak.kb)
  else
    "$BIN" "$@" >out 2>err.full
    STATUS=$?
  fi
  tail -n +$((BANNER_LINES + 1)) err.full >err
}

# expect_peak_below KB WHAT: the last run_peak stayed below KB (no check
# without /usr/bin/time).
expect_peak_below() {
  [ -n "$PEAK_KB" ] || return 0
  CHECKS=$((CHECKS + 1))
  [ "$PEAK_KB" -lt "$1" ] 2>/dev/null || fail "${2:-}: peak memory $PEAK_KB kB, limit $1 kB"
}

expect_status() {
  CHECKS=$((CHECKS + 1))
  [ "$STATUS" -eq "$1" ] || fail "${2:-}: status $STATUS, expected $1 (stderr: $(head -c 300 err))"
}

# The standard error body holds this exact line.
expect_err_line() {
  CHECKS=$((CHECKS + 1))
  grep -qxF -- "$1" err || fail "stderr lacks line [$1]; got: $(head -c 400 err)"
}

# The standard error body is exactly this text (lines given as arguments).
expect_err_is() {
  CHECKS=$((CHECKS + 1))
  printf '%s\n' "$@" >expected.err
  cmp -s expected.err err || fail "stderr differs: $(diff expected.err err | head -20)"
}

expect_out_file() {
  CHECKS=$((CHECKS + 1))
  cmp -s "$1" out || fail "stdout differs from $1: $(diff "$1" out | head -20)"
}

expect_out_empty() {
  CHECKS=$((CHECKS + 1))
  [ ! -s out ] || fail "stdout not empty: $(head -c 200 out)"
}

expect_file_eq() {
  CHECKS=$((CHECKS + 1))
  cmp -s "$1" "$2" || fail "$1 differs from $2: $(diff "$1" "$2" | head -20)"
}

# run_rename_blocked FEED TEMPS NAME ARGS...: like run, with ARGS reading
# the FIFO in.pipe, so the run waits with its outputs staged; once its TEMPS
# temporary files are there, a directory takes NAME, which no rename may
# replace, and FEED is written to the FIFO.
run_rename_blocked() {
  local feed=$1 temps=$2 name=$3 pid
  shift 3
  mkfifo in.pipe
  "$BIN" "$@" >out 2>err.full &
  pid=$!
  exec 3>in.pipe
  for _ in $(seq 1000); do
    [ "$(ls -A | grep -c "\.$pid\.tmp\$")" -eq "$temps" ] && break
    sleep 0.01
  done
  mkdir "$name"
  cat "$feed" >&3
  exec 3>&-
  wait $pid
  STATUS=$?
  tail -n +$((BANNER_LINES + 1)) err.full >err
  rm -f in.pipe
}

# have TOOL: true when TOOL is installed. A missing tool is remembered, so
# the script ends as skipped instead of passing with checks left out.
have() {
  command -v "$1" >/dev/null && return 0
  remember_missing "$1"
  return 1
}

# remember_missing WHAT: the script ends as skipped, naming WHAT.
remember_missing() {
  case " $MISSING " in *" $1 "*) ;; *) MISSING="${MISSING:+$MISSING }$1" ;; esac
}

# have_strace: true when strace is installed and may trace here. Many
# containers refuse ptrace, and a check that strace could not run would
# otherwise fail or, worse, pass without looking; that is remembered as
# missing "ptrace".
have_strace() {
  have strace || return 1
  strace -f -qq -o /dev/null true 2>/dev/null && return 0
  remember_missing ptrace
  return 1
}

# strace_run OPTIONS... -- ARGS...: like run, with the program under
# strace -f given OPTIONS (what to trace, which call to fail).
strace_run() {
  local opts=()
  while [ "$1" != -- ]; do
    opts+=("$1")
    shift
  done
  shift
  # The leak checker cannot run under a tracer.
  ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0 \
    strace -f -qq "${opts[@]}" "$BIN" "$@" >out 2>err.full
  STATUS=$?
  tail -n +$((BANNER_LINES + 1)) err.full >err
}

# have_read_error_file: true when reading /proc/self/mem at its start fails
# (an I/O error), the stand-in for a file on a failing disk; otherwise it is
# remembered as missing, as `have` does for a tool.
have_read_error_file() {
  head -c 1 /proc/self/mem >/dev/null 2>&1 || return 0
  remember_missing read-error-file
  return 1
}

finish() {
  if [ "$FAILS" -gt 0 ]; then
    echo "$FAILS of $CHECKS checks failed"
    exit 1
  fi
  if [ -n "$MISSING" ]; then
    echo "SKIPPED: not installed: $MISSING (the other $CHECKS checks passed)"
    exit $SKIP_STATUS
  fi
  echo "all $CHECKS checks passed"
  exit 0
}
