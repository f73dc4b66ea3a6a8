#include "kernels/md_tag.h"

#include <algorithm>
#include <cctype>
#include <climits>

#include "kernels/packed_bits.h"
#include "kernels/text_out.h"

namespace {

const char BASE_LETTER[4] = {'A', 'C', 'G', 'T'};

bool is_op(char c) {
  return c == 'M' || c == '=' || c == 'X' || c == 'I' || c == 'D' || c == 'S';
}

// Length text read as a decimal number would be by a string stream: leading
// blanks, optional sign, digits up to the first other character. Negative
// lengths mean nothing in a CIGAR and count as 0.
int64_t parse_length(const char *b, const char *e) {
  while (b < e && std::isspace(static_cast<unsigned char>(*b)))
    ++b;
  bool neg = false;
  if (b < e && (*b == '+' || *b == '-'))
    neg = *b++ == '-';
  int64_t v = 0;
  for (; b < e && *b >= '0' && *b <= '9'; ++b) {
    v = v * 10 + (*b - '0');
    if (v > INT_MAX)
      v = INT_MAX;
  }
  return neg ? 0 : v;
}

// Calls op(letter, length, text_begin, text_end) for each CIGAR operation;
// every character that is not an operation letter belongs to the pending
// length text.
template <typename F> void for_each_op(const std::string &cigar, F op) {
  const char *text = cigar.data();
  const char *end = text + cigar.size();
  for (const char *c = text; c < end; ++c) {
    if (!is_op(*c))
      continue;
    op(*c, parse_length(text, c), text, c);
    text = c + 1;
  }
}

char letter(const bit_DNA_t &s, uint64_t pos) {
  return BASE_LETTER[packed_bits::base_at(s, pos)];
}

// The matched run of n bases from read base rpos and genome base gpos:
// numbers of equal bases, each mismatch as its genome letter. Compares 32
// bases a word; most runs hold no mismatch at all.
void md_matched(std::string &out, int64_t &c, const bit_DNA_t &sequence,
                const bit_DNA_t &genome, uint64_t rpos, uint64_t gpos,
                int64_t n) {
  while (n > 0) {
    const uint64_t m = uint64_t(std::min<int64_t>(n, 32));
    const uint64_t g = packed_bits::load(genome.data, 2 * (gpos - 1));
    uint64_t f = packed_bits::diff_flags(
        packed_bits::load(sequence.data, 2 * (rpos - 1)), g);
    f &= packed_bits::base_mask(m);
    uint64_t done = 0; // bases of this word counted so far
    while (f) {
      const uint64_t j = uint64_t(__builtin_ctzll(f)) / 2;
      append_int(out, c + int64_t(j - done));
      out += BASE_LETTER[(g >> (2 * j)) & 3];
      c = 0;
      done = j + 1;
      f &= f - 1;
    }
    c += int64_t(m - done);
    rpos += m;
    gpos += m;
    n -= int64_t(m);
  }
}

} // namespace

void append_MD(std::string &out, const std::string &cigar,
               const bit_DNA_t &sequence, const bit_DNA_t &genome,
               uint32_t git) {
  uint64_t rpos = 1;
  uint64_t gpos = git;
  int64_t c = 0;
  for_each_op(cigar, [&](char op, int64_t n, const char *, const char *) {
    switch (op) {
    case 'M':
      // Position 0 lies before the genome; it reads as base A.
      if (gpos == 0 || rpos == 0) {
        for (int64_t i = 0; i < n; ++i, ++rpos, ++gpos) {
          int g = packed_bits::base_at(genome, gpos);
          if (packed_bits::base_at(sequence, rpos) == g) {
            ++c;
          } else {
            append_int(out, c);
            out += BASE_LETTER[g];
            c = 0;
          }
        }
        break;
      }
      md_matched(out, c, sequence, genome, rpos, gpos, n);
      rpos += uint64_t(n);
      gpos += uint64_t(n);
      break;
    case '=':
      c += n;
      rpos += n;
      gpos += n;
      break;
    case 'X':
      for (int64_t i = 0; i < n; ++i, ++rpos, ++gpos) {
        append_int(out, c);
        out += letter(genome, gpos);
        c = 0;
      }
      break;
    case 'D':
      append_int(out, c);
      out += '^';
      for (int64_t i = 0; i < n; ++i, ++gpos)
        out += letter(genome, gpos);
      c = 0;
      break;
    default: // 'I', 'S'
      rpos += n;
      break;
    }
  });
  append_int(out, c);
}

std::string generate_MD(const std::string &cigar, const bit_DNA_t &sequence,
                        const bit_DNA_t &genome, uint32_t git) {
  std::string out;
  append_MD(out, cigar, sequence, genome, git);
  return out;
}

void append_novo(std::string &out, const std::string &cigar,
                 const bit_DNA_t &sequence, const bit_DNA_t &genome,
                 uint32_t git) {
  uint64_t rpos = 1;
  uint64_t gpos = git;
  int64_t o = 0;
  auto substitution = [&](int g, int r) {
    append_int(out, o);
    out += BASE_LETTER[g];
    out += '>';
    out += BASE_LETTER[r];
    out += ' ';
  };
  for_each_op(cigar,
              [&](char op, int64_t n, const char *text, const char *text_end) {
                switch (op) {
                case 'M':
                case 'X':
                  for (int64_t i = 0; i < n; ++i, ++rpos, ++gpos, ++o) {
                    int g = packed_bits::base_at(genome, gpos);
                    int r = packed_bits::base_at(sequence, rpos);
                    if (op == 'X' || g != r)
                      substitution(g, r);
                  }
                  break;
                case '=':
                  o += n;
                  rpos += n;
                  gpos += n;
                  break;
                case 'I':
                  append_int(out, o);
                  out += '+';
                  for (int64_t i = 0; i < n; ++i, ++rpos)
                    out += letter(sequence, rpos);
                  out += ' ';
                  break;
                case 'D':
                  for (int64_t i = 0; i < n; ++i, ++gpos, ++o) {
                    append_int(out, o);
                    out += '-';
                    out += letter(genome, gpos);
                    out += ' ';
                  }
                  break;
                default: // 'S'
                  append_int(out, o);
                  out += 'x';
                  out.append(text, text_end);
                  out += ' ';
                  rpos += n;
                  break;
                }
              });
}

std::string generate_novo(const std::string &cigar, const bit_DNA_t &sequence,
                          const bit_DNA_t &genome, uint32_t git) {
  std::string out;
  append_novo(out, cigar, sequence, genome, git);
  return out;
}
