#pragma once
#include <string>

#include "common/fast.h"

// BWA-style 3' trimming of one Sanger-quality record; a read trimmed to
// nothing becomes the placeholder base "N" with quality "#".
void trim_record(fast_t &rec, int min_len, int threshold);

// Quality encodings by their command-line letter.
enum qual_format_t { QF_NONE, QF_SANGER, QF_SOLEXA, QF_ILLUMINA };

qual_format_t qual_format(const std::string &letter);
// Converts in place; false at the first character the encoding pair
// refuses, leaving the characters before it converted.
bool convert_quality(std::string &qual, qual_format_t from, qual_format_t to);
