#!/usr/bin/env bash
# Runs a fixed set of commands with two builds of the program on small inputs
# made here, and compares what each run gives: standard output, standard
# error (less the timing lines, which vary from run to run), the exit status
# and every file the run writes. Gzip files (the index) are compared after
# decompression, so a change of compression alone is not a difference.
# Prints one line per case and a summary; exits 1 on any difference.
# Usage: scripts/compare_builds.sh OLD_BIN NEW_BIN
# KEEP=1 leaves the scratch directory in place and names it.
set -u
if [ $# -ne 2 ]; then
  echo "Usage: $0 OLD_BIN NEW_BIN" >&2
  exit 2
fi
root=$(cd "$(dirname "$0")/.." && pwd)
OLD=$(readlink -f "$1")
NEW=$(readlink -f "$2")
for b in "$OLD" "$NEW"; do
  [ -x "$b" ] || { echo "not an executable: $b" >&2; exit 2; }
done
export LC_ALL=C
WORK=$(mktemp -d)
if [ "${KEEP:-0}" = 1 ]; then
  echo "scratch: $WORK" >&2
else
  trap 'rm -rf "$WORK"' EXIT
fi
IN=$WORK/in
mkdir -p "$IN" "$WORK/cases"
SAME=0
DIFFS=0
DIFF_NAMES=()
TIMING='^Total (index loading|alignment) time: '

# One side of a case: runs BIN with ARGS in DIR, standard input from STDIN
# (or /dev/null); keeps stdout, filtered stderr and the status beside DIR.
run_side() {
  local bin=$1 dir=$2 stdin=$3
  shift 3
  mkdir -p "$dir"
  # shellcheck disable=SC2086
  (cd "$dir" && { [ -z "${VMEM_KB:-}" ] || ulimit -v "$VMEM_KB"; } &&
    ${WRAP:-} "$bin" "$@" <"$stdin" >"$dir.out" 2>"$dir.err.raw")
  echo $? >"$dir.status"
  grep -Ev "$TIMING" "$dir.err.raw" >"$dir.err"
}

# Content of a written file for comparison: gzip files decompressed.
file_text() {
  if [ "$(head -c 2 "$1" | od -An -tx1 | tr -d ' ')" = 1f8b ]; then
    gzip -dc "$1"
  else
    cat "$1"
  fi
}

# Compares the two sides of case NAME; prints one line.
compare_sides() {
  local name=$1 c=$WORK/cases/$1 what=()
  cmp -s "$c/old.status" "$c/new.status" ||
    what+=("status $(cat "$c/old.status")/$(cat "$c/new.status")")
  cmp -s "$c/old.out" "$c/new.out" || what+=(stdout)
  cmp -s "$c/old.err" "$c/new.err" || what+=(stderr)
  local lo ln
  lo=$(cd "$c/old" && find . -type f | sort)
  ln=$(cd "$c/new" && find . -type f | sort)
  if [ "$lo" != "$ln" ]; then
    what+=("written files differ: [$(echo $lo)] / [$(echo $ln)]")
  else
    local f
    for f in $lo; do
      cmp -s <(file_text "$c/old/$f") <(file_text "$c/new/$f") ||
        what+=("file ${f#./}")
    done
  fi
  if [ ${#what[@]} -eq 0 ]; then
    SAME=$((SAME + 1))
    printf 'same  %s\n' "$name"
  else
    DIFFS=$((DIFFS + 1))
    DIFF_NAMES+=("$name")
    printf 'DIFF  %s: %s\n' "$name" "$(IFS=,; echo "${what[*]}")"
  fi
}

# case NAME ARGS...: runs both builds (at the same time) and compares.
# With STDIN=FILE set, standard input comes from FILE; with PREP set, that
# shell text runs first in each side's directory; with VMEM_KB set, the run's
# address space is capped at that many kB; with WRAP set, that command runs
# the program with its arguments.
case_() {
  local name=$1
  shift
  local c=$WORK/cases/$name
  mkdir -p "$c/old" "$c/new"
  if [ -n "${PREP:-}" ]; then
    (cd "$c/old" && eval "$PREP")
    (cd "$c/new" && eval "$PREP")
  fi
  run_side "$OLD" "$c/old" "${STDIN:-/dev/null}" "$@" &
  run_side "$NEW" "$c/new" "${STDIN:-/dev/null}" "$@" &
  wait
  compare_sides "$name"
}

# Path of a file the old side of case NAME wrote (stdout when FILE is
# "out"): later cases read it as a fixed input.
from_old() {
  if [ "$2" = out ]; then echo "$WORK/cases/$1/old.out"; else echo "$WORK/cases/$1/old/$2"; fi
}

# ---- inputs ----------------------------------------------------------------
gzip -dc "$root/data/lambda.fa.gz" >"$IN/lambda.fa"
# Three E. coli pieces of different lengths, one with a run of N, and a
# sequence of 3 bases: several sequences exercise the sequence bounds.
gzip -dc "$root/data/ecoli536.fa.gz" | awk '
  !/^>/ { s = s $0; if (length(s) > 160000) exit }
  END {
    print ">chrA first piece"; seq(substr(s, 1, 70000))
    b = substr(s, 70001, 50000)
    print ">chrB"; seq(substr(b, 1, 20000) "NNNNNNNNNNNNNNNNNNNN" substr(b, 20021))
    print ">chrC"; seq(substr(s, 120001, 40000))
    print ">tiny"; print "ACG"
  }
  function seq(x,   i) { for (i = 1; i <= length(x); i += 70) print substr(x, i, 70) }
' >"$IN/multi.fa"
printf '>one\nACGTACGTTTGACCA\nGGTACANNNACGT\n>two\n\n>three\nTTTT\n' >"$IN/small.fa"
printf 'ACGTTGCAAGGCTTAGCATCGATCG\n\nTTGACCGATGCA N\nacgtacgt\n' >"$IN/raw.txt"
printf '@r1\nACGT\n+\nIIII\n' >"$IN/one.fq"
printf '>r1\nACGTACGT\n' >"$IN/one.fa"

# ---- index (all modes) ------------------------------------------------------
case_ index_lambda_default index "$IN/lambda.fa" 14 lambda.tidx
for m in 0 1 2 3 4; do
  case_ index_multi_I$m index -I "$m" "$IN/multi.fa" 16 multi.tidx
done
case_ index_small_I0 index -I 0 "$IN/small.fa" 10 small.tidx
case_ index_small_I3 index -I 3 "$IN/small.fa" 10 small.tidx
for m in 0 1 2 3 4; do cp "$(from_old index_multi_I$m multi.tidx)" "$IN/multi$m.tidx"; done
cp "$(from_old index_lambda_default lambda.tidx)" "$IN/lambda.tidx"
IDX=$IN/multi1.tidx

# ---- simulators ---------------------------------------------------------------
case_ random_genome random_genome "$IN/multi.fa" 0.1 0.01 1 mut
case_ random_genome_lambda random_genome "$IN/lambda.fa" 0.5 0.05 2 lmut
cp "$(from_old random_genome mut.fa)" "$IN/mut.fa"
cp "$(from_old random_genome mut.fa.map)" "$IN/mut.fa.map"
cp "$(from_old random_genome mut.edits)" "$IN/mut.edits"
case_ single_reads single_reads "$IN/mut.fa" 100 1500 2 1
case_ single_reads_ion single_reads -i "$IN/mut.fa" 80 300 1 5
case_ single_reads_short single_reads "$IN/multi.fa" 36 300 3 0
case_ gap_reads_del gap_reads "$IN/multi.fa" 100 300 1 1 3
case_ gap_reads_ins gap_reads "$IN/multi.fa" 100 300 1 2 -2
case_ gap_reads_ion_refused gap_reads -i "$IN/multi.fa" 70 200 1 1 5
case_ pair_reads pair_reads "$IN/mut.fa" 100 90 800 1 300 30 2 pairs
case_ pair_reads_long pair_reads "$IN/multi.fa" 150 150 300 2 500 80 0 lpairs
cp "$(from_old single_reads out)" "$IN/reads.fq"
cp "$(from_old gap_reads_del out)" "$IN/gap_del.fq"
cp "$(from_old gap_reads_ins out)" "$IN/gap_ins.fq"
cp "$(from_old single_reads_short out)" "$IN/short.fq"
cp "$(from_old pair_reads pairs_1.fq)" "$IN/pairs_1.fq"
cp "$(from_old pair_reads pairs_2.fq)" "$IN/pairs_2.fq"
cp "$(from_old pair_reads_long lpairs_1.fq)" "$IN/lpairs_1.fq"
cp "$(from_old pair_reads_long lpairs_2.fq)" "$IN/lpairs_2.fq"
head -n 400 "$IN/reads.fq" | awk 'NR % 4 == 1 { print ">" substr($0, 2) } NR % 4 == 2' >"$IN/reads.fa"
gzip -c "$IN/pairs_1.fq" >"$IN/pairs_1.fq.gz"

# ---- align --------------------------------------------------------------------
case_ align_single align "$IDX" -1 "$IN/reads.fq"
case_ align_single_p1 align "$IDX" -1 "$IN/reads.fq" -p 1
case_ align_lambda align "$IN/lambda.tidx" -1 "$IN/reads.fq"
for m in 0 2 3 4; do
  case_ align_single_I$m align "$IN/multi$m.tidx" -1 "$IN/reads.fq"
done
case_ align_fasta align "$IDX" -1 "$IN/reads.fa"
case_ align_short align "$IDX" -1 "$IN/short.fq" -l 30
case_ align_ungapped align "$IDX" -1 "$IN/reads.fq" -u
case_ align_fast align "$IDX" -1 "$IN/reads.fq" -f
case_ align_accurate align "$IDX" -1 "$IN/gap_del.fq" -a
case_ align_gapped_del align "$IDX" -1 "$IN/gap_del.fq"
case_ align_gapped_ins align "$IDX" -1 "$IN/gap_ins.fq" -o 2 -e 20
case_ align_gapped_I3 align "$IN/multi3.tidx" -1 "$IN/gap_del.fq"
case_ align_novo align "$IDX" -1 "$IN/gap_del.fq" --novo
case_ align_all_hits align "$IDX" -1 "$IN/reads.fq" --all_hits -n 5
case_ align_tags align "$IDX" -1 "$IN/reads.fq" --rg grp --pl ILLUMINA --pu u1 --lb lib --sm s1 --cn c1 --ds d1 --pg -b 4
case_ align_trim_r align "$IDX" -1 "$IN/reads.fq" --trim 20 -r 4 -h 3
case_ align_hybrid align "$IDX" -1 "$IN/gap_del.fq" -y side -g 1
case_ align_hybrid_assemble align "$IDX" -1 "$IN/gap_ins.fq" -y side --assemble
case_ align_paired align "$IDX" -1 "$IN/pairs_1.fq" -2 "$IN/pairs_2.fq"
case_ align_paired_p1 align "$IDX" -1 "$IN/pairs_1.fq.gz" -2 "$IN/pairs_2.fq" -p 1
case_ align_paired_long align "$IDX" -1 "$IN/lpairs_1.fq" -2 "$IN/lpairs_2.fq" -i 800 -m 500
case_ align_paired_nosw align "$IDX" -1 "$IN/pairs_1.fq" -2 "$IN/pairs_2.fq" -s -d 60 -c 80 --sec_num 10
case_ align_paired_tight align "$IDX" -1 "$IN/lpairs_1.fq" -2 "$IN/lpairs_2.fq" -i 300
case_ align_paired_hybrid align "$IDX" -1 "$IN/pairs_1.fq" -2 "$IN/pairs_2.fq" -y pside
case_ align_paired_novo_hits align "$IDX" -1 "$IN/pairs_1.fq" -2 "$IN/pairs_2.fq" --novo --all_hits
case_ align_mates_swapped align "$IDX" -1 "$IN/pairs_2.fq" -2 "$IN/pairs_1.fq" -u
case_ align_penalties align "$IDX" -1 "$IN/gap_del.fq" --nw_mat 4 --nw_sub 12 --nw_gap 30 --nw_ext 3 --sw_mat 4 --sw_sub 12 --sw_gap 30 --sw_ext 3 --max_occ 500 --max_occ_nw 200 --look_ahead 3 --kmer_pen 2 --look_ahead_nw 3 --kmer_pen_nw 2

# ---- checkers -----------------------------------------------------------------
sort_sam() { awk '!/^@/' "$1" | sort -k1,1 -s >"$2"; }
sort_sam "$(from_old align_single out)" "$IN/single.sorted.sam"
sort_sam "$(from_old align_paired out)" "$IN/pairs.sorted.sam"
sort_sam "$(from_old align_gapped_del out)" "$IN/gap.sorted.sam"
case_ check_single check_single "$IN/mut.fa.map" "$IN/single.sorted.sam" 5 1500 20 cs
case_ check_single_nomap check_single "$IN/gap.sorted.sam" 5 300 0 csn
case_ check_pair check_pair "$IN/mut.fa.map" "$IN/pairs.sorted.sam" 5 800 20 50 cp
case_ check_pair_nomap check_pair "$IN/pairs.sorted.sam" 10 800 0 100 cpn
# Calls made from the truth: every third edit moved or dropped, some
# qualities under the limit.
awk 'BEGIN { OFS = "\t"; print "##fileformat=VCFv4.1"; print "#CHROM\tPOS\tID\tREF\tALT\tQUAL" }
  NF < 4 { next }
  { n++; pos = $2 + (n % 3 == 0 ? 3 : 0); q = (n % 5 == 0) ? 5 : 50 }
  $3 == "SNP" && n % 7 != 0 { print $1, pos, ".", $4, $5, q, "." }
  $3 == "DEL" { print $1, pos - 1, ".", "A" $4, "A", q, "." }
  $3 == "INS" { print $1, pos, ".", "A", "A" $5, q, "." }
' "$IN/mut.edits" >"$IN/calls.vcf"
case_ check_edits check_edits "$IN/mut.edits" "$IN/calls.vcf" 0 5 2 10 ce
case_ check_edits_wide check_edits "$IN/mut.edits" "$IN/calls.vcf" 3 0 10 0 cew

# ---- file tools -----------------------------------------------------------------
case_ sample_reads sample_reads 100 s "$IN/reads.fq"
case_ sample_reads_pair sample_reads 50 sp "$IN/pairs_1.fq" "$IN/pairs_2.fq"
case_ sample_reads_fasta sample_reads 20 sf "$IN/reads.fa"
case_ fastq_filter fastq_filter 20 80 ff "$IN/reads.fq"
case_ fastq_filter_pair fastq_filter 30 95 ffp "$IN/pairs_1.fq" "$IN/pairs_2.fq"
case_ fq_len_filter fq_len_filter 95 fl "$IN/gap_ins.fq"
case_ fq_len_filter_pair fq_len_filter 100 flp "$IN/pairs_1.fq" "$IN/pairs_2.fq"
case_ fastq_trim fastq_trim 30 25 "$IN/reads.fq"
case_ qual_convert_S_I qual_convert S I "$IN/reads.fq"
case_ qual_convert_S_X_refused qual_convert S X "$IN/reads.fq"
cp "$(from_old qual_convert_S_I out)" "$IN/reads_ill.fq"
case_ qual_convert_I_X qual_convert I X "$IN/reads_ill.fq"
case_ qual_convert_I_S qual_convert I S "$IN/reads_ill.fq"
case_ qual_convert_X_S qual_convert X S "$IN/reads_ill.fq"
case_ align_qual_ill13 align "$IDX" -1 "$IN/reads_ill.fq" --qual ill_13
case_ fastq_stats fastq_stats "$IN/gap_ins.fq"
case_ subseq subseq "$IN/lambda.fa" 100 777
case_ raw2fasta raw2fasta "$IN/raw.txt"
case_ merge_sam merge_sam "$(from_old align_single out)" "$(from_old align_gapped_del out)"

# ---- inspection words ---------------------------------------------------------
case_ check_idx check_idx ACGTTGCAAGGCTTAGCATCGATCGGGATTACANNTTG 12
case_ index_depth index_depth "$IN/small.fa" 4
case_ index_depth_lambda index_depth "$IN/lambda.fa" 14
REF=ACGTTGCAAGGCTTAGCATCGATCGGGATTACATTGACCGATGCAAGT
READ=GCAAGGCTTAGCATCGTCGGGATTACATTGACCGAAGC
case_ all_sw all_sw "$REF" "$READ" 10 5 15 40 2 5 15 40 2 5
case_ all_sw_ins all_sw "$REF" GCAAGGCTTAGCTTTATCGATCGGGATTACATTG 5 5 15 40 2 5 15 40 2 3
case_ affine_nw affine_nw "$REF" "$READ" 10 5 15 40 2 5
case_ affine_nw_band affine_nw "$REF" "$READ" 0 5 15 40 2 0

# ---- usage texts and error exits --------------------------------------------
case_ no_word
case_ unknown_word no_such_command a b
for w in gap_reads pair_reads single_reads random_genome check_single \
  check_pair check_edits raw2fasta affine_nw all_sw index align check_idx \
  subseq qual_convert fastq_trim merge_sam sample_reads fastq_filter \
  fq_len_filter fastq_stats index_depth; do
  case_ usage_$w "$w"
done
case_ err_align_no_index align "$IN/none.tidx" -1 "$IN/reads.fq"
case_ err_align_threads align "$IDX" -1 "$IN/reads.fq" -p 300
case_ err_align_qual align "$IDX" -1 "$IN/reads.fq" --qual bogus
case_ err_align_no_reads align "$IDX" -1 "$IN/none.fq"
case_ err_align_not_index align "$IN/lambda.fa" -1 "$IN/reads.fq"
case_ err_index_mode index -I 7 "$IN/lambda.fa" 14 x.tidx
case_ err_index_k index "$IN/lambda.fa" 40 x.tidx
case_ err_index_missing index "$IN/none.fa" 14 x.tidx
case_ err_sim_len single_reads "$IN/multi.fa" 0 10 1 1
case_ err_pair_template pair_reads "$IN/small.fa" 50 50 10 1 60 5 0 bad
case_ err_check_edits check_edits "$IN/mut.edits" "$IN/calls.vcf" -1 5 2 10 x
case_ err_filter_fasta fastq_filter 20 50 x "$IN/one.fa"
case_ err_qual_convert qual_convert S Q "$IN/reads.fq"
case_ err_subseq_range subseq "$IN/lambda.fa" 500 100
case_ err_sample_too_many sample_reads 10 x "$IN/one.fq"
case_ err_trim_missing fastq_trim 30 20 "$IN/none.fq"
PREP='mkdir out.fq' case_ err_unwritable fastq_filter 20 50 out "$IN/reads.fq"

# ---- inputs that earlier builds mishandled -------------------------------------
# A genome that is no text: gzip-compressed, or an index in its place.
case_ gz_genome_index index "$root/data/lambda.fa.gz" 14 gz.tidx
case_ gz_genome_random random_genome "$root/data/lambda.fa.gz" 0.1 0.01 1 gzmut
case_ gz_genome_reads single_reads "$root/data/lambda.fa.gz" 100 20 1 1
case_ index_as_genome pair_reads "$IN/lambda.tidx" 100 100 20 1 300 30 0 ip
case_ index_as_genome_subseq subseq "$IN/lambda.tidx" 1 50
# A FASTQ file whose last record is cut short.
head -c -30 "$IN/reads.fq" >"$IN/cut.fq"
case_ align_cut_fastq align "$IDX" -1 "$IN/cut.fq" -p 1
# Option words holding a tab or line break, copied into @PG CL:.
cp "$IN/one.fq" "$IN/r	x.fq"
case_ align_pg_tab align "$IDX" -1 "$IN/r	x.fq" --rg a --rg 'b
c'
# Reads with two insertions that start within the inserted length of the
# first base of the genome, and the same reads further in.
awk '/^>/ { n++; next } n == 1 { s = s $0 }
  END {
    for (p = 1; p <= 12; p++)
      for (q = p; q <= p + 5000; q += 5000) {
        r = substr(s, q, 12) "TTTTGGGG" substr(s, q + 12, 40) "CCA" substr(s, q + 52, 37)
        qual = r
        gsub(/./, "I", qual)
        printf "@at%d\n%s\n+\n%s\n", q, r, qual
      }
  }' "$IN/multi.fa" >"$IN/start_ins.fq"
case_ align_start_insertions align "$IDX" -1 "$IN/start_ins.fq" -p 1

# ---- reads cut before their quality, and binary data as reads -----------------
# Differ on purpose: a last FASTQ record cut in its sequence line or its
# header is skipped with the cut-short warning.
{ head -n 397 "$IN/reads.fq" && sed -n 398p "$IN/reads.fq" | head -c 40; } >"$IN/seq_cut.fq"
{ head -n 396 "$IN/reads.fq" && sed -n 397p "$IN/reads.fq" | head -c 6; } >"$IN/name_cut.fq"
for i in 1 2; do
  { head -n 397 "$IN/pairs_$i.fq" && sed -n 398p "$IN/pairs_$i.fq" | head -c 40; } >"$IN/pairs_${i}_cut.fq"
done
case_ align_seq_cut align "$IDX" -1 "$IN/seq_cut.fq" -p 1
case_ align_name_cut align "$IDX" -1 "$IN/name_cut.fq" -p 1
case_ align_pair_seq_cut align "$IDX" -1 "$IN/pairs_1_cut.fq" -2 "$IN/pairs_2_cut.fq" -p 1
case_ fastq_stats_seq_cut fastq_stats "$IN/seq_cut.fq"
# Differ on purpose: binary data (an index, a NUL byte further on) is
# refused with the command's status for an input it cannot open.
awk 'NR == 2000 { $0 = $0 "\001" } 1' "$IN/reads.fq" | tr '\001' '\000' >"$IN/nul.fq"
case_ align_index_as_reads align "$IDX" -1 "$IN/lambda.tidx"
case_ align_nul_reads align "$IDX" -1 "$IN/nul.fq" -p 1
case_ fastq_stats_index fastq_stats "$IN/lambda.tidx"
case_ fastq_trim_nul fastq_trim 30 25 "$IN/nul.fq"
case_ fq_len_filter_index fq_len_filter 0 bin "$IN/lambda.tidx"
# The same: FASTA reads without a last line end. Differ on purpose: a first
# '@' record without a quality that FASTQ records follow lost its '+' line,
# and is named as damaged.
printf '>a\nACGTTGCAAGGCTTAGCATCGATCGGGATTACA\n>b\nTTGACCGATGCAACGTACGTGGCATTAGCCAT' >"$IN/open_end.fa"
{ head -n 2 "$IN/reads.fq" && tail -n +5 "$IN/reads.fq"; } >"$IN/no_qual.fq"
case_ align_fasta_open_end align "$IDX" -1 "$IN/open_end.fa" -p 1
case_ fastq_stats_fasta_open_end fastq_stats "$IN/open_end.fa"
case_ align_record_without_qual align "$IDX" -1 "$IN/no_qual.fq" -p 1

# ---- number words ---------------------------------------------------------
# Words the old stream extraction took whole: the same runs as before.
case_ words_index index -I +1 "$IN/small.fa" 010 small.tidx
case_ words_check_idx check_idx ACGTTGCAAGGCTTAGCATCGATCGGGATTACANNTTG " 12"
case_ words_random_genome random_genome "$IN/multi.fa" 1e-1 .01 1. wmut
case_ words_single_reads single_reads "$IN/mut.fa" 0100 +300 2.0 1e0
case_ words_pair_reads pair_reads "$IN/mut.fa" +100 90 200 1 3e2 30. 2 wpairs
case_ words_align align "$IDX" -1 "$IN/gap_ins.fq" -o 2.0 -r 4. -e 020 -p +1
case_ words_align_rate align "$IDX" -1 "$IN/reads.fq" -r 1e-2 -o .001
case_ words_check_single check_single "$IN/mut.fa.map" "$IN/single.sorted.sam" +5 "1500 " 020 wcs
case_ words_check_edits check_edits "$IN/mut.edits" "$IN/calls.vcf" 00 +5 2 1e1 wce
case_ words_fastq_filter fastq_filter +20 8e1 wff "$IN/reads.fq"
case_ words_fastq_trim fastq_trim 030 +25 "$IN/reads.fq"
case_ words_subseq subseq "$IN/lambda.fa" +100 0777
case_ words_all_sw all_sw "$REF" "$READ" +10 5 15 40 2 5 15 40 2 -0
# Words that are no number of their kind, or numbers no run can use: each
# run now ends with one line and the usage-error status.
case_ words_bad_index_mode index -I x "$IN/lambda.fa" 14 x.tidx
case_ words_bad_threads align "$IDX" -1 "$IN/reads.fq" -p 4x
case_ words_bad_count single_reads "$IN/multi.fa" 100 -5 1 0
case_ words_bad_pairs check_pair "$IN/pairs.sorted.sam" 20 -1 0 0 x
case_ words_bad_reads check_single "$IN/gap.sorted.sam" 5 0 0 x
case_ words_bad_trim fastq_trim 30 -20 "$IN/reads.fq"
case_ words_bad_depth index_depth "$IN/small.fa" 0
case_ words_bad_rate random_genome "$IN/multi.fa" 150 0.01 1 x

# ---- text inputs that are no text or cannot be read ----------------------------
# A directory, a NUL, gzip data: refused with one line, where earlier builds
# read an empty input. NUL-only genomes give the same refusal as before, from
# the first block instead of the whole file.
mkdir -p "$IN/dir"
printf '@HD\tVN:1.4\nr1\t0\tc\t1\t60\t4M\t*\t0\t0\tAC\0T\tIIII\n' >"$IN/nul.sam"
gzip -c "$IN/raw.txt" >"$IN/raw.txt.gz"
head -c 1000000 /dev/zero >"$IN/zeros.fa"
printf '>a\nTACTACTAC\n>b\nAC\0GT\n' >"$IN/late_nul.fa"
case_ text_sam_dir check_single "$IN/dir" 20 400 0 p
case_ text_sam_nul check_pair "$IN/nul.sam" 20 400 0 0 p
case_ text_map_dir check_single "$IN/dir" "$IN/single.sorted.sam" 5 1500 20 cs
case_ text_edits_nul check_edits "$IN/nul.sam" "$IN/calls.vcf" 0 5 2 10 ce
case_ text_vcf_dir check_edits "$IN/mut.edits" "$IN/dir" 0 5 2 10 ce
case_ text_raw_gz raw2fasta "$IN/raw.txt.gz"
case_ text_merge_nul merge_sam "$(from_old align_single out)" "$IN/nul.sam"
case_ text_genome_dir single_reads "$IN/dir" 50 3 1 1
case_ text_depth_late_nul index_depth "$IN/late_nul.fa" 3
case_ text_subseq_zeros subseq "$IN/zeros.fa" 1 10
case_ text_single_zeros single_reads "$IN/zeros.fa" 50 3 1 1
case_ text_gap_zeros gap_reads "$IN/zeros.fa" 50 3 1 1 2
case_ text_depth_zeros index_depth "$IN/zeros.fa" 3

# ---- outputs that exist before the run -----------------------------------------
# Earlier outputs under the names a run writes. A run that succeeds
# replaces them; one that fails keeps them (older builds emptied them).
OLDOUT='for f in o.fa o.edits o.fa.map o_1.fq o_2.fq o_reject_1.fq o_reject_2.fq o_wrong.fq o_wrong.sam o.err; do echo earlier >"$f"; done'
PREP=$OLDOUT case_ kept_random_genome_ok random_genome "$IN/small.fa" 1 1 1 o
PREP=$OLDOUT case_ kept_pair_reads_ok pair_reads "$IN/multi.fa" 50 50 20 1 200 20 0 o
PREP=$OLDOUT case_ kept_filter_ok fq_len_filter 95 o "$IN/pairs_1.fq" "$IN/pairs_2.fq"
PREP=$OLDOUT case_ kept_check_single_ok check_single "$IN/mut.fa.map" "$IN/single.sorted.sam" 5 1500 20 o
PREP="$OLDOUT; ln -s /dev/null n_reject.fq" case_ kept_filter_devnull fq_len_filter 95 n "$IN/gap_ins.fq"
: >"$IN/empty.fa"
printf '>c\nACGTACGTACGTACGTACGT\n>c\nACGTACGTACGTACGTACGT\n' >"$IN/dup.fa"
printf 'not a map\n' >"$IN/bad.map"
PREP=$OLDOUT case_ kept_random_genome_fails random_genome "$IN/empty.fa" 1 0.1 1 o
PREP=$OLDOUT case_ kept_pair_reads_fails pair_reads "$IN/dup.fa" 5 5 10 0 10 1 0 o
PREP=$OLDOUT case_ kept_filter_fails fq_len_filter 0 o "$IN/pairs_1.fq" "$IN/one.fq"
PREP=$OLDOUT case_ kept_check_single_fails check_single "$IN/bad.map" "$IN/single.sorted.sam" 5 1500 20 o

# ---- records damaged mid-file, mates out of step, outputs in odd places ------
# Differ on purpose: a quality line shorter or longer than its sequence, a
# header without its '@', an '@' record without its '+' line in a FASTQ
# file, and text before the first header end the input with one line.
awk 'NR == 8 { print substr($0, 1, 50); next } 1' "$IN/reads.fq" >"$IN/short_q.fq"
awk 'NR == 8 { print $0 "II"; next } 1' "$IN/reads.fq" >"$IN/long_q.fq"
awk 'NR == 5 { print substr($0, 2); next } 1' "$IN/reads.fq" >"$IN/no_at.fq"
awk 'NR == 7 { next } 1' "$IN/reads.fq" >"$IN/no_plus.fq"
{ echo "a stray line"; cat "$IN/reads.fq"; } >"$IN/lead_text.fq"
gzip -c "$IN/short_q.fq" >"$IN/short_q.fq.gz"
case_ dmg_align_short_q align "$IDX" -1 "$IN/short_q.fq" -p 1
case_ dmg_align_short_q_gz align "$IDX" -1 "$IN/short_q.fq.gz" -p 1
case_ dmg_align_long_q align "$IDX" -1 "$IN/long_q.fq" -p 1
case_ dmg_align_no_at align "$IDX" -1 "$IN/no_at.fq" -p 1
case_ dmg_align_no_plus align "$IDX" -1 "$IN/no_plus.fq" -p 1
case_ dmg_align_lead_text align "$IDX" -1 "$IN/lead_text.fq" -p 1
awk 'NR == 408 { print substr($0, 1, 50); next } 1' "$IN/pairs_2.fq" >"$IN/pairs_2_short_q.fq"
case_ dmg_align_pair_mate2 align "$IDX" -1 "$IN/pairs_1.fq" -2 "$IN/pairs_2_short_q.fq" -p 1
case_ dmg_fastq_stats_short_q fastq_stats "$IN/short_q.fq"
case_ dmg_fastq_trim_no_plus fastq_trim 30 25 "$IN/no_plus.fq"
case_ dmg_qual_convert_long_q qual_convert S I "$IN/long_q.fq"
PREP=$OLDOUT case_ dmg_fq_len_filter_no_at fq_len_filter 95 o "$IN/no_at.fq"
PREP=$OLDOUT case_ dmg_sample_reads_short_q sample_reads 10 o "$IN/short_q.fq"
# Differ on purpose: '@' records without quality read alike, the last one
# included (it was skipped as cut short).
printf '@r1\nGTGATGAAGAATGAACGTCCCGCGTTCTTCCCTCC\n@r2\nGATCAGGACGATATTGTAAATTCACTTAATTACGAG\n' >"$IN/all_no_qual.fq"
case_ dmg_align_all_no_qual align "$IN/lambda.tidx" -1 "$IN/all_no_qual.fq" -p 1
case_ dmg_fastq_stats_all_no_qual fastq_stats "$IN/all_no_qual.fq"
# The same: qualities over two lines that end at a line end, quality lines
# that begin with '@', Windows line ends, blank lines between records.
awk 'NR % 4 == 0 { print substr($0, 1, 30); print substr($0, 31); next } 1' "$IN/reads.fq" >"$IN/two_line_q.fq"
awk 'NR % 4 == 0 { $0 = "@" substr($0, 2) } 1' "$IN/reads.fq" >"$IN/at_q.fq"
sed 's/$/\r/' "$IN/reads.fq" >"$IN/crlf.fq"
awk '1; NR % 4 == 0 { print "" }' "$IN/reads.fq" >"$IN/blank_lines.fq"
case_ same_align_two_line_q align "$IDX" -1 "$IN/two_line_q.fq" -p 1
case_ same_align_at_q align "$IDX" -1 "$IN/at_q.fq" -p 1
case_ same_align_crlf align "$IDX" -1 "$IN/crlf.fq" -p 1
case_ same_fastq_stats_blank_lines fastq_stats "$IN/blank_lines.fq"
case_ same_fastq_trim_crlf fastq_trim 30 25 "$IN/crlf.fq"
# Differ on purpose: mate files whose names stop matching (a record lost
# from one file, or files of unrelated reads) end with one line, status 1.
awk 'NR >= 41 && NR <= 44 { next } 1
  END { s = "ACGTACGTAC"; q = "IIIIIIIIII"; print "@extra/2"; print s s s s s s s s s; print "+"; print q q q q q q q q q }' \
  "$IN/pairs_2.fq" >"$IN/skew_2.fq"
head -n 3200 "$IN/reads.fq" >"$IN/unrelated_2.fq"
case_ mates_align_skew align "$IDX" -1 "$IN/pairs_1.fq" -2 "$IN/skew_2.fq" -p 1
case_ mates_align_unrelated align "$IDX" -1 "$IN/pairs_1.fq" -2 "$IN/unrelated_2.fq" -p 1
PREP=$OLDOUT case_ mates_sample_reads_skew sample_reads 10 o "$IN/pairs_1.fq" "$IN/skew_2.fq"
PREP=$OLDOUT case_ mates_fastq_filter_skew fastq_filter 20 80 o "$IN/pairs_1.fq" "$IN/skew_2.fq"
PREP=$OLDOUT case_ mates_fq_len_filter_skew fq_len_filter 95 o "$IN/pairs_1.fq" "$IN/skew_2.fq"
# The same: names that differ only after a blank, a tab or a '/'.
awk 'NR % 4 == 1 { sub(/\/2$/, (NR % 8 == 1) ? " second" : "\tx/2") } 1' "$IN/pairs_2.fq" >"$IN/suffix_2.fq"
case_ mates_align_suffixes align "$IDX" -1 "$IN/pairs_1.fq" -2 "$IN/suffix_2.fq" -p 1
case_ mates_fq_len_filter_suffixes fq_len_filter 95 sfx "$IN/pairs_1.fq" "$IN/suffix_2.fq"
# Differ on purpose: align's side file is kept when the run fails, and
# staged outputs with long names work again.
gzip -c "$IN/reads.fq" | head -c 6000 >"$IN/cut.fq.gz"
PREP='echo precious >hy.fq' case_ kept_align_hybrid_fails align "$IDX" -1 "$IN/cut.fq.gz" -y hy -p 1
PREP='echo precious >hy.fq' case_ kept_align_hybrid_ok align "$IDX" -1 "$IN/gap_del.fq" -y hy -p 1
LONG=$(printf 'x%.0s' $(seq 1 240))
case_ long_name_fq_len_filter fq_len_filter 95 "$LONG" "$IN/gap_ins.fq"
case_ long_name_random_genome random_genome "$IN/small.fa" 1 1 1 "$LONG"
# Differ on purpose: a hard-linked target is written in place, so both
# names see the new output (the old build left the other name behind).
PREP='echo earlier >o.fq; ln o.fq link.fq' case_ link_fq_len_filter fq_len_filter 95 o "$IN/gap_ins.fq"
# Differ on purpose: smaller mends.
printf '>a\nACGTACGTAC\n>b\nGGGGCCCCAA\n' >"$IN/two.fa"
printf 'BAM\1\0\0\0\0' >"$IN/fake.bam"
case_ subseq_two_headers subseq "$IN/two.fa" 1 30
case_ words_empty_threads align "$IDX" -1 "$IN/reads.fq" -p ""
case_ words_empty_max_occ align "$IDX" -1 "$IN/reads.fq" --max_occ ""
case_ words_rate_near_one align "$IDX" -1 "$IN/reads.fq" -r 0.99999999 -p 1
case_ words_too_large sample_reads 2147483648 s "$IN/reads.fq"
case_ merge_sam_second_bam merge_sam "$(from_old align_single out)" "$IN/fake.bam"
head -c 65536 /dev/urandom >"$IN/random.map"
case_ map_random check_single "$IN/random.map" "$IN/single.sorted.sam" 5 1500 20 rnd

# ---- a lost quality line, '@' records of both kinds, NUL bytes, memory -------
# Differ on purpose: a record that lost its quality line, with the next
# header as long as its sequence, is named itself and is in no output; so is
# a one-base read with its '+' line twice.
awk 'NR == 12 { next } NR == 13 { while (length($0) < 100) $0 = $0 "x" } 1' "$IN/reads.fq" >"$IN/lost_q.fq"
printf '@a\nA\n+\nI\n@b\nC\n+\n+\nI\n@c\nG\n+\nI\n' >"$IN/two_plus.fq"
case_ dmg_align_lost_q align "$IDX" -1 "$IN/lost_q.fq" -p 1
case_ dmg_fastq_trim_lost_q fastq_trim 30 25 "$IN/lost_q.fq"
case_ dmg_fastq_stats_two_plus fastq_stats "$IN/two_plus.fq"
# Differ on purpose: a first record that lost its '+' line is named, not
# read as a read twice as long without quality; after '@' records without
# quality, a record with one is named.
awk 'NR == 3 { next } 1' "$IN/reads.fq" >"$IN/no_plus_1.fq"
awk 'NR <= 8 && NR % 4 != 1 && NR % 4 != 2 { next } 1' "$IN/reads.fq" >"$IN/bare_then_fq.fq"
case_ dmg_align_no_plus_1 align "$IDX" -1 "$IN/no_plus_1.fq" -p 1
case_ dmg_fastq_stats_no_plus_1 fastq_stats "$IN/no_plus_1.fq"
case_ dmg_align_bare_then_fq align "$IDX" -1 "$IN/bare_then_fq.fq" -p 1
# Differ on purpose: a NUL byte several blocks in ends the input right
# before it; every record wholly before it is written.
{ head -c 65534 "$IN/reads.fq"; printf '\000'; tail -c +65536 "$IN/reads.fq"; } >"$IN/late_nul.fq"
case_ nul_align_late align "$IDX" -1 "$IN/late_nul.fq" -p 1
case_ nul_fastq_trim_late fastq_trim 30 25 "$IN/late_nul.fq"
PREP=$OLDOUT case_ nul_fq_len_filter_late fq_len_filter 95 o "$IN/late_nul.fq"
# Differ on purpose: maps past the genome limit are malformed, and running
# out of memory is one line and status 1 (it was an abort).
map() { python3 -c "import struct,sys; sys.stdout.buffer.write(struct.pack('<QQ', 1, 1) + b'c' + struct.pack('<QIIII', *map(int, sys.argv[1:])))" "$@"; }
if command -v python3 >/dev/null; then
  map 4294967295 1 1 4294967295 4294967295 >"$IN/long_seq.map"
  map 4000000000 1 1 4000000000 4000000000 >"$IN/big.map"
  VMEM_KB=1000000 case_ map_past_limit check_single "$IN/long_seq.map" "$IN/single.sorted.sam" 5 1500 20 lim
  VMEM_KB=1000000 case_ map_past_limit_pair check_pair "$IN/long_seq.map" "$IN/pairs.sorted.sam" 5 800 20 50 limp
  VMEM_KB=1000000 case_ mem_check_single_big_map check_single "$IN/big.map" "$IN/single.sorted.sam" 5 1500 20 big
  python3 "$root/bench/make_genome.py" 24000000 "$IN/g24.fa" 1 1 >/dev/null 2>&1
  PREP=$OLDOUT VMEM_KB=40000 case_ mem_random_genome random_genome "$IN/g24.fa" 0.01 0.001 1 o
  VMEM_KB=40000 case_ mem_single_reads single_reads "$IN/g24.fa" 100 1000 1 0
  PREP=$OLDOUT VMEM_KB=40000 case_ mem_pair_reads pair_reads "$IN/g24.fa" 100 100 1000 1 300 30 0 o
fi
# Differ on purpose: a name too long for its directory is refused before
# the run; one near the limit keeps its temporary names (the same).
TOOLONG=$(printf 'a%.0s' $(seq 1 250))
PREP="echo earlier >$TOOLONG.fa" case_ toolong_random_genome random_genome "$IN/small.fa" 1 1 1 "$TOOLONG"
case_ toolong_fq_len_filter fq_len_filter 95 "$TOOLONG" "$IN/gap_ins.fq"
NEAR=$(printf 'x%.0s' $(seq 1 244))
case_ near_limit_fq_len_filter fq_len_filter 95 "$NEAR" "$IN/gap_ins.fq"
# Differ on purpose: a checker names the side file it could not write.
PREP='ln -s /dev/full w_wrong.sam' case_ full_side_check_single check_single "$IN/single.sorted.sam" 5 1500 20 w

# ---- overlays, workers out of memory, '>' in a quality, stop bytes, closes ----
# Differ on purpose: an output that an overlay's lower layer holds is
# replaced, not written in place, so a failed run keeps it. The overlay's
# files are copied out into merged/ for the comparison.
cat >"$IN/overlay.sh" <<'WRAPPER'
#!/bin/sh
mkdir -p .ov/l .ov/u .ov/m merged
unshare -m sh -c 'mount -t tmpfs tmpfs .ov/l && mount -t tmpfs tmpfs .ov/u &&
  mkdir .ov/u/u .ov/u/w && echo earlier >.ov/l/o.fq && echo earlier >.ov/l/o_reject.fq &&
  mount -t overlay overlay -o lowerdir=.ov/l,upperdir=.ov/u/u,workdir=.ov/u/w .ov/m || exit 99
  cd .ov/m && "$@"; s=$?; cp -a . ../../merged/; exit $s' sh "$@"
s=$?
rm -rf .ov
exit $s
WRAPPER
chmod +x "$IN/overlay.sh"
awk '1; END { print "@bad"; print "ACGT"; print "+"; print "IIIIII" }' "$IN/gap_ins.fq" >"$IN/long_qual_end.fq"
if (cd "$WORK" && "$IN/overlay.sh" true) 2>/dev/null; then
  WRAP=$IN/overlay.sh case_ overlay_lower_failed fq_len_filter 95 o "$IN/long_qual_end.fq"
  WRAP=$IN/overlay.sh case_ overlay_lower_ok fq_len_filter 95 o "$IN/gap_ins.fq"
else
  echo "skip  overlay_lower_*: no mount namespace here"
fi
# Differ on purpose: a worker that runs out of memory ends the run with one
# line and status 1 (it was an abort that left the side file's temporary
# name). One thread, so that standard output does not depend on timing.
awk 'BEGIN { s = "ACGTACGTACGTACGT"; while (length(s) < 8388608) s = s s; q = s; gsub(/[ACGT]/, "I", q)
  print "@big"; print s; print "+"; print q }' >"$IN/big_read.fq"
{ head -n 8 "$IN/reads.fq"; cat "$IN/big_read.fq"; } >"$IN/big.fq"
{ head -n 8 "$IN/pairs_1.fq"; cat "$IN/big_read.fq"; } >"$IN/big_1.fq"
{ head -n 8 "$IN/pairs_2.fq"; cat "$IN/big_read.fq"; } >"$IN/big_2.fq"
VMEM_KB=200000 case_ mem_align_worker align "$IDX" -1 "$IN/big.fq" -y hy -p 1
VMEM_KB=200000 case_ mem_align_worker_pairs align "$IDX" -1 "$IN/big_1.fq" -2 "$IN/big_2.fq" -y hy -p 1
# Differ on purpose: a first record that lost its '+' line is named also
# when a '>' in its quality begins an empty record, and so is an empty
# first '@' record that a FASTQ record follows.
awk 'NR == 3 { next } NR == 4 { $0 = substr($0, 1, 9) ">" substr($0, 11) } 1' "$IN/reads.fq" >"$IN/gt_qual.fq"
{ echo '@empty'; cat "$IN/reads.fq"; } >"$IN/empty_first.fq"
case_ dmg_align_gt_qual align "$IDX" -1 "$IN/gt_qual.fq" -p 1
case_ dmg_fastq_stats_gt_qual fastq_stats "$IN/gt_qual.fq"
case_ dmg_fastq_stats_empty_first fastq_stats "$IN/empty_first.fq"
PREP=$OLDOUT case_ dmg_fq_len_filter_empty_first fq_len_filter 95 o "$IN/empty_first.fq"
# The same: long headers and '+' lines after a sequence line, which the
# reader looks at sixteen bytes at a time.
awk 'NR % 4 == 1 { n = $0 "_with_a_long_read_name" } NR % 4 == 1 { print n; next }
  NR % 4 == 3 { print "+" substr(n, 2); next } 1' "$IN/reads.fq" >"$IN/long_names.fq"
awk 'NR % 4 == 1 { print ">" substr($0, 2) "_with_a_long_read_name" } NR % 4 == 2 { print substr($0, 1, 8); print substr($0, 9) }' \
  "$IN/reads.fq" >"$IN/long_names.fa"
gzip -c "$IN/long_names.fq" >"$IN/long_names.fq.gz"
gzip -c "$IN/long_names.fa" >"$IN/long_names.fa.gz"
for f in long_names.fq long_names.fa long_names.fq.gz long_names.fa.gz; do
  case_ "stops_fastq_stats_${f//./_}" fastq_stats "$IN/$f"
done
case_ stops_align_long_names align "$IDX" -1 "$IN/long_names.fq.gz" -p 1
case_ stops_align_long_names_fa align "$IDX" -1 "$IN/long_names.fa" -p 1
# The same: side files that fail only at their close, past the file size
# limit, are not committed.
# The limit is the program's alone: its standard error reaches the file
# through a pipe, and its standard output is dropped.
cat >"$IN/fsize.sh" <<'WRAPPER'
#!/usr/bin/env bash
set -o pipefail
(trap '' XFSZ && ulimit -f 2 && exec "$@") 2>&1 >/dev/null | cat >&2
WRAPPER
chmod +x "$IN/fsize.sh"
{
  printf '@HD\tVN:1.4\n@SQ\tSN:chr1\tLN:1000\n'
  awk 'BEGIN { while (length(s) < 100) { s = s "A"; q = q "I" }
    for (i = 10; i < 30; i++) printf "%d;chr1:100;0;0\t0\tchr1\t800\t60\t100M\t*\t0\t0\t%s\t%s\n", i, s, q }'
} >"$IN/wrong.sam"
head -n 1200 "$IN/reads.fq" >"$IN/reads300.fq"
PREP=$OLDOUT WRAP=$IN/fsize.sh case_ fsize_check_single check_single "$IN/wrong.sam" 0 20 0 o
PREP='echo earlier >hy.fq' WRAP=$IN/fsize.sh case_ fsize_align_hybrid align "$IDX" -1 "$IN/reads300.fq" -y hy -p 1
# Differ on purpose: with mates of different lengths, a first mate that
# aligned reverse is judged from where it starts, pos2 plus the second
# mate's length less its own (the pair_reads case above has 100 and 90).
case_ pair_reads_unequal pair_reads "$IN/mut.fa" 100 75 600 0 250 25 0 un
case_ pair_reads_unequal_rev pair_reads "$IN/mut.fa" 75 100 600 0 250 25 0 nu
for p in un nu; do
  sim=pair_reads_unequal
  [ $p = nu ] && sim=pair_reads_unequal_rev
  case_ align_paired_$p align "$IN/multi1.tidx" -1 "$(from_old $sim ${p}_1.fq)" \
    -2 "$(from_old $sim ${p}_2.fq)" -p 1
  sort_sam "$(from_old align_paired_$p out)" "$IN/$p.sorted.sam"
  case_ check_pair_$p check_pair "$IN/$p.sorted.sam" 3 600 0 0 c$p
  case_ check_pair_map_$p check_pair "$IN/mut.fa.map" "$IN/$p.sorted.sam" 3 600 0 0 m$p
done
# The same with equal lengths stays as it was.
case_ pair_reads_equal pair_reads "$IN/mut.fa" 100 100 600 0 250 25 0 eq
case_ align_paired_eq align "$IN/multi1.tidx" -1 "$(from_old pair_reads_equal eq_1.fq)" \
  -2 "$(from_old pair_reads_equal eq_2.fq)" -p 1
sort_sam "$(from_old align_paired_eq out)" "$IN/eq.sorted.sam"
case_ check_pair_eq check_pair "$IN/eq.sorted.sam" 0 600 0 0 ceq
case_ check_pair_map_eq check_pair "$IN/mut.fa.map" "$IN/eq.sorted.sam" 1 600 0 0 meq
# Differ on purpose: a first '@' record that lost its '+' line is cut short
# when only empty records follow it, and a '>' record does not show the
# '@' records' kind, so an '@' record with a '+' line after one names the
# first record as damaged.
printf '@r1\nACGTACGTAC\nIIIII>IIII\n' >"$IN/held_gt_end.fq"
printf '@r1\nACGTACGTAC\nIIIIIIIIII\n>\n' >"$IN/held_empty_end.fq"
printf '@r1\nACGTACGTAC\nIIIII>II\nIII\n@r2\nACGTACGTAC\n+\nIIIIIIIIII\n' >"$IN/held_gt_rec.fq"
printf '@a\nACGTACGTAC\n>b\nGGGG\n@c\nACGT\n+\nIIII\n' >"$IN/held_fasta_rec.fq"
# The same, whole mixed files, stay as they were.
printf '@a\nACGT\n>b\nGG\n@c\nTT\n' >"$IN/mixed_bare.fq"
printf '@a\nACGTACGT\n>b\nGG\nTT\n>c\nAAAA\n' >"$IN/mixed_bare_end.fq"
for f in held_gt_end held_empty_end held_gt_rec held_fasta_rec mixed_bare mixed_bare_end; do
  gzip -c "$IN/$f.fq" >"$IN/$f.fq.gz"
  case_ held_fastq_stats_$f fastq_stats "$IN/$f.fq"
  case_ held_fastq_stats_${f}_gz fastq_stats "$IN/$f.fq.gz"
  case_ held_align_$f align "$IDX" -1 "$IN/$f.fq.gz" -p 1
  PREP=$OLDOUT case_ held_fq_len_filter_$f fq_len_filter 1 o "$IN/$f.fq"
done

# Differ on purpose: a mate that aligned reverse is judged from the
# template's end less its own length, so mates cut at their 3' ends, by
# hand or by align --trim, are placed right.
cut3() { awk 'NR % 4 == 2 || NR % 4 == 0 { $0 = substr($0, 1, length($0) - 19) } 1' "$1"; }
cut3 "$(from_old pair_reads_equal eq_1.fq)" >"$IN/cut_1.fq"
cut3 "$(from_old pair_reads_equal eq_2.fq)" >"$IN/cut_2.fq"
awk 'NR % 4 == 0 { $0 = substr($0, 1, 70) "##############################" } 1' \
  "$(from_old pair_reads_equal eq_2.fq)" >"$IN/lowq_2.fq"
for m in c2:eq_1.fq:cut_2.fq c1:cut_1.fq:eq_2.fq c12:cut_1.fq:cut_2.fq lowq:eq_1.fq:lowq_2.fq; do
  IFS=: read -r p m1 m2 <<<"$m"
  case $m1 in eq_*) m1=$(from_old pair_reads_equal "$m1") ;; *) m1=$IN/$m1 ;; esac
  case $m2 in eq_*) m2=$(from_old pair_reads_equal "$m2") ;; *) m2=$IN/$m2 ;; esac
  trim=()
  [ $p = lowq ] && trim=(--trim 20)
  case_ align_paired_$p align "$IN/multi1.tidx" -1 "$m1" -2 "$m2" -p 1 "${trim[@]}"
  sort_sam "$(from_old align_paired_$p out)" "$IN/$p.sorted.sam"
  case_ check_pair_$p check_pair "$IN/$p.sorted.sam" 0 600 0 0 c$p
  case_ check_pair_map_$p check_pair "$IN/mut.fa.map" "$IN/$p.sorted.sam" 1 600 0 0 m$p
done
# Differ on purpose: check_pair refuses a file sorted by coordinate; the
# same records under a header that says they are sorted by name, and
# check_single on either, stay as they were.
{ printf '@HD\tVN:1.6\tSO:coordinate\n'; sort -t "$(printf '\t')" -k3,3 -k4,4n -s "$IN/eq.sorted.sam"; } >"$IN/eq.coord.sam"
{ printf '@HD\tVN:1.6\tSO:queryname\n'; cat "$IN/eq.sorted.sam"; } >"$IN/eq.name.sam"
case_ check_pair_coordinate check_pair "$IN/eq.coord.sam" 0 600 0 0 cco
case_ check_pair_queryname check_pair "$IN/eq.name.sam" 0 600 0 0 cqn
case_ check_single_coordinate check_single "$IN/eq.coord.sam" 0 1200 0 sco
# Differ on purpose: a multi-allelic call with an allele longer than one
# base is an indel call. Calls whose alleles are all single bases, with or
# without a symbolic one, and single-allele calls stay as they were.
awk 'BEGIN { OFS = "\t"; print "#CHROM\tPOS\tID\tREF\tALT\tQUAL" }
  NF < 4 { next }
  $3 == "INS" { print $1, $2, ".", "A", "A" $5 ",A" substr($5, 1, 1), 50, "." }
  $3 == "DEL" { print $1, $2 - 1, ".", "A" $4, "A,AC", 50, "." }
' "$IN/mut.edits" >"$IN/multi_indel.vcf"
awk 'BEGIN { OFS = "\t"; print "#CHROM\tPOS\tID\tREF\tALT\tQUAL" }
  NF < 4 { next }
  $3 == "SNP" { n++; print $1, $2, ".", $4, (n % 2 ? $5 ",N" : $5 ",<*>"), 50, "." }
' "$IN/mut.edits" >"$IN/multi_snp.vcf"
case_ check_edits_multi_indel check_edits "$IN/mut.edits" "$IN/multi_indel.vcf" 0 5 2 10 cmi
case_ check_edits_multi_snp check_edits "$IN/mut.edits" "$IN/multi_snp.vcf" 0 5 2 10 cms
# align checks that its reads files can be opened without a stream: the
# same for a missing file and a directory.
case_ align_reads_dir align "$IDX" -1 "$IN/dir"
case_ align_mate_missing align "$IDX" -1 "$IN/pairs_1.fq" -2 "$IN/none.fq"

# Differ on purpose: a sequence named with ':' (a region, an HLA allele)
# is scored from the last ':' of the name's origin field. The reads, the
# index and the alignments are the same; so is every report of names
# without ':' above.
awk '/^>chrA/ { print ">chrA:1-70000"; next } /^>chrB/ { print ">HLA-A*01:01:01:01"; next } 1' \
  "$IN/multi.fa" >"$IN/colon.fa"
case_ colon_random_genome random_genome "$IN/colon.fa" 0.1 0.01 1 cmut
case_ colon_index index "$IN/colon.fa" 14 colon.tidx
cp "$(from_old colon_index colon.tidx)" "$IN/colon.tidx"
case_ colon_single_reads single_reads "$IN/colon.fa" 100 600 1 1
case_ colon_gap_reads gap_reads "$IN/colon.fa" 100 300 1 1 3
case_ colon_pair_reads pair_reads "$IN/colon.fa" 100 90 300 1 300 30 1 cpr
case_ colon_mut_pair_reads pair_reads "$(from_old colon_random_genome cmut.fa)" 100 100 300 1 300 30 1 cmp
case_ colon_mut_single_reads single_reads "$(from_old colon_random_genome cmut.fa)" 100 300 1 1
case_ colon_align_single align "$IN/colon.tidx" -1 "$(from_old colon_single_reads out)" -p 1
case_ colon_align_gap align "$IN/colon.tidx" -1 "$(from_old colon_gap_reads out)" -p 1
case_ colon_align_pairs align "$IN/colon.tidx" -1 "$(from_old colon_pair_reads cpr_1.fq)" \
  -2 "$(from_old colon_pair_reads cpr_2.fq)" -p 1
case_ colon_align_mut_single align "$IN/colon.tidx" -1 "$(from_old colon_mut_single_reads out)" -p 1
case_ colon_align_mut_pairs align "$IN/colon.tidx" -1 "$(from_old colon_mut_pair_reads cmp_1.fq)" \
  -2 "$(from_old colon_mut_pair_reads cmp_2.fq)" -p 1
for a in single gap pairs mut_single mut_pairs; do
  sort_sam "$(from_old colon_align_$a out)" "$IN/colon_$a.sorted.sam"
done
case_ colon_check_single check_single "$IN/colon_single.sorted.sam" 0 600 0 ccs
case_ colon_check_gap check_single "$IN/colon_gap.sorted.sam" 0 300 0 ccg
case_ colon_check_pair check_pair "$IN/colon_pairs.sorted.sam" 0 300 0 0 ccp
case_ colon_check_single_map check_single "$(from_old colon_random_genome cmut.fa.map)" \
  "$IN/colon_mut_single.sorted.sam" 1 300 0 ccsm
case_ colon_check_pair_map check_pair "$(from_old colon_random_genome cmut.fa.map)" \
  "$IN/colon_mut_pairs.sorted.sam" 1 300 0 0 ccpm
awk 'NR % 4 == 2' "$IN/reads.fq" >"$IN/reads.txt"
# A full disk (a file size limit, SIGXFSZ ignored) cuts standard output:
# the same in both builds.
cat >"$IN/fsize_out.sh" <<'WRAPPER'
#!/usr/bin/env bash
(trap '' XFSZ && ulimit -f 8 && exec "$@")
WRAPPER
chmod +x "$IN/fsize_out.sh"
WRAP=$IN/fsize_out.sh case_ fsize_out_raw2fasta raw2fasta "$IN/reads.txt"
WRAP=$IN/fsize_out.sh case_ fsize_out_fastq_trim fastq_trim 20 20 "$IN/reads.fq"
WRAP=$IN/fsize_out.sh case_ fsize_out_single_reads single_reads "$IN/multi.fa" 100 300 1 1
# Where strace may trace: a write to standard output that fails once
# (differ on purpose for raw2fasta, fastq_trim and qual_convert, which
# wrote on after it; the simulators stopped already), and the kernel's want
# of memory for an open (differ on purpose: the run's want of memory, not a
# file that cannot be opened or an output written in place).
if strace -f -qq -o /dev/null true 2>/dev/null; then
  cat >"$IN/eio.sh" <<'WRAPPER'
#!/usr/bin/env bash
exec strace -qq -o /dev/null -P "$(readlink -f /proc/$$/fd/1)" \
  -e trace=write -e inject=write:error=EIO:when=2 "$@"
WRAPPER
  cat >"$IN/enomem_open.sh" <<'WRAPPER'
#!/usr/bin/env bash
# ENOMEM_AT: which open fails; counted among all the run's opens.
exec strace -f -qq -o /dev/null -e trace=openat \
  -e inject=openat:error=ENOMEM:when="$ENOMEM_AT" "$@"
WRAPPER
  chmod +x "$IN/eio.sh" "$IN/enomem_open.sh"
  WRAP=$IN/eio.sh case_ eio_raw2fasta raw2fasta "$IN/reads.txt"
  WRAP=$IN/eio.sh case_ eio_fastq_trim fastq_trim 20 20 "$IN/reads.fq"
  WRAP=$IN/eio.sh case_ eio_qual_convert qual_convert S I "$IN/reads.fq"
  WRAP=$IN/eio.sh case_ eio_single_reads single_reads "$IN/multi.fa" 100 2000 1 1
  WRAP=$IN/eio.sh case_ eio_gap_reads gap_reads "$IN/multi.fa" 100 2000 1 1 3
  # open_number PATTERN ARGS...: the number of the first open of a run of
  # ARGS (in a scratch directory) whose path PATTERN matches.
  open_number() {
    local pattern=$1
    shift
    mkdir -p "$WORK/opens" && (cd "$WORK/opens" &&
      strace -f -qq -o ../opens.log -e trace=openat "$NEW" "$@" >/dev/null 2>&1)
    rm -rf "$WORK/opens"
    grep -n -m 1 -E "$pattern" "$WORK/opens.log" | cut -d: -f1
  }
  ENOMEM_AT=$(open_number 'lambda\.fa"' index "$IN/lambda.fa" 14 x.tidx) \
    WRAP=$IN/enomem_open.sh case_ enomem_index_genome index "$IN/lambda.fa" 14 x.tidx
  for f in o o_reject; do
    PREP='echo earlier >o.fq; echo earlier >o_reject.fq' ENOMEM_AT=$(open_number "/\\.$f\\.fq\\." fastq_filter 20 80 o "$IN/reads.fq") \
      WRAP=$IN/enomem_open.sh case_ enomem_fastq_filter_temp_$f fastq_filter 20 80 o "$IN/reads.fq"
  done
fi
echo "$SAME same, $DIFFS different"
if [ "$DIFFS" -gt 0 ]; then
  echo "different: ${DIFF_NAMES[*]}"
  exit 1
fi
exit 0
