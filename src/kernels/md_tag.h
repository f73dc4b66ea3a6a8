#pragma once
#include <cstdint>
#include <string>

#include "common/bit_dna.h"

// SAM MD value of an alignment described by `cigar` (M = X I D S), the read
// in its aligned orientation and the genome, starting at genome base git.
// The append forms write after what `out` already holds, so a record can be
// built in one buffer.
void append_MD(std::string &out, const std::string &cigar,
               const bit_DNA_t &sequence, const bit_DNA_t &genome,
               uint32_t git);
std::string generate_MD(const std::string &cigar, const bit_DNA_t &sequence,
                        const bit_DNA_t &genome, uint32_t git);

// Novoalign-style edit list of the same alignment: one entry per edit, each
// followed by a blank; empty without edits.
void append_novo(std::string &out, const std::string &cigar,
                 const bit_DNA_t &sequence, const bit_DNA_t &genome,
                 uint32_t git);
std::string generate_novo(const std::string &cigar, const bit_DNA_t &sequence,
                          const bit_DNA_t &genome, uint32_t git);
