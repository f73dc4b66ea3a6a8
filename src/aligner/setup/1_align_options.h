#pragma once
#include <string>
#include <vector>

struct tolve_params_t;

// Defaults of the tolerance and penalty options (-r, -o, -e, --nw_*).
namespace tolerance_default {
const float MM_PROB = 0.05f;
const float GAP_RATE = 0.005f;
const int MAX_EXT = 50;
const int M_SCORE = 5;
const int MM_PEN = 15;
const int GAP_PEN = 40;
const int EXT_PEN = 2;
} // namespace tolerance_default

// Usage text of align, showing the record's current (default) values.
std::string align_usage(const tolve_params_t *p);

// Reads the option words (those after the index name) into the record,
// builds the penalty allowances and the read sources, and opens the hybrid
// side files (never over the index or a read file). Returns 0, or 3 after
// writing the one-line reason.
int read_align_options(tolve_params_t *p, const std::string &index_name,
                       const std::vector<std::string> &words,
                       std::string read_files[2]);
