#pragma once
#include <cstdint>

#include "index/index_format.h"

// Sorts the records in place by key, then position (both unsigned). Takes no
// heap memory (a few KiB of stack per key byte), so the record list stays the
// largest allocation of the index build.
void sort_records(twoint3_hash *recs, uint64_t n);
