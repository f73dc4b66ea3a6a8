#pragma once
#include <cstdint>

struct gz_input_t;
struct tolve_params_t;

// Reading of an index file into the run's record, in two steps around the
// SAM header. Each returns 0, or the exit status after writing its message.

// Header checks, packed genome and sequence table.
int load_index_genome(gz_input_t &in, tolve_params_t *p);
// Table sizes and checks, penalty table printing, the position table and
// its buckets. `file_bytes` is the size of the index file on disk (0 when
// unknown); it bounds what a damaged size field may make us reserve.
int load_index_table(gz_input_t &in, tolve_params_t *p, uint64_t file_bytes);
