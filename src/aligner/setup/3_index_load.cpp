#include "aligner/setup/3_index_load.h"

#include <cstdlib>
#include <cstring>
#include <iostream>
#include <map>
#include <new>
#include <string>
#include <vector>

#include "aligner/setup/2_pen_tester.h"
#include "aligner/setup/index_types.h"
#include "aligner/setup/mini_hash.h"
#include "aligner/setup/params.h"
#include "common/bit_dna.h"
#include "common/genome.h"
#include "index/gz_input.h"
#include "index/index_format.h"

static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__,
              "index fields are read as little-endian host values");

namespace {

// Shorter k-mers are too frequent to seed with.
const int MIN_ALIGN_KMER_SIZE = 12;
// Deflate expands at most about 1032-fold.
const uint64_t MAX_EXPANSION = 1100;
const size_t GENOME_CHUNK = 16 << 20;
const size_t POSITION_CHUNK = 1 << 16;

int wrong_format() {
  std::cerr << "Hash file is of the wrong format\n";
  return 1;
}

int read_header(gz_input_t &in) {
  int32_t magic = 0, version = 0, count = 0;
  if (!gz_input_value(in, magic) || magic != global::MAGIC_INT)
    return wrong_format();
  if (!gz_input_value(in, version))
    return wrong_format();
  if (version != global::HASH_VERSION) {
    std::cerr << "Hash file is of the wrong version\n";
    return 1;
  }
  if (!gz_input_value(in, count))
    return wrong_format();
  if (count != INDEX_PARAM_COUNT) {
    std::cerr << "Incorrect number of parameters in index: " << count << "\n"
              << "Please check that index file is correct or re-build it\n";
    return 1;
  }
  return 0;
}

// The packed genome grows with the data actually read, so a damaged byte
// count cannot make us allocate more than the file holds.
bool read_genome_bytes(gz_input_t &in, bit_DNA_t &g, uint64_t n) {
  g.data.clear();
  uint64_t done = 0;
  while (done < n) {
    uint64_t want = std::max<uint64_t>(GENOME_CHUNK, done);
    if (want > n - done)
      want = n - done;
    g.data.resize(done + want);
    if (!gz_input_read(in, g.data.data() + done, want))
      return false;
    done += want;
  }
  return true;
}

int read_genome(gz_input_t &in, tolve_params_t *p) {
  int32_t mode = -1;
  int64_t length = -1;
  uint64_t bits = 0, bytes = 0;
  if (!gz_input_value(in, mode) || !gz_input_value(in, length) ||
      !gz_input_value(in, bits) || !gz_input_value(in, bytes))
    return wrong_format();
  if (mode < 0 || mode >= NUM_INDEX_MODES || length < 0 ||
      static_cast<uint64_t>(length) > MAX_GENOME_LENGTH ||
      bits != 2 * static_cast<uint64_t>(length) ||
      bytes != (static_cast<uint64_t>(length) + 3) / 4)
    return wrong_format();
  p->INDEX_MODE = mode;
  p->genome_length = length;
  p->genome_str = new bit_DNA_t(p->mm_table);
  if (!read_genome_bytes(in, *p->genome_str, bytes))
    return wrong_format();
  p->genome_str->curr_loc = bits;
  return 0;
}

// Records come in ascending name order; a start past the genome end marks
// an empty last sequence.
int read_sequences(gz_input_t &in, tolve_params_t *p) {
  uint64_t count = 0;
  if (!gz_input_value(in, count) || count == 0)
    return wrong_format();
  p->genome_start = new std::map<std::string, long>();
  std::string name, previous;
  int64_t lowest = p->genome_length + 1;
  for (uint64_t i = 0; i < count; i++) {
    uint64_t len = 0;
    int64_t start = 0;
    if (!gz_input_value(in, len) || len > MAX_SEQUENCE_NAME_BYTES)
      return wrong_format();
    name.resize(len);
    if (!gz_input_read(in, &name[0], len) || !gz_input_value(in, start))
      return wrong_format();
    if ((i > 0 && name <= previous) || start < 1 ||
        start > p->genome_length + 1)
      return wrong_format();
    p->genome_start->emplace(name, start);
    lowest = std::min(lowest, start);
    previous.swap(name);
  }
  if (lowest != 1)
    return wrong_format();
  return 0;
}

// Sequences sharing a start are one non-empty sequence and empty ones. The
// file does not say which of them holds the bases: the first name in byte
// order is taken. Starts past the genome end name nothing.
void build_start_map(tolve_params_t *p) {
  p->start_genome = new std::map<long, std::string>();
  for (const auto &entry : *p->genome_start)
    if (entry.second <= p->genome_length)
      p->start_genome->emplace(entry.second, entry.first);
}

struct table_sizes_t {
  uint64_t entries = 0;
  uint64_t groups = 0;
  int32_t span = 0;
  int32_t spaced_gap = 0;
  int32_t bucket_bits = 0;
};

bool set_buckets(tolve_params_t *p) {
  p->MINI_HASH_LENGTH = 1u << p->MINI_HASH_BITS;
  int shift = p->INDEX_MODE <= 1 ? 2 * p->kmer_size - p->MINI_HASH_BITS
                                 : 2 * (p->kmer_size - p->SPACED_SPACE) + 2 -
                                       p->MINI_HASH_BITS;
  if (shift < 0)
    shift = 0;
  // chrdict keeps the key bits below the bucket in 32 bits.
  if (shift > 32)
    return false;
  p->NUM_SHIFT = shift;
  p->HASH_MASK = (uint64_t(1) << shift) - 1;
  return true;
}

bool sizes_valid(const table_sizes_t &t, const tolve_params_t *p) {
  // Bucket bounds are 1-based uint32 indices one past the last entry.
  if (t.entries > UINT32_MAX - 1 || t.groups > t.entries)
    return false;
  if (t.span < 1 || t.span > 32 || t.spaced_gap != SPACED_SPACE)
    return false;
  if (p->INDEX_MODE >= 2 && t.span <= t.spaced_gap)
    return false;
  return t.bucket_bits >= 1 && t.bucket_bits <= MINI_HASH_BITS;
}

// Where the group walk stands. Kept apart from the record so the hot loop
// can hold it in registers.
struct group_state_t {
  uint64_t loaded = 0;
  uint64_t previous_key = 0;
  uint32_t start = 0;
  uint32_t next = 1;
  int64_t previous_bucket = -1;
};

// What the group walk needs from the run's record, read once.
struct group_target_t {
  std::vector<twoint3_search> *dict;
  mini_hash_t *buckets;
  uint64_t bucket_count;
  uint64_t genome_length;
  uint64_t entries;
  uint64_t low_mask;
  int shift;
};

group_target_t group_target(tolve_params_t *p, const table_sizes_t &t) {
  return group_target_t{
      p->chrdict,          p->mini_hash,
      p->MINI_HASH_LENGTH, static_cast<uint64_t>(p->genome_length),
      t.entries,           p->HASH_MASK,
      p->NUM_SHIFT};
}

// Key and count in front of a group's positions.
const size_t GROUP_HEAD = sizeof(uint64_t) + sizeof(uint32_t);

inline bool add_positions(const group_target_t &to, uint64_t key,
                          const uint8_t *bytes, uint32_t n, uint32_t &last) {
  const uint32_t low = static_cast<uint32_t>(key & to.low_mask);
  for (uint32_t i = 0; i < n; i++) {
    uint32_t pos;
    std::memcpy(&pos, bytes + sizeof pos * i, sizeof pos);
    if (pos <= last || pos > to.genome_length)
      return false;
    to.dict->emplace_back(low, pos);
    last = pos;
  }
  return true;
}

// Checks a group's key and count, and closes the previous bucket when this
// group opens a new one. Groups come in ascending key order, so each
// bucket's entries are one contiguous run of chrdict.
inline bool open_group(const group_target_t &to, group_state_t &g, uint64_t key,
                       uint32_t count) {
  if (count == 0 || count > to.entries - g.loaded)
    return false;
  if (g.previous_bucket >= 0 && key <= g.previous_key)
    return false;
  uint64_t bucket = key >> to.shift;
  if (bucket >= to.bucket_count)
    return false;
  if (g.previous_bucket < 0) {
    g.start = g.next;
  } else if (static_cast<int64_t>(bucket) != g.previous_bucket) {
    if (!mini_hash_fill(*to.buckets, uint32_t(g.previous_bucket), g.start,
                        g.next))
      return false;
    g.start = g.next;
  }
  g.next += count;
  g.loaded += count;
  g.previous_key = key;
  g.previous_bucket = static_cast<int64_t>(bucket);
  return true;
}

// A group that spans two pieces, its positions copied through a buffer.
bool read_group(gz_input_t &in, const group_target_t &to, group_state_t &g,
                std::vector<uint32_t> &buffer) {
  uint64_t key = 0;
  uint32_t count = 0;
  if (!gz_input_value(in, key) || !gz_input_value(in, count) ||
      !open_group(to, g, key, count))
    return false;
  uint32_t last = 0;
  while (count > 0) {
    uint32_t n = std::min<uint32_t>(count, POSITION_CHUNK);
    if (!gz_input_read(in, buffer.data(), n * sizeof(uint32_t)) ||
        !add_positions(
            to, key, reinterpret_cast<const uint8_t *>(buffer.data()), n, last))
      return false;
    count -= n;
  }
  return true;
}

// Groups that lie whole in the current piece are read where the
// decompressed bytes lie; returns false on a bad group, and leaves the
// input at the first group that does not fit.
bool read_groups_in_piece(gz_input_t &in, const group_target_t &to,
                          group_state_t &state, uint64_t groups,
                          uint64_t &done) {
  group_state_t g = state;
  const uint8_t *at = in.data + in.pos;
  const uint8_t *end = in.data + in.end;
  bool ok = true;
  for (uint64_t i = done; i < groups && size_t(end - at) >= GROUP_HEAD; ++i) {
    uint64_t key;
    uint32_t count;
    std::memcpy(&key, at, sizeof key);
    std::memcpy(&count, at + sizeof key, sizeof count);
    if ((size_t(end - at) - GROUP_HEAD) / sizeof(uint32_t) < count)
      break;
    uint32_t last = 0;
    if (!open_group(to, g, key, count) ||
        !add_positions(to, key, at + GROUP_HEAD, count, last)) {
      ok = false;
      break;
    }
    at += GROUP_HEAD + sizeof(uint32_t) * size_t(count);
    done = i + 1;
  }
  in.pos = size_t(at - in.data);
  state = g;
  return ok;
}

bool read_groups(gz_input_t &in, tolve_params_t *p, const table_sizes_t &t) {
  const group_target_t to = group_target(p, t);
  group_state_t g;
  std::vector<uint32_t> buffer(POSITION_CHUNK);
  uint64_t done = 0;
  while (done < t.groups) {
    if (!read_groups_in_piece(in, to, g, t.groups, done))
      return false;
    if (done < t.groups) {
      if (!read_group(in, to, g, buffer))
        return false;
      ++done;
    }
  }
  if (g.loaded != t.entries || !gz_input_at_end(in))
    return false;
  return g.previous_bucket < 0 ||
         mini_hash_fill(*p->mini_hash, uint32_t(g.previous_bucket), g.start,
                        g.next);
}

} // namespace

int load_index_genome(gz_input_t &in, tolve_params_t *p) {
  int s = read_header(in);
  if (s)
    return s;
  std::cerr << "Loading genome...\n";
  if ((s = read_genome(in, p)) || (s = read_sequences(in, p)))
    return s;
  build_start_map(p);
  return 0;
}

int load_index_table(gz_input_t &in, tolve_params_t *p, uint64_t file_bytes) {
  p->chrdict = new std::vector<twoint3_search>();
  std::cerr << "Record size: " << sizeof(twoint3_search) << " bytes\n";
  table_sizes_t t;
  if (!gz_input_value(in, t.entries) || !gz_input_value(in, t.groups) ||
      !gz_input_value(in, t.span) || !gz_input_value(in, t.spaced_gap) ||
      !gz_input_value(in, t.bucket_bits))
    return wrong_format();
  p->kmer_size = t.span;
  p->SPACED_SPACE = t.spaced_gap;
  p->MINI_HASH_BITS = t.bucket_bits;
  std::cerr << "k-mer size: " << p->kmer_size << "\n";
  if (!sizes_valid(t, p))
    return wrong_format();
  if (p->kmer_size < MIN_ALIGN_KMER_SIZE) {
    std::cerr << "ERROR: k-mer size too small, should be at least: "
              << MIN_ALIGN_KMER_SIZE << "\n";
    return 3;
  }
  if (!set_buckets(p))
    return wrong_format();
  p->pen->print_mm_pens(std::cerr, p->kmer_size, 500);
  std::cerr << "Loading index...\n";
  uint64_t plausible = file_bytes ? file_bytes * MAX_EXPANSION / 4 : 1 << 20;
  p->mini_hash = new mini_hash_t();
  try {
    mini_hash_init(*p->mini_hash, p->MINI_HASH_LENGTH,
                   std::min(t.groups, plausible));
  } catch (const std::bad_alloc &) {
    std::cerr << "ERROR: Not enough memory to load the index\n";
    return 1;
  }
  p->chrdict->reserve(std::min(t.entries, plausible));
  if (!read_groups(in, p, t))
    return wrong_format();
  return 0;
}
