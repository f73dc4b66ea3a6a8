# When the system starts no thread at all, index and align still finish on
# the main thread, with the output of a run that had its threads. A stack
# limit beyond any address space makes every thread's stack, and so every
# start, fail, as when memory or threads run out.
. "$(dirname "$0")/lib.sh"

# run_refused ARGS...: like run, with every thread start refused.
run_refused() {
  (
    ulimit -s 8000000000000000
    exec "$BIN" "$@"
  ) >out 2>err.full
  STATUS=$?
  tail -n +$((BANNER_LINES + 1)) err.full >err
}

# The hard limit may be below it.
(ulimit -s 8000000000000000) 2>/dev/null || {
  echo "skipped: the stack limit cannot be raised" >&2
  exit $SKIP_STATUS
}

gzip -dc "$DATA/lambda.fa.gz" >l.fa
run single_reads l.fa 100 20 1 10
mv out r.fq
run index l.fa 14 l.tidx
expect_status 0 "index with threads"
run align l.tidx -1 r.fq -p 1
expect_status 0 "align on one thread"
grep -v '^@PG' out >one.sam

run_refused index l.fa 14 o.tidx
expect_status 0 "index, no thread started"
expect_file_eq l.tidx o.tidx

# The index as written (its members inflated by the refused producers) and
# as one gzip stream (inflated by the refused thread ahead of the loader).
gzip -dc l.tidx | gzip -1 >s.tidx
for index in l.tidx s.tidx; do
  run_refused align "$index" -1 r.fq -p 4
  expect_status 0 "align $index, no thread started"
  expect_err_line "Warning: could not start worker thread 1"
  expect_err_line "Warning: could not start worker thread 4"
  expect_err_line "Alignment complete! "
  grep -v '^@PG' out >refused.sam
  expect_file_eq one.sam refused.sam
done
finish
