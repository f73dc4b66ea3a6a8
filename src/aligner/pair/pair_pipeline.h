#pragma once

struct pair_work_t;
struct pair_input_t;

// Everything a read pair goes through after both mates were searched:
// pairing and rescue, mapping qualities, and its records (or hybrid side
// records) appended to the texts named in `in`.
void align_pair(pair_work_t &w, pair_input_t &in);
