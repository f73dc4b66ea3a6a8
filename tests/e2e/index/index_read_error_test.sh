# index and index_depth on a genome whose reading fails part way: a read
# error is not the end of the genome, so no index is written and the run
# ends with one ERROR line and status 1.
. "$(dirname "$0")/../lib.sh"

have_read_error_file || finish
run index /proc/self/mem 14 g.tidx
expect_status 1 "index"
expect_err_is "Reading genome..." "ERROR: read error in the genome file; reading stopped early"
CHECKS=$((CHECKS + 1))
[ ! -e g.tidx ] && ! ls -A | grep -q '\.tmp' || fail "files left: $(ls -A)"

run index_depth /proc/self/mem 4
expect_status 1 "index_depth"
expect_err_is "ERROR: /proc/self/mem: read error; reading stopped early"
expect_out_empty
finish
