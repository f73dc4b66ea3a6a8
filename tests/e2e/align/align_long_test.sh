# align with reads far longer than usual among ordinary ones, on lambda: a
# 30 kb exact read is placed ungapped, a 3 kb read with a deletion still
# goes through the gapped phase, a 20 kb read with a deletion (too long for
# the gapped aligner's matrix) and a 100 kb read that fits nowhere come out
# unmapped with their whole sequence; every ordinary read gets the record it
# gets without them, and the run stays small. The same for pairs with a
# long mate, also with a template size that would let the rescue reach it.
. "$(dirname "$0")/../lib.sh"

MEMORY_LIMIT_KB=2000000
zcat "$DATA/lambda.fa.gz" | sed '1s/ .*//' >lambda.fa
run index lambda.fa 14 l.tidx
expect_status 0 "index"
grep -v '>' lambda.fa | tr -d '\n' >genome.txt

# long_reads.awk: FASTQ records cut from the genome text on standard input.
cat >long_reads.awk <<'EOF'
function rec(f, name, s,   q) {
  q = s
  gsub(/./, "I", q)
  printf "@%s\n%s\n+\n%s\n", name, s, q >f
}
function rc(s,   i, o, c) {
  o = ""
  for (i = length(s); i >= 1; i--) {
    c = substr(s, i, 1)
    o = o (c == "A" ? "T" : c == "C" ? "G" : c == "G" ? "C" : "A")
  }
  return o
}
{
  g = $0
  rec("long.fq", "long_exact", substr(g, 1001, 30000))
  rec("long.fq", "long_del", substr(g, 1001, 10000) substr(g, 11004, 10000))
  rec("long.fq", "mid_del", substr(g, 20001, 1500) substr(g, 21504, 1500))
  rec("long.fq", "long_100k", g g substr(g, 1, 100000 - 2 * length(g)))
  rec("p_1.fq", "pa", substr(g, 5001, 100))
  rec("p_2.fq", "pa", rc(g g substr(g, 1, 3000)))
  rec("p_1.fq", "pb", substr(g, 7001, 100))
  rec("p_2.fq", "pb", rc(substr(g, 7301, 100)))
  rec("p_1.fq", "pc", substr(g, 9001, 30000))
  rec("p_2.fq", "pc", rc(substr(g, 39001, 100)))
}
EOF
awk -f long_reads.awk genome.txt

run single_reads lambda.fa 100 200 2 5
expect_status 0 "single_reads"
mv out ordinary.fq
(head -n 400 ordinary.fq && cat long.fq && tail -n +401 ordinary.fq) >mixed.fq

run align l.tidx -1 ordinary.fq
expect_status 0 "ordinary reads"
grep -v '^@' out >ordinary.rec

long_records() {
  awk -F'\t' '$1 ~ /^(long|mid)_/ { print $1, $2, $4, $6, length($10), length($11) }' out | sort
}
# Name, FLAG, POS, CIGAR and the lengths of SEQ and QUAL.
want_long="long_100k 4 0 * 100000 100000
long_del 4 0 * 20000 20000
long_exact 0 1001 30000M 30000 30000
mid_del 0 20001 1499M3D1501M 3000 3000"

run_peak align l.tidx -1 mixed.fq
expect_status 0 "mixed"
expect_peak_below "$MEMORY_LIMIT_KB" "mixed"
CHECKS=$((CHECKS + 1))
grep -v '^@' out | grep -vE '^(long|mid)_' | cmp -s - ordinary.rec ||
  fail "ordinary records changed: $(grep -v '^@' out | grep -vE '^(long|mid)_' | diff - ordinary.rec | head -5)"
CHECKS=$((CHECKS + 1))
[ "$(long_records)" = "$want_long" ] || fail "long records: $(long_records)"
CHECKS=$((CHECKS + 1))
grep -q $'^long_exact\t.*\tNM:i:0\t.*\tMD:Z:30000$' out || fail "long_exact tags"
if have samtools; then
  CHECKS=$((CHECKS + 1))
  samtools view -c out >/dev/null 2>sv.err && [ ! -s sv.err ] ||
    fail "samtools view: $(head -3 sv.err)"
fi

# Several threads share nothing of a long read: every record is written.
run_peak align l.tidx -1 mixed.fq -p 3
expect_status 0 "mixed -p 3"
expect_peak_below "$MEMORY_LIMIT_KB" "mixed -p 3"
CHECKS=$((CHECKS + 1))
[ "$(grep -v '^@' out | grep -cvE '^(long|mid)_')" = "$(wc -l <ordinary.rec)" ] ||
  fail "-p 3: ordinary records missing"
CHECKS=$((CHECKS + 1))
[ "$(long_records)" = "$want_long" ] || fail "-p 3 long records: $(long_records)"

# Pairs with a long mate: the junk 100 kb mate stays unmapped, the 30 kb
# mate pairs with its 100-base partner when the template size allows.
for opt in "" "-i 300000" "-i 300000 -s"; do
  # shellcheck disable=SC2086
  run_peak align l.tidx -1 p_1.fq -2 p_2.fq $opt
  expect_status 0 "pairs $opt"
  expect_peak_below "$MEMORY_LIMIT_KB" "pairs $opt"
  CHECKS=$((CHECKS + 1))
  got=$(grep -v '^@' out | cut -f1,2,4,6 | tr '\t' ' ')
  pc="pc 97 9001 30000M
pc 145 39001 100M"
  [ -n "$opt" ] && pc="pc 99 9001 30000M
pc 147 39001 100M"
  want="pa 105 5001 100M
pa 149 0 *
pb 99 7001 100M
pb 147 7301 100M
$pc"
  [ "$got" = "$want" ] || fail "pairs $opt: $got"
done

finish
