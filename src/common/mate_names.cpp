#include "common/mate_names.h"

#include <iostream>

bool mates_agree(const fast_t &mate1, const fast_t &mate2, int64_t pair,
                 const fast &file1, const fast &file2) {
  if (mate1.name == mate2.name)
    return true;
  std::cerr << "ERROR: mates of pair " << pair << " have different names: \""
            << mate1.name << "\" in " << file1.filename << ", \"" << mate2.name
            << "\" in " << file2.filename << std::endl;
  return false;
}
