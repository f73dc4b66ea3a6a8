#pragma once
#include <ostream>
#include <string>

// Simulated reads carry a flat quality: one 'I' per base, so SEQ and QUAL
// always have the same length, also for reads that came out short.
void write_sim_record(std::ostream &out, const std::string &name,
                      const std::string &seq);
