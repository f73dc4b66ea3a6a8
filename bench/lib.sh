# Shared set-up of the align benchmarks: program and genome paths, GNU time,
# a scratch directory removed on exit holding the E. coli genome as plain
# FASTA with bare sequence names, and `measure`.
# Sourced as: . bench/lib.sh [program]   (default: build/venkari-basic)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
bin=${1:-$root/build/venkari-basic}
data=$root/data/ecoli536.fa.gz
threads=$(nproc)
[ -x "$bin" ] || { echo "program not found: $bin (build it first)" >&2; exit 1; }
[ -f "$data" ] || { echo "genome not found: $data" >&2; exit 1; }

# Scripts change directory; the program must be found from anywhere.
bin=$(readlink -f "$bin")
# GNU time: installed when run as root, else named as missing.
[ -x /usr/bin/time ] || bash "$root/scripts/setup.sh" time

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
zcat "$data" | sed '/^>/s/[ \t].*//' >"$work/ecoli.fa"

# Runs a command with standard output to a file under GNU time; prints
# "<wall s> <cpu s> <peak KiB>".
measure() {
  local out=$1
  shift
  /usr/bin/time -f '%e %U %S %M' -o "$work/time.txt" "$@" >"$out" 2>"$work/log.txt" ||
    { echo "failed: $*" >&2; tail -5 "$work/log.txt" >&2; exit 1; }
  awk '{ printf "%s %.2f %s\n", $1, $2 + $3, $4 }' "$work/time.txt"
}
