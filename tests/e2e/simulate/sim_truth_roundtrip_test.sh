# Simulated reads placed exactly where their names say are all scored
# correct by the checkers: the truth survives the trip through SAM.
. "$(dirname "$0")/../lib.sh"
G=$SRC/tests/data/simulate/three_chr.fa

# Single-end: one SAM line per read at its named origin and strand.
to_single_sam() {
  paste - - - - | awk -F'\t' -v OFS='\t' '{
    name = substr($1, 2); split(name, f, ";")
    if (f[2] == "*:*") { print name, 4, "*", 0, 0, "*", "*", 0, 0, $2, $4; next }
    split(f[2], c, ":")
    print name, (f[4] == "1" ? 16 : 0), c[1], c[2], 60, length($2) "M", "*", 0, 0, $2, $4
  }'
}

correct_line() { grep '^Total reads correct:' out; }

run single_reads "$G" 30 200 2 10
expect_status 0 "single_reads"
to_single_sam <out >single.sam
mapped=$(awk -F'\t' '$2 != 4' single.sam | wc -l)
run check_single single.sam 0 200 0 cs
expect_status 0 "check_single"
[ "$(correct_line)" = "Total reads correct:  $mapped (100.0%)" ] ||
  fail "single_reads truth not all correct: $(correct_line)"

run gap_reads "$G" 40 150 2 0 0
expect_status 0 "gap_reads"
to_single_sam <out >gap.sam
run check_single gap.sam 0 150 0 cg
[ "$(correct_line)" = "Total reads correct:  150 (100.0%)" ] ||
  fail "gap_reads truth not all correct: $(correct_line)"

# Paired-end with equal read lengths: the first mate is forward at pos1 for a
# forward template and reverse at pos2 for a reversed one.
run pair_reads "$G" 35 35 150 2 120 20 10 p
expect_status 0 "pair_reads"
paste <(paste - - - - <p_1.fq) <(paste - - - - <p_2.fq) |
  awk -F'\t' -v OFS='\t' '{
    name = substr($1, 2); sub(/\/1$/, "", name); split(name, f, ";")
    if (f[2] == "*:*") {
      print name, 77, "*", 0, 0, "*", "*", 0, 0, $2, $4
      print name, 141, "*", 0, 0, "*", "*", 0, 0, $6, $8
      next
    }
    split(f[2], c, ":"); pos1 = c[2]; pos2 = f[3]; tlen = f[4]; cig = length($2) "M"
    if (f[5] == 0) {
      print name, 99, c[1], pos1, 60, cig, "=", pos2, tlen, $2, $4
      print name, 147, c[1], pos2, 60, cig, "=", pos1, -tlen, $6, $8
    } else {
      print name, 83, c[1], pos2, 60, cig, "=", pos1, -tlen, $2, $4
      print name, 163, c[1], pos1, 60, cig, "=", pos2, tlen, $6, $8
    }
  }' >pair.sam
mapped=$(awk -F'\t' '$2 == 99 || $2 == 83' pair.sam | wc -l)
[ "$mapped" -gt 100 ] || fail "too few mapped pairs: $mapped"
run check_pair pair.sam 0 150 0 0 cp
expect_status 0 "check_pair"
[ "$(correct_line)" = "Total reads correct:  $mapped (100.0%)" ] ||
  fail "pair_reads truth not all correct: $(correct_line)"
finish
