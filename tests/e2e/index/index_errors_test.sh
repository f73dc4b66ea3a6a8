# index: argument checks, input and output failures, messages and statuses.
. "$(dirname "$0")/../lib.sh"

TINY=$SRC/tests/data/index/tiny.fa
cp "$TINY" g.fa

usage=(
  "Usage: venkari-basic index [options] <genome_file> <k-mer_size> <output_file>"
  "    genome_file    -- Genome in FASTA format"
  "    k-mer_size     -- k-mer size for the index, usually around 22"
  "    output_file    -- Output filename of the index, usually genome_name.tidx"
  "Options:"
  "    -I <num>       -- Type of index [Default: 1]"
  "                         0 = Index all k-mers (about 23G needed for alignment to human genome)"
  "                         1 = Default mode (about 7G needed for alignment to human genome)"
  "                         2 = Spaced-seed mode (about 7G needed for alignment to human genome)"
  "                         3 = Spaced-seed and continuous seed mode (about 7G needed for alignment to human genome)"
  "                         4 = all k-mers Spaced-seed mode (about 23G needed for alignment to human genome)"
  "Index the genome with a fixed k-mer size. You need to re-index the genome to change k-mer size."
  "Memory required is approximately size_of_genome*4 bytes (default mode),"
  "size_of_genome*12 bytes (all k-mers mode)"
)

# Wrong word counts, and options that leave fewer than three words.
for words in "" "g.fa" "g.fa 22" "-I 1 g.fa 22 out.tidx extra" "-I 1 g.fa 22"; do
  # shellcheck disable=SC2086
  run index $words
  expect_status 3 "index $words"
  expect_err_is "${usage[@]}"
  expect_out_empty
done

run index -X 1 g.fa 22 out.tidx
expect_status 3 "unknown option"
expect_err_is "Invalid argument: -X"
run index -i 1 g.fa 22 out.tidx
expect_status 3 "option in lower case"
expect_err_is "Invalid argument: -i"
run index g.fa 22 out.tidx x
expect_status 3 "extra positional word"
expect_err_is "Invalid argument: g.fa"

for mode in 5 -1 99; do
  run index -I $mode g.fa 22 out.tidx
  expect_status 4 "mode $mode"
  expect_err_is "Invalid index mode: $mode"
done

for k in 9 29 0 -22; do
  run index g.fa "$k" out.tidx
  expect_status 16 "k $k"
  expect_err_is "k-mer size toooo big... or small! -- $k"
done
# A word that is no number is no k at all.
run index g.fa abc out.tidx
expect_status 3 "k abc"
expect_err_is 'ERROR: k-mer_size must be a whole number from 10 to 28, not "abc"'

for mode in 2 3 4; do
  run index -I $mode g.fa 21 out.tidx
  expect_status 2 "odd k in mode $mode"
  expect_err_is "ERROR: spaced seed much have a k-mer that is even number"
done
[ ! -e out.tidx ] || fail "argument errors must not create the output"

run index missing.fa 22 out.tidx
expect_status 1 "missing genome"
expect_err_is "Could not open genome file: missing.fa"
mkdir adir
run index adir 22 out.tidx
expect_status 1 "genome is a directory"
expect_err_is "Could not open genome file: adir"

# The genome is read in one pass, so it may come through a FIFO: the index
# is the one of the same file. An empty stream is a genome without a
# sequence, and leaves no output behind.
mkfifo pipe.fa
(cat g.fa >pipe.fa &)
timeout 20 "$BIN" index pipe.fa 10 pipe.tidx >out 2>err.full
STATUS=$?
expect_status 0 "genome through a FIFO"
"$BIN" index g.fa 10 file.tidx 2>/dev/null
CHECKS=$((CHECKS + 1))
cmp -s <(gzip -dc pipe.tidx) <(gzip -dc file.tidx) || fail "FIFO index differs from the file's"
run index /dev/null 10 null.tidx
expect_status 3 "empty genome stream"
expect_err_is "Reading genome..." "Did not read any chromosomes! :("
CHECKS=$((CHECKS + 1))
[ -z "$(ls -a | grep null.tidx)" ] || fail "empty genome: output written: $(ls -a)"

run index g.fa 22 nodir/out.tidx
expect_status 1 "output directory missing"
expect_err_is "Could not write hash file: nodir/out.tidx"
run index g.fa 22 adir
expect_status 1 "output is a directory"
expect_err_is "Could not write hash file: adir"
# An empty output name is refused before the genome is read.
run index g.fa 22 ""
expect_status 1 "empty output name"
expect_err_is "Could not write hash file: "
ls -a | grep -q '\.tmp' && fail "temporary file left behind: $(ls -a)"
# Links that go nowhere writable, or round in a loop.
ln -s nodir/x.tidx nowhere.tidx
ln -s loop1.tidx loop2.tidx
ln -s loop2.tidx loop1.tidx
for out in nowhere.tidx loop1.tidx; do
  run index g.fa 10 "$out"
  expect_status 1 "link $out"
  expect_err_is "Could not write hash file: $out"
  CHECKS=$((CHECKS + 1))
  [ -L "$out" ] || fail "link $out was replaced"
done

# The output must never overwrite the genome it reads, under any name.
ln g.fa hard.fa
ln -s g.fa soft.fa
for out in g.fa ./g.fa hard.fa soft.fa; do
  run index g.fa 10 "$out"
  expect_status 1 "output $out is the genome"
  expect_err_is "Could not write hash file: $out"
  expect_file_eq g.fa "$TINY"
done

# Loader failures pass their status through and leave no output behind.
run index "$SRC/tests/data/index/duplicate.fa" 10 dup.tidx
expect_status 2 "duplicate chromosome"
expect_err_is "Reading genome..." "Found chr1" "Found chr2" "Found chr1" \
  "ERROR: duplicate chromosome (chr1) in file " \
  "Please ensure that all genome files are unique."
[ ! -e dup.tidx ] || fail "duplicate genome left an output file"

run index "$SRC/tests/data/index/headerless.fa" 10 none.tidx
expect_status 3 "no chromosome"
expect_err_is "Reading genome..." "Did not read any chromosomes! :("
[ ! -e none.tidx ] || fail "empty genome left an output file"
: >empty.fa
run index empty.fa 10 none.tidx
expect_status 3 "empty genome file"
expect_err_line "Did not read any chromosomes! :("

# A genome that is no FASTA text is refused, with no output left behind. An
# index given as the genome (the words swapped) leaves the file named as the
# output intact; so does a NUL read past the start, or through a FIFO.
"$BIN" index g.fa 10 g.tidx 2>/dev/null
cp g.fa keep.fa
run index g.tidx 10 keep.fa
expect_status 3 "index as the genome"
expect_err_is "ERROR: g.tidx is gzip-compressed; decompress it first"
expect_file_eq keep.fa g.fa
run index "$DATA/lambda.fa.gz" 22 gz.tidx
expect_status 3 "gzip genome"
expect_err_is "ERROR: $DATA/lambda.fa.gz is gzip-compressed; decompress it first"
printf '>a\nACGT\0ACGT\n' >nul.fa
run index nul.fa 10 keep.fa
expect_status 3 "NUL in the genome"
expect_err_is "ERROR: nul.fa is not a text file (it holds a NUL byte)"
{
  printf '>a\n'
  head -c 5000000 /dev/zero | tr '\0' C
  printf '\0\n'
} >late.fa
run index late.fa 10 keep.fa
expect_status 3 "NUL far into a line"
expect_err_is "Reading genome..." "Found a" \
  "ERROR: late.fa is not a text file (it holds a NUL byte)"
(cat g.tidx >pipe.fa &)
timeout 20 "$BIN" index pipe.fa 10 keep.fa >out 2>err.full
STATUS=$?
tail -n +$((BANNER_LINES + 1)) err.full >err
expect_status 3 "gzip genome through a FIFO"
expect_err_is "Reading genome..." "ERROR: pipe.fa is gzip-compressed; decompress it first"
expect_file_eq keep.fa g.fa
CHECKS=$((CHECKS + 1))
[ -z "$(ls -a | grep -e gz.tidx -e '\.tmp')" ] || fail "refused genome left a file: $(ls -a)"

# Header lines only: a complete index without a base, and no file left over.
printf '>h1\n\n>h2\n' >headers.fa
run index headers.fa 12 headers.tidx
expect_status 0 "header lines only"
expect_err_line "Writing hash to disk... headers.tidx"
gzip -t headers.tidx || fail "header-only index is not a gzip file"
# Its sequence table keeps the names, as a table may not be empty, and align
# loads it.
CHECKS=$((CHECKS + 1))
gzip -dc headers.tidx | grep -q h2 || fail "names of a genome without bases left out"
printf '@r\nACGTACGTACGTACGTACGT\n+\nIIIIIIIIIIIIIIIIIIII\n' >r.fq
run align headers.tidx -1 r.fq
expect_status 0 "align on a genome without bases"
CHECKS=$((CHECKS + 1))
[ "$(grep -v '^@' out | cut -f 2,3)" = "$(printf '4\t*')" ] || fail "read not unmapped: $(cat out)"
ls -a | grep -q '\.tmp' && fail "temporary file left behind: $(ls -a)"

# A failed write is an error, and the output name never holds a partial index.
run index g.fa 10 /dev/full
expect_status 1 "disk full"
expect_err_line "Could not write hash file: /dev/full"
grep -q "Writing hash to disk" err || fail "write failure reported too early"

zcat "$DATA/lambda.fa.gz" >lambda.fa
echo old >big.tidx
(
  trap '' XFSZ
  ulimit -f 64
  run index -I 0 lambda.fa 22 big.tidx
  echo "$STATUS" >status.txt
)
STATUS=$(cat status.txt)
expect_status 1 "file size limit"
expect_err_line "Could not write hash file: big.tidx"
[ "$(cat big.tidx)" = old ] || fail "failed write touched the existing output"
ls -a | grep -q '\.tmp' && fail "temporary file left behind: $(ls -a)"

# Out of memory during the reserve: an ordinary error, not an abort. The
# sanitizer runtime cannot start under an address-space limit.
if ! sanitized; then
  zcat "$DATA/ecoli536.fa.gz" >ecoli.fa
  (
    ulimit -v 40000
    run index -I 0 ecoli.fa 22 oom.tidx
    echo "$STATUS" >status.txt
  )
  STATUS=$(cat status.txt)
  expect_status 1 "out of memory"
  expect_err_line "ERROR: Not enough memory to build the index"
  [ "$(tail -n 1 err)" = "ERROR: Not enough memory to build the index" ] ||
    fail "out of memory: more than one line of error"
  [ ! -e oom.tidx ] || fail "out of memory left an output file"
fi
finish
