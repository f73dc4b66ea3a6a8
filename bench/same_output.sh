#!/usr/bin/env bash
# Runs two builds of the program on the same inputs and checks that `align`
# with one thread gives the same bytes: standard output, the hybrid side
# files and standard error (the timing lines aside). Covers single-end
# reads with substitutions and with indels, read pairs, the output variants
# (--novo, --all_hits, -y) and the five index modes.
# Usage: bench/same_output.sh <old program> <new program> [reads]
#   reads: single-end reads per run on E. coli (default 100000)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
old=$(realpath "$1")
new=$(realpath "$2")
reads=${3:-100000}
work=$(mktemp -d)
trap '[ -n "${KEEP:-}" ] || rm -rf "$work"' EXIT
cd "$work"
zcat "$root/data/ecoli536.fa.gz" | sed '/^>/s/[ \t].*//' >ecoli.fa
zcat "$root/data/lambda.fa.gz" >lambda.fa

"$old" single_reads ecoli.fa 100 "$reads" 2 1 2>/dev/null >subs.fq
awk -v len=100 -v n="$reads" -f "$root/bench/sim_reads.awk" ecoli.fa >wgsim.fq
awk -v len=100 -v n="$reads" -v err=0.02 -v mut=0.01 -v indel=0.5 \
  -f "$root/bench/sim_reads.awk" ecoli.fa >indels.fq
"$old" pair_reads ecoli.fa 100 100 $((reads / 4)) 2 300 30 1 pairs 2>/dev/null
"$old" single_reads lambda.fa 100 20000 3 1 2>/dev/null >lambda.fq
"$old" index -I 1 ecoli.fa 22 ecoli.tidx 2>/dev/null
for mode in 0 1 2 3 4; do
  "$old" index -I "$mode" lambda.fa 14 "lambda$mode.tidx" 2>/dev/null
done

fails=0
runs=0
files=0
# compare NAME ARGS...: one align run of each build, outputs compared.
compare() {
  local name=$1
  shift
  local b out
  for b in old new; do
    out="$work/$b"
    mkdir -p "$out"
    local prog=$old
    [ $b = new ] && prog=$new
    (cd "$out" && "$prog" align "$@" -p 1 >"$name.sam" 2>"$name.err.full") ||
      echo "status $? for $b: $name" >>"$out/$name.status"
    grep -v -e '^Total index loading time' -e '^Total alignment time' \
      "$out/$name.err.full" >"$out/$name.err" || true
  done
  runs=$((runs + 1))
  local f
  for f in "$work/old/$name".* "$work"/old/side*; do
    [ -e "$f" ] || continue
    case $f in *.err.full) continue ;; esac
    local g=$work/new/${f#"$work"/old/}
    files=$((files + 1))
    if ! cmp -s "$f" "$g"; then
      echo "DIFFERENT: $name: $(basename "$f")"
      fails=$((fails + 1))
    fi
  done
  rm -f "$work"/old/side* "$work"/new/side*
}

idx=$work/ecoli.tidx
compare subs "$idx" -1 "$work/subs.fq"
compare wgsim "$idx" -1 "$work/wgsim.fq"
compare indels "$idx" -1 "$work/indels.fq"
compare pairs "$idx" -1 "$work/pairs_1.fq" -2 "$work/pairs_2.fq"
compare novo "$idx" -1 "$work/indels.fq" --novo
compare all_hits "$idx" -1 "$work/indels.fq" --all_hits
compare hybrid "$idx" -1 "$work/indels.fq" -y side
compare hybrid_pairs "$idx" -1 "$work/pairs_1.fq" -2 "$work/pairs_2.fq" -y side
compare fast_ungapped "$idx" -1 "$work/wgsim.fq" -f -u
compare accurate "$idx" -1 "$work/wgsim.fq" -a
for mode in 0 1 2 3 4; do
  compare "lambda$mode" "$work/lambda$mode.tidx" -1 "$work/lambda.fq"
done
echo "$runs runs, $files outputs compared, $fails different"
[ "$fails" -eq 0 ]
