#pragma once
#include <cstdint>
#include <ostream>
#include <string>

// Three lines (marks, reference, read) of a global path of seq against ref:
// '*' marks a mismatch column, '-' a gap. Stops early, without reading past
// either text, if the path does not cover both completely.
void print_SW_path2(std::ostream &o, const std::string &path,
                    const std::string &ref, const std::string &seq);

// Two lines (reference, read) of a local path whose first column aligns
// ref[ref_start] with seq[seq_start]; the unaligned heads and tails are set
// off by '|'.
void print_local_path(std::ostream &o, const std::string &path,
                      uint32_t ref_start, uint32_t seq_start,
                      const std::string &ref, const std::string &seq);

// Five tab-separated SAM columns and a newline.
void write_sam_aln(std::ostream &o, const std::string &read_name, uint16_t flag,
                   const std::string &chr_name, uint32_t chr_loc, uint8_t MAPQ);
