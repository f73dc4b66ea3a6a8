# index stopped by SIGHUP, SIGINT, SIGQUIT, SIGTERM or SIGXFSZ: its
# temporary file is removed, it ends with the signal's status, and the index
# it was to replace stays.
. "$(dirname "$0")/../lib.sh"
# SIGQUIT and SIGXFSZ would dump core.
ulimit -c 0

"$BIN" index "$SRC/tests/data/index/tiny.fa" 10 g.tidx 2>/dev/null || fail "first index"
cp g.tidx before.tidx

# wait_for_temp: true once index has made its temporary file.
wait_for_temp() {
  for _ in $(seq 1000); do
    ls -A | grep -q '^\.g\.tidx\.[0-9]*\.tmp$' && return 0
    sleep 0.01
  done
  return 1
}

# interrupted SIGNAL WHEN: checks what the run stopped by SIGNAL leaves.
interrupted() {
  expect_status $((128 + $(kill -l "$1"))) "$1 $2"
  CHECKS=$((CHECKS + 1))
  ! ls -A | grep -q '\.tmp' || fail "$1 $2: temporary file left: $(ls -A)"
  rm -f .g.tidx.*.tmp
  expect_file_eq before.tidx g.tidx
}

# A shell starts a background job with SIGINT and SIGQUIT ignored, and so
# does a script run in the background: `env` puts them back to their
# default.
env --default-signal=INT,QUIT true 2>/dev/null || {
  have "env --default-signal"
  finish
}

# start_on_pipe [ENV OPTION]: starts index on a genome that comes through
# a pipe held open on descriptor 3, so that a signal surely comes while the
# genome is read.
start_on_pipe() {
  mkfifo genome.pipe
  env --default-signal=INT,QUIT "$@" "$BIN" index genome.pipe 22 g.tidx >out 2>err &
  pid=$!
  exec 3>genome.pipe
  printf '>chr1\nACGTTGCAACGTAGCTAGCTAGGATCCATGCATGCAAGTC\n' >&3
  wait_for_temp || fail "no temporary file"
}

# end_pipe: ends the genome and waits for index, its status in STATUS.
end_pipe() {
  exec 3>&-
  wait $pid 2>/dev/null
  STATUS=$?
  rm genome.pipe
}

for sig in HUP INT QUIT TERM; do
  start_on_pipe
  kill -s $sig $pid
  end_pipe
  interrupted $sig "while reading"
done

# A hangup ignored from the start, as under nohup, stays ignored.
start_on_pipe --ignore-signal=HUP
kill -s HUP $pid
end_pipe
expect_status 0 "ignored hangup"
CHECKS=$((CHECKS + 1))
cmp -s before.tidx g.tidx && fail "ignored hangup: the index was not written"
cp before.tidx g.tidx

# While the compressing threads write the index of a 16 Mb genome.
bases=$(printf 'ACGT%.0s' $(seq 64))
{
  printf '>big\n'
  head -c 16000000 /dev/urandom | tr '\000-\377' "$bases"
  echo
} >big.fa
"$BIN" index -I 0 big.fa 22 g.tidx >out 2>err &
pid=$!
for _ in $(seq 3000); do
  [ -s .g.tidx.$pid.tmp ] && break
  sleep 0.01
done
kill -s TERM $pid
wait $pid 2>/dev/null
STATUS=$?
interrupted TERM "while writing"

# An index larger than the file size limit.
(
  ulimit -f 64
  "$BIN" index -I 0 big.fa 22 g.tidx >out 2>err
) 2>/dev/null
STATUS=$?
interrupted XFSZ "past the file size limit"
finish
