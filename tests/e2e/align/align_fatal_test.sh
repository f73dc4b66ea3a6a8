# align: however a run ends on running out of memory (a worker building its
# state, aligning a read or writing a batch, or the main thread), it says
# one line, ends with status 1 and hands on whole records of finished reads
# only. The test build venkari-basic-faults raises "not enough memory" where
# VENKARI_FAULT asks: "<point>:<n>" at the n-th pass of a point, with "+"
# at that pass and every later one.
. "$(dirname "$0")/../lib.sh"

FAULTS=$(dirname "$BIN")/venkari-basic-faults
[ -x "$FAULTS" ] || {
  echo "FAIL: the test build is missing: $FAULTS" >&2
  exit 1
}

gzip -dc "$DATA/lambda.fa.gz" >l.fa
run index l.fa 14 l.tidx
expect_status 0 "index"
run single_reads l.fa 100 3000 1 1
mv out r.fq
run pair_reads l.fa 100 100 2000 0 250 25 0 pr
expect_status 0 "pair_reads"

# faulty SPEC ARGS...: like run, with the test build failing at SPEC; a run
# that hangs is stopped after a minute (status 124).
faulty() {
  local spec=$1
  shift
  VENKARI_FAULT=$spec timeout 60 "$FAULTS" "$@" >out 2>err.full
  STATUS=$?
  tail -n +$((BANNER_LINES + 1)) err.full >err
}

# One line says why, it is the last, and the run ended with status 1.
expect_one_line() {
  local label=$1
  expect_status 1 "$label"
  CHECKS=$((CHECKS + 1))
  [ "$(grep -c ERROR err)" = 1 ] &&
    [ "$(tail -n 1 err)" = "ERROR: align: not enough memory" ] &&
    ! grep -q -e terminate -e Aborted err ||
    fail "$label: stderr [$(grep -v '^Number' err | head -c 300)]"
}

# Standard output holds whole records, none of them twice.
expect_whole_records() {
  local label=$1
  CHECKS=$((CHECKS + 1))
  { [ ! -s out ] || [ "$(tail -c 1 out | od -An -c | tr -d ' ')" = '\n' ]; } &&
    awk -F '\t' '!/^@/ && NF < 11 { exit 1 }' out &&
    [ -z "$(grep -v '^@' out | cut -f 1,2 | sort | uniq -d | head -1)" ] ||
    fail "$label: standard output holds a cut or doubled record"
}

# With one thread the output is the good run's, up to the reads finished.
expect_prefix_of() {
  local good=$1 label=$2
  CHECKS=$((CHECKS + 1))
  cmp -s out <(head -c "$(stat -c %s out)" "$good") ||
    fail "$label: standard output is no beginning of the good run's"
}

# expect_records N LABEL: standard output holds N records.
expect_records() {
  CHECKS=$((CHECKS + 1))
  local got
  got=$(grep -vc '^@' out)
  [ "$got" = "$1" ] || fail "$2: $got records, expected $1"
}

for mode in single paired; do
  if [ $mode = single ]; then reads=(-1 r.fq) per=1; else reads=(-1 pr_1.fq -2 pr_2.fq) per=2; fi
  run align l.tidx "${reads[@]}" -p 1
  expect_status 0 "$mode good run"
  cp out good_$mode.sam
  for threads in 1 8; do
    label="$mode -p $threads"
    # read:700: a read whose text is built but not finished is not handed
    # on. write:2: a worker fails while it holds the output lock, once the
    # second batch's SAM text is out, and that text is handed on once.
    for case in read:700=699 write:2=512; do
      spec=${case%=*}
      faulty $spec align l.tidx "${reads[@]}" -p $threads
      expect_one_line "$label $spec"
      expect_whole_records "$label $spec"
      if [ $threads = 1 ]; then
        expect_prefix_of good_$mode.sam "$label $spec"
        expect_records $((${case#*=} * per)) "$label $spec"
      fi
    done
    # A worker that fails before it has any state.
    faulty worker:$threads align l.tidx "${reads[@]}" -p $threads
    expect_one_line "$label worker:$threads"
    expect_whole_records "$label worker:$threads"
  done
  # Every worker fails, at once or while others write: one of them speaks.
  for spec in worker:1+ read:300+ read:1000+ write:3+; do
    for _ in 1 2 3; do
      faulty $spec align l.tidx "${reads[@]}" -p 8
      expect_one_line "$mode -p 8 $spec"
      expect_whole_records "$mode -p 8 $spec"
    done
  done
done

# A worker fails while another one is inside a write: standard output is a
# pipe whose reader waits, so a batch's write (more than the pipe holds)
# stays in flight. The end waits for it, whichever way the worker failed.
slow_faulty() {
  local spec=$1
  shift
  VENKARI_FAULT=$spec timeout 60 "$FAULTS" "$@" 2>err.full | (sleep 1 && cat >out)
  STATUS=${PIPESTATUS[0]}
  tail -n +$((BANNER_LINES + 1)) err.full >err
}
for spec in worker:8@300 read:1200@300; do
  for reads in "-1 r.fq" "-1 pr_1.fq -2 pr_2.fq"; do
    # shellcheck disable=SC2086
    slow_faulty $spec align l.tidx $reads -p 8
    expect_one_line "slow reader $spec $reads"
    expect_whole_records "slow reader $spec $reads"
  done
done

# Side files: staged ones are removed with the earlier files kept, also
# when the main thread fails; one written in place (it has a second link)
# keeps the records of the reads finished, as standard output does.
for spec in main:1 read:700 worker:1; do
  echo "earlier hy.fq" >hy.fq
  faulty $spec align l.tidx -1 r.fq -p 4 -y hy
  expect_one_line "-y $spec"
  CHECKS=$((CHECKS + 1))
  [ "$(cat hy.fq)" = "earlier hy.fq" ] || fail "-y $spec: the earlier side file changed"
  CHECKS=$((CHECKS + 1))
  ! ls -A | grep -q '\.tmp' || fail "-y $spec: temporary file left: $(ls -A | grep '\.tmp')"
done

echo earlier >hy.fq
ln hy.fq hy.link
run align l.tidx -1 r.fq -p 1 -y hy
expect_status 0 "-y in place, good run"
cp hy.fq good_hy.fq
# side_before N: the good run's side records of the reads before read N.
side_before() {
  awk -v n="$1" 'NR % 4 == 1 { split(substr($0, 2), f, ";"); keep = f[1] < n } keep' good_hy.fq
}
# Read 700 writes no side record; the first read after it that does (an
# unmapped one) must not hand its side record on either, as its SAM record
# is not.
side_read=$(awk 'NR % 4 == 1 { split(substr($0, 2), f, ";"); if (f[1] > 700) { print f[1]; exit } }' good_hy.fq)
CHECKS=$((CHECKS + 1))
[ -n "$side_read" ] || fail "-y in place: no read after 700 has a side record"
for last in 700 "$side_read" 513; do
  [ $last = 513 ] && spec=write:2 || spec=read:$last
  echo earlier >hy.fq
  faulty $spec align l.tidx -1 r.fq -p 1 -y hy
  expect_one_line "-y in place $spec"
  CHECKS=$((CHECKS + 1))
  cmp -s hy.fq <(side_before $last) ||
    fail "-y in place $spec: the side file is not the finished reads' records"
  CHECKS=$((CHECKS + 1))
  [ "$(grep -v '^@' out | tail -n 1 | cut -d ';' -f 1)" = $((last - 1)) ] ||
    fail "-y in place $spec: standard output does not end at read $((last - 1))"
done
finish
