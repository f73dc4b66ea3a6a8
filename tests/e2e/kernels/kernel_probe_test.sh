# all_sw and affine_nw: usage, argument checks and their printed results.
. "$(dirname "$0")/../lib.sh"

ALL_SW_USAGE=(
  "Usage: venkari-basic all_sw <ref_seq> <read_seq> <band> <mat> <mm> <gap> <extend> <m_sw> <mm_sw> <gap_sw> <extend_sw> <end_len>"
  "    ref_seq     -- Reference sequence"
  "    read_seq    -- Read sequence"
  "    band        -- Maximum gap allowable in either read or reference"
  "                    (Larger gaps may be found, but not guaranteed)"
  ""
  "    mat         -- Match score (Needleman-Wunsch)"
  "    mm          -- Mismatch penalty (Needleman-Wunsch)"
  "    gap         -- Gap open penalty (Needleman-Wunsch)"
  "    extend      -- Gap extension penalty (Needleman-Wunsch)"
  ""
  "    m_sw        -- Match score (Smith-Waterman)"
  "    mm_sw       -- Mismatch penalty (Smith-Waterman)"
  "    gap_sw      -- Gap penalty (Smith-Waterman)"
  "    extend_sw   -- Gap extension penalty (Smith-Waterman)"
  ""
  "    end_len     -- Penalize extensions on the end (this far) like mismatches"
  "Run both Smith-Waterman (Local), Needleman-Wunsch (global) alignments"
  "and ungapped alignment to evaluate penalty scores."
)
AFFINE_NW_USAGE=(
  "Usage: venkari-basic affine_nw <ref_seq> <read_seq> <band> <mat> <mm> <gap> <extend> <end_len>"
  "    ref_seq     -- Reference sequence"
  "    read_seq    -- Read sequence"
  "    band        -- Maximum gap allowable in either read or reference"
  "                    (Larger gaps may be found, but not guaranteed)"
  ""
  "    mat         -- Match score"
  "    mm          -- Mismatch penalty"
  "    gap         -- Gap open penalty"
  "    extend      -- Gap extension penalty"
  "    end_len     -- Penalize extensions on the end (this far) like mismatches"
  "Affine gap penalty Needleman-Wunsch, same algorithm used internally"
)

# Wrong argument counts.
run all_sw ACGTACGTAC ACGTAC 3 1 3 5 2 1 3 5 2
expect_status 3 "all_sw with 11 arguments"
expect_out_empty
expect_err_is "${ALL_SW_USAGE[@]}"
run all_sw ACGTACGTAC ACGTAC 3 1 3 5 2 1 3 5 2 2 9
expect_status 3 "all_sw with 13 arguments"
expect_err_is "${ALL_SW_USAGE[@]}"
run affine_nw ACGT AC 3 0 4 6 2
expect_status 3 "affine_nw with 7 arguments"
expect_out_empty
expect_err_is "${AFFINE_NW_USAGE[@]}"
run affine_nw
expect_status 3 "affine_nw without arguments"
expect_err_is "${AFFINE_NW_USAGE[@]}"

# Read longer than the reference.
for cmd in "all_sw ACGT ACGTA 3 1 3 5 2 1 3 5 2 2" "affine_nw ACGT ACGTA 3 0 4 6 2 2"; do
  run $cmd
  expect_status 3 "$cmd"
  expect_out_empty
  expect_err_is "ERROR: Read length should be less than reference length"
done

# The read inside a longer reference: every section, penalty 0 on the
# free window ends, six match bytes and four free reference bytes.
run all_sw ACGTACGTAC ACGTAC 3 1 3 5 2 1 3 5 2 2
expect_status 0 "all_sw example"
cat >expected <<'OUT'
Non-affine, ends-free (on reference) Needleman-Wunsch
Penalty = 0
          
ACGTACGTAC
----ACGTAC
Affine, ends-free (on reference) Needleman-Wunsch
Penalty = 0
Path: 0000002222
          
ACGTACGTAC
----ACGTAC
Broken Affine, ends-free (on reference) Needleman-Wunsch
Penalty = 0
Path: 0000002222
          
ACGTACGTAC
----ACGTAC
Affine, Smith-Waterman
Score = 6
Cigar: 6=
Mismatch:   0
Gap open:   0
Gap extend: 0
ACGTAC|GTAC
ACGTAC|
Mismatch only alignment
Mismatch: 0
ACGTACGTAC
ACGTAC
OUT
expect_out_file expected
expect_err_is "Start alignment"

# A mismatch at the read start: the local alignment clips it and starts
# at reference offset 3, read offset 1.
run all_sw TTTACGTACGG GACGTACG 4 1 3 5 2 1 3 5 2 2
expect_status 0 "all_sw with a clipped base"
cat >expected <<'OUT'
Non-affine, ends-free (on reference) Needleman-Wunsch
Penalty = 4
  *        
TTTACGTACGG
--GACGTACG-
Affine, ends-free (on reference) Needleman-Wunsch
Penalty = 4
Path: 20000000322
  *        
TTTACGTACGG
--GACGTACG-
Broken Affine, ends-free (on reference) Needleman-Wunsch
Penalty = 4
Path: 20000000322
  *        
TTTACGTACGG
--GACGTACG-
Affine, Smith-Waterman
Score = 7
Cigar: 1S7=
Mismatch:   0
Gap open:   0
Gap extend: 0
TTT|ACGTACG|G
  G|ACGTACG|
Mismatch only alignment
Mismatch: 1
TTTACGTACGG
  GACGTACG
OUT
expect_out_file expected

# Equal lengths: sections 1 to 4 only.
run all_sw ACGT ACGA 2 1 3 5 2 1 3 5 2 2
expect_status 0 "all_sw equal lengths"
cat >expected <<'OUT'
Non-affine, ends-free (on reference) Needleman-Wunsch
Penalty = 4
   *
ACGT
ACGA
Affine, ends-free (on reference) Needleman-Wunsch
Penalty = 4
Path: 3000
   *
ACGT
ACGA
Broken Affine, ends-free (on reference) Needleman-Wunsch
Penalty = 4
Path: 3000
   *
ACGT
ACGA
Affine, Smith-Waterman
Score = 3
Cigar: 3=1S
Mismatch:   0
Gap open:   0
Gap extend: 0
ACG|T
ACG|A
OUT
expect_out_file expected
CHECKS=$((CHECKS + 1))
[ ! -s err ] || fail "equal lengths: unexpected stderr $(head -c 200 err)"

# affine_nw: four anchorings on standard output, four single-indel trials
# on standard error.
run affine_nw ACGTTTACGTACGT ACGTACGT 3 0 4 6 2 2
expect_status 0 "affine_nw example"
cat >expected <<'OUT'
No Anchor
Score = 0
              
ACGTTTACGTACGT
------ACGTACGT
Left Anchor
Score = 10
              
ACGTTTACGTACGT
ACG--TACGT----
Right Anchor
Score = 0
              
ACGTTTACGTACGT
------ACGTACGT
Both Anchor
Score = 18
              
ACGTTTACGTACGT
------ACGTACGT
OUT
expect_out_file expected
expect_err_is "line_bit.size()8" "genome.size()14" \
  "start_pos:  4" "end_pos:  9" "diff:       -1" "cigar:      " \
  "start_pos:  5" "end_pos:  10" "diff:       14" "cigar:      1M2I5M" \
  "start_pos:  6" "end_pos:  11" "diff:       -1" "cigar:      " \
  "start_pos:  7" "end_pos:  12" "diff:       -1" "cigar:      "

# Odd inputs never crash: four trials whatever they are.
for args in '"" "" 3 0 4 6 2 2' 'ACGT ACGT -5 1 3 5 2 9' 'NNACGTNN ACGT 0 1 3 5 2 0' \
  'ACGTACGTAC ACG 2147483647 2147483647 2147483647 2147483647 2147483647 2147483647'; do
  eval "run affine_nw $args"
  expect_status 0 "affine_nw $args"
  CHECKS=$((CHECKS + 1))
  [ "$(grep -c '^start_pos:  ' err)" -eq 4 ] || fail "affine_nw $args: not four trials"
  [ "$(grep -c '^Score = ' out)" -eq 4 ] || fail "affine_nw $args: not four anchorings"
done
for args in '"" "" 3 0 4 6 2 2 1 3 5 2' 'ACGT AC -1 1 3 5 2 1 3 5 2 0' \
  'acgtNNacgt ACGT 1 1 3 5 2 1 3 5 2 9' 'ACGTACGT CG 0 0 0 1 2 -3 -4 5 6 7'; do
  eval "run all_sw $args"
  expect_status 0 "all_sw $args"
  CHECKS=$((CHECKS + 1))
  [ "$(grep -c '^Penalty = ' out)" -eq 3 ] || fail "all_sw $args: not three global sections"
done
# A band that leaves no alignment is reported as -1, not as garbage.
run all_sw ACGTAC ACGT -1 1 3 5 2 1 3 5 2 0
expect_status 0 "all_sw negative band"
CHECKS=$((CHECKS + 1))
[ "$(grep -c '^Penalty = -1$' out)" -eq 3 ] || fail "negative band: $(head -c 300 out)"

# Results that cannot be written (a full device, a closed standard output)
# are not a success.
for word in all_sw affine_nw; do
  args="ACGTTTACGTACGT ACGTACGT 3 0 4 6 2 2"
  [ "$word" = all_sw ] && args="$args 1 3 5 2"
  for to in full closed; do
    [ "$to" = full ] && { [ -w /dev/full ] || continue; }
    if [ "$to" = full ]; then
      "$BIN" $word $args >/dev/full 2>err.full
    else
      "$BIN" $word $args >&- 2>err.full
    fi
    STATUS=$?
    tail -n +$((BANNER_LINES + 1)) err.full >err
    expect_status 1 "$word to a $to standard output"
    CHECKS=$((CHECKS + 1))
    [ "$(grep -cxF "ERROR: Could not write to standard output" err)" -eq 1 ] ||
      fail "$word to a $to standard output: $(cat err)"
  done
done

finish
