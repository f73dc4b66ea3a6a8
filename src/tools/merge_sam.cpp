// merge_sam: the lines of two SAM files, the second without its header.
#include <iostream>

#include "commands.h"
#include "common/constants.h"
#include "common/line_reader.h"
#include "common/std_out.h"
#include "common/strings.h"
#include "tools/tool_io.h"

namespace {

// Copies the trimmed non-empty lines of `in`, header lines only when
// `keep_header`.
void copy_lines(line_reader_t &in, bool keep_header, out_file_t &out) {
  std::string line;
  while (next_line(in, line)) {
    trim2(line);
    if (line.empty() || (!keep_header && line[0] == '@'))
      continue;
    line += '\n';
    out_put(out, line);
  }
}

} // namespace

int merge_sam(args_t args) {
  if (args.size() != 2) {
    std::cerr << "Usage: " << PROG_NAME
              << " merge_sam <sam_file> <other_sam_file>\n"
              << "    sam_file       -- First SAM file, the headers will be "
                 "preserved\n"
              << "    other_sam_file -- Second SAM file\n"
              << "Merge two SAM files, probably generated from hybrid mode "
                 "alignment"
              << std::endl;
    return 3;
  }
  line_reader_t in[2];
  for (int i = 0; i < 2; ++i)
    if (!line_reader_open_file(in[i], args[i])) {
      std::cerr << "Error cannot open: " << args[i] << std::endl;
      return 1;
    }
  if (stdout_clash({args[0], args[1]}))
    return 1;
  // Nothing of the first file is written before both are known to read.
  for (int i = 0; i < 2; ++i)
    if (!read_first_block(in[i])) {
      report_input_failure(in[i]);
      return 1;
    }
  out_file_t out;
  out_use_stdout(out);
  for (int i = 0; i < 2; ++i) {
    copy_lines(in[i], i == 0, out);
    if (report_input_failure(in[i]))
      return 1;
  }
  return close_stdout(out) ? 0 : 1;
}
