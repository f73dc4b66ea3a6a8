# Read files whose text is damaged in the middle: a quality line shorter or
# longer than its sequence, a header that lost its '@', a record without its
# '+' line; as plain text, with Windows line ends and gzip-compressed. align
# and every FASTQ tool write the records before the damage, then say
# "ERROR: <file>: record <n> is damaged (<what>); reading stopped early" and
# fail. Intact inputs of the same shapes read as before.
. "$(dirname "$0")/lib.sh"

zcat "$DATA/lambda.fa.gz" >l.fa
run index l.fa 14 l.tidx
expect_status 0 "index"
run single_reads l.fa 100 400 1 0
cp out r.fq
run pair_reads l.fa 100 100 300 1 300 30 0 pr
expect_status 0 "pairs"

# damage KIND RECORD IN OUT: the record's text damaged as a broken copy
# leaves it.
damage() {
  awk -v k=$1 -v r=$2 '
    NR == 4 * r - 3 && k == "no_at" { print substr($0, 2); next }
    NR == 4 * r - 1 && k == "no_plus" { next }
    NR == 4 * r && k == "short_q" { print substr($0, 1, 50); next }
    NR == 4 * r && k == "long_q" { print $0 "IIIII"; next }
    { print }' "$3" >"$4"
}
what() {
  case $1 in
  short_q) echo "its quality is shorter than its sequence" ;;
  long_q) echo "its quality is longer than its sequence" ;;
  no_at) echo "its header line does not begin with '@' or '>'" ;;
  no_plus) echo "its '+' line is missing" ;;
  no_qual) echo "its quality line is missing" ;;
  two_plus) echo "its '+' line is doubled" ;;
  plus_after_bare) echo "it has a '+' line but the '@' records before it have none" ;;
  esac
}
line() { echo "ERROR: $1: record $2 is damaged ($(what $3)); reading stopped early"; }

records() { grep -v '^@' "$1"; }
# The run failed on the damage alone: the one ERROR line, no summary, no
# length fault, and every record written is whole.
failed_on() { # LINE LABEL
  expect_status 1 "$2"
  expect_err_line "$1"
  CHECKS=$((CHECKS + 1))
  [ "$(grep -c 'ERROR\|Error' err)" -eq 1 ] || fail "$2: $(grep 'ERROR\|Error' err)"
  CHECKS=$((CHECKS + 1))
  ! grep -q 'Alignment complete\|^Total alignment time\|not the same length' err ||
    fail "$2: $(tail -n 2 err)"
  if have samtools; then
    CHECKS=$((CHECKS + 1))
    [ "$(samtools view -c out 2>/dev/null)" = "$(records out | wc -l)" ] ||
      fail "$2: samtools does not read every record"
  fi
}
# The records are the first N of a whole run (in order, or as a set).
first_records() { # N WHOLE LABEL [sorted]
  CHECKS=$((CHECKS + 1))
  if [ -n "${4:-}" ]; then
    records out | sort | cmp -s - <(head -n "$1" "$2" | sort) || fail "$3: records"
  else
    records out | cmp -s - <(head -n "$1" "$2") || fail "$3: records"
  fi
  CHECKS=$((CHECKS + 1))
  [ "$(records out | wc -l)" -eq "$1" ] || fail "$3: $(records out | wc -l) records"
}

# stdout_tools BEFORE FILE LINE [STATUS]: each tool that writes standard
# output gives for FILE what it gives for the records before the damage
# (BEFORE), then LINE and its status (STATUS for all, when given).
stdout_tools() {
  local before_file=$1 damaged_file=$2 damaged_line=$3 all=${4:-} t status
  for t in "1 fastq_stats" "1 fastq_trim 30 20" "3 qual_convert S I"; do
    set -- $t
    status=${all:-$1}
    shift
    run "$@" $before_file
    mv out want.out
    run "$@" $damaged_file
    expect_status $status "$*, $damaged_file"
    expect_err_line "$damaged_line"
    expect_out_file want.out
  done
}
# named_tools FILE OTHER LINE: the tools that write named files write none,
# with one file or with two whichever is damaged.
named_tools() {
  local t inputs
  for t in "fastq_filter 20 60" "fq_len_filter 50" "sample_reads 25"; do
    for inputs in "$1" "$1 $2" "$2 $1"; do
      run $t o $inputs
      expect_status 1 "$t, $inputs"
      expect_err_is "$3"
      CHECKS=$((CHECKS + 1))
      ! ls o*.fq >/dev/null 2>&1 || fail "$t, $inputs: wrote $(ls o*.fq)"
    done
  done
}

run align l.tidx -1 r.fq -p 1
records out >single.sam
run align l.tidx -1 pr_1.fq -2 pr_2.fq -p 1
records out >paired.sam

# The issue's reproductions: the second record damaged.
for kind in short_q long_q no_at no_plus; do
  damage $kind 2 r.fq $kind.fq
  run align l.tidx -1 $kind.fq -p 1
  failed_on "$(line $kind.fq 2 $kind)" "align, $kind"
  first_records 1 single.sam "align, $kind"
  run fastq_stats $kind.fq
  expect_status 1 "fastq_stats, $kind"
  expect_err_is "$(line $kind.fq 2 $kind)"
done

# Record 301 damaged, in plain, Windows and gzip text: align on one thread
# and on four, and each tool gives what it gives for the 300 records before
# (the tools that keep whole names keep a carriage return).
head -n 1200 r.fq >before.fq
sed 's/$/\r/' before.fq >before_crlf.fq
for kind in short_q long_q no_at no_plus; do
  damage $kind 301 r.fq $kind.fq
  sed 's/$/\r/' $kind.fq >${kind}_crlf.fq
  gzip -c $kind.fq >$kind.fq.gz
  for f in $kind.fq ${kind}_crlf.fq $kind.fq.gz; do
    want=$(line $f 301 $kind)
    before=before.fq
    [ $f = ${kind}_crlf.fq ] && before=before_crlf.fq
    run align l.tidx -1 $f -p 1
    failed_on "$want" "align, $f"
    first_records 300 single.sam "align, $f"
    run align l.tidx -1 $f -p 4
    failed_on "$want" "align -p 4, $f"
    first_records 300 single.sam "align -p 4, $f" sorted
    stdout_tools $before $f "$want"
    named_tools $f r.fq "$want"
  done
done

# A short quality line that takes the next header whole, up to its line
# end, still names its own record.
h=$(sed -n 1205p r.fq | tr -d '\n' | wc -c)
awk -v n=$((100 - h)) 'NR == 1204 { print substr($0, 1, n); next } { print }' r.fq >even_q.fq
run align l.tidx -1 even_q.fq -p 1
failed_on "$(line even_q.fq 301 short_q)" "align, even_q.fq"
first_records 300 single.sam "align, even_q.fq"

# A lost quality line: the next header, as long as the sequence, is taken
# as the quality, and text that is no header follows it. A doubled '+' line
# of a one-base read does the same. The record that lost its line is named
# and is in no output.
run single_reads l.fa 40 40 1 0
cp out r40.fq
run align l.tidx -1 r40.fq -p 1
records out >single40.sam
sed 12d r40.fq >lost_q.fq
head -n 8 r40.fq >lost_q_before.fq
printf '@a\nA\n+\nI\n@b\nC\n+\n+\nI\n@c\nG\n+\nI\n' >two_plus.fq
head -n 4 two_plus.fq >two_plus_before.fq
cp r40.fq lost_q_mates.fq
for f in lost_q two_plus; do
  case $f in
  lost_q) want=$(line $f.fq 3 no_qual) n=2 whole=single40.sam ;;
  two_plus) want=$(line $f.fq 2 two_plus) n=1 whole= ;;
  esac
  for p in 1 4; do
    run align l.tidx -1 $f.fq -p $p
    failed_on "$want" "align -p $p, $f"
    CHECKS=$((CHECKS + 1))
    [ "$(records out | wc -l)" -eq $n ] || fail "align -p $p, $f: $(records out | wc -l) records"
  done
  [ -z "$whole" ] || first_records $n $whole "align, $f"
  stdout_tools ${f}_before.fq $f.fq "$want"
  [ $f = two_plus ] || named_tools $f.fq ${f}_mates.fq "$want"
done

# '@' records with and without a '+' line: the first record lost its '+'
# line, so its quality joined its bases; it is named, and nothing passes,
# also when a '>' (Q29) in that quality begins an empty record, and when
# the first record is an empty one. After '@' records without one, a
# record with one is named.
sed 3d r.fq >no_plus_1.fq
awk 'NR == 3 { next } NR == 4 { $0 = substr($0, 1, 9) ">" substr($0, 11) } { print }' r.fq >gt_qual.fq
{ echo '@a' && cat r.fq; } >empty_first.fq
: >empty.fq
awk 'NR <= 8 && NR % 4 <= 2 && NR % 4 > 0 || NR > 8' r.fq >bare_then_fq.fq
for f in no_plus_1 gt_qual empty_first bare_then_fq; do
  case $f in
  bare_then_fq) want=$(line $f.fq 3 plus_after_bare) n=2 ;;
  *) want=$(line $f.fq 1 no_plus) n=0 ;;
  esac
  for p in 1 4; do
    run align l.tidx -1 $f.fq -p $p
    failed_on "$want" "align -p $p, $f"
    CHECKS=$((CHECKS + 1))
    records out | cut -f 1-10 | sort | cmp -s - <(head -n $n single.sam | cut -f 1-10 | sort) ||
      fail "align -p $p, $f: records"
  done
done
for f in no_plus_1 gt_qual empty_first; do
  stdout_tools empty.fq $f.fq "$(line $f.fq 1 no_plus)"
  named_tools $f.fq r.fq "$(line $f.fq 1 no_plus)"
done

# The first record lost its '+' line and a '>' record follows it: one that
# a '>' in its quality over two lines begins, or a FASTA record. A '>'
# record shows nothing of the '@' records' kind, so the '+' line of the
# next '@' record names the first, and nothing passes: plain and gzip, as
# either mate, on one thread and four, and in every tool.
lose_plus() { # KIND IN OUT
  awk -v k=$1 'NR == 3 { next }
    NR == 4 && k == "gt" { print substr($0, 1, 49) ">" substr($0, 51, 20); print substr($0, 71); next }
    NR == 4 && k == "fasta" { print ">b"; print "GGGGCCCCAAAATTTT"; next }
    { print }' "$2" >"$3"
}
for kind in gt fasta; do
  for src in r pr_1 pr_2; do
    lose_plus $kind $src.fq ${kind}_$src.fq
    gzip -c ${kind}_$src.fq >${kind}_$src.fq.gz
  done
  for z in "" .gz; do
    f=${kind}_r.fq$z
    want=$(line $f 1 no_plus)
    for bad in $f ${kind}_pr_1.fq$z ${kind}_pr_2.fq$z; do
      case $bad in
      *pr_1*) mates="-1 $bad -2 pr_2.fq" ;;
      *pr_2*) mates="-1 pr_1.fq -2 $bad" ;;
      *) mates="-1 $bad" ;;
      esac
      for p in 1 4; do
        run align l.tidx $mates -p $p
        failed_on "$(line $bad 1 no_plus)" "align -p $p $mates"
        CHECKS=$((CHECKS + 1))
        [ "$(records out | wc -l)" -eq 0 ] || fail "align -p $p $mates: $(records out | wc -l) records"
      done
    done
    stdout_tools empty.fq $f "$want"
    named_tools $f r.fq "$want"
  done
done

# The first record lost its '+' line and only empty records follow it: a
# '>' in its quality begins one, or an empty '>' record ends the file. It
# is the last record, cut short as when nothing follows it (CUT): skipped
# with the warning, plain and gzip, as either mate, on one thread and
# four, and in every tool.
# like_cut CUT FILE ARGS...: ARGS with FILE in place of CUT give what they
# give with CUT: status, records, messages (timings aside) and named files.
like_cut() {
  local cut=$1 f=$2 a status args=()
  shift 2
  rm -f o*.fq
  run "$@"
  status=$STATUS
  records out >want.out
  grep -v 'time:' err | sed "s|$cut|$f|g" >want.err
  tail -n +1 o*.fq >want.files 2>/dev/null
  for a in "$@"; do
    [ "$a" = "$cut" ] && a=$f
    args+=("$a")
  done
  rm -f o*.fq
  run "${args[@]}"
  expect_status $status "${args[*]}"
  CHECKS=$((CHECKS + 1))
  records out | cmp -s - want.out || fail "${args[*]}: records"
  grep -v 'time:' err >got.err
  expect_file_eq got.err want.err
  tail -n +1 o*.fq >got.files 2>/dev/null
  expect_file_eq got.files want.files
}
for src in r pr_1 pr_2; do
  head -n 4 $src.fq | sed 3d >${src}_cut.fq
  awk 'NR == 3 { print substr($0, 1, 49) ">" substr($0, 51) } NR != 3' ${src}_cut.fq >${src}_lone_gt.fq
  { cat ${src}_cut.fq && echo '>'; } >${src}_lone_empty.fq
  for kind in gt empty; do gzip -c ${src}_lone_$kind.fq >${src}_lone_$kind.fq.gz; done
done
head -n 4 pr_1.fq >pr_1_whole.fq
head -n 4 pr_2.fq >pr_2_whole.fq
for kind in gt empty; do
  for z in "" .gz; do
    f=r_lone_$kind.fq$z
    run fastq_stats $f
    expect_status 0 "fastq_stats, $f"
    expect_err_is "Warning: $f: the last FASTQ record is cut short and was skipped"
    for p in 1 4; do
      like_cut r_cut.fq $f align l.tidx -1 r_cut.fq -p $p
      expect_err_line "Warning: $f: the last FASTQ record is cut short and was skipped"
      like_cut pr_1_cut.fq pr_1_lone_$kind.fq$z align l.tidx -1 pr_1_cut.fq -2 pr_2_whole.fq -p $p
      like_cut pr_2_cut.fq pr_2_lone_$kind.fq$z align l.tidx -1 pr_1_whole.fq -2 pr_2_cut.fq -p $p
    done
    for t in "fastq_stats" "fastq_trim 30 20" "qual_convert S I" "fastq_filter 20 60 o" "fq_len_filter 50 o" "sample_reads 25 o"; do
      like_cut r_cut.fq $f $t r_cut.fq
    done
  done
done

# A NUL byte past the first block ends the input right before it: every
# record wholly before it passes, in every command at any -p, the one it
# falls in is dropped, and the line and status are those of binary data.
run single_reads l.fa 100 5000 1 0
cp out big.fq
run align l.tidx -1 big.fq -p 1
records out >big.sam
at=65534
python3 -c "import sys; d=bytearray(open('big.fq','rb').read()); d[$at]=0; open('nul.fq','wb').write(d)" 2>/dev/null ||
  { head -c $at big.fq && printf '\000' && tail -c +$((at + 2)) big.fq; } >nul.fq
n=$(($(head -c $at big.fq | wc -l) / 4))
head -n $((4 * n)) big.fq >nul_before.fq
want="ERROR: nul.fq is not text (it holds a NUL byte)"
for p in 1 8; do
  run align l.tidx -1 nul.fq -p $p
  failed_on "$want" "align -p $p, nul.fq"
  first_records $n big.sam "align -p $p, nul.fq" sorted
done
run align l.tidx -1 r.fq -2 nul.fq -p 1
failed_on "$want" "align, nul.fq as mate 2"
stdout_tools nul_before.fq nul.fq "$want" 3
named_tools nul.fq big.fq "$want"

# A damaged mate file, first or second, stops a paired run at that pair.
for kind in short_q no_plus; do
  for i in 1 2; do
    damage $kind 51 pr_$i.fq bad_$i.fq
    if [ $i = 1 ]; then mates="-1 bad_1.fq -2 pr_2.fq"; else mates="-1 pr_1.fq -2 bad_2.fq"; fi
    run align l.tidx $mates -p 1
    failed_on "$(line bad_$i.fq 51 $kind)" "align $mates"
    first_records 100 paired.sam "align $mates"
    run align l.tidx $mates -p 4
    failed_on "$(line bad_$i.fq 51 $kind)" "align -p 4 $mates"
    first_records 100 paired.sam "align -p 4 $mates" sorted
  done
done

# An '@' record without quality that FASTA records follow reads as before,
# in bounded memory however many follow it before the input shows its kind.
awk 'BEGIN { print "@a\nACGT"; for (i = 0; i < 2000000; i++) print ">r\nACGT" }' >bare_then_fasta.fq
echo '4,2000001,(100.0%)' >want.out
CAP_KB=1000000 run_peak fastq_stats bare_then_fasta.fq
expect_status 0 "fastq_stats, bare_then_fasta.fq"
expect_out_file want.out
sanitized || expect_peak_below 100000 "fastq_stats, bare_then_fasta.fq"
# The bound counts the held records' bases, not only their number: 200
# records of 500 kB (100 MB, from a pipe) are read under a cap of 80 MB.
awk 'BEGIN { s = "ACGTACGTAC"; while (length(s) < 500000) s = s s; s = substr(s, 1, 500000)
  print "@a\nACGT"; for (i = 0; i < 200; i++) print ">r\n" s }' |
  (sanitized || ulimit -v 80000; exec "$BIN" fastq_stats /dev/stdin) >out 2>err.full
STATUS=${PIPESTATUS[1]}
tail -n +$((BANNER_LINES + 1)) err.full >err
expect_status 0 "fastq_stats, long FASTA records after a bare '@' record"
printf '4,1, (0.497512%%)\n500000,200,(100.0%%)\n' >want.out
expect_out_file want.out
# The names count too: 200 records of 500 kB names and four bases each
# (from a pipe) are read under the same cap.
long_names() {
  awk 'BEGIN { n = "rrrrrrrrrr"; while (length(n) < 500000) n = n n; n = substr(n, 1, 500000)
    print "@a\nACGT"; for (i = 0; i < 200; i++) print ">" n "\nACGT" }'
}
CAP_KB=80000 run_peak fastq_stats <(long_names)
expect_status 0 "fastq_stats, long FASTA names after a bare '@' record"
echo '4,201,(100.0%)' >want.out
expect_out_file want.out
sanitized || expect_peak_below 40000 "fastq_stats, long FASTA names after a bare '@' record"

# Intact inputs read as before: Windows line ends; qualities over two lines,
# beginning with '@'; '@' records without any quality, the last one too.
sed 's/$/\r/' r.fq >crlf.fq
awk 'NR % 4 == 0 { print "@" substr($0, 2, 59); print substr($0, 61); next } { print }' r.fq >two_lines.fq
awk 'NR % 4 == 0 { print "@" substr($0, 2); next } { print }' r.fq >at_qual.fq
awk 'NR % 4 == 1 || NR % 4 == 2' r.fq >bare.fq
run align l.tidx -1 at_qual.fq -p 1
records out >at_qual.sam
for f in crlf.fq two_lines.fq bare.fq; do
  run align l.tidx -1 $f -p 1
  expect_status 0 "align, $f"
  CHECKS=$((CHECKS + 1))
  ! grep -q 'ERROR\|Warning' err || fail "$f: $(grep 'ERROR\|Warning' err)"
  records out >got.sam
  case $f in
  crlf.fq) expect_file_eq got.sam single.sam ;;
  two_lines.fq) expect_file_eq got.sam at_qual.sam ;;
  bare.fq) expect_file_eq <(cut -f 1-10 got.sam) <(cut -f 1-10 single.sam) ;;
  esac
done
finish
