#include "simulate/coord_map.h"

#include <algorithm>

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

bool get_u64(line_reader_t &in, uint64_t &v) {
  unsigned char b[8];
  if (!read_bytes(in, b, 8))
    return false;
  v = 0;
  for (int i = 7; i >= 0; --i)
    v = (v << 8) | b[i];
  return true;
}

bool get_u32(line_reader_t &in, uint32_t &v) {
  unsigned char b[4];
  if (!read_bytes(in, b, 4))
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

// The name is read in pieces so that a damaged length field cannot make us
// allocate more than the file actually holds.
bool get_name(line_reader_t &in, std::string &name) {
  uint64_t len;
  if (!get_u64(in, len))
    return false;
  name.clear();
  char buf[4096];
  while (len > 0) {
    size_t piece = static_cast<size_t>(std::min<uint64_t>(len, sizeof buf));
    if (!read_bytes(in, buf, piece))
      return false;
    name.append(buf, piece);
    len -= piece;
  }
  size_t nul = name.find('\0');
  if (nul != std::string::npos)
    name.resize(nul);
  return true;
}

// Reads the pairs of one sequence of M positions, appending M entries.
bool get_entries(line_reader_t &in, uint64_t m, std::vector<uint32_t> &vec) {
  uint64_t count = 0;
  uint32_t prev_ref = 0, prev_mut = 0;
  while (count < m) {
    uint32_t ref_loc, mut_loc;
    if (!get_u32(in, ref_loc) || !get_u32(in, mut_loc))
      return false;
    uint32_t d = ref_loc - prev_ref;
    if (prev_ref != 0 && d == mut_loc - prev_mut && d != 1) {
      // The run's inner entries and the pair itself must still fit in M.
      if (d - 1 > m - count - 1)
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
  uint64_t genome_map_len;
  if (!get_u64(in, genome_map_len))
    return false;
  log << "Number of Chromosomes: " << genome_map_len << "\n";
  for (uint64_t s = 0; s < genome_map_len; ++s) {
    std::string name;
    if (!get_name(in, name))
      return false;
    std::vector<uint32_t> &vec = ref_map[name];
    uint64_t map_vec_len;
    if (!get_u64(in, map_vec_len))
      return false;
    // Reference positions are 32-bit, so no sequence can be longer.
    if (map_vec_len > UINT32_MAX)
      return false;
    if (show_lengths) {
      log << name << " Length: " << map_vec_len << "\n";
      // A damaged length must not reserve memory the file cannot fill.
      vec.reserve(vec.size() + std::min<uint64_t>(map_vec_len, 1u << 24));
    }
    if (!get_entries(in, map_vec_len, vec))
      return false;
  }
  return at_input_end(in);
}
