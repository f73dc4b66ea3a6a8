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

# missing WHAT: remembered as not there, as `have` does for a tool; false.
missing() {
  case " $MISSING " in *" $1 "*) ;; *) MISSING="${MISSING:+$MISSING }$1" ;; esac
  return 1
}
# new_genome LABEL FILE...: each file holds what random_genome wrote, not what
# prefill gave it.
new_genome() {
  local label=$1 f
  shift
  for f in "$@"; do
    CHECKS=$((CHECKS + 1))
    [ -s "$f" ] && ! echo "earlier $f" | cmp -s - "$f" || fail "$label: $f not written"
  done
  CHECKS=$((CHECKS + 1))
  ! ls -A | grep -q '\.tmp' || fail "$label: temporary file left"
}
G=$D/simulate/three_chr.fa

# A rename would leave a hard link with the old content: written in place.
prefill $RG
ln keep.fa keep.link
run random_genome "$G" 1 0.1 1 keep
expect_status 0 "hard link"
new_genome "hard link" $RG
CHECKS=$((CHECKS + 1))
cmp -s keep.fa keep.link || fail "hard link: the other name kept the old content"
rm keep.link

# A name whose temporary name would be longer than a file name may be.
long=$(printf '%0245d' 0)
run random_genome "$G" 1 0.1 1 "$long"
expect_status 0 "long name"
new_genome "long name" "$long.fa" "$long.edits" "$long.fa.map"
rm -f "$long".*

# A name its directory cannot hold is refused before any work, with the
# command's own line; the outputs staged before it are left as they were,
# and nothing is made.
long=$(printf '%0250d' 0)
prefill "$long.fa"
run random_genome "$G" 1 0.1 1 "$long"
expect_status 3 "name too long"
expect_err_is "ERROR: Cannot write edits file, $long.edits"
kept "name too long" "$long.fa"
run fq_len_filter 10 "$long" "$D/tools/reads_1.fq"
expect_status 1 "name too long, fq_len_filter"
expect_err_is "Error: cannot write: ${long}_reject.fq"
CHECKS=$((CHECKS + 1))
[ "$(ls -A | grep -c "$long")" -eq 1 ] || fail "name too long: a file was made: $(ls -A | grep "$long")"
rm -f "$long".*

# A file mounted on its name (a bind mount within the same file system, as
# containers mount single files) cannot be renamed over: written in place,
# through the mount.
if unshare -m sh -c 'echo >probe.a && echo >probe.b && mount --bind probe.a probe.b' 2>/dev/null ||
  missing mount-namespace; then
  prefill $RG mounted
  unshare -m sh -c 'mount --bind mounted keep.edits && exec "$@"' sh \
    "$BIN" random_genome "$G" 1 0.1 1 keep >out 2>err
  STATUS=$?
  expect_status 0 "bind-mounted output"
  new_genome "bind-mounted output" keep.fa keep.fa.map mounted
  kept "bind-mounted output, the name under the mount" keep.edits
fi
rm -f probe.a probe.b

# A file of an overlay's lower layer (a container image's file under its
# writable layer) has another device number than its directory, yet one
# mount holds both and a rename works: replaced as any file, so a failed
# run leaves it as it was. The layers are file systems of their own, as in
# a container.
# on_overlay ARGS...: runs ARGS in an overlay whose lower layer holds t.fq
# and t_reject.fq as prefill gives them; afterwards ov.t.fq, ov.t_reject.fq
# and ov.ls hold the two files and the overlay's listing.
on_overlay() {
  unshare -m sh -c 'w=$PWD && mkdir -p ov/l ov/u ov/m &&
    mount -t tmpfs tmpfs ov/l && mount -t tmpfs tmpfs ov/u &&
    mkdir ov/u/u ov/u/w && cd ov/l && for f in t.fq t_reject.fq; do echo "earlier $f" >$f; done &&
    cd "$w" && mount -t overlay overlay -o lowerdir=ov/l,upperdir=ov/u/u,workdir=ov/u/w ov/m &&
    cd ov/m || exit 99
    [ "$(stat -c %d t.fq)" != "$(stat -c %d .)" ] || echo "same device" >"$w/ov.dev"
    "$@" >"$w/out" 2>"$w/err"; s=$?
    cat t.fq >"$w/ov.t.fq"; cat t_reject.fq >"$w/ov.t_reject.fq"; ls -A >"$w/ov.ls"; exit $s' sh "$@"
  STATUS=$?
}
if on_overlay true 2>/dev/null || missing overlay-mount; then
  printf '@bad\nACGTACGTAC\n+\nIIIIIIIIIIII\n' | cat "$D/tools/reads_1.fq" - >overlay_bad.fq
  on_overlay "$BIN" fq_len_filter 5 t "$PWD/overlay_bad.fq"
  expect_status 1 "overlay's lower-layer output, failed run"
  CHECKS=$((CHECKS + 1))
  [ ! -e ov.dev ] || fail "overlay: the lower-layer file has its directory's device number"
  CHECKS=$((CHECKS + 1))
  [ "$(cat ov.t.fq ov.t_reject.fq)" = "earlier t.fq
earlier t_reject.fq" ] && ! grep -q '\.tmp' ov.ls ||
    fail "overlay's lower-layer output, failed run: changed, or a temporary file left"
  on_overlay "$BIN" fq_len_filter 5 t "$D/tools/reads_1.fq"
  expect_status 0 "overlay's lower-layer output, good run"
  CHECKS=$((CHECKS + 1))
  [ "$(head -c 1 ov.t.fq)" = @ ] && ! grep -q '\.tmp' ov.ls ||
    fail "overlay's lower-layer output, good run: not written, or a temporary file left"
  rm -rf ov ov.*
fi

# Another user who made every predictable temporary name ahead (ours: the
# shell's pid is the program's) cannot force an output to be written in
# place: a failed run leaves the files as they were, a good one replaces
# them, and only their files are left.
# The NUL lies past the block read before the outputs are made.
run single_reads "$D/aligner/genome.fa" 100 400 1 0
mv out many.fq
at=$(($(wc -c <many.fq) * 8 / 10))
{ head -c $at many.fq && printf '\000' && tail -c +$((at + 1)) many.fq; } >many_nul.fq
taken() {
  sh -c 'for n in "" $(seq 99); do : >".t.fq.$$.tmp$n" && : >".t_reject.fq.$$.tmp$n"; done
    exec "$@"' sh "$BIN" fq_len_filter 10 t "$1" >out 2>err
  STATUS=$?
}
prefill t.fq t_reject.fq
taken many_nul.fq
expect_status 1 "temporary names taken, failed run"
CHECKS=$((CHECKS + 1))
[ "$(cat t.fq)$(cat t_reject.fq)" = "earlier t.fqearlier t_reject.fq" ] ||
  fail "temporary names taken: a failed run changed its outputs"
rm -f .t*.tmp*
taken many.fq
expect_status 0 "temporary names taken, good run"
CHECKS=$((CHECKS + 1))
[ "$(head -c 1 t.fq)" = @ ] && [ "$(ls -A | grep -c '\.tmp')" -eq 200 ] &&
  ! ls -A | grep '\.tmp' | grep -qv '\.tmp[0-9]*$' ||
  fail "temporary names taken: outputs not replaced, or a temporary file left"
rm -f .t*.tmp*

# align's -y side files: kept when the run fails (a cut gzip file, binary
# data several blocks in, a signal), written when it succeeds.
run index "$D/aligner/genome.fa" 14 g.tidx
run single_reads "$D/aligner/genome.fa" 100 400 1 0
mv out r.fq
gzip -c r.fq >r.fq.gz
head -c $(($(wc -c <r.fq.gz) / 2)) r.fq.gz >cut.fq.gz
at=$(($(wc -c <r.fq) * 8 / 10))
{ head -c $at r.fq && printf '\000' && tail -c +$((at + 1)) r.fq; } >nul.fq
for reads in "cut.fq.gz -p 1" "nul.fq -p 4"; do
  prefill hy.fq
  run align g.tidx -1 $reads -y hy
  expect_status 1 "align -y, $reads"
  kept "align -y, $reads" hy.fq
done
# Stopped while it waits for its index.
mkfifo index.pipe
prefill hy.fq
"$BIN" align index.pipe -1 r.fq -y hy >out 2>err &
pid=$!
for _ in $(seq 1000); do
  ls -A | grep -q '^\.hy\.fq\.[0-9]*\.tmp$' && break
  sleep 0.01
done
kill -s TERM $pid
wait $pid 2>/dev/null
STATUS=$?
expect_status 143 "align -y, SIGTERM"
kept "align -y, SIGTERM" hy.fq
run pair_reads "$D/aligner/genome.fa" 100 100 300 1 300 30 0 pr
prefill hy_1.fq hy_2.fq
run align g.tidx -1 pr_1.fq -2 pr_2.fq -y hy -p 2
expect_status 0 "align -y, pairs"
CHECKS=$((CHECKS + 1))
[ "$(head -c 1 hy_1.fq)$(head -c 1 hy_2.fq)" = @@ ] && ! ls -A | grep -q '\.tmp' ||
  fail "align -y: side files not written"

# Side files that fail only when they are closed, their text being still
# in the stream's buffer until then: past the file size limit (the write
# refused, or SIGXFSZ) or on a full file system. None is committed.
# check_single: twenty reads placed wrong give side files of 4 to 5 kB;
# align: 300 reads give a side file of some 4 kB.
{
  printf '@HD\tVN:1.4\n@SQ\tSN:chr1\tLN:1000\n'
  awk 'BEGIN { while (length(s) < 100) { s = s "A"; q = q "I" }
    for (i = 10; i < 30; i++) printf "%d;chr1:100;0;0\t0\tchr1\t800\t60\t100M\t*\t0\t0\t%s\t%s\n", i, s, q }'
} >wrong.sam
run single_reads "$D/aligner/genome.fa" 100 300 1 0
mv out r300.fq
CS="fz_wrong.fq fz_wrong.sam fz.err"
# limited SIGNAL ARGS...: like run, with files limited to 2 kB and SIGXFSZ
# ignored ("ignore") or left as it is.
limited() {
  local sig=$1
  shift
  (
    [ "$sig" = ignore ] && trap '' XFSZ
    ulimit -f 2
    exec "$BIN" "$@"
  ) >/dev/null 2>err.full
  STATUS=$?
  tail -n +$((BANNER_LINES + 1)) err.full >err
}
prefill $CS hy.fq
limited ignore check_single wrong.sam 0 20 0 fz
expect_status 1 "check_single, file size limit"
expect_err_is "Could not write to fq file: fz_wrong.fq"
kept "check_single, file size limit" $CS
limited ignore align g.tidx -1 r300.fq -y hy
expect_status 1 "align -y, file size limit"
expect_err_line "ERROR: Could not write hybrid file"
kept "align -y, file size limit" hy.fq
limited signal check_single wrong.sam 0 20 0 fz
expect_status 153 "check_single, SIGXFSZ"
kept "check_single, SIGXFSZ" $CS
limited signal align g.tidx -1 r300.fq -y hy -p 4
expect_status 153 "align -y, SIGXFSZ"
kept "align -y, SIGXFSZ" hy.fq
# A file system of four pages, which the four earlier files fill.
# in_small_fs ARGS...: like run, with ARGS run in small/, where the earlier
# files are; afterwards small.kept says which of them were kept and
# small.ls lists small/.
in_small_fs() {
  unshare -m sh -c 'mount -t tmpfs -o size=16k tmpfs small && cd small &&
    for f in fz_wrong.fq fz_wrong.sam fz.err hy.fq; do echo "earlier $f" >$f; done || exit 99
    "$@" >../out 2>../err.full; s=$?
    for f in fz_wrong.fq fz_wrong.sam fz.err hy.fq; do
      [ "$(cat $f)" = "earlier $f" ] && echo $f; done >../small.kept
    ls -A >../small.ls; exit $s' sh "$@"
  STATUS=$?
  tail -n +$((BANNER_LINES + 1)) err.full >err
}
mkdir small
if in_small_fs true 2>/dev/null || missing mount-namespace; then
  for args in "check_single ../wrong.sam 0 20 0 fz" "align ../g.tidx -1 ../r300.fq -y hy"; do
    # shellcheck disable=SC2086
    in_small_fs "$BIN" $args
    expect_status 1 "${args%% *}, full file system"
    case $args in
    check_single*) expect_err_is "Could not write to fq file: fz_wrong.fq" ;;
    align*) expect_err_line "ERROR: Could not write hybrid file" ;;
    esac
    CHECKS=$((CHECKS + 1))
    [ "$(cat small.kept)" = "$(printf '%s\n' $CS hy.fq)" ] && ! grep -q '\.tmp' small.ls ||
      fail "${args%% *}, full file system: kept only $(cat small.kept); left $(cat small.ls)"
  done
fi
rm -rf small small.kept small.ls

# Another user runs where it may write a file but not replace it: a file of
# ours in a shared (sticky) directory, and its own file in a directory it
# may not add to. Without root, the second runs as ourselves.
OTHER=""
if [ "$(id -u)" -eq 0 ] || missing root; then
  if have setpriv; then
    OTHER="setpriv --reuid=65534 --regid=65534 --clear-groups"
    chmod 755 .
    mkdir -m 1777 sh
    cp "$D/aligner/genome.fa" sh/l.fa
    (cd sh && prefill p_1.fq p_2.fq && chmod 666 p_1.fq p_2.fq)
    (cd sh && $OTHER "$BIN" pair_reads l.fa 50 50 3 1 300 30 0 p) >out 2>err
    STATUS=$?
    expect_status 0 "sticky directory"
    CHECKS=$((CHECKS + 1))
    [ "$(head -c 1 sh/p_1.fq)$(head -c 1 sh/p_2.fq)" = @@ ] ||
      fail "sticky directory: outputs not written"
    # A file of another user stays theirs.
    prefill $RG
    chown 65534 keep.fa
    run random_genome "$G" 1 0.1 1 keep
    expect_status 0 "file of another user"
    new_genome "file of another user" $RG
    CHECKS=$((CHECKS + 1))
    [ "$(stat -c %u keep.fa)" = 65534 ] || fail "file of another user: owner $(stat -c %u keep.fa)"
  fi
fi
mkdir ro
cp "$G" ro/g.fa
(cd ro && prefill $RG)
[ -z "$OTHER" ] || chown -R 65534:65534 ro
chmod 555 ro
(cd ro && $OTHER "$BIN" random_genome g.fa 1 0.1 1 keep) >out 2>err
STATUS=$?
expect_status 0 "read-only directory"
(cd ro && new_genome "read-only directory" $RG)
chmod 755 ro
finish
