# align: usage text and every option check, run without any index file.
. "$(dirname "$0")/../lib.sh"

printf '@r1\nACGTACGTAC\n+\nIIIIIIIIII\n' >r.fq

# fails_with MESSAGE ARGS...: status 3, nothing on stdout, exactly MESSAGE.
fails_with() {
  local message=$1
  shift
  run align idx "$@"
  expect_status 3 "align idx $*"
  expect_out_empty
  expect_err_is "$message"
}

run align
expect_status 3 "no arguments"
expect_out_empty
CHECKS=$((CHECKS + 1))
[ "$(wc -l <err)" -eq 65 ] || fail "usage has $(wc -l <err) lines, expected 65"
expect_err_line "Usage: venkari-basic align <index_file> [options] "
expect_err_line "    -r <int>      -- Max #diff (integer) or missing prob under 0.04 err rate (float), Default:[0.05]"
expect_err_line "    -o <int>      -- Max number gap open (int) or gap open rate (float), Default:[0.005]"
expect_err_line "    -l <length>   -- Reject reads shorter than this, Default:[50] "
expect_err_line "    --max_occ_nw <int>    -- Ignore k-mer if it occurs more than this many times for the NW stage, Default:[1000]"
expect_err_line "venkari-basic align ~/genome/hg19/genome_25.tidx -p 2 -1 reads_1.fq -2 reads_2.fq > results.sam "
CHECKS=$((CHECKS + 1))
[ "$(sed -n 63p err)" = "venkari-basic align ~/genome/hg19/genome_25.tidx -p 2 -1 reads_1.fq -2 reads_2.fq > results.sam " ] &&
  [ -z "$(sed -n 64,65p err | tr -d '\n')" ] || fail "usage must end with the example and two empty lines"

# Parser stops.
fails_with "Need at least one read file"
fails_with "Need at least one read file" -2 r.fq
fails_with "Error with parameter: extra" -1 r.fq extra
fails_with "Error with parameter: -" -1 r.fq -
run align idx -1 r.fq --cigar14
expect_status 3 "unknown long option"
expect_err_is "Option doesn't exist: cigar14" "Error with parameter: --cigar14"
run align idx -1 r.fq --max_occ
expect_status 3 "missing value"
expect_err_is "Option needs Argument: max_occ" "Error with parameter: --max_occ"
run align idx -1 r.fq -pu 4
expect_status 3 "letter needing a value inside a group"
expect_err_is "Option needs Argument: p" "Error with parameter: -pu"
run align idx -1 r.fq -z
expect_status 3 "unknown letter"
expect_err_is "Option doesn't exist: z" "Error with parameter: -z"

# Read files are test-opened.
fails_with "ERROR: Cannot open file: missing.fq" -1 missing.fq
fails_with "ERROR: Cannot open file: missing.fq" -1 r.fq -2 missing.fq

# Each check, in the order the options are read.
fails_with "[-p] Need at least one thread" -1 r.fq -p 0
fails_with "[-p] Need at least one thread" -1 r.fq -p -3
fails_with "[-p] Maximum number of threads is 255" -1 r.fq -p 256
fails_with "[-n] Need at least one hit" -1 r.fq -n 0
fails_with "[-r] Negative error prob" -1 r.fq -r -0.5
fails_with "[-r] Error prob must be less than 1" -1 r.fq -r 1.5
fails_with "[-r] Maximum number of mismatches is 100000" -1 r.fq -r 100001
fails_with "[-o] Negative gap rate" -1 r.fq -o -1
fails_with "[-o] Gap rate must be less than 1" -1 r.fq -o 2.5
fails_with "[-o] Maximum number of gap openings is 100000" -1 r.fq -o 3000000
fails_with "[-e] Negative extension length" -1 r.fq -e -1
fails_with "[-e] Maximum extension length is 10000" -1 r.fq -e 10001
fails_with "[--nw_mat] Negative NW match score" -1 r.fq --nw_mat -1
fails_with "[--nw_mat] Maximum NW match score is 1000" -1 r.fq --nw_mat 2000000000
fails_with "[--nw_sub] Negative NW mismatch penalty" -1 r.fq --nw_sub -1
fails_with "[--nw_sub] Maximum NW mismatch penalty is 1000" -1 r.fq --nw_sub 1001
fails_with "[--nw_sub] NW mismatch penalty and match score cannot both be 0" -1 r.fq --nw_sub 0 --nw_mat 0
fails_with "[--nw_gap] Negative NW gap penalty" -1 r.fq --nw_gap -1
fails_with "[--nw_gap] Maximum NW gap penalty is 1000" -1 r.fq --nw_gap 1001
fails_with "[--nw_ext] Negative NW extension penalty" -1 r.fq --nw_ext -1
fails_with "[--nw_ext] Maximum NW extension penalty is 1000" -1 r.fq --nw_ext 1001
fails_with "[-h] Negative end penalty length" -1 r.fq -h -1
fails_with "[-b] Negative barcode length" -1 r.fq -b -1
fails_with "[-i] Bad maximum template length" -1 r.fq -i 0
fails_with "[-m] Bad average template length" -1 r.fq -m 0
fails_with "[--sec_num] Negative number of hits" -1 r.fq --sec_num -1
fails_with "[-l] Bad min length val" -1 r.fq -l -1
fails_with "[-d] Bad Phred pairing prior" -1 r.fq -d -1
fails_with "[-d] Maximum Phred pairing prior is 100000" -1 r.fq -d 100001
fails_with "[-d] Maximum Phred pairing prior is 100000" -1 r.fq -d 1100000000
fails_with "[-c] Bad percentage" -1 r.fq -c 101
fails_with "[-c] Bad percentage" -1 r.fq -c -1
fails_with "[-y] Could not write hybrid file: nodir/h.fq" -1 r.fq -y nodir/h
run align idx -1 r.fq -2 r.fq -y nodir/h
expect_status 3 "paired hybrid file"
expect_err_is "[-y] Could not write hybrid file: nodir/h_1.fq"
fails_with "[--sw_mat] Negative SW match score" -1 r.fq --sw_mat -1
fails_with "[--sw_mat] Maximum SW match score is 1000" -1 r.fq --sw_mat 1001
fails_with "[--sw_sub] Negative SW mismatch penalty" -1 r.fq --sw_sub -1
fails_with "[--sw_sub] Maximum SW mismatch penalty is 1000" -1 r.fq --sw_sub 1001
fails_with "[--sw_gap] Negative SW gap penalty" -1 r.fq --sw_gap -1
fails_with "[--sw_gap] Maximum SW gap penalty is 1000" -1 r.fq --sw_gap 1001
fails_with "[--sw_ext] Negative SW extension penalty" -1 r.fq --sw_ext -1
fails_with "[--sw_ext] Maximum SW extension penalty is 1000" -1 r.fq --sw_ext 1001
fails_with "[--max_occ] Negative maximum occurance" -1 r.fq --max_occ -1
fails_with "[--max_occ_nw] Negative maximum occurance for NW" -1 r.fq --max_occ_nw -1
fails_with "[--look_ahead] Negative look ahead" -1 r.fq --look_ahead -1
fails_with "[--kmer_pen] Negative penalty factor" -1 r.fq --kmer_pen -1
fails_with "[--look_ahead_nw] Negative look ahead for gapped alignment" -1 r.fq --look_ahead_nw -1
fails_with "[--kmer_pen_nw] Negative penalty factor for gapped alignment: -2" -1 r.fq --kmer_pen_nw -2
fails_with "[--trim] Negative quality for trimming: -1" -1 r.fq --trim -1
fails_with "$(printf '%s\n' "[--qual] Invalid quality format: Sanger" "Choices are: " \
  "    sanger -- Sanger format (or illumina 1.8+) " "    ill_13 -- illumina 1.3+ " \
  "    ill_15 -- illumina 1.5+ " "    solexa -- solexa format ")" -1 r.fq --qual Sanger
# Read-group texts go into header fields and record tags: no tab, no line
# break.
tab=$(printf 'a\tb')
fails_with "[--rg] Read group ID may not hold a tab or a line break" -1 r.fq --rg "$tab"
fails_with "[--pu] Platform unit may not hold a tab or a line break" -1 r.fq --pu "$(printf 'u\nv')"
fails_with "[--pl] Platform may not hold a tab or a line break" -1 r.fq --pl "$tab"
fails_with "[--lb] Library may not hold a tab or a line break" -1 r.fq --lb "$(printf 'l\r')"
fails_with "[--sm] Sample name may not hold a tab or a line break" -1 r.fq --sm "$tab"
fails_with "[--cn] Sequencing center may not hold a tab or a line break" -1 r.fq --cn "$tab"
run align idx -1 r.fq --rg G1 --ds "$(printf 'two\nlines')"
expect_status 3 "--ds with a line break"
expect_out_empty
expect_err_is "[--rg] Read group ID: G1" \
  "[--ds] Description may not hold a tab or a line break"

# An empty word is no number: it is refused, not taken for an absent option.
fails_with '[-p] Must be a whole number from 1 to 255, not ""' -1 r.fq -p ""
fails_with '[-n] Must be a whole number of at least 1, not ""' -1 r.fq -n ""
fails_with '[-i] Must be a whole number of at least 1, not ""' -1 r.fq -i ""
fails_with '[--max_occ] Must be a whole number of at least 0, not ""' -1 r.fq --max_occ ""
fails_with '[-r] Must be a count from 0 to 100000 or a rate from 0 to below 1, not ""' -1 r.fq -r ""
fails_with '[-o] Must be a count from 0 to 100000 or a rate from 0 to below 1, not ""' -1 r.fq -o ""
fails_with '[--trim] Must be a whole number of at least 0, not ""' -1 r.fq --trim ""
# A word with a fraction is a rate, even where its float rounds to a whole
# number.
fails_with "[-r] Error prob must be less than 1" -1 r.fq -r 0.99999999
fails_with "[-r] Error prob must be less than 1" -1 r.fq -r 2.0000001
fails_with "[-o] Gap rate must be less than 1" -1 r.fq -o 0.99999999

# The first failing check in reading order is the one reported, whatever the
# order on the command line.
fails_with "[-p] Need at least one thread" -1 r.fq -c 200 -n 0 -p 0
fails_with "[-n] Need at least one hit" -1 r.fq --sw_mat -1 -n 0

# Accepted values reach the index, which does not exist here.
run align idx -1 r.fq -2 r.fq -p 255 -r 1.0 -o 0.01 --nw_ext 0 -c 0 -y hy \
  --max_occ 100 --max_occ_nw 200 --trim 20 --qual ill_15 --rg G1 --pu U1 \
  --pl P1 --lb L1 --sm S1 --cn C1 --ds D1 --phase_seq_trim --assemble \
  --all_hits --novo -f -a -u -s -g 5 --pg
expect_status 1 "accepted options"
expect_out_empty
expect_err_is "[-y] Writing reads less than 30 MAPQ to file: hy" \
  "[-y] Reads with gaps larger than 2 will not be rejected" \
  "Warning: NW occ larger than occ" \
  "[--trim] Trimming reads with limit Phred score: 20" \
  "[--rg] Read group ID: G1" "[--pu] Platform unit: U1" "[--pl] Platform: P1" \
  "[--lb] Library: L1" "[--sm] Sample name: S1" "[--cn] Sequencing center: C1" \
  "[--ds] Description: D1" "Trimming special phase-seq primer... " \
  "Outputting reads for assembly" "Outputting all hits instead of XA tag" \
  "Outputting in Novoalign format" "Reads are paired" \
  "Could not open hash file: idx"
# The hybrid files were made under temporary names; the failed run removed them.
CHECKS=$((CHECKS + 1))
[ ! -e hy_1.fq ] && [ ! -e hy_2.fq ] && ! ls -A | grep -q '\.tmp' || fail "failed run left hybrid files: $(ls -A)"

# --assemble without -y does nothing and says nothing.
run align idx -1 r.fq --assemble -y single
expect_err_is "[-y] Writing reads less than 30 MAPQ to file: single" \
  "[-y] Reads with gaps larger than 2 will not be rejected" \
  "Outputting reads for assembly" "Could not open hash file: idx"
run align idx -1 r.fq --assemble
expect_status 1 "assemble without -y"
expect_err_is "Could not open hash file: idx"
CHECKS=$((CHECKS + 1))
[ ! -e single.fq ] || fail "failed run left a single-end hybrid file"

# -y never empties an input, under any name: refused before anything is
# opened for writing.
cp r.fq reads.fq
cp r.fq p_2.fq
echo index >x.fq
ln reads.fq hard.fq
ln -s reads.fq soft.fq
refuses_y() {
  local name=$1
  shift
  run align "$@"
  expect_status 3 "-y over $name: align $*"
  expect_out_empty
  expect_err_is "ERROR: Hybrid file $name would overwrite an input file"
}
refuses_y reads.fq idx -1 reads.fq -y reads
refuses_y ./reads.fq idx -1 reads.fq -y ./reads
refuses_y hard.fq idx -1 reads.fq -y hard
refuses_y soft.fq idx -1 reads.fq -y soft
refuses_y x.fq x.fq -1 r.fq -y x
refuses_y p_2.fq idx -1 r.fq -2 p_2.fq -y p
expect_file_eq reads.fq r.fq
expect_file_eq p_2.fq r.fq
CHECKS=$((CHECKS + 1))
[ "$(cat x.fq)" = index ] || fail "-y emptied the index"
[ ! -e p_1.fq ] || fail "-y opened a file before refusing"
finish
