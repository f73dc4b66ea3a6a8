#pragma once

struct pair_work_t;
struct pair_input_t;

// Looks for mates next to the candidates of the other mate where the
// independent searches left them without a concordant partner:
//  - some pair exists: every unpaired candidate's window is scanned
//    without gaps for the other mate ('M');
//  - no pair, and one searchable mate has no candidate: its windows next
//    to the other mate's candidates are scanned with the local vector
//    kernel and the best is aligned globally, or locally with clipped ends
//    ('S');
//  - otherwise the same scan in both directions between two mapped mates
//    ('W').
// Rescued candidates join the candidate lists; one within the template
// size makes its anchor paired and clears w.no_pair. A rescued candidate at
// the position and direction of one the mate already has is not added: the
// earlier one stands for it, paired where it would have been. Every anchor
// whose windows were scanned adds one to the worker's kernel-run count.
void rescue_mates(pair_work_t &w, pair_input_t &in);
