#include "kernels/sw_nw.h"

#include "common/fatal.h"
#include "kernels/window_codes.h"

namespace {

// Grows a buffer to at least n elements; old contents are not kept. New
// storage is zeroed so that nothing ever reads indeterminate values.
template <typename T> void grow(T *&buf, size_t &cap, size_t n) {
  if (n <= cap && buf)
    return;
  delete[] buf;
  buf = nullptr;
  buf = new T[n ? n : 1]();
  cap = n ? n : 1;
}

} // namespace

bool matrix_fits(int read_len, int ref_len) {
  if (read_len < 0 || ref_len < 0)
    return false;
  return (int64_t(read_len) + 1) * (int64_t(ref_len) + 1) <=
         nw_const::MAX_MATRIX_CELLS;
}

void read_length_mismatch() {
  fatal_exit("FATAL ERROR READ LENGTH MISMATCH: setup_read_reference\n", 1);
}

sw_nw::~sw_nw() { clear(); }

void sw_nw::setup_penalties(int nw_m_, int nw_s_, int nw_g_, int nw_e_,
                            int sw_m_, int sw_s_, int sw_g_, int sw_e_) {
  nw_m = nw_m_;
  nw_s = nw_s_;
  nw_g = nw_g_;
  nw_e = nw_e_;
  sw_m = sw_m_;
  sw_s = sw_s_;
  sw_g = sw_g_;
  sw_e = sw_e_;
}

bool sw_nw::setup_read_reference(const bit_DNA_t &read1, const bit_DNA_t &read2,
                                 int ref_len_, int band_) {
  if (read1.size() != read2.size())
    return false;
  int len = int(read1.size());
  int win = ref_len_ > 0 ? ref_len_ : 0;
  size_t cells = size_t(len + 1) * size_t(win + 1);
  size_t steps = size_t(len) * size_t(win);

  if (len > reads_cap || !reads[0]) {
    delete[] reads[0];
    delete[] reads[1];
    reads[0] = reads[1] = nullptr;
    reads[0] = new int8_t[len ? len : 1]();
    reads[1] = new int8_t[len ? len : 1]();
    reads_cap = len;
  }
  grow(ABC_sw, cells_cap, cells);
  nw_work_reserve(nw_work, len, win, band_);
  grow(P_sw, steps_cap, steps);
  size_t wcap = size_t(window_cap);
  grow(window, wcap, size_t(win));
  window_cap = int(wcap);

  unpack_all(read1, reads[0]);
  unpack_all(read2, reads[1]);
  read_len = len;
  ref_len = win;
  band = band_;
  return true;
}

void sw_nw::clear() {
  delete[] reads[0];
  delete[] reads[1];
  delete[] ABC_sw;
  delete[] P_sw;
  delete[] window;
  reads[0] = reads[1] = nullptr;
  nw_work = nw_work_t();
  ABC_sw = nullptr;
  P_sw = nullptr;
  window = nullptr;
  cells_cap = steps_cap = 0;
  reads_cap = window_cap = 0;
  read_len = ref_len = 0;
}
