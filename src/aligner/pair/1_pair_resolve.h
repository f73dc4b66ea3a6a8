#pragma once

struct pair_work_t;
struct pair_input_t;

// After both mates were searched: builds each mate's candidate list from
// its store, finds the concordant pairs (rescuing mates where pairs are
// missing), ranks pairs against the best single candidates, counts the
// ties the mapping quality needs and picks the alignment of each mate.
// The outcome, counts and chosen candidate ids land in w.result; random
// picks are drawn from the worker's generator.
void resolve_pair(pair_work_t &w, pair_input_t &in);
