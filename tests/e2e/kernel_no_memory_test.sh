# The kernel's want of memory for a call on a file (an open, a look-up, a
# link read, a change of mode) is the run's want of memory: the command ends
# with its own out-of-memory line and status 1, as it does when an
# allocation fails. It never blames a file that is fine ("Could not open
# genome file"), and never takes another way round: an existing output
# whose temporary file could not be made is not written in place, so every
# earlier output stays as it was and no temporary file is left.
#
# Each command runs once under strace to list its calls on the files that
# matter; then once for each of those calls, with that one failing (strace
# makes the kernel answer ENOMEM).
. "$(dirname "$0")/lib.sh"

have_strace || finish

# Calls that take a path, or a descriptor strace can name (-y).
CALLS=openat,newfstatat,statx,readlink,access,fchmod,fchown

gzip -dc "$DATA/lambda.fa.gz" >l.fa
run single_reads l.fa 100 200 1 10
expect_status 0 "single reads"
mv out r.fq
awk 'NR % 4 == 2' r.fq >raw.txt
run index l.fa 14 l.tidx
run align l.tidx -1 r.fq
mv out r.sam
run pair_reads l.fa 100 100 100 1 250 25 10 p
run align l.tidx -1 p_1.fq -2 p_2.fq
mv out p.sam
run random_genome l.fa 1 0.01 1 g
expect_status 0 "mutated genome"
printf '##fileformat=VCFv4.2\n#CHROM\tPOS\tID\tREF\tALT\tQUAL\tFILTER\n' >c.vcf
awk 'BEGIN { FS = OFS = "\t" } $3 == "SNP" && NR % 10 == 1 { print $1, $2, ".", $4, $5, 50, "PASS" }' \
  g.edits >>c.vcf

# traced ARGS...: the calls of a whole run, each with the path of the file
# it names or acts on, in TRACE.
traced() { strace_run -y -o trace -e trace="$CALLS" -- "$@"; }

# failing CALL N ARGS...: a run whose N-th call of CALL fails with ENOMEM.
failing() {
  local call=$1 n=$2
  shift 2
  strace_run -o /dev/null -e trace="$call" \
    -e inject="$call":error=ENOMEM:when="$n" -- "$@"
}

# The call number (among calls of its kind) and kind of each traced call
# that names one of the files of the regular expression FILES.
calls_on() {
  awk -v files="$1" '{
    call = $2; sub(/\(.*/, "", call)
    n[call]++
    if ($0 ~ files) print call, n[call]
  }' trace
}

# sweep LINE "OUTPUTS" FILES ARGS...: every call on the files that FILES
# (a regular expression for the traced line) matches fails in turn; each
# run ends with status 1 and a last line that LINE (an extended regular
# expression) matches whole, leaving each of OUTPUTS (existing
# files) as it was and no temporary file. OUTPUTS are made afresh first.
sweep() {
  local line=$1 outputs=$2 files=$3 label call n f
  shift 3
  label="$1"
  rm -f $outputs
  traced "$@"
  CHECKS=$((CHECKS + 1))
  [ "$STATUS" -eq 0 ] || {
    fail "$label: the whole run ended with status $STATUS: $(tail -n 1 err)"
    return
  }
  calls_on "$files" >calls
  CHECKS=$((CHECKS + 1))
  [ -s calls ] || {
    fail "$label: no call on [$files] was traced"
    return
  }
  while read -r call n; do
    for f in $outputs; do echo "earlier $f" >"$f"; done
    failing "$call" "$n" "$@"
    CHECKS=$((CHECKS + 1))
    [ "$STATUS" -eq 1 ] && tail -n 1 err | grep -qxE -- "$line" ||
      fail "$label, $call $n fails: status $STATUS, stderr ends [$(tail -n 1 err)]"
    for f in $outputs; do
      CHECKS=$((CHECKS + 1))
      echo "earlier $f" | cmp -s - "$f" || fail "$label, $call $n fails: $f changed"
    done
    CHECKS=$((CHECKS + 1))
    ! ls -A | grep -q '\.tmp' ||
      fail "$label, $call $n fails: temporary file left: $(ls -A | grep '\.tmp' | head -3)"
  done <calls
}

oom() { echo "ERROR: $1: not enough memory"; }
BUILD_LINE="ERROR: Not enough memory to build the index"

# Inputs: every open and look-up of each file a command reads.
sweep "$BUILD_LINE" "" '[/"<]l\.fa[>"]' \
  index l.fa 14 x.tidx
# Looking at the index's name to keep it off standard output comes before
# the index is loaded, and is the run's.
sweep "ERROR: (Not enough memory to load the index|align: not enough memory)" "" \
  '[/"<]l\.tidx[>"]' align l.tidx -1 r.fq
sweep "$(oom align)" "" '[/"<]p_[12]\.fq[>"]' align l.tidx -1 p_1.fq -2 p_2.fq
for cmd in "single_reads l.fa 100 5 1 1" "gap_reads l.fa 100 5 1 1 3" \
  "random_genome l.fa 1 0.01 1 rg" "pair_reads l.fa 100 100 5 1 250 25 1 pr"; do
  # shellcheck disable=SC2086
  sweep "$(oom "${cmd%% *}")" "" '[/"<]l\.fa[>"]' $cmd
done
sweep "$(oom check_single)" "" '[/"<](r\.sam|g\.fa\.map)[>"]' \
  check_single g.fa.map r.sam 0 200 0 cs
sweep "$(oom check_pair)" "" '[/"<]p\.sam[>"]' check_pair p.sam 0 100 0 0 cp
sweep "$(oom check_edits)" "" '[/"<](g\.edits|c\.vcf)[>"]' \
  check_edits g.edits c.vcf 0 5 2 10 ce
sweep "$(oom raw2fasta)" "" '[/"<]raw\.txt[>"]' raw2fasta raw.txt
sweep "$(oom merge_sam)" "" '[/"<][rp]\.sam[>"]' merge_sam r.sam p.sam
sweep "$(oom subseq)" "" '[/"<]l\.fa[>"]' subseq l.fa 1 100
sweep "$(oom index_depth)" "" '[/"<]r\.fq[>"]' index_depth r.fq 14
for cmd in "fastq_stats r.fq" "fastq_trim 20 20 r.fq" "qual_convert S I r.fq" \
  "sample_reads 5 ss r.fq" "fq_len_filter 50 ll r.fq"; do
  # shellcheck disable=SC2086
  sweep "$(oom "${cmd%% *}")" "" '[/"<]r\.fq[>"]' $cmd
done

# Outputs: every look-up of an output's name, and every call on its
# temporary file, with an earlier file under each name.
sweep "$(oom fastq_filter)" "ff.fq ff_reject.fq" '[/"<]\.?ff(_reject)?\.fq[.>"]' \
  fastq_filter 20 80 ff r.fq
sweep "$(oom random_genome)" "rg.fa rg.fa.map rg.edits" '[/"<]\.?rg\.(fa|fa\.map|edits)[.>"]' \
  random_genome l.fa 1 0.01 1 rg
sweep "$(oom pair_reads)" "pr_1.fq pr_2.fq" '[/"<]\.?pr_[12]\.fq[.>"]' \
  pair_reads l.fa 100 100 5 1 250 25 1 pr
sweep "$(oom sample_reads)" "ss.fq" '[/"<]\.?ss\.fq[.>"]' sample_reads 5 ss r.fq
sweep "$(oom check_single)" "cs.err cs_wrong.fq cs_wrong.sam" '[/"<]\.?cs(\.err|_wrong\.fq|_wrong\.sam)[.>"]' \
  check_single r.sam 0 200 0 cs
sweep "$BUILD_LINE" "x.tidx" '[/"<]\.?x\.tidx[.>"]' \
  index l.fa 14 x.tidx
sweep "$(oom align)" "hy.fq" '[/"<]\.?hy\.fq[.>"]' align l.tidx -1 r.fq -y hy
finish
