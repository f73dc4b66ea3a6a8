# The index file as a series of gzip members: any gzip reader sees the
# stream, align reads it on several threads, the same result comes from
# the file recompressed by hand or stored plain, and damaged members are
# reported as a damaged index.
. "$(dirname "$0")/../lib.sh"

# About 400 kbp: the index spans several members.
zcat "$DATA/ecoli536.fa.gz" | head -n 5000 | sed '1s/ .*//' >ref.fa
run index -I 0 ref.fa 14 ref.tidx
expect_status 0 "index"
CHECKS=$((CHECKS + 1))
gzip -t ref.tidx 2>gz.err || fail "gzip -t: $(cat gz.err)"
"$BIN" single_reads ref.fa 100 300 2 5 >reads.fq 2>/dev/null

# The same file from one core as from all of them.
if command -v taskset >/dev/null; then
  taskset -c 0 "$BIN" index -I 0 ref.fa 14 one.tidx 2>/dev/null
  expect_file_eq ref.tidx one.tidx
  taskset -c 0 "$BIN" index -I 3 ref.fa 14 one.tidx 2>/dev/null
  "$BIN" index -I 3 ref.fa 14 all.tidx 2>/dev/null
  expect_file_eq all.tidx one.tidx
else
  echo "taskset not installed: one-core build not compared"
fi

# The byte at offset $2 of file $1 as a number; four of them as one.
byte_at() { od -An -tu1 -j "$2" -N1 "$1" | tr -d ' '; }
u32_at() { od -An -tu4 -j "$2" -N4 "$1" | tr -d ' '; }
put_bytes() { printf "$3" | dd of="$1" bs=1 seek="$2" conv=notrunc 2>/dev/null; }
put_u32() {
  put_bytes "$1" "$2" "$(printf '\\%03o\\%03o\\%03o\\%03o' $(($3 & 255)) \
    $((($3 >> 8) & 255)) $((($3 >> 16) & 255)) $((($3 >> 24) & 255)))"
}

# Member starts: each member's size sits 16 bytes into its header.
starts=(0)
size=$(stat -c %s ref.tidx)
while [ "${starts[-1]}" -lt "$size" ]; do
  starts+=($((starts[-1] + $(u32_at ref.tidx $((starts[-1] + 16))))))
done
CHECKS=$((CHECKS + 1))
[ "${#starts[@]}" -ge 4 ] && [ "${starts[-1]}" -eq "$size" ] ||
  fail "members do not tile the file: ${starts[*]} (size $size)"
m2=${starts[1]}
m3=${starts[2]}

# Records in name order without the command line, and the messages
# without timings and thread count, to compare runs on several threads.
normalise() {
  (grep "^@" out | grep -v "^@PG"; grep -v "^@" out | LC_ALL=C sort) >"$1.n.sam"
  grep -v "time\|Number of threads" err >"$1.n.err"
}
run align ref.tidx -1 reads.fq -p 1
expect_status 0 "align"
cp out expected.sam
normalise expected

# Same output and messages whatever the file's gzip form.
same_result() {
  run align "$1" -1 reads.fq -p "$2"
  expect_status 0 "$3"
  normalise got
  expect_file_eq expected.n.sam got.n.sam
  expect_file_eq expected.n.err got.n.err
  [ "$2" -ne 1 ] || expect_out_file expected.sam
}
same_result ref.tidx 4 "four threads"
gzip -dc ref.tidx | gzip -6 >re.tidx
same_result re.tidx 1 "recompressed with gzip"
same_result re.tidx 3 "recompressed with gzip, three threads"
gzip -dc ref.tidx >plain.tidx
same_result plain.tidx 1 "plain file"
# A member whose size field lies, its data intact: still a sound gzip file.
cp ref.tidx lie.tidx
put_u32 lie.tidx $((m2 + 16)) $((m3 - m2 + 5))
same_result lie.tidx 4 "member size that lies"
{ cat ref.tidx; printf 'trailing bytes'; } >tail.tidx
same_result tail.tidx 2 "bytes after the last member"

bad() {
  run align bad.tidx -1 reads.fq -p "$2"
  expect_status 1 "$1"
  expect_err_line "Hash file is of the wrong format"
  CHECKS=$((CHECKS + 1))
  grep -q "Alignment complete" err && fail "$1: reported completion"
}
cp ref.tidx bad.tidx
put_bytes bad.tidx "$m3" 'XX'
bad "damaged member header" 4
cp ref.tidx bad.tidx
put_bytes bad.tidx "$m2" '\037\213\010\377'
bad "member header with unknown flags" 4
head -c $((m3 + 100)) ref.tidx >bad.tidx
bad "file cut inside a member" 4
head -c $((size - 4)) ref.tidx >bad.tidx
bad "file cut inside the last trailer" 2
cp ref.tidx bad.tidx
put_bytes bad.tidx $((m2 + 200)) "\\$(printf '%03o' $((255 - $(byte_at ref.tidx $((m2 + 200))))))"
bad "damaged deflate data" 4
put_u32 bad.tidx $((m2 + 16)) $((m3 - m2 - 1))
bad "member size that lies, data damaged" 1
head -c $(($(stat -c %s re.tidx) - 20)) re.tidx >bad.tidx
bad "gzip stream cut short" 2

# Every member's trailer says it holds 64 MiB: refused as a damaged index
# within about the memory the sound one takes to load.
run_peak align ref.tidx -1 reads.fq -p 8
expect_status 0 "eight threads"
sound_kb=$PEAK_KB
cp ref.tidx bad.tidx
for ((i = 1; i < ${#starts[@]}; i++)); do
  put_u32 bad.tidx $((starts[i] - 4)) $((64 << 20))
done
run_peak align bad.tidx -1 reads.fq -p 8
expect_status 1 "member lengths that lie"
expect_err_line "Hash file is of the wrong format"
expect_peak_below $((2 * ${sound_kb:-0})) "member lengths that lie"

# A huge entry count makes the loader reserve a position table larger than
# the memory allowed: an error line, not an abort. The sanitizer runtime
# cannot start under an address-space limit.
if ! sanitized; then
  n=$(od -An -tu8 -j32 -N8 plain.tidx | tr -d ' ')
  name_len=$(od -An -tu8 -j$((48 + n)) -N8 plain.tidx | tr -d ' ')
  cp plain.tidx big.tidx
  # 4,000,000,000 entries: the reservation (bounded by what the file could
  # hold) is some 3 GB.
  put_bytes big.tidx $((64 + n + name_len)) '\000\050\153\356\000\000\000\000'
  (
    ulimit -v 1000000
    run align big.tidx -1 reads.fq -p 2
    echo "$STATUS" >status.txt
  )
  STATUS=$(cat status.txt)
  expect_status 1 "position table beyond the memory limit"
  expect_err_line "ERROR: Not enough memory to load the index"
fi
finish
