// raw2fasta: one read per text line to numbered FASTA records.
#include <iostream>

#include "commands.h"
#include "common/constants.h"
#include "common/line_reader.h"
#include "common/std_out.h"
#include "common/strings.h"
#include "tools/tool_io.h"

int raw2fasta(args_t args) {
  if (args.size() != 1) {
    // One line on purpose: the three pieces have no break between them.
    std::cerr << "Usage: " << PROG_NAME << " raw2fasta <raw_file>"
              << "    raw_file  -- Input text file, one line per read"
              << "Converts raw reads into FASTA file, Outputs to stdout"
              << std::endl;
    return 3;
  }
  line_reader_t in;
  if (!line_reader_open_file(in, args[0])) {
    std::cerr << "ERROR: Cannot open RAW file, " << args[0] << std::endl;
    return 1;
  }
  if (stdout_clash({args[0]}))
    return 1;
  out_file_t out;
  out_use_stdout(out);
  fast_t rec;
  int64_t counter = 1;
  while (next_line(in, rec.seq)) {
    trim2(rec.seq);
    if (rec.seq.empty())
      continue;
    rec.name = std::to_string(counter++);
    out_fasta(out, rec, "");
  }
  if (report_input_failure(in))
    return 1;
  return close_stdout(out) ? 0 : 1;
}
