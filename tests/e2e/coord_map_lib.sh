# Writes genome coordinate map files by hand for the checker tests.
u32() {
  printf "$(printf '\\%03o\\%03o\\%03o\\%03o' $(($1 & 255)) $((($1 >> 8) & 255)) \
    $((($1 >> 16) & 255)) $((($1 >> 24) & 255)))"
}
u64() {
  u32 $(($1 & 0xffffffff))
  u32 $((($1 >> 32) & 0xffffffff))
}
# map_seq NAME M REF MUT [REF MUT ...]
map_seq() {
  local name=$1 m=$2
  shift 2
  u64 ${#name}
  printf '%s' "$name"
  u64 "$m"
  while [ $# -gt 0 ]; do
    u32 "$1"
    u32 "$2"
    shift 2
  done
}

# chr1 (1000 bases) gained 10 bases after base 150; chr2 (500 bases) lost
# bases 20 to 29. Entries: chr1 r+1 up to 149, r+11 from 150 on; chr2 r+1 up
# to 19, 0 for 20..29, r-9 from 30 on.
write_edited_map() {
  {
    u64 2
    map_seq chr1 1000 1 2 149 150 150 161 1000 1011
    map_seq chr2 500 1 2 19 20 20 0 21 0 22 0 23 0 24 0 25 0 26 0 27 0 28 0 29 0 \
      30 21 500 491
  } >"$1"
}
