#pragma once
#include <string>

#include "common/line_reader.h"

// Opens a plain text file for line reading; false for a path that cannot be
// read, a directory included.
bool open_text_input(line_reader_t &in, const std::string &path);
