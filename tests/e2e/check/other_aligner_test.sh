# The checkers score another aligner's SAM: reads cut from a mutated lambda
# genome with truth names, aligned to the original by bwa mem, with secondary
# and supplementary records dropped by samtools. Skipped without those tools.
. "$(dirname "$0")/../lib.sh"
have bwa
have samtools
[ -z "$MISSING" ] || finish

zcat "$DATA/lambda.fa.gz" | sed '1s/ .*//' >ref.fa
run random_genome ref.fa 0.5 0.1 1 mut
expect_status 0 "mutated genome"
chr=$(head -n 1 ref.fa | cut -c2-)

# One line of mutated sequence, then reads of 100 bases every 250 bases:
# singles alternate strands; pairs are 300-base templates.
grep -v '^>' mut.fa | tr -d '\n' >mut.txt
awk -v chr="$chr" '
function rc(s,   i, o, c) {
  o = ""
  for (i = length(s); i > 0; i--) {
    c = substr(s, i, 1)
    o = o (c == "A" ? "T" : c == "C" ? "G" : c == "G" ? "C" : c == "T" ? "A" : c)
  }
  return o
}
function fq(file, name, s,   q) {
  q = s
  gsub(/./, "I", q)
  printf "@%s\n%s\n+\n%s\n", name, s, q > file
}
{
  n = 0
  for (p = 1; p + 300 <= length($0); p += 250) {
    n++
    s = substr($0, p, 100)
    d = n % 2
    fq("single.fq", n ";" chr ":" p ";0;" d, d ? rc(s) : s)
    t = substr($0, p, 300)
    fq("pair_1.fq", n ";" chr ":" p ";" (p + 200) ";300;0/1", substr(t, 1, 100))
    fq("pair_2.fq", n ";" chr ":" p ";" (p + 200) ";300;0/2", rc(substr(t, 201, 100)))
  }
  print n > "count"
}' mut.txt
n=$(cat count)

bwa index ref.fa 2>/dev/null
bwa mem ref.fa single.fq 2>/dev/null | samtools view -h -F 0x900 - >single.sam
bwa mem ref.fa pair_1.fq pair_2.fq 2>/dev/null | samtools view -h -F 0x900 - >pair.sam

# At least 90% of the reads must be found within 10 bases of their origin.
at_least_90() {
  CHECKS=$((CHECKS + 1))
  local got
  got=$(sed -n 's/^Total reads correct:  \([0-9]*\).*/\1/p' out)
  [ "$n" -gt 100 ] && [ -n "$got" ] && [ $((got * 10)) -ge $((n * 9)) ] ||
    fail "$1: $(cat out)"
}
run check_single mut.fa.map single.sam 10 "$n" 0 s
expect_status 0 "check_single with map"
at_least_90 "single reads"
run check_pair mut.fa.map pair.sam 10 "$n" 0 0 p
expect_status 0 "check_pair with map"
at_least_90 "pairs"

# Left in, a supplementary record would make its read count as multiply
# mapped: samtools drops it.
printf '%s\t2048\t%s\t40000\t0\t50H50M\t*\t0\t0\t%s\t%s\n' \
  "$(sed -n 1p single.fq | cut -c2-)" "$chr" "$(sed -n 2p single.fq | cut -c1-50)" \
  "$(printf 'I%.0s' $(seq 50))" >supp.sam
(grep "^@" single.sam; grep -v "^@" single.sam | head -n 1; cat supp.sam) >two.sam
run check_single two.sam 10 1 0 t
CHECKS=$((CHECKS + 1))
grep -qx 'Total multi mapped:   1 (100.0%)' out || fail "supplementary counts: $(cat out)"
samtools view -F 0x900 two.sam 2>/dev/null >one.sam
run check_single one.sam 10 1 0 t
CHECKS=$((CHECKS + 1))
grep -qx 'Total unique mapped:  1 (100.0%)' out || fail "filtered: $(cat out)"

finish
