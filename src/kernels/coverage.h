#pragma once
#include <vector>

struct tolve_params_t;

// Read positions covered by the k-mer windows [q, q + k) of seen_kmer
// (total_length), and the further positions the windows of seen_mega_kmer
// add outside them (total_mega_length). Both lists are sorted in place.
void calc_total_mega(std::vector<int> &seen_kmer,
                     std::vector<int> &seen_mega_kmer, int &total_length,
                     int &total_mega_length, const tolve_params_t *p);
void calc_total_mega(std::vector<int> &seen_kmer,
                     std::vector<int> &seen_mega_kmer, int &total_length,
                     int &total_mega_length, int kmer_size);
