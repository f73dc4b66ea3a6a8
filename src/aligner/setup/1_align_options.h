#pragma once
#include <string>
#include <vector>

struct tolve_params_t;

// Usage text of align, showing the record's current (default) values.
std::string align_usage(const tolve_params_t *p);

// Reads the option words (those after the index name) into the record,
// builds the penalty allowances and the read sources, and opens the hybrid
// side files. Returns 0, or 3 after writing the one-line reason.
int read_align_options(tolve_params_t *p, const std::vector<std::string> &words,
                       std::string read_files[2]);
