#pragma once

// Running out of memory at a chosen place, for tests. In the test build of
// the program (VENKARI_FAULTS defined), fault_point raises std::bad_alloc
// when the environment variable VENKARI_FAULT names its point as
// "<point>:<n>": at the n-th pass of that point by any thread, or, with
// "<point>:<n>+", at that pass and every later one; "@<ms>" after either
// waits that long before it fails. In the program itself
// the calls compile to nothing.
#ifdef VENKARI_FAULTS
void fault_point(const char *point);
#else
inline void fault_point(const char *) {}
#endif
