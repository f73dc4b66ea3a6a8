#include "kernels/kernel_probe.h"

#include <climits>
#include <iostream>
#include <new>

#include "common/number_word.h"

namespace {

// The number words between the two sequences and end_len, in order, as
// both usage texts name them; all_sw has the last four.
const char *const PROBE_NUMBERS[] = {"band",  "mat",    "mm",
                                     "gap",   "extend", "m_sw",
                                     "mm_sw", "gap_sw", "extend_sw"};

// Any int is taken: the kernels cope with every setting, absurd or not.
bool probe_number(const std::string &word, const char *name, int &value) {
  return whole_arg(word, name, INT_MIN, INT_MAX, value);
}

bool read_probe_numbers(inspect_input_t &in, const args_t &args) {
  int *const fields[] = {&in.band,  &in.mat,   &in.mm,    &in.gap,  &in.extend,
                         &in.sw[0], &in.sw[1], &in.sw[2], &in.sw[3]};
  for (size_t i = 2; i + 1 < args.size(); ++i)
    if (!probe_number(args[i], PROBE_NUMBERS[i - 2], *fields[i - 2]))
      return false;
  return probe_number(args.back(), "end_len", in.end_len);
}

} // namespace

bool prepare_probe(inspect_input_t &in, const args_t &args) {
  in.ref = args[0];
  in.seq = args[1];
  if (!read_probe_numbers(in, args))
    return false;
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
