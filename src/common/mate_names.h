#pragma once
#include <cstdint>

#include "common/fast.h"

// The two records of a pair are the ends of one read, so once a reader that
// cuts names (trim_slash) has read them their names are equal: "r7/1" and
// "r7/2", or "r7 1:N" and "r7 2:N", both give "r7". Two mate files out of
// step (a record missing from one of them, or files that do not belong
// together) show as a pair whose cut names differ.
//
// True when the mates of pair `pair` (1-based, counted in the files) carry
// the same name. Otherwise says so in one line on standard error, giving
// the pair's number, each name in double quotes and the file it came from
// ("ERROR: mates of pair 11 have different names: "r11" in a_1.fq, "r12"
// in a_2.fq"), and returns false: the command then stops with status 1.
bool mates_agree(const fast_t &mate1, const fast_t &mate2, int64_t pair,
                 const fast &file1, const fast &file2);
