#pragma once
#include <fstream>
#include <string>

// Opens a plain text file for line reading; false for a path that cannot be
// read, a directory included.
bool open_text_input(std::ifstream &in, const std::string &path);
