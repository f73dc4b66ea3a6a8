# Simulates single-end reads with the error model of wgsim's defaults: each
# read is cut from a random place of a random sequence (chosen in proportion
# to its length); every base then meets a sequencing error (a substitution)
# with probability `err`, or a mutation with probability `mut`, which is an
# indel with probability `indel` (half insertions, half deletions; each
# further base with probability `ext`) and a substitution otherwise. Half of
# the reads are reverse complemented. Names carry the truth in the form the
# checkers read: "n;chr:pos;substitutions;reversed", pos being the first
# reference base of the read's window.
# Usage: awk -v len=100 -v n=500000 [-v err=0.01] [-v mut=0.001]
#            [-v indel=0.15] [-v ext=0.3] [-v seed=1]
#            -f sim_reads.awk genome.fa > reads.fq
BEGIN {
  if (seed == "") seed = 1
  if (err == "") err = 0.01
  if (mut == "") mut = 0.001
  if (indel == "") indel = 0.15
  if (ext == "") ext = 0.3
  srand(seed)
  split("A C G T", BASES, " ")
  COMP["A"] = "T"; COMP["C"] = "G"; COMP["G"] = "C"; COMP["T"] = "A"
  nseq = 0
}
/^>/ {
  NAMES[++nseq] = substr($1, 2)
  NLINES[nseq] = 0
  next
}
{ LINES[nseq, ++NLINES[nseq]] = toupper($0) }

# Joins the lines of sequence s pairwise, round after round: appending line
# by line to one string would copy the whole sequence once per line.
function join_lines(s,    n, i, m) {
  n = NLINES[s]
  for (i = 1; i <= n; i++) PIECE[i] = LINES[s, i]
  while (n > 1) {
    m = 0
    for (i = 1; i <= n; i += 2)
      PIECE[++m] = (i < n) ? PIECE[i] PIECE[i + 1] : PIECE[i]
    n = m
  }
  return n ? PIECE[1] : ""
}

function random_base() { return BASES[int(rand() * 4) + 1] }

function other_base(b,    c) {
  do { c = random_base() } while (c == b)
  return c
}

function indel_len(    l) {
  l = 1
  while (rand() < ext) l++
  return l
}

function revcomp(s,    r, i) {
  r = ""
  for (i = length(s); i >= 1; i--) r = r COMP[substr(s, i, 1)]
  return r
}

function pick_seq(    x, i) {
  x = rand() * total
  for (i = 1; i < nseq; i++) {
    if (x < LEN[i]) return i
    x -= LEN[i]
  }
  return nseq
}

# Clean bases before the next event: geometric with the event probability.
function gap_to_event() {
  return int(log(1 - rand()) / log_keep)
}

END {
  total = 0
  for (i = 1; i <= nseq; i++) {
    SEQ[i] = join_lines(i)
    LEN[i] = length(SEQ[i])
    total += LEN[i]
  }
  p_event = err + mut
  log_keep = log(1 - p_event)
  slack = 2 * len # room for deletions
  q = ""
  for (i = 0; i < len; i++) q = q "I"
  made = 0
  while (made < n) {
    s = pick_seq()
    if (LEN[s] < len + slack) continue
    pos = int(rand() * (LEN[s] - len - slack + 1)) + 1
    win = substr(SEQ[s], pos, len + slack)
    if (win ~ /[^ACGT]/) continue
    read = ""; subs = 0; r = 1
    while (length(read) < len && r <= length(win)) {
      d = gap_to_event()
      read = read substr(win, r, d); r += d
      if (length(read) >= len || r > length(win)) break
      b = substr(win, r, 1)
      if (rand() * p_event < err || rand() >= indel) {
        read = read other_base(b); subs++; r++
      } else if (rand() < 0.5) {
        for (l = indel_len(); l > 0; l--) read = read random_base()
      } else {
        r += indel_len()
      }
    }
    if (length(read) < len) continue
    read = substr(read, 1, len)
    rev = rand() < 0.5
    if (rev) read = revcomp(read)
    printf "@%d;%s:%d;%d;%d\n%s\n+\n%s\n", ++made, NAMES[s], pos, subs, rev, read, q
  }
}
