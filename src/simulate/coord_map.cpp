#include "simulate/coord_map.h"

#include <algorithm>

#include "common/genome.h"

namespace {

void put_u64(std::ostream &os, uint64_t v) {
  char b[8];
  for (int i = 0; i < 8; ++i)
    b[i] = static_cast<char>((v >> (8 * i)) & 0xff);
  os.write(b, 8);
}

void put_u32(std::ostream &os, uint32_t v) {
  char b[4];
  for (int i = 0; i < 4; ++i)
    b[i] = static_cast<char>((v >> (8 * i)) & 0xff);
  os.write(b, 4);
}

// The map file as it is read. `left` counts the bytes it still holds when
// its size is known, so that every count is checked against what the file
// can hold before it is used.
struct map_input_t {
  line_reader_t *in;
  uint64_t left; // UNKNOWN_SIZE for a pipe or a device
};

bool get_bytes(map_input_t &m, void *dst, size_t n) {
  if (!read_bytes(*m.in, dst, n))
    return false;
  if (m.left != UNKNOWN_SIZE)
    m.left -= std::min<uint64_t>(n, m.left);
  return true;
}

// Whether `count` items of `each` bytes may still follow.
bool can_hold(const map_input_t &m, uint64_t count, uint64_t each) {
  return m.left == UNKNOWN_SIZE || count <= m.left / each;
}

bool get_u64(map_input_t &m, uint64_t &v) {
  unsigned char b[8];
  if (!get_bytes(m, b, 8))
    return false;
  v = 0;
  for (int i = 7; i >= 0; --i)
    v = (v << 8) | b[i];
  return true;
}

bool get_u32(map_input_t &m, uint32_t &v) {
  unsigned char b[4];
  if (!get_bytes(m, b, 4))
    return false;
  v = 0;
  for (int i = 3; i >= 0; --i)
    v = (v << 8) | b[i];
  return true;
}

void put_pair(std::ostream &os, uint64_t ref_loc, uint32_t mut_loc) {
  put_u32(os, static_cast<uint32_t>(ref_loc));
  put_u32(os, mut_loc);
}

// A length past what the file holds, or past any sequence name, is damage:
// a stream of random bytes is refused here, before it is read.
bool get_name(map_input_t &m, std::string &name) {
  uint64_t len;
  if (!get_u64(m, len) || len > MAX_SEQUENCE_NAME_BYTES || !can_hold(m, len, 1))
    return false;
  name.resize(static_cast<size_t>(len));
  if (len > 0 && !get_bytes(m, &name[0], name.size()))
    return false;
  size_t nul = name.find('\0');
  if (nul != std::string::npos)
    name.resize(nul);
  return true;
}

// Reads the pairs of one sequence of M positions, appending M entries. A
// mutated sequence has the genome length limit too: no mutated position
// may pass it, nor may a run count past it and wrap round to 0.
bool get_entries(map_input_t &in, uint64_t m, std::vector<uint32_t> &vec) {
  uint64_t count = 0;
  uint32_t prev_ref = 0, prev_mut = 0;
  while (count < m) {
    uint32_t ref_loc, mut_loc;
    if (!get_u32(in, ref_loc) || !get_u32(in, mut_loc) ||
        mut_loc > MAX_GENOME_LENGTH)
      return false;
    uint32_t d = ref_loc - prev_ref;
    if (prev_ref != 0 && d == mut_loc - prev_mut && d != 1) {
      // The run's inner entries and the pair itself must still fit in M.
      if (d - 1 > m - count - 1 || mut_loc < prev_mut)
        return false;
      for (uint32_t k = 1; k < d; ++k)
        vec.push_back(prev_mut + k);
      count += d - 1;
    }
    if (ref_loc != count + 1)
      return false;
    vec.push_back(mut_loc);
    ++count;
    prev_ref = ref_loc;
    prev_mut = mut_loc;
  }
  return true;
}

} // namespace

void write_map_count(std::ostream &os, uint64_t num_seqs) {
  put_u64(os, num_seqs);
}

void write_map_name(std::ostream &os, const std::string &name) {
  put_u64(os, name.size());
  os.write(name.data(), static_cast<std::streamsize>(name.size()));
}

void write_map_entries(std::ostream &os, const std::vector<uint32_t> &entries) {
  const uint64_t m = entries.size();
  put_u64(os, m);
  if (m == 0)
    return;
  put_pair(os, 1, entries[0]);
  uint32_t prev_temp = entries[0];
  bool prev_wrote = true;
  for (uint64_t r = 2; r <= m; ++r) {
    const uint32_t e = entries[r - 1];
    if (e == static_cast<uint32_t>(prev_temp + 1)) {
      prev_temp = e;
      prev_wrote = false;
      if (r == m)
        put_pair(os, r, e);
    } else {
      if (!prev_wrote)
        put_pair(os, r - 1, prev_temp);
      put_pair(os, r, e);
      prev_temp = e;
      prev_wrote = true;
    }
  }
}

bool load_coord_map(line_reader_t &in, ref_map_t &ref_map, bool show_lengths,
                    std::ostream &log) {
  map_input_t m{&in, bytes_left(in)};
  uint64_t genome_map_len;
  if (!get_u64(m, genome_map_len))
    return false;
  log << "Number of Chromosomes: " << genome_map_len << "\n";
  // Each sequence takes at least its name's length and its M.
  if (!can_hold(m, genome_map_len, 16))
    return false;
  // A run of a few bytes stands for any number of entries, so the file's
  // size does not bound the genome it describes: the genome length limit
  // does, checked before each sequence is expanded.
  uint64_t genome_len = 0;
  for (uint64_t s = 0; s < genome_map_len; ++s) {
    std::string name;
    if (!get_name(m, name))
      return false;
    std::vector<uint32_t> &vec = ref_map[name];
    uint64_t map_vec_len;
    if (!get_u64(m, map_vec_len))
      return false;
    // A sequence's first and last positions each take a pair.
    if (map_vec_len > MAX_GENOME_LENGTH - genome_len ||
        !can_hold(m, std::min<uint64_t>(map_vec_len, 2), 8))
      return false;
    genome_len += map_vec_len;
    if (show_lengths) {
      log << name << " Length: " << map_vec_len << "\n";
      // A damaged length must not reserve memory the file cannot fill.
      vec.reserve(vec.size() + std::min<uint64_t>(map_vec_len, 1u << 24));
    }
    if (!get_entries(m, map_vec_len, vec))
      return false;
  }
  return at_input_end(in);
}
