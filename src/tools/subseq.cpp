// subseq: a region of a one-sequence FASTA file and its reverse complement.
#include "tools/subseq.h"

#include <cctype>
#include <cstdint>
#include <iostream>

#include "commands.h"
#include "common/bit_dna.h"
#include "common/constants.h"
#include "common/genome.h"
#include "common/line_reader.h"
#include "common/number_word.h"
#include "common/std_out.h"
#include "common/strings.h"
#include "tools/tool_io.h"

namespace {

// A file that holds more than one sequence is no input subseq can use, as
// one that is no text is not.
const int NOT_ONE_SEQUENCE_EXIT = GENOME_NOT_TEXT_EXIT;

void subseq_usage() {
  std::cerr << "Usage: " << PROG_NAME << " subseq <chr_file> <start> <end>\n"
            << "    chr_file -- FASTA file containing only one sequence\n"
            << "    start    -- one based start position (inclusive)\n"
            << "    end      -- one based end position (inclusive)\n"
            << "Extract a sub-sequence from a FASTA file, must be only 1 "
               "sequence in the FASTA file"
            << std::endl;
}

} // namespace

bool region_of(const std::string &seq, int64_t start, int64_t end,
               std::string &region) {
  region.clear();
  if (start < 1 || start > int64_t(seq.size()) + 1 || end < start)
    return false;
  const uint64_t want = uint64_t(end) - uint64_t(start) + 1;
  region = seq.substr(size_t(start - 1), size_t(want));
  for (char &c : region)
    c = char(std::toupper(static_cast<unsigned char>(c)));
  return true;
}

int subseq(args_t args) {
  if (args.size() != 3) {
    subseq_usage();
    return 3;
  }
  int64_t start = 0, end = 0;
  if (!whole_kind_arg(args[1], "start", 1, INT64_MAX, start) ||
      !whole_kind_arg(args[2], "end", 1, INT64_MAX, end))
    return 3;
  if (end < start) {
    std::cerr << "ERROR: End before Start!";
    return 2;
  }
  // Positions are one based: no region starts before the first base.
  if (start < 1) {
    report_number_word("start", whole_what(1, INT64_MAX), args[1]);
    return 3;
  }
  line_reader_t in;
  if (!line_reader_open_file(in, args[0])) {
    std::cout << "ERROR: I'm sorry, the genome file cannot be opened. "
              << std::endl;
    return 1;
  }
  if (stdout_clash({args[0]}))
    return 1;
  if (int text = check_genome_head(args[0]))
    return text;
  out_file_t out;
  out_use_stdout(out);
  // The whole file is read before the first line is written, so that a
  // file that is no text, or fails part way, leaves nothing on standard
  // output.
  std::string name_line, line, seq;
  next_line(in, name_line);
  for (uint64_t line_no = 2; next_line(in, line); ++line_no) {
    trim2(line);
    // A second sequence would otherwise pass for bases of the first, its
    // header included.
    if (!line.empty() && line[0] == '>') {
      std::cerr << "ERROR: " << args[0] << " has a second header line (line "
                << line_no << "); subseq takes a FASTA file of one sequence"
                << std::endl;
      return NOT_ONE_SEQUENCE_EXIT;
    }
    seq += line;
  }
  if (int status = report_genome_input(in, 1))
    return status;
  out_put(out, "Chromosone Name: " +
                   (name_line.empty() ? name_line : name_line.substr(1)) +
                   "\n");
  out_put(out, "Chromosone Length: " + std::to_string(seq.size()) + "\n");
  out_put(out, "Parameters: [" + std::to_string(start) + "," +
                   std::to_string(end) + "]\n");
  std::string region;
  if (!region_of(seq, start, end, region)) {
    out_close(out);
    std::cerr << "ERROR: Start position " << start
              << " lies outside the sequence of length " << seq.size()
              << std::endl;
    return 2;
  }
  out_put(out, region + "\n" + compleseq(region) + "\n");
  return close_stdout(out) ? 0 : 1;
}
