# Out of memory at any one allocation, index in each of its modes either
# writes the same index (a thread it could not start leaves its work to
# the others) or says so with status 1, leaving neither a temporary file nor
# a changed earlier index under the output name.
. "$(dirname "$0")/../lib.sh"
. "$SRC/tests/e2e/alloc_sweep_lib.sh"

gzip -dc "$DATA/lambda.fa.gz" >l.fa
mkdir earlier
echo "an earlier index" >earlier/o.tidx
SEED=$PWD/earlier
# index says it its own way from its first step to the last block; the
# argument vector, built before the command starts, gets the general line.
NO_MEMORY="ERROR: index: not enough memory
ERROR: Not enough memory to build the index"

for mode in 0 1 2 3 4; do
  sweep "index -I $mode" index -I "$mode" ../l.fa 14 o.tidx
done
finish
