# random_genome: usage, messages and statuses, and a small known run.
. "$(dirname "$0")/../lib.sh"

run random_genome a b c d
expect_status 3 "four words"
expect_err_is "Usage: venkari-basic random_genome <genome_file> <%_mismatch> <%_gapped> <gap_len_param> <output_prefix>" \
  "    genome_file    -- FASTA file of reference sequences" \
  "    %_mismatch     -- Probability that a base is substituted" \
  "    %_gapped       -- Probability that a gap or insertion is opened" \
  "    gap_len_param    -- Parameter in power law distribution (specify 1 for human genome)" \
  "    output_prefix  -- Output files are <output_prefix>{.fa, .fa.map and .edits}" \
  "Generate a haploid genome with specified mutation rates"
run random_genome a b c d e f
expect_status 3 "six words"

printf '>c2\nacgtNNac\n>c1\nGGCCa\n' >in.fa

run random_genome missing.fa 1 1 1 out
expect_status 3 "missing genome"
expect_err_is "ERROR: Cannot open genome file, missing.fa"

run random_genome in.fa 1 1 1 nodir/out
expect_status 3 "unwritable prefix"
expect_err_is "ERROR: Cannot write genome file, nodir/out.fa"

run random_genome in.fa 1 1 -0.5 out
expect_status 3 "negative gap length parameter"
expect_err_is 'ERROR: gap_len_param must be a number of at least 0, not "-0.5"'

printf 'acgt\n' >noseq.fa
run random_genome noseq.fa 1 1 1 out
expect_status 3 "no sequence"
expect_err_line "Did not read any chromosomes! :("
[ -z "$(ls -A | grep '^out\.\|^\.out\.')" ] ||
  fail "a failed load left files: $(ls -A)"

printf '>c\nAC\n>c\nGG\n' >dup.fa
run random_genome dup.fa 1 1 1 out
expect_status 2 "duplicate sequence"

# Without mutations: upper case, name order, the map's two end pairs each.
run random_genome in.fa 0 0 1 copy
expect_status 0 "zero rates"
expect_err_is "Found c2" "Found c1" "Genome Length: 13" "Number SNPs: 0" \
  "Number DELs: 0" "Number INSs: 0"
printf '>c1\nGGCCA\n>c2\nACGTNNAC\n' >expected.fa
expect_file_eq copy.fa expected.fa
CHECKS=$((CHECKS + 1))
[ ! -s copy.edits ] || fail "edits written without mutations"
# count 2; then per sequence: name length, name, M, the pairs (1,2) and (M,M+1)
{
  printf '\x02\0\0\0\0\0\0\0'
  printf '\x02\0\0\0\0\0\0\0c1\x05\0\0\0\0\0\0\0'
  printf '\x01\0\0\0\x02\0\0\0\x05\0\0\0\x06\0\0\0'
  printf '\x02\0\0\0\0\0\0\0c2\x08\0\0\0\0\0\0\0'
  printf '\x01\0\0\0\x02\0\0\0\x08\0\0\0\x09\0\0\0'
} >expected.map
expect_file_eq copy.fa.map expected.map

# Every base substituted: N stays, other letters are redrawn; two runs agree.
run random_genome in.fa 100 0 1 sub
expect_status 0 "all substituted"
CHECKS=$((CHECKS + 1))
[ "$(sed -n 4p sub.fa | cut -c5-6)" = "NN" ] || fail "N bases must be kept: $(cat sub.fa)"
cp sub.fa sub1.fa
cp sub.edits sub1.edits
cp sub.fa.map sub1.fa.map
run random_genome in.fa 100 0 1 sub
expect_file_eq sub.fa sub1.fa
expect_file_eq sub.edits sub1.edits
expect_file_eq sub.fa.map sub1.fa.map

# A deletion running past the end keeps its drawn length and the input's
# case; the sequence that lost every base is a header line only.
printf '>a\nNN\n>b\nacgT\n' >tail.fa
run random_genome tail.fa 0 100 1000 end
expect_status 0 "deletion past the end"
printf 'b\t1\tDEL\tacgT\t18446744073709551615\n' >expected.edits
expect_file_eq end.edits expected.edits
printf '>a\nNN\n>b\n' >expected.fa
expect_file_eq end.fa expected.fa

# The input is never truncated by an output of the same name.
cp in.fa same.fa
run random_genome same.fa 1 1 1 same
expect_status 3 "output over input"
expect_err_is "ERROR: Output file same.fa would overwrite the genome file"
expect_file_eq same.fa in.fa

# Insertions that would outgrow the 32-bit map are refused.
printf '>c1\nACGTACGTACGTACGT\n>c2\nACGTACGTAC\n' >t.fa
run random_genome t.fa 0 100 1000 big
expect_status 1 "insertion beyond 32 bits"
expect_err_line "ERROR: Mutated sequence c1 would be longer than 4294967294 bases"
finish
