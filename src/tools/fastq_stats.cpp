// fastq_stats: read-length distribution with cumulative percentages.
#include <cstdint>
#include <iostream>
#include <map>
#include <sstream>

#include "commands.h"
#include "common/constants.h"
#include "common/std_out.h"
#include "common/strings.h"
#include "tools/tool_io.h"

namespace {

void write_histogram(out_file_t &out, const std::map<int, int64_t> &counts,
                     int64_t total) {
  int64_t cumulative = 0;
  for (const auto &entry : counts) {
    cumulative += entry.second;
    std::ostringstream line;
    line << entry.first << "," << entry.second << ",";
    output_percentage(line, uint64_t(total), uint64_t(cumulative));
    line << "\n";
    out_put(out, stream_text(line));
  }
}

} // namespace

int fastq_stats(args_t args) {
  if (args.size() != 1) {
    std::cerr << "Usage: " << PROG_NAME << " fastq_stats <FASTQ file>\n"
              << "Get stats for a FASTQ file" << std::endl;
    return 3;
  }
  fast reader;
  if (!open_whole_names(reader, args[0]))
    return 3;
  if (stdout_clash({args[0]}))
    return 1;
  // 64-bit counts: a file of more than 2^31 reads must not wrap.
  std::map<int, int64_t> counts;
  int64_t total = 0;
  fast_t rec;
  int l;
  while ((l = read_next(reader, rec)) >= 0) {
    counts[l]++;
    total++;
  }
  out_file_t out;
  out_use_stdout(out);
  write_histogram(out, counts, total);
  return finish_stdout_run(out, reader, 1, 3);
}
