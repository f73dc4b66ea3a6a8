#!/usr/bin/env python3
"""Writes a synthetic genome for the scale benchmark: random bases in several
chromosomes, with copies of a few 3 kb repeat families (2% of their bases
changed per copy) planted once per 100 kb and one run of N per chromosome,
so that seeds hit repeats and windows break as in a real assembly.

Usage: make_genome.py <bases> <output.fa> [chromosomes] [seed]
"""
import random
import sys

LINE = 60
REPEAT_LEN = 3000
REPEAT_EVERY = 100_000
REPEAT_FAMILIES = 20
REPEAT_DIVERGENCE = 0.02
N_RUN = 1000
ACGT = bytes.maketrans(bytes(range(256)), b"ACGT" * 64)


# randbytes draws all its bits as one integer, which overflows past 256 MB.
# Pieces of a multiple of four bytes give the same bytes as one draw.
PIECE = 1 << 24


def random_bases(rng, n):
    seq = bytearray()
    for at in range(0, n, PIECE):
        seq += rng.randbytes(min(PIECE, n - at)).translate(ACGT)
    return seq


def plant_repeats(rng, seq, families):
    for window in range(0, len(seq) - REPEAT_EVERY + 1, REPEAT_EVERY):
        copy = bytearray(rng.choice(families))
        for _ in range(int(REPEAT_LEN * REPEAT_DIVERGENCE)):
            copy[rng.randrange(REPEAT_LEN)] = b"ACGT"[rng.randrange(4)]
        at = window + rng.randrange(REPEAT_EVERY - REPEAT_LEN)
        seq[at:at + REPEAT_LEN] = copy


def write_fasta(out, name, seq):
    out.write(b">" + name.encode() + b"\n")
    view = memoryview(seq)
    block = LINE * 100_000
    for start in range(0, len(seq), block):
        end = min(start + block, len(seq))
        out.write(b"".join(bytes(view[i:min(i + LINE, end)]) + b"\n"
                           for i in range(start, end, LINE)))


def main():
    if len(sys.argv) < 3:
        sys.exit(__doc__.strip())
    total = int(float(sys.argv[1]))
    chromosomes = int(sys.argv[3]) if len(sys.argv) > 3 else 10
    rng = random.Random(int(sys.argv[4]) if len(sys.argv) > 4 else 1)
    families = [bytes(random_bases(rng, REPEAT_LEN))
                for _ in range(REPEAT_FAMILIES)]
    with open(sys.argv[2], "wb") as out:
        # Chromosomes of decreasing length, like a real karyotype.
        weights = range(chromosomes, 0, -1)
        sizes = [total * w // sum(weights) for w in weights]
        sizes[0] += total - sum(sizes)
        for c, size in enumerate(sizes):
            seq = random_bases(rng, size)
            plant_repeats(rng, seq, families)
            if size > 2 * N_RUN:
                at = rng.randrange(size - N_RUN)
                seq[at:at + N_RUN] = b"N" * N_RUN
            write_fasta(out, "chr%d" % (c + 1), seq)


if __name__ == "__main__":
    main()
