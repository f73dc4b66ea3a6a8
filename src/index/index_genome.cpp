#include "index/index_genome.h"

#include <cerrno>
#include <cstring>
#include <iostream>

#include "common/genome.h"
#include "common/line_reader.h"
#include "common/mt_random.h"
#include "common/text_check.h"
#include "index/kmer_keys.h"

namespace {

const size_t READ_BYTES = size_t(4) << 20;

bool is_space(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' ||
         c == '\r';
}

// The chromosome being read, as in the FASTA loaders of common/genome.h.
struct reading_t {
  index_genome_t &g;
  MT_random gen; // seeded 0: the packed loader's random bases
  std::string name;
  uint64_t length = 0; // bases of the current chromosome
  uint64_t bases = 0;  // bases of the genome so far
  bool any = false;
  bool first_line = true;
  explicit reading_t(index_genome_t &genome) : g(genome) {}
};

// Room for n more bases in the packed genome and the invalid bits.
void make_room(reading_t &r, uint64_t n) {
  const uint64_t total = r.bases + n;
  std::vector<uint8_t> &data = r.g.packed.data;
  if (data.size() < (total + 3) / 4)
    data.resize((total + 3) / 4, 0);
  if (r.g.invalid.size() < (total + 63) / 64)
    r.g.invalid.resize((total + 63) / 64, 0);
}

void add_bases(reading_t &r, const char *b, const char *e) {
  make_room(r, uint64_t(e - b));
  uint8_t *data = r.g.packed.data.data();
  uint64_t *invalid = r.g.invalid.data();
  uint64_t i = r.bases;
  for (; b < e; ++b, ++i) {
    int code = kmer_base_code(*b);
    if (code < 0) {
      code = int(r.gen.genrand_int_range(0, 3));
      invalid[i >> 6] |= uint64_t(1) << (i & 63);
    }
    data[i >> 2] |= uint8_t(code << (2 * (i & 3)));
  }
  r.length += i - r.bases;
  r.bases = i;
}

// Ends the current chromosome; false for a duplicate name.
bool finish_chrom(reading_t &r, bool warn_empty) {
  if (warn_empty && r.length == 0) {
    const std::string line =
        "Warning: Zero length chromosome: " + r.name + "\n";
    std::cerr << line;
    r.g.empty_warnings += line;
  }
  const uint64_t first = r.bases - r.length;
  if (!r.g.starts.emplace(r.name, first + 1).second) {
    report_duplicate_chromosome(r.name);
    return false;
  }
  if (r.length > 0)
    r.g.filled.emplace(r.name, first + 1);
  r.g.chroms.push_back(index_chrom_t{first, r.length});
  r.any = true;
  r.length = 0;
  return true;
}

// One line without its newline; 0, 2 for a duplicate name, or the status
// of a line that is no text.
int take_line(reading_t &r, const char *b, const char *e) {
  // Later lines were searched for a NUL as they were read.
  if (r.first_line)
    if (int text = check_text_line(r.first_line, b, size_t(e - b)))
      return text;
  while (b < e && is_space(*b))
    ++b;
  while (e > b && is_space(e[-1]))
    --e;
  if (b == e)
    return 0;
  if (*b == '>') {
    if (!r.name.empty() && !finish_chrom(r, true))
      return 2;
    r.name = fasta_header_name(std::string(b, e));
    std::cerr << "Found " << r.name << "\n";
  } else if (!r.name.empty()) {
    add_bases(r, b, e);
  }
  return 0;
}

// Splits the file into lines; a line longer than the buffer grows it.
int read_lines(int fd, const std::string &path, reading_t &r) {
  std::vector<char> buf(READ_BYTES);
  size_t have = 0;
  for (;;) {
    if (have == buf.size())
      buf.resize(2 * buf.size());
    const ssize_t got = read_some(fd, buf.data() + have, buf.size() - have);
    if (got < 0) {
      std::cerr << read_error_message(path, errno) << "\n";
      return 1;
    }
    const bool end = got == 0;
    // Searched as read, so that binary data without a newline is refused
    // before the buffer grows to hold it as one line.
    const char *fresh = buf.data() + have;
    if (std::memchr(fresh, 0, size_t(got))) {
      // Until the first newline nothing has left the buffer: its start is
      // still the file's, where the gzip magic bytes would be.
      const char *from = r.first_line ? buf.data() : fresh;
      return check_text_line(r.first_line, from, size_t(fresh + got - from));
    }
    have += size_t(got);
    const char *p = buf.data();
    const char *stop = p + have;
    while (const char *nl = static_cast<const char *>(
               std::memchr(p, '\n', size_t(stop - p)))) {
      if (int status = take_line(r, p, nl))
        return status;
      p = nl + 1;
    }
    if (end)
      return take_line(r, p, stop);
    have = size_t(stop - p);
    std::memmove(buf.data(), p, have);
  }
}

} // namespace

int read_index_genome(int fd, const std::string &path, uint64_t size_hint,
                      index_genome_t &g) {
  g.packed.data.reserve(size_hint / 4 + 1);
  g.invalid.reserve(size_hint / 64 + 1);
  reading_t r(g);
  int status = read_lines(fd, path, r);
  if (status != 0)
    return status;
  if (!r.name.empty() && !finish_chrom(r, false))
    return 2;
  if (!r.any) {
    std::cerr << "Did not read any chromosomes! :(\n";
    return 3;
  }
  g.packed.data.resize((r.bases + 3) / 4);
  g.packed.curr_loc = 2 * r.bases;
  g.invalid.resize((r.bases + 63) / 64 + 1, 0);
  g.length = long(r.bases);
  return 0;
}
