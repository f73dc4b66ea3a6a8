#!/usr/bin/env python3
"""Writes the hand-designed read pairs of the paired align end-to-end test
from genome.fa (made by make_data.py). Fixed seed: running it again gives
the same files."""
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


def rand_seq(n):
    return ''.join(rng.choice('ACGT') for _ in range(n))


def rc(s):
    return s[::-1].translate(str.maketrans('ACGT', 'TGCA'))


def mutate(s, positions):
    s = list(s)
    for p in positions:
        s[p - 1] = {'A': 'C', 'C': 'G', 'G': 'T', 'T': 'A'}[s[p - 1]]
    return ''.join(s)


g = load('genome.fa')
chr1, chr2 = g['chr1'], g['chr2']


def at(chrom, pos, n=100):
    return chrom[pos - 1:pos - 1 + n]


pairs = []
# Forward template chr1:1001-1300.
pairs.append(('concordant', at(chr1, 1001), rc(at(chr1, 1201))))
# Reverse template chr2:601-900: mate 1 on the reverse strand.
pairs.append(('concordant_rev', rc(at(chr2, 801)), at(chr2, 601)))
# Mate 2 with a mismatch every 11 bases: no 14-base seed survives, so its
# own search finds nothing; the rescue next to mate 1 places it.
pairs.append(('rescued', at(chr1, 2001),
              rc(mutate(at(chr1, 2201), range(6, 101, 11)))))
# Mate 1 inside the 400-base repeat (chr1:4201-4600 = chr2:2001-2400),
# mate 2 just past it on chr1: the pair decides.
pairs.append(('repeat_resolved', at(chr1, 4301), rc(at(chr1, 4601))))
# Random bases: both mates unmapped.
pairs.append(('unmapped', rand_seq(100), rand_seq(100)))
# Mates on two sequences.
pairs.append(('two_chroms', at(chr1, 501), rc(at(chr2, 3001))))
# Both mates on the forward strand.
pairs.append(('same_strand', at(chr1, 3001), at(chr1, 3201)))
# A template of 700 bases, above the maximum of 550.
pairs.append(('too_far', at(chr1, 5001), rc(at(chr1, 5601))))
# Only mate 1 maps.
pairs.append(('one_mapped', at(chr2, 101), rand_seq(100)))

for mate in (1, 2):
    with open('pairs_%d.fq' % mate, 'w') as f:
        for name, m1, m2 in pairs:
            s = m1 if mate == 1 else m2
            f.write('@%s/%d\n%s\n+\n%s\n' % (name, mate, s, 'I' * len(s)))
