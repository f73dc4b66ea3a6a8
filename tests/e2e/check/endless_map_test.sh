# Coordinate maps that cannot be one: an endless or random stream, a count
# more than the file holds, and positions past the genome length limit are
# refused as malformed at once, in little memory, by both checkers; a map
# of a genome larger than the memory ends with one line saying so; a map
# read from a pipe loads as from a file.
. "$(dirname "$0")/../lib.sh"
. "$SRC/tests/e2e/coord_map_lib.sh"
D=$SRC/tests/data/simulate
write_edited_map edited.map
have timeout || finish

# run_capped ARGS...: as run, in 20 s at most and, but under a sanitizer,
# in 1 GB of address space, so that a map read without bound stops there.
run_capped() {
  (
    if ! sanitized; then ulimit -v 1000000; fi
    exec timeout 20 "$BIN" "$@"
  ) >out 2>err.full
  STATUS=$?
  tail -n +$((BANNER_LINES + 1)) err.full >err
}

# feed MAP: when MAP is a pipe, a writer that never stops for the next run.
feed() {
  writer=""
  if [ -p "$1" ]; then
    yes abcdefgh >"$1" &
    writer=$!
  fi
}
# Ends the writer that feed started, which a run that refused the map has
# left waiting or stopped by its broken pipe.
unfeed() {
  [ -z "$writer" ] && return
  kill "$writer" 2>/dev/null
  wait "$writer" 2>/dev/null
}

# refused_map WHAT MAP: each checker ends with status 1 on MAP, its last
# line names it as malformed, and no output file is left.
refused_map() {
  local what=$1 map=$2
  feed "$map"
  run_capped check_single "$map" "$D/single_map.sam" 1 6 0 s
  unfeed
  expect_status 1 "check_single, $what"
  expect_err_line "ERROR: Malformed map file: $map"
  feed "$map"
  run_capped check_pair "$map" "$D/pair_map.sam" 1 3 0 0 p
  unfeed
  expect_status 1 "check_pair, $what"
  expect_err_line "ERROR: Malformed map file: $map"
  expect_out_empty
  CHECKS=$((CHECKS + 1))
  [ -z "$(ls -A | grep -E '^\.?[sp][._]')" ] || fail "$what: left $(ls -A)"
}

refused_map "random device" /dev/urandom

# A pipe whose writer never stops.
mkfifo endless.map
refused_map "endless pipe" endless.map

# Regular files (sparse) whose counts the file cannot hold, or whose one
# name is longer than any sequence's: 2^62 sequences in 8 GB, and a name
# of 8 GB.
printf '\0\0\0\0\0\0\0\100' >count.map
truncate -s 8G count.map
refused_map "count past the file" count.map
expect_err_is "Number of Chromosomes: 4611686018427387904" \
  "ERROR: Malformed map file: count.map"
printf '\1\0\0\0\0\0\0\0\0\0\0\0\2\0\0\0' >name.map
truncate -s 9G name.map
refused_map "name of 8 GB" name.map
expect_err_is "Number of Chromosomes: 1" "ERROR: Malformed map file: name.map"

# A run of a few bytes stands for any number of positions: a sequence, or
# the sequences together, longer than a genome may be (2^32 - 2 bases), a
# mutated position past that, and a run counting past it.
LIMIT=4294967294
{
  u64 1
  map_seq c $((LIMIT + 1)) 1 0 $((LIMIT + 1)) $LIMIT
} >long_seq.map
refused_map "sequence past the genome limit" long_seq.map
expect_err_is "Number of Chromosomes: 1" "ERROR: Malformed map file: long_seq.map"
{
  u64 2
  map_seq a 1 1 2
  map_seq c $LIMIT 1 1 $LIMIT $LIMIT
} >long_genome.map
refused_map "genome past the limit" long_genome.map
{
  u64 1
  map_seq c 1 1 $((LIMIT + 1))
} >far_mut.map
refused_map "mutated position past the limit" far_mut.map
{
  u64 1
  map_seq c 3 1 $LIMIT 3 0
} >wrapped.map
refused_map "run wrapping past the limit" wrapped.map

# A sound map of a 4 Gbp sequence in 41 bytes needs 16 GB: under a cap of
# 1 GB each checker ends with one line saying so, and leaves no output.
# The sanitizer runtime cannot start under an address-space limit.
if ! sanitized; then
  {
    u64 1
    map_seq c 4000000000 1 1 4000000000 4000000000
  } >big.map
  run_capped check_single big.map "$D/single_map.sam" 1 6 0 s
  expect_status 1 "check_single, genome larger than the memory"
  expect_err_is "Number of Chromosomes: 1" "c Length: 4000000000" \
    "ERROR: check_single: not enough memory"
  run_capped check_pair big.map "$D/pair_map.sam" 1 3 0 0 p
  expect_status 1 "check_pair, genome larger than the memory"
  expect_err_is "Number of Chromosomes: 1" "ERROR: check_pair: not enough memory"
  expect_out_empty
  CHECKS=$((CHECKS + 1))
  [ -z "$(ls -A | grep -E '^\.?[sp][._]')" ] || fail "out of memory: left $(ls -A)"
fi

# A map read through a pipe gives what the file gives.
run check_single edited.map "$D/single_map.sam" 1 6 0 f
cp out from_file.out
cp err from_file.err
mkfifo piped.map
cat edited.map >piped.map &
run_capped check_single piped.map "$D/single_map.sam" 1 6 0 q
wait
expect_status 0 "map through a pipe"
expect_out_file from_file.out
expect_file_eq from_file.err err
finish
