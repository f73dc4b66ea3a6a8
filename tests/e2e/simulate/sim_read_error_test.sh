# The genome-reading simulators on a genome whose reading fails: a read
# error is not the end of the genome, so no read is made and the run ends
# with one ERROR line and status 1.
. "$(dirname "$0")/../lib.sh"

have_read_error_file || finish
LINE="ERROR: read error in the genome file; reading stopped early"
run random_genome /proc/self/mem 0.1 0.01 1 mut
expect_status 1 "random_genome"
expect_err_is "$LINE"
run single_reads /proc/self/mem 50 3 1 1
expect_status 1 "single_reads"
expect_err_is "$LINE"
expect_out_empty
run gap_reads /proc/self/mem 50 3 1 1 2
expect_status 1 "gap_reads"
expect_err_is "$LINE"
expect_out_empty
run pair_reads /proc/self/mem 50 50 3 1 200 10 0 pp
expect_status 1 "pair_reads"
expect_err_is "$LINE"
CHECKS=$((CHECKS + 1))
[ ! -s pp_1.fq ] && [ ! -s pp_2.fq ] || fail "pair_reads wrote reads"
finish
