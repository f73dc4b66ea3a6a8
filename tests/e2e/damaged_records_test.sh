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
    for t in "1 fastq_stats" "1 fastq_trim 30 20" "3 qual_convert S I"; do
      set -- $t
      status=$1
      shift
      run "$@" $before
      mv out want.out
      run "$@" $f
      expect_status $status "$*, $f"
      expect_err_line "$want"
      expect_out_file want.out
    done
    # Named outputs: none is written, with one file or with two whichever
    # is damaged.
    for t in "fastq_filter 20 60" "fq_len_filter 50" "sample_reads 25"; do
      for inputs in "$f" "$f r.fq" "r.fq $f"; do
        run $t o $inputs
        expect_status 1 "$t, $inputs"
        expect_err_is "$want"
        CHECKS=$((CHECKS + 1))
        ! ls o*.fq >/dev/null 2>&1 || fail "$t, $inputs: wrote $(ls o*.fq)"
      done
    done
  done
done

# A short quality line that takes the next header whole, up to its line
# end, still names its own record.
h=$(sed -n 1205p r.fq | tr -d '\n' | wc -c)
awk -v n=$((100 - h)) 'NR == 1204 { print substr($0, 1, n); next } { print }' r.fq >even_q.fq
run align l.tidx -1 even_q.fq -p 1
failed_on "$(line even_q.fq 301 short_q)" "align, even_q.fq"
first_records 300 single.sam "align, even_q.fq"

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
