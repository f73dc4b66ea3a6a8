#include "common/std_out.h"

#include <iostream>

int finish_stdout() {
  std::cout.flush();
  if (std::cout)
    return 0;
  std::cerr << "ERROR: Could not write to standard output" << std::endl;
  return 1;
}
