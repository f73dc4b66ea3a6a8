#pragma once
#include <cstdint>
#include <string>

// The 1-based inclusive region [start, end] of seq, cut short at its end
// and upper-cased. False when start lies outside 1 to length + 1.
bool region_of(const std::string &seq, int64_t start, int64_t end,
               std::string &region);
