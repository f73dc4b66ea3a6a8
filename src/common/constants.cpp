#include "common/constants.h"

#include <cmath>

const std::string PROG_NAME = "venkari-basic";
const std::string BUILD = "0.5-r123";
const double LOG_2 = std::log(2.0);
