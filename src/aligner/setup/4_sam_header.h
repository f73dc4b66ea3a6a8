#pragma once
#include <string>
#include <vector>

struct tolve_params_t;

// SAM header of a run: @HD, one @SQ per non-empty sequence in genome order,
// @RG when a read group was given, and @PG with the option words.
std::string sam_header(const tolve_params_t *p,
                       const std::vector<std::string> &option_words);
