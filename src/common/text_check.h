#pragma once
#include <cstddef>
#include <string>

// What every reader of a text input (reads, SAM, VCF, edits, raw lines)
// checks of the bytes it is handed, so that binary data (a BAM, an index,
// an executable) is refused instead of passing as records of raw bytes.
// Readers look at each block as they fill it, never per record or per line.

// True when the n bytes at p hold a NUL byte.
bool has_nul(const void *p, size_t n);

// "ERROR: <path> is not text (it holds a NUL byte)"
std::string not_text_message(const std::string &path);

// "ERROR: <path>: read error (<strerror(err)>)": a read that failed part
// way (an I/O error, a directory given as a file) is an error, never the
// end of the input.
std::string read_error_message(const std::string &path, int err);
