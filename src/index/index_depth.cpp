// `index_depth`: the positions of the first FASTA sequence that the default
// index mode would keep.
#include <cctype>
#include <iostream>
#include <string>

#include "commands.h"
#include "common/constants.h"
#include "common/genome.h"
#include "common/number_word.h"
#include "common/std_out.h"
#include "common/strings.h"
#include "index/kmer_keys.h"
#include "index/probe.h"

namespace {

const size_t OUT_CHUNK = size_t(1) << 16;

void print_index_depth_usage() {
  std::cerr << "Usage: " << PROG_NAME
            << " index_depth <FASTQ file> <kmer_size>\n"
            << "Get depth for a FASTQ file" << std::endl;
}

bool is_header(const std::string &line) { return line[0] == '>'; }

std::string header_name(const std::string &line) {
  size_t end = 1;
  while (end < line.size() && !isspace(static_cast<unsigned char>(line[end])))
    ++end;
  return line.substr(1, end - 1);
}

} // namespace

bool read_first_record(line_reader_t &in, std::string &name, std::string &seq) {
  std::string line;
  bool found = false;
  while (next_line(in, line)) {
    trim2(line);
    if (line.empty())
      continue;
    if (is_header(line)) {
      if (found)
        break;
      found = true;
      name = header_name(line);
    } else if (found) {
      seq += line;
    }
  }
  return found;
}

void print_depth(std::ostream &out, const std::string &name,
                 const std::string &seq, int k) {
  if (seq.empty() || k <= 0 || k > MAX_INSPECT_KMER)
    return;
  const uint64_t len = uint64_t(k);
  const std::string prefix = name + "\t";
  std::string buf;
  auto emit = [&](uint64_t pos) {
    buf += prefix;
    buf += std::to_string(pos);
    buf += "\t1\n";
    if (buf.size() >= OUT_CHUNK) {
      out << buf;
      buf.clear();
    }
  };
  scan_windows(
      seq.data(), seq.size(), unsigned(len),
      [&](uint64_t w, uint64_t off) {
        if (hash_key2(w, 1))
          emit(off + 1);
      },
      // After i characters a window would start at 1-based i - k + 1; the
      // first complete window came before, so this is at least 2.
      [&](uint64_t i) { emit(i - len + 1); });
  out << buf;
}

int index_depth(args_t args) {
  if (args.size() != 2) {
    print_index_depth_usage();
    return 3;
  }
  const std::string &path = args[0];
  int k = 0;
  if (!whole_arg(args[1], "kmer_size", 1, MAX_INSPECT_KMER, k))
    return 3;
  if (stdout_clash({path}))
    return 1;
  line_reader_t in;
  if (!line_reader_open_file(in, path)) {
    std::cerr << "Error: cannot open input file: " << path << std::endl;
    return 3;
  }
  if (int text = check_genome_head(path))
    return text;
  std::string name, seq;
  const bool found = read_first_record(in, name, seq);
  // The rest of the file is read too: a NUL or a read error past the first
  // record shows that the file is not the FASTA text it seemed.
  skip_rest(in);
  if (int status = report_genome_input(in, GENOME_UNREADABLE_EXIT))
    return status;
  if (found)
    std::cerr << "Found " << name << "\n";
  print_depth(std::cout, name, seq, k);
  return finish_stdout();
}
