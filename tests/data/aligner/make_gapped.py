#!/usr/bin/env python3
"""Writes reads with one longer insertion or deletion (3 to 10 bases) in the
middle, taken from genome.fa, and the alignment each must get:
gapped_reads.fq and gapped_truth.txt (name, FLAG, RNAME, POS, CIGAR, NM,
MD). Every gap is placed where it cannot slide, so its CIGAR is unique.
Fixed seed: running it again gives the same files."""
import random

rng = random.Random(20240611)


def load(path):
    seqs, name = {}, None
    for line in open(path):
        line = line.strip()
        if line.startswith('>'):
            name = line[1:].split()[0]
            seqs[name] = []
        else:
            seqs[name].append(line)
    return {k: ''.join(v) for k, v in seqs.items()}


def rc(s):
    return s[::-1].translate(str.maketrans('ACGT', 'TGCA'))


def other(b):
    return {'A': 'C', 'C': 'G', 'G': 'T', 'T': 'A'}[b]


g = load('genome.fa')
reads, truth = [], []


def deletion(name, chrom, pos, left, n, right, reverse=False, mm=()):
    """left bases from pos, n reference bases deleted, right bases more;
    mm: read bases (1-based) changed."""
    s = g[chrom]
    a = pos - 1 + left  # 0-based first deleted base
    assert s[a - 1] != s[a + n - 1] and s[a] != s[a + n], name
    read = list(s[pos - 1:a] + s[a + n:a + n + right])
    md, run = [], 0
    ref_of = list(range(pos - 1, a)) + list(range(a + n, a + n + right))
    for i in range(left + right):
        if i + 1 in mm:
            read[i] = other(read[i])
            md.append('%d%s' % (run, s[ref_of[i]]))
            run = 0
        else:
            run += 1
        if i + 1 == left:
            md.append('%d^%s' % (run, s[a:a + n]))
            run = 0
    md.append(str(run))
    read = ''.join(read)
    reads.append((name, rc(read) if reverse else read))
    truth.append((name, 16 if reverse else 0, chrom, pos,
                  '%dM%dD%dM' % (left, n, right), n + len(mm), ''.join(md)))


def insertion(name, chrom, pos, left, n, right, reverse=False):
    """left bases from pos, n random bases inserted, right bases more."""
    s = g[chrom]
    a = pos - 1 + left  # 0-based reference base after the insertion
    while True:
        ins = ''.join(rng.choice('ACGT') for _ in range(n))
        if ins[-1] != s[a - 1] and ins[0] != s[a]:
            break
    read = s[pos - 1:a] + ins + s[a:a + right]
    reads.append((name, rc(read) if reverse else read))
    truth.append((name, 16 if reverse else 0, chrom, pos,
                  '%dM%dI%dM' % (left, n, right), n, str(left + right)))


deletion('del5_fwd', 'chr1', 1201, 40, 5, 60)
insertion('ins7_rev', 'chr2', 3001, 50, 7, 43, reverse=True)
deletion('del3_rev', 'chr1', 501, 60, 3, 40, reverse=True)
insertion('ins10_fwd', 'chr2', 701, 45, 10, 45)
deletion('del10_mm', 'chr1', 2501, 50, 10, 50, mm=(20, 80))

with open('gapped_reads.fq', 'w') as f:
    for name, s in reads:
        f.write('@%s\n%s\n+\n%s\n' % (name, s, 'I' * len(s)))
with open('gapped_truth.txt', 'w') as f:
    for t in truth:
        f.write('\t'.join(str(x) for x in t) + '\n')
