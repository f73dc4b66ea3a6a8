#pragma once
#include <cstdint>
#include <string>

namespace qual {
// Entry i: Phred score of Solexa score i - 5.
extern const uint8_t solexa2phred32_table[68];
} // namespace qual

// In-place converters; false at the first byte that cannot be converted
// (bytes before it stay converted, it and the rest unchanged).
bool ill_13tosanger(std::string &q);
bool sangertoill_13(std::string &q);
bool solexatosanger(std::string &q);

// Number of leading bases kept by BWA-style 3' trimming of Phred+33 qualities.
int bwa_trim_len(const std::string &qual, int threshold, int min_len);
