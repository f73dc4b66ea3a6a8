# Sequences whose names hold ':' (a region as samtools faidx names what it
# extracts, an HLA allele) are scored like any other: the reads that
# single_reads, gap_reads and pair_reads draw from them are all correct once
# aligned, with and without a coordinate map, and each checker gives the
# same report, messages and side files as for the same genome under plain
# names.
. "$(dirname "$0")/../lib.sh"

zcat "$DATA/lambda.fa.gz" >l.fa
bases=$(sed 1d l.fa | tr -d '\n')
genome() { # NAME1 NAME2 OUT
  {
    echo ">$1"
    echo "$bases" | cut -c1-9000 | fold -w 60
    echo ">$2"
    echo "$bases" | cut -c20001-29000 | fold -w 60
  } >"$3"
}
genome 'HLA-A*01:01:01:01' 'chrL:1000-30000' colon.fa
genome seqA seqB plain.fa
plain_names() { sed 's/HLA-A\*01:01:01:01/seqA/g; s/chrL:1000-30000/seqB/g' "$1"; }

# score G SRC MAP LABEL: reads of each simulator drawn from SRC, aligned to
# G's index and checked (through MAP when given); every one is correct.
# The checkers' outputs are kept as G_LABEL_<simulator>.*.
score() {
  local g=$1 src=$2 map=$3 label=$4 sim
  for sim in single gap pair; do
    case $sim in
    single) run single_reads "$src" 100 300 0 0 && cp out r.fq ;;
    gap) run gap_reads "$src" 100 300 0 0 0 && cp out r.fq ;;
    pair) run pair_reads "$src" 100 100 300 0 300 30 0 r ;;
    esac
    expect_status 0 "$g $label: ${sim}_reads"
    if [ $sim = pair ]; then
      run align $g.tidx -1 r_1.fq -2 r_2.fq
    else
      run align $g.tidx -1 r.fq
    fi
    cp out r.sam
    local p=${g}_${label}_$sim
    if [ $sim = pair ]; then
      run check_pair $map r.sam 5 300 0 0 $p
    else
      run check_single $map r.sam 5 300 0 $p
    fi
    expect_status 0 "$g $label: check of $sim"
    CHECKS=$((CHECKS + 1))
    [ "$(sed -n 3p out)" = "Total reads correct:  300 (100.0%)" ] ||
      fail "$g $label, $sim: $(sed -n 3p out)"
    cp out $p.report
    cp err $p.stderr
  done
}

for g in colon plain; do
  run index $g.fa 14 $g.tidx
  expect_status 0 "index $g"
  run random_genome $g.fa 1 0.05 1 $g.mut
  expect_status 0 "random_genome $g"
  score $g $g.fa "" plain
  score $g $g.mut.fa $g.mut.fa.map map
done
CHECKS=$((CHECKS + 1))
grep -q '^>chrL:1000-30000$' colon.mut.fa || fail "random_genome renamed the sequence"
for label in plain map; do
  for sim in single gap pair; do
    for suffix in .report .stderr .err _wrong.sam _wrong.fq; do
      f=${label}_$sim$suffix
      plain_names colon_$f >renamed_$f
      expect_file_eq renamed_$f plain_$f
    done
  done
done
finish
