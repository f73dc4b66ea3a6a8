#pragma once
#include <string>
#include <vector>

// Standard output as a command's result stream: where it may not point, and
// how a run that wrote to it ends.

// What standard output turned out to be among a command's own files.
enum stdout_clash_t { STDOUT_APART = 0, STDOUT_IS_INPUT, STDOUT_IS_OUTPUT };

// Standard output redirected onto one of the command's inputs would be read
// back as input, and onto a file the command writes itself would get two
// writers. When standard output is a regular file that is one of `inputs`
// (under any name or link), says "Error: standard output is an input file:
// <path>" and gives STDOUT_IS_INPUT; when it is one of `outputs`, "Error:
// standard output is an output file: <path>" and STDOUT_IS_OUTPUT. Pipes,
// terminals and devices are always apart. Meant to be asked before anything
// is written or any output is created.
stdout_clash_t stdout_clash(const std::vector<std::string> &inputs,
                            const std::vector<std::string> &outputs = {});

// Status of a command whose result went to standard output: 0, or 1 after
// "ERROR: Could not write to standard output" when it could not be written.
int finish_stdout();
