#include "common/genome.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <iostream>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "common/mt_random.h"
#include "common/path_utils.h"
#include "common/strings.h"
#include "common/text_check.h"

namespace {

// Enough of a file's start to hold a NUL in any binary format met in
// practice, at no noticeable cost.
const size_t HEAD_BYTES = size_t(64) << 10;

// Where the sequence lines of one chromosome go; the three loaders differ
// only in this.
enum class sink_kind { text_map, packed, text };

struct genome_sink {
  sink_kind kind;
  std::map<std::string, std::string> *seqs = nullptr;
  bit_DNA_t *packed = nullptr;
  MT_random *gen = nullptr;
  std::string *text = nullptr;
};

struct chrom_state {
  std::string name;
  std::string text; // used by the text map only
  uint64_t len = 0; // bases of the current chromosome
  uint64_t start = 1;
  bool any = false;
};

void add_line(genome_sink &sink, chrom_state &cur, const std::string &line) {
  switch (sink.kind) {
  case sink_kind::text_map:
    cur.text += line;
    break;
  case sink_kind::packed:
    sink.packed->append(line, *sink.gen);
    break;
  case sink_kind::text:
    sink.text->append(line);
    break;
  }
  cur.len += line.size();
}

// Stores the current chromosome; false for a duplicate name.
bool finish_chrom(genome_sink &sink, chrom_state &cur,
                  std::map<std::string, uint64_t> &starts, long &genome_len,
                  bool warn_empty) {
  if (warn_empty && cur.len == 0)
    std::cerr << "Warning: Zero length chromosome: " << cur.name << "\n";
  if (sink.kind == sink_kind::text_map) {
    if (!sink.seqs->emplace(cur.name, std::move(cur.text)).second) {
      report_duplicate_chromosome(cur.name);
      return false;
    }
    starts.emplace(cur.name, cur.start);
  } else if (!starts.emplace(cur.name, cur.start).second) {
    report_duplicate_chromosome(cur.name);
    return false;
  }
  cur.any = true;
  genome_len += long(cur.len);
  cur.start += cur.len;
  cur.len = 0;
  cur.text.clear();
  return true;
}

bool starts_gzip(const line_reader_t &in) {
  return in.first_count == 2 && in.first[0] == 0x1f && in.first[1] == 0x8b;
}

// GENOME_GZIP when the file that `in` reads starts with the gzip magic
// bytes, GENOME_NUL when a NUL stopped it, else 0.
int genome_not_text(const line_reader_t &in) {
  if (starts_gzip(in))
    return GENOME_GZIP;
  return in.nul ? GENOME_NUL : 0;
}

int load(line_reader_t &in, genome_sink &sink,
         std::map<std::string, uint64_t> &starts, long &genome_len) {
  genome_len = 0;
  chrom_state cur;
  std::string line;
  bool first = true;
  while (next_line(in, line)) {
    if (first && starts_gzip(in))
      return GENOME_GZIP;
    first = false;
    trim2(line);
    if (line.empty())
      continue;
    if (line[0] == '>') {
      if (!cur.name.empty() &&
          !finish_chrom(sink, cur, starts, genome_len, true))
        return 2;
      cur.name = fasta_header_name(line);
      if (sink.kind == sink_kind::text_map)
        std::cerr << "Found " << cur.name << "\n";
    } else if (!cur.name.empty()) {
      add_line(sink, cur, line);
    }
  }
  if (int text = genome_not_text(in))
    return text;
  // A genome cut short by a read error must not pass for the whole one.
  if (in.error != 0) {
    std::cerr << read_error_message(in.path, in.error) << std::endl;
    return GENOME_UNREADABLE_EXIT;
  }
  if (!cur.name.empty() && !finish_chrom(sink, cur, starts, genome_len, false))
    return 2;
  if (!cur.any) {
    std::cerr << "Did not read any chromosomes! :(\n";
    return 3;
  }
  return 0;
}

} // namespace

int report_genome_input(const line_reader_t &in, int unreadable) {
  if (int text = genome_not_text(in))
    return report_not_text(text, in.path);
  if (in.error == 0)
    return 0;
  std::cerr << read_error_message(in.path, in.error) << std::endl;
  return unreadable;
}

int check_text_line(bool &first, const char *p, size_t n) {
  const bool at_start = first;
  first = false;
  if (at_start && n >= 2 && uint8_t(p[0]) == 0x1f && uint8_t(p[1]) == 0x8b)
    return GENOME_GZIP;
  if (n > 0 && std::memchr(p, 0, n))
    return GENOME_NUL;
  return 0;
}

int report_not_text(int status, const std::string &path) {
  if (status == GENOME_GZIP)
    std::cerr << "ERROR: " << path << " is gzip-compressed; decompress it first"
              << std::endl;
  else if (status == GENOME_NUL)
    std::cerr << "ERROR: " << path
              << " is not a text file (it holds a NUL byte)" << std::endl;
  else
    return status;
  return GENOME_NOT_TEXT_EXIT;
}

int check_genome_head(int fd, const std::string &path) {
  struct stat st;
  if (!look_at(fd, st) || !S_ISREG(st.st_mode))
    return 0;
  std::vector<char> head(HEAD_BYTES);
  size_t have = 0;
  while (have < head.size()) {
    const ssize_t got =
        pread(fd, head.data() + have, head.size() - have, off_t(have));
    if (got < 0 && errno == EINTR)
      continue;
    if (got <= 0)
      break; // a read error is the loader's to report
    have += size_t(got);
  }
  bool first = true;
  return report_not_text(check_text_line(first, head.data(), have), path);
}

int check_genome_head(const std::string &path) {
  // Non-blocking, so that a pipe without a writer yet is passed over
  // instead of waited on.
  const int fd = open_for_reading(path, O_NONBLOCK);
  if (fd < 0)
    return 0;
  const int status = check_genome_head(fd, path);
  close(fd);
  return status;
}

std::string fasta_header_name(const std::string &line) {
  size_t end = 1;
  while (end < line.size() && line[end] != ' ' && line[end] != '\t' &&
         line[end] != '\n' && line[end] != '\v' && line[end] != '\f' &&
         line[end] != '\r')
    ++end;
  return line.substr(1, end - 1);
}

void report_duplicate_chromosome(const std::string &name) {
  std::cerr << "ERROR: duplicate chromosome (" << name << ") in file \n"
            << "Please ensure that all genome files are unique.\n";
}

int read_genome(line_reader_t &in, std::map<std::string, std::string> &seqs,
                std::map<std::string, uint64_t> &starts, long &genome_len) {
  genome_sink sink{sink_kind::text_map};
  sink.seqs = &seqs;
  return load(in, sink, starts, genome_len);
}

int read_genome_str_bit(line_reader_t &in, bit_DNA_t &genome,
                        std::map<std::string, uint64_t> &starts,
                        long &genome_len, MT_random &gen) {
  genome.clear();
  starts.clear();
  genome_sink sink{sink_kind::packed};
  sink.packed = &genome;
  sink.gen = &gen;
  return load(in, sink, starts, genome_len);
}

int read_genome_str(line_reader_t &in, std::string &genome,
                    std::map<std::string, uint64_t> &starts, long &genome_len) {
  genome_sink sink{sink_kind::text};
  sink.text = &genome;
  return load(in, sink, starts, genome_len);
}
