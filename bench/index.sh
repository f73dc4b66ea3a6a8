#!/usr/bin/env bash
# Indexes E. coli 536 (4.9 Mbp) in the default mode with k 22 and reports wall
# time and peak memory, next to `bwa index` on the same genome when installed.
# Usage: bench/index.sh [program]   (default: build/venkari-basic)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bin=${1:-$root/build/venkari-basic}
data=$root/data/ecoli536.fa.gz
[ -x "$bin" ] || { echo "program not found: $bin (build it first)" >&2; exit 1; }
[ -f "$data" ] || { echo "genome not found: $data" >&2; exit 1; }

if [ ! -x /usr/bin/time ]; then
  echo "GNU time (/usr/bin/time) is missing; installing the Debian package 'time'..." >&2
  apt-get install -y time >/dev/null || { echo "could not install 'time'" >&2; exit 1; }
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
zcat "$data" >"$work/ecoli.fa"

# Runs a command under GNU time; prints "<seconds> <peak KiB>".
measure() {
  /usr/bin/time -f '%e %M' -o "$work/time.txt" "$@" >/dev/null 2>"$work/log.txt" ||
    { echo "failed: $*" >&2; tail -5 "$work/log.txt" >&2; exit 1; }
  cat "$work/time.txt"
}

read -r t_idx m_idx < <(measure "$bin" index -I 1 "$work/ecoli.fa" 22 "$work/ecoli.tidx")
size=$(stat -c %s "$work/ecoli.tidx")
awk -v t="$t_idx" -v m="$m_idx" -v s="$size" 'BEGIN {
  printf "venkari-basic index -I 1, k 22: %6.2f s  peak %7.1f MiB  file %.1f MiB\n", t, m / 1024, s / 1048576 }'

if command -v bwa >/dev/null; then
  cp "$work/ecoli.fa" "$work/bwa.fa"
  read -r t_bwa m_bwa < <(measure bwa index "$work/bwa.fa")
  awk -v t="$t_bwa" -v m="$m_bwa" -v r="$t_idx" 'BEGIN {
    printf "bwa index:                       %6.2f s  peak %7.1f MiB\n", t, m / 1024
    printf "time ratio (venkari-basic / bwa): %.2f\n", (t > 0 ? r / t : 0) }'
else
  echo "bwa not installed: no comparison"
fi
