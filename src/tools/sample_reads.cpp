// sample_reads: a reproducible uniform sample of reads or read pairs.
#include <algorithm>
#include <climits>
#include <iostream>
#include <memory>
#include <sys/stat.h>

#include "commands.h"
#include "common/constants.h"
#include "common/mate_names.h"
#include "common/number_word.h"
#include "common/path_utils.h"
#include "tools/reservoir.h"
#include "tools/tool_io.h"

namespace {

void sample_usage() {
  std::cerr << "Usage: " << PROG_NAME
            << " sample_reads <num_reads> <output_prefix> <first_pair> "
               "[<second_pair>]\n"
            << "    num_reads      -- Number of reads to extract\n"
            << "    output_prefix  -- Output will be output_prefix.fq or "
               "output_prefix_1.fq,output_prefix_2.fq\n"
            << "    first_pair     -- First pair or single-end FASTQ/A file\n"
            << "    second_pair    -- Second pair of FASTQ/A file [optional]\n"
            << "Uniformly randomly extract reads from a FASTQ file"
            << std::endl;
}

// First pass: the ordinals of the sampled records of the first file.
void draw_sample(fast &reader, reservoir_t &r) {
  MT_random rng;
  rng.init_genrand64(0);
  fast_t rec;
  while (read_next(reader, rec) >= 0)
    reservoir_offer(r, rng);
  std::sort(r.slots.begin(), r.slots.end());
}

// The next record of input `i` in the second pass. A cut-short last record
// of the first file was named in the first pass already.
int next_again(fast &reader, fast_t &rec, int i) {
  return i == 0 ? reader.next_record(rec) : read_next(reader, rec);
}

// Second pass: reads the inputs side by side, writes the records whose
// ordinals were drawn and counts each file's records in `held`. False,
// after mates_agree said so, when the mates of a pair do not belong
// together.
bool write_sample(std::unique_ptr<fast> *readers, int n,
                  const std::vector<int64_t> &ordinals,
                  std::vector<out_file_t> &outs, int64_t held[2]) {
  const std::string suffix[2] = {mate_suffix(n, 0), mate_suffix(n, 1)};
  fast_t rec[2];
  size_t k[2] = {0, 0};
  bool more[2] = {true, n == 2};
  while (more[0] || more[1]) {
    for (int i = 0; i < n; ++i) {
      if (!more[i])
        continue;
      if (next_again(*readers[i], rec[i], i) < 0) {
        more[i] = false;
        continue;
      }
      held[i]++;
      if (k[i] < ordinals.size() && ordinals[k[i]] == held[i]) {
        out_record(outs[i], rec[i], suffix[i]);
        k[i]++;
      }
    }
    if (more[0] && more[1] &&
        !mates_agree(rec[0], rec[1], held[0], *readers[0], *readers[1]))
      return false;
  }
  return true;
}

// The first file is read twice. A pipe or a FIFO gives its records only
// once, and opening a FIFO a second time waits for a writer that never
// comes: refuse anything but a regular file before it is opened. A path
// that does not exist or is a directory is left to the opening, which
// names it.
bool readable_twice(const std::string &path) {
  struct stat st;
  if (!look_at(path, st) || S_ISREG(st.st_mode) || S_ISDIR(st.st_mode))
    return true;
  std::cerr << "Error: not a regular file, cannot be read twice: " << path
            << std::endl;
  return false;
}

} // namespace

int sample_reads(args_t args) {
  if (args.size() != 3 && args.size() != 4) {
    sample_usage();
    return 3;
  }
  const int num_inputs = int(args.size()) - 2;
  int num_reads = 0;
  if (!whole_kind_arg(args[0], "num_reads", 0, INT_MAX, num_reads))
    return 3;
  if (num_reads < 0) {
    std::cerr << "Error: Invalid number of reads: " << num_reads << std::endl;
    return 3;
  }
  const std::vector<std::string> inputs(args.begin() + 2, args.end());
  if (!readable_twice(inputs[0]))
    return 1;
  std::unique_ptr<fast> readers[2];
  if (!open_readers(readers, inputs))
    return 1;
  const std::vector<std::string> names = fq_names(args[1], "", num_inputs);
  if (output_is_input(names, inputs))
    return 1;
  staged_outputs_t staged;
  std::vector<out_file_t> outs(names.size());
  if (!out_create_all(outs, names, staged))
    return 1;

  reservoir_t r;
  r.num_reads = num_reads;
  draw_sample(*readers[0], r);
  if (r.count <= num_reads) {
    // Damage hides how many reads the file holds.
    if (report_damage(*readers[0]))
      return 1;
    std::cerr << "Error: the number of reads in the file is not greater than "
                 "num_reads"
              << std::endl;
    return 3;
  }
  // The second pass meets any damage of the first file again; it is said
  // once, at the end.
  if (!readers[0]->open(inputs[0])) {
    report_open_failure(*readers[0], "Error: cannot open: ");
    return 1;
  }
  int64_t held[2] = {0, 0};
  const bool in_step = write_sample(readers, num_inputs, r.slots, outs, held);
  for (int i = 0; i < num_inputs; ++i)
    readers[i]->close();
  if (!in_step) {
    out_close_all(outs);
    return 1;
  }
  // A file changed between the passes would give a sample that is not the
  // one drawn; unequal mates would pair wrong reads. A damaged file ends
  // early, and that is what is said at the end.
  if (readers[0]->damage.empty() && held[0] != r.count) {
    std::cerr << "Error: " << inputs[0] << " held " << r.count
              << " reads when counted but " << held[0] << " when read again"
              << std::endl;
    out_close_all(outs);
    return 1;
  }
  if (num_inputs == 2 && !inputs_damaged(readers, num_inputs) &&
      held[1] != r.count) {
    std::cerr << "Error: paired files are different length" << std::endl;
    out_close_all(outs);
    return 1;
  }
  bool written = out_close_all(outs);
  if (report_inputs_damage(readers, num_inputs))
    return 1;
  return written && out_commit_all(staged) ? 0 : 1;
}
