#pragma once

// Body of one worker thread; arg is the run's run_shared_t. Takes batches
// of reads (or pairs) from the shared readers until they are exhausted or
// the run is stopped, aligns them and writes each batch's text in one
// piece. Returns nullptr.
void *align_thread(void *arg);
