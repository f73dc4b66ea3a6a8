#include "kernels/kernel_probe.h"

#include <iostream>
#include <new>

#include "common/strings.h"

bool prepare_probe(inspect_input_t &in, const args_t &args) {
  in.ref = args[0];
  in.seq = args[1];
  in.band = strTo<int>(args[2]);
  in.mat = strTo<int>(args[3]);
  in.mm = strTo<int>(args[4]);
  in.gap = strTo<int>(args[5]);
  in.extend = strTo<int>(args[6]);
  in.end_len = strTo<int>(args.back());
  in.table.reset(gen_mm_table());
  if (in.seq.size() > in.ref.size()) {
    std::cerr << "ERROR: Read length should be less than reference length"
              << std::endl;
    return false;
  }
  in.max_pen =
      uint32_t(uint64_t((long long)(in.mm) + in.mat) * uint64_t(in.seq.size()));
  in.read_bit = bit_DNA_t(in.seq, in.gen, in.table.get());
  in.ref_bit = bit_DNA_t(in.ref, in.gen, in.table.get());
  return true;
}

// Sequences come from the command line, so their matrices can be larger
// than memory.
namespace {

int probe_out_of_memory() {
  std::cout << std::flush;
  std::cerr << "ERROR: Not enough memory to align these sequences" << std::endl;
  return 1;
}

} // namespace

int run_probe(const args_t &args, size_t nargs, void (*usage)(),
              int (*run)(const args_t &)) {
  if (args.size() != nargs) {
    usage();
    return 3;
  }
  try {
    return run(args);
  } catch (const std::bad_alloc &) {
    return probe_out_of_memory();
  }
}
