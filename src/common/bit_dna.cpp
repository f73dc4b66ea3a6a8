#include "common/bit_dna.h"

#include <climits>
#include <new>

#include "common/mt_random.h"

namespace {

struct base_codes {
  int8_t code[256];
};

// Built at compile time so loaders running during static initialisation of
// other files see a filled table.
constexpr base_codes make_base_codes() {
  base_codes t{};
  for (int i = 0; i < 256; ++i)
    t.code[i] = -1;
  t.code['A'] = t.code['a'] = 0;
  t.code['C'] = t.code['c'] = 1;
  t.code['G'] = t.code['g'] = 2;
  t.code['T'] = t.code['t'] = 3;
  return t;
}
constexpr base_codes BASE_CODES = make_base_codes();

// Genome byte k realigned by s bits; bytes past the end of the data count
// as 0 so a comparison near the end never reads outside the buffer.
inline uint8_t shifted_byte(const uint8_t *d, uint64_t n, uint64_t k,
                            unsigned s) {
  uint8_t lo = k < n ? d[k] : 0;
  if (s == 0)
    return lo;
  uint8_t hi = k + 1 < n ? d[k + 1] : 0;
  return uint8_t((lo >> s) | (hi << (8 - s)));
}

bool put_u64(gzFile out, uint64_t v) {
  unsigned char b[8];
  for (int i = 0; i < 8; ++i)
    b[i] = (unsigned char)(v >> (8 * i));
  return gzwrite(out, b, 8) == 8;
}

bool get_u64(gzFile in, uint64_t &v) {
  unsigned char b[8];
  if (gzread(in, b, 8) != 8)
    return false;
  v = 0;
  for (int i = 0; i < 8; ++i)
    v |= uint64_t(b[i]) << (8 * i);
  return true;
}

const unsigned IO_CHUNK = 1u << 20;
// Far above any real genome (2^42 bases); a larger count means a corrupt
// file, not an allocation to attempt.
const uint64_t MAX_SERIALISED_BYTES = 1ULL << 40;

} // namespace

bit_DNA_t::bit_DNA_t(const uint8_t *table) : mm_table(table) {}

bit_DNA_t::bit_DNA_t(const std::string &s, MT_random &gen, const uint8_t *table)
    : mm_table(table) {
  reserve(s.size());
  append(s, gen);
}

void bit_DNA_t::append(const std::string &s, MT_random &gen) {
  const char *text = s.data();
  const size_t n = s.size();
  size_t i = 0;
  auto one_base = [&](char c) {
    uint8_t code = uint8_t(get_base_val_r(c, gen));
    if (data.size() * R_SIZE <= curr_loc + 1)
      data.push_back(0);
    data[curr_loc >> R_SIZE_SHIFT] |= uint8_t(code << (curr_loc & 7));
    curr_loc += 2;
  };
  for (; i < n && (curr_loc & 7); ++i)
    one_base(text[i]);
  // Whole bytes, four bases at once; the random bases of other letters are
  // still drawn in the order of the letters.
  for (; i + 4 <= n; i += 4) {
    int code[4];
    for (int j = 0; j < 4; ++j)
      code[j] = BASE_CODES.code[(unsigned char)text[i + j]];
    if ((code[0] | code[1] | code[2] | code[3]) < 0)
      for (int j = 0; j < 4; ++j)
        if (code[j] < 0)
          code[j] = int(gen.genrand_int_range(0, 3));
    const uint64_t k = curr_loc >> R_SIZE_SHIFT;
    if (data.size() <= k)
      data.push_back(0);
    data[k] |= uint8_t(code[0] | code[1] << 2 | code[2] << 4 | code[3] << 6);
    curr_loc += R_SIZE;
  }
  for (; i < n; ++i)
    one_base(text[i]);
}

void bit_DNA_t::clear() {
  data.clear();
  curr_loc = 0;
}

void bit_DNA_t::reserve(uint64_t n) { data.reserve((n + 3) / 4); }

void bit_DNA_t::reserve_dna(uint64_t n) {
  if (n > 0)
    data.reserve(n / 4 + 1);
}

int bit_DNA_t::compare_mm(const bit_DNA_t &read, uint64_t loc, uint32_t max_pen,
                          uint32_t mm_pen) const {
  const uint64_t g = 2 * loc - 2;
  const uint64_t start = g >> 3;
  const unsigned s = unsigned(g & 7);
  const uint64_t n = data.size();
  if (start >= n)
    return -1;
  const uint8_t *d = data.data();
  const uint8_t *r = read.data.data();
  const uint8_t *tab = mm_table;
  const uint64_t full = read.full_size();
  uint64_t pen = 0;

  // Bytes whose neighbour still lies inside the data need no bound checks.
  const uint64_t unchecked = full < n - start - 1 ? full : n - start - 1;
  uint64_t i = 0;
  if (s == 0) {
    for (; i < unchecked; ++i) {
      pen += uint64_t(tab[d[start + i] ^ r[i]]) * mm_pen;
      if (pen > max_pen)
        return pen > INT_MAX ? INT_MAX : int(pen);
    }
  } else {
    for (; i < unchecked; ++i) {
      uint8_t gb = uint8_t((d[start + i] >> s) | (d[start + i + 1] << (8 - s)));
      pen += uint64_t(tab[gb ^ r[i]]) * mm_pen;
      if (pen > max_pen)
        return pen > INT_MAX ? INT_MAX : int(pen);
    }
  }
  for (; i < full; ++i) {
    pen += uint64_t(tab[shifted_byte(d, n, start + i, s) ^ r[i]]) * mm_pen;
    if (pen > max_pen)
      return pen > INT_MAX ? INT_MAX : int(pen);
  }
  const uint64_t tail_bits = read.curr_loc - full * R_SIZE;
  if (tail_bits > 0) {
    const uint8_t mask = uint8_t((1u << tail_bits) - 1);
    uint8_t gb = shifted_byte(d, n, start + full, s) & mask;
    pen += uint64_t(tab[gb ^ r[full]]) * mm_pen;
  }
  return pen > INT_MAX ? INT_MAX : int(pen);
}

bool bit_DNA_t::write_serialised(gzFile out) const {
  if (!put_u64(out, curr_loc) || !put_u64(out, data.size()))
    return false;
  for (uint64_t off = 0; off < data.size(); off += IO_CHUNK) {
    uint64_t left = data.size() - off;
    unsigned len = left < IO_CHUNK ? unsigned(left) : IO_CHUNK;
    if (gzwrite(out, data.data() + off, len) != int(len))
      return false;
  }
  return true;
}

bool bit_DNA_t::read_serialised(gzFile in) {
  data.clear();
  uint64_t bits = 0, count = 0;
  bool ok = get_u64(in, bits);
  curr_loc = ok ? bits : 0;
  ok = ok && get_u64(in, count) && count <= MAX_SERIALISED_BYTES;
  if (ok) {
    try {
      data.reserve(count);
    } catch (const std::bad_alloc &) {
      ok = false;
    }
  }
  for (uint64_t off = 0; ok && off < count; off += IO_CHUNK) {
    uint64_t left = count - off;
    unsigned len = left < IO_CHUNK ? unsigned(left) : IO_CHUNK;
    data.resize(off + len);
    int got = gzread(in, data.data() + off, len);
    if (got != int(len)) {
      data.resize(off + (got > 0 ? unsigned(got) : 0));
      ok = false;
    }
  }
  // A short or inconsistent record must not leave positions that point
  // past the bytes actually held.
  if (curr_loc > data.size() * R_SIZE) {
    curr_loc = data.size() * R_SIZE;
    ok = false;
  }
  return ok;
}

uint8_t *gen_mm_table() {
  uint8_t *table = new uint8_t[256];
  for (int b = 0; b < 256; ++b)
    table[b] = uint8_t(((b & 3) != 0) + (((b >> 2) & 3) != 0) +
                       (((b >> 4) & 3) != 0) + (((b >> 6) & 3) != 0));
  return table;
}

int get_base_val(char c) { return BASE_CODES.code[(unsigned char)c]; }

int get_base_val_r(char c, MT_random &gen) {
  int v = BASE_CODES.code[(unsigned char)c];
  return v >= 0 ? v : int(gen.genrand_int_range(0, 3));
}

char get_int_base(int v) {
  static const char BASES[4] = {'A', 'C', 'G', 'T'};
  return (v >= 0 && v < 4) ? BASES[v] : 'N';
}

std::string compleseq(const std::string &s) {
  std::string out(s.size(), '\0');
  const size_t n = s.size();
  for (size_t i = 0; i < n; ++i) {
    char c = s[n - 1 - i];
    switch (c) {
    case 'A':
      c = 'T';
      break;
    case 'T':
      c = 'A';
      break;
    case 'C':
      c = 'G';
      break;
    case 'G':
      c = 'C';
      break;
    case 'a':
      c = 't';
      break;
    case 't':
      c = 'a';
      break;
    case 'c':
      c = 'g';
      break;
    case 'g':
      c = 'c';
      break;
    default:
      break;
    }
    out[i] = c;
  }
  return out;
}
