# index: progress lines, output replacement and repeatable output.
. "$(dirname "$0")/../lib.sh"

TINY=$SRC/tests/data/index/tiny.fa

run index -I 0 "$TINY" 10 tiny.tidx
expect_status 0 "mode 0"
expect_out_empty
expect_err_is "Reading genome..." "Found zeta" "Found empty" \
  "Warning: Zero length chromosome: empty" "Found alpha" \
  "Processing ... alpha -- 16" "Processing ... empty -- 16" "Processing ... zeta -- 0" \
  "Allocating 132 Bytes" "Record size: 12 bytes" "Scanning genome for 10-mers..." \
  "Processing ... alpha -- 16" "Processing ... empty -- 16" "Processing ... zeta -- 0" \
  "Sorting list... 10 entries" "Analysing hash..." "Length: 1" "1:2,4" \
  "Warning: Zero length chromosome: empty" \
  "Number of records: 4" "Writing hash to disk... tiny.tidx"
gzip -t tiny.tidx || fail "output is not a gzip file"

# Nothing selected: an empty histogram and an index without groups.
run index -I 2 "$TINY" 10 none.tidx
expect_status 0 "mode 2 selects nothing"
expect_err_line "Sorting list... 0 entries"
expect_err_line "Length: 0"
expect_err_line "Number of records: 0"

# Default mode and -I 1 agree; repeated runs are byte-identical.
zcat "$DATA/lambda.fa.gz" | sed '100s/A/N/g; 200s/C/x/' >lambda.fa
run index lambda.fa 22 a.tidx
expect_status 0 "default mode"
run index -I 1 lambda.fa 22 b.tidx
expect_status 0 "mode 1"
expect_file_eq a.tidx b.tidx
for mode in 0 2 3 4; do
  run index -I $mode lambda.fa 22 m$mode.tidx
  expect_status 0 "mode $mode"
  run index -I $mode lambda.fa 22 again.tidx
  expect_file_eq m$mode.tidx again.tidx
done

# An existing index is replaced whole; a link to it keeps pointing at it.
cp a.tidx replaced.tidx
ln -s replaced.tidx link.tidx
run index -I 0 "$TINY" 10 link.tidx
expect_status 0 "through a symbolic link"
[ -L link.tidx ] || fail "symbolic link was replaced by a file"
expect_file_eq replaced.tidx tiny.tidx
ls -a | grep -q '\.tmp' && fail "temporary file left behind: $(ls -a)"

# A link to a file not there yet (through a second link, into another
# directory): the index is written to that file and the links stay.
mkdir sub
ln -s sub/new.tidx dangling.tidx
ln -s dangling.tidx chain.tidx
run index -I 0 "$TINY" 10 chain.tidx
expect_status 0 "through a dangling link"
CHECKS=$((CHECKS + 1))
[ -L chain.tidx ] && [ -L dangling.tidx ] || fail "dangling link was replaced by a file"
expect_file_eq sub/new.tidx tiny.tidx
ls -a . sub | grep -q '\.tmp' && fail "temporary file left behind: $(ls -a . sub)"

# A zero-length sequence is left out of the sequence table, so the index is
# the one of the same genome without it; the warning stays.
printf '>a\nACGTTGCAACGTAGCTAGCTAG\n>b\n>c\nGGATCCATGCATGCAAGTCA\n>d\n' >abcd.fa
printf '>a\nACGTTGCAACGTAGCTAGCTAG\n>c\nGGATCCATGCATGCAAGTCA\n' >ac.fa
run index -I 0 abcd.fa 10 abcd.tidx
expect_status 0 "empty sequences"
expect_err_line "Warning: Zero length chromosome: b"
run index -I 0 ac.fa 10 ac.tidx
gzip -dc abcd.tidx >abcd.raw
gzip -dc ac.tidx >ac.raw
expect_file_eq abcd.raw ac.raw

# Writing to a device works directly.
run index -I 0 "$TINY" 10 /dev/null
expect_status 0 "device output"
finish
