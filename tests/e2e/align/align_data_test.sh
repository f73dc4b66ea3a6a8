# The designed genome and reads of the align tests are what their generator
# scripts write: running the scripts again gives the committed files.
. "$(dirname "$0")/../lib.sh"

D=$SRC/tests/data/aligner
have python3 || finish
cp "$D"/make_data.py "$D"/make_pairs.py "$D"/make_gapped.py .
for script in make_data.py make_pairs.py make_gapped.py; do
  CHECKS=$((CHECKS + 1))
  python3 "$script" 2>py.err || fail "$script: $(head -3 py.err)"
done
for f in genome.fa reads.fq pairs_1.fq pairs_2.fq gapped_reads.fq gapped_truth.txt; do
  expect_file_eq "$f" "$D/$f"
done
finish
