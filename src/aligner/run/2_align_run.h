#pragma once
struct tolve_params_t;

// Runs the workers over the opened read files and ends the run: thread
// start and join, timing and kernel-run summary, the last output flush and
// the closing of the read and hybrid files. Returns the exit status; the
// caller writes the closing line on 0.
int align_run(tolve_params_t *p);
