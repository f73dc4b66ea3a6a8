#pragma once
#include <string>

// Program-wide constants, set before main runs and never changed.
extern const std::string PROG_NAME;
extern const std::string BUILD;
extern const double LOG_2;
