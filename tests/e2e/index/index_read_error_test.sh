# index and index_depth on a genome whose reading fails part way: a read
# error is not the end of the genome, so nothing is written and the run ends
# with one ERROR line naming the file and the reason, and the status of a
# genome that cannot be read.
. "$(dirname "$0")/../lib.sh"

have_read_error_file || finish
run index /proc/self/mem 14 g.tidx
expect_status 1 "index"
expect_err_is "Reading genome..." "ERROR: /proc/self/mem: read error (Input/output error)"
CHECKS=$((CHECKS + 1))
[ ! -e g.tidx ] && ! ls -A | grep -q '\.tmp' || fail "files left: $(ls -A)"

run index_depth /proc/self/mem 4
expect_status 3 "index_depth"
expect_err_is "ERROR: /proc/self/mem: read error (Input/output error)"
expect_out_empty
finish
