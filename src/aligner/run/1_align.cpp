#include <iostream>
#include <new>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "aligner/run/2_align_run.h"
#include "aligner/run/out_buffer.h"
#include "aligner/setup/1_align_options.h"
#include "aligner/setup/3_index_load.h"
#include "aligner/setup/4_sam_header.h"
#include "aligner/setup/chrom_span.h"
#include "aligner/setup/params.h"
#include "aligner/setup/ref_table.h"
#include "commands.h"
#include "common/bit_dna.h"
#include "common/fast.h"
#include "common/fault_point.h"
#include "common/path_utils.h"
#include "common/staged_output.h"
#include "common/timer.h"
#include "index/gz_input.h"

namespace {

// Result text is collected and written out in blocks of this size.
const size_t STDOUT_BLOCK = 100 << 20;

uint64_t file_size(const std::string &name) {
  struct stat st;
  if (!look_at(name, st) || !S_ISREG(st.st_mode))
    return 0;
  return static_cast<uint64_t>(st.st_size);
}

int index_memory_error() {
  std::cerr << "ERROR: Not enough memory to load the index\n";
  return 1;
}

int open_read_files(tolve_params_t *p, const std::string files[2]) {
  for (int r = 0; r < p->num_fragment; r++) {
    if (files[r].empty())
      continue;
    if (!p->reads_file[r]->open(files[r])) {
      report_open_failure(*p->reads_file[r], "Could not open reads file: ");
      return 1;
    }
  }
  return 0;
}

int load_index(tolve_params_t *p, gz_input_t &in, const std::string &name,
               const std::vector<std::string> &words) {
  ro_timer timer;
  int s = load_index_genome(in, p);
  if (s)
    return s;
  // Pairs are written as SAM whatever the output mode, so they need the
  // header too.
  if (!p->NOVO_MODE || p->paired)
    out_buffer_write(*p->std_out, sam_header(p, words));
  if ((s = load_index_table(in, p, file_size(name))))
    return s;
  build_refs(p);
  gz_input_close(in);
  std::cerr << "Total index loading time: " << timer.elapsed_time() << "s."
            << std::endl;
  return 0;
}

int run_align(tolve_params_t *p, std::vector<std::string> &args) {
  if (args.empty()) {
    std::cerr << align_usage(p) << std::flush;
    return 3;
  }
  p->mm_table = gen_mm_table();
  p->std_out = new out_buffer_t();
  out_buffer_init(*p->std_out, STDOUT_BLOCK, 1);
  const std::string index_name = args[0];
  args.erase(args.begin());
  std::string read_files[2];
  int s = read_align_options(p, index_name, args, read_files);
  if (s)
    return s;
  gz_input_t in;
  try {
    if (!gz_input_open(in, index_name.c_str(), p->NUM_THREADS)) {
      std::cerr << "Could not open hash file: " << index_name << std::endl;
      return 1;
    }
  } catch (const std::bad_alloc &) {
    return index_memory_error();
  }
  // Memory that runs out while the reads files open is the run's, not the
  // index's: it reaches the command's own line.
  if ((s = open_read_files(p, read_files)))
    return s;
  fault_point("main");
  try {
    if ((s = load_index(p, in, index_name, args))) {
      gz_input_close(in);
      return s;
    }
  } catch (const std::bad_alloc &) {
    return index_memory_error();
  }
  return align_run(p);
}

// Owns the run's parameter record: however the run ends, an exception
// included, its side files that were not committed are removed with it.
struct params_owner_t {
  tolve_params_t *p = new tolve_params_t();
  ~params_owner_t() {
    release_params(p);
    delete p;
  }
};

} // namespace

int align(args_t args) {
  params_owner_t owner;
  tolve_params_t *p = owner.p;
  int status = run_align(p, args);
  // A run that failed has said why; a write error it met is already among
  // its reasons, so it is not said a second time.
  if (p->std_out && !out_buffer_flush(*p->std_out) && status == 0) {
    std::cerr << "ERROR: Could not write to standard output" << std::endl;
    status = 1;
  }
  if (status == 0 && p->hybrid_staged &&
      !commit_or_say(*p->hybrid_staged, "[-y] Could not write hybrid file: "))
    status = 1;
  if (status == 0)
    std::cerr << "Alignment complete! " << std::endl;
  return status;
}
