#pragma once
#include <cstdint>
#include <string>

namespace qual {
// Character of quality 0 in Sanger (Phred+33) text.
const int PHRED33_OFFSET = 33;
// Character of quality 0 in Illumina 1.3+/1.5+ (Phred+64) and Solexa text.
const int PHRED64_OFFSET = 64;
// Lowest Solexa score; entry 0 of solexa2phred32_table belongs to it.
const int SOLEXA_MIN = -5;
const int SOLEXA_TABLE_SIZE = 68;
// Highest character a quality text may hold ('~').
const int MAX_QUAL_CHAR = 126;

// Entry i: Phred score of Solexa score i - 5.
extern const uint8_t solexa2phred32_table[SOLEXA_TABLE_SIZE];
} // namespace qual

// In-place converters; false at the first byte that cannot be converted
// (bytes before it stay converted, it and the rest unchanged).
bool ill_13tosanger(std::string &q);
bool sangertoill_13(std::string &q);
bool solexatosanger(std::string &q);

// Number of leading bases kept by BWA-style 3' trimming of Phred+33 qualities.
int bwa_trim_len(const std::string &qual, int threshold, int min_len);
