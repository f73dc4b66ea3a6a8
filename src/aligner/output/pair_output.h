#pragma once
#include <string>

#include "common/fast.h"

struct tolve_params_t;

// Output of a pair with both mates unmapped: records 77 and 141 with the
// mates in input orientation, or in hybrid mode the side records of
// write_pair_side and no SAM line.
void write_pair_unmapped(const tolve_params_t *p, const std::string &name,
                         const fast_t &mate1, const fast_t &mate2,
                         const std::string &barcode, std::string &sam,
                         std::string *hybrid[2]);

// Hybrid side output of a pair: one record per mate in input orientation,
// "name/1" into hybrid[0] and "name/2" into hybrid[1].
void write_pair_side(const std::string &name, const fast_t &mate1,
                     const fast_t &mate2, std::string *hybrid[2]);
