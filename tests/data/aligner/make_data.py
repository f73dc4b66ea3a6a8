#!/usr/bin/env python3
"""Writes the small genome and the hand-designed reads of the align
end-to-end tests. Fixed seed: running it again gives the same files."""
import random

rng = random.Random(20240607)


def rand_seq(n):
    return ''.join(rng.choice('ACGT') for _ in range(n))


def rc(s):
    return s[::-1].translate(str.maketrans('ACGTN', 'TGCAN'))


def mutate(base):
    return {'A': 'C', 'C': 'G', 'G': 'T', 'T': 'A'}[base]


chr1 = rand_seq(6000)
chr2 = rand_seq(4000)
# A 400-base stretch of chr1 (from base 4201) copied into chr2 at base 2001.
repeat = chr1[4200:4600]
chr2 = chr2[:2000] + repeat + chr2[2400:]
assert len(chr2) == 4000

with open('genome.fa', 'w') as f:
    for name, s in (('chr1', chr1), ('chr2 second sequence', chr2)):
        f.write('>%s\n' % name)
        for i in range(0, len(s), 60):
            f.write(s[i:i + 60] + '\n')


def at(chrom, pos, n=100):
    return chrom[pos - 1:pos - 1 + n]


reads = []
# Exact forward read, chr1:1001.
reads.append(('exact_fwd', at(chr1, 1001)))
# Exact reverse-strand read, chr2:501.
reads.append(('exact_rev', rc(at(chr2, 501))))
# Two mismatches (read bases 20 and 71), chr1:2001.
s = list(at(chr1, 2001))
s[19] = mutate(s[19])
s[70] = mutate(s[70])
reads.append(('two_mm', ''.join(s)))
# One deleted reference base: reference base 26 of chr1:3001 missing.
ref = at(chr1, 3001, 101)
reads.append(('one_del', ref[:25] + ref[26:]))
# Two inserted read bases after read base 25, chr2:1501.
ref = at(chr2, 1501, 98)
reads.append(('two_ins', ref[:25] + 'TT' + ref[25:]))
# One N at read base 40, chr1:5001.
s = list(at(chr1, 5001))
s[39] = 'N'
reads.append(('with_n', ''.join(s)))
# Inside the repeat: chr1:4251 and chr2:2051.
reads.append(('in_repeat', at(chr1, 4251)))
# A random read that matches nowhere.
reads.append(('random', rand_seq(100)))
# Too short to be searched (below the minimum length of 50).
reads.append(('short', at(chr1, 301, 40)))
# Reverse strand with one mismatch near the end of chr2 (bases 3901-4000).
s = list(at(chr2, 3901))
s[95] = mutate(s[95])
reads.append(('rev_end_mm', rc(''.join(s))))

# Across the end of chr1 into chr2: contiguous in the concatenated genome,
# but no alignment may run past the end of its sequence.
reads.append(('across_ends', chr1[-50:] + chr2[:50]))

with open('reads.fq', 'w') as f:
    for name, s in reads:
        f.write('@%s/1\n%s\n+\n%s\n' % (name, s, 'I' * len(s)))
