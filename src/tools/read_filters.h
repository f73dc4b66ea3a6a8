#pragma once
#include <string>

// Pass rules of the read filters for one end of a read.
// Good bases have a Sanger quality score of at least phred_score; the end
// passes when they make up at least `percent` percent of it.
bool quality_end_passes(const std::string &qual, int phred_score,
                        double percent);
bool length_end_passes(const std::string &seq, int min_len);
