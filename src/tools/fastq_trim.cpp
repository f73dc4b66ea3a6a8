// fastq_trim: BWA-style 3' quality trimming of a FASTQ file to stdout.
#include <climits>
#include <iostream>

#include "commands.h"
#include "common/constants.h"
#include "common/number_word.h"
#include "common/quality.h"
#include "common/std_out.h"
#include "tools/fastq_rewrite.h"
#include "tools/tool_io.h"

void trim_record(fast_t &rec, int min_len, int threshold) {
  int n = bwa_trim_len(rec.qual, threshold, min_len);
  if (n <= 0) {
    rec.seq = "N";
    rec.qual = "#";
    return;
  }
  if (size_t(n) < rec.seq.size()) {
    rec.seq.resize(size_t(n));
    rec.qual.resize(size_t(n));
  }
}

int fastq_trim(args_t args) {
  if (args.size() != 3) {
    std::cerr << "Usage: " << PROG_NAME
              << " fastq_trim <min_len> <Phred_score> <FASTQ_file>\n"
              << "    min_len        -- Minimum length of read after "
                 "trimming\n"
              << "    Phred_score    -- Phred score threshold (reads must be "
                 "Sanger quals)\n"
              << "Trim a FASTQ file BWA style, reads trimmed to zero are "
                 "replaced by a single N"
              << std::endl;
    return 3;
  }
  // A threshold of 0 or less would trim every read away.
  int min_len = 0, threshold = 0;
  if (!whole_arg(args[0], "min_len", 0, INT_MAX, min_len) ||
      !whole_arg(args[1], "Phred_score", 1, INT_MAX, threshold))
    return 3;
  fast reader;
  if (!open_whole_names(reader, args[2]))
    return 3;
  if (stdout_clash({args[2]}))
    return 1;
  out_file_t out;
  out_use_stdout(out);
  fast_t rec;
  while (read_next(reader, rec) >= 0) {
    if (!rec.qual_exist) {
      std::cerr << "Error: not FASTQ file: " << rec.name << std::endl;
      return 2;
    }
    trim_record(rec, min_len, threshold);
    out_fastq(out, rec, "");
  }
  return finish_stdout_run(out, reader, 1, 3);
}
