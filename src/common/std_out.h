#pragma once

// Standard output as a command's result stream: how a run that wrote to it
// ends.

// Status of a command whose result went to standard output: 0, or 1 after
// "ERROR: Could not write to standard output" when it could not be written.
int finish_stdout();
