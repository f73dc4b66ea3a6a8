#include "common/mt_random.h"

#include <cmath>
#include <cstdlib>

MT_random::MT_random() : mti(NN + 1) { init_genrand64(0); }

void MT_random::init_genrand64(uint64_t seed) {
  mt[0] = seed;
  for (int i = 1; i < NN; ++i)
    mt[i] =
        6364136223846793005ULL * (mt[i - 1] ^ (mt[i - 1] >> 62)) + uint64_t(i);
  mti = NN;
}

uint64_t MT_random::genrand64_int64() {
  static const uint64_t mag01[2] = {0ULL, MATRIX_A};
  if (mti >= uint64_t(NN)) {
    if (mti == uint64_t(NN + 1))
      init_genrand64(5489ULL);
    int i;
    uint64_t x;
    for (i = 0; i < NN - MM; ++i) {
      x = (mt[i] & UM) | (mt[i + 1] & LM);
      mt[i] = mt[i + MM] ^ (x >> 1) ^ mag01[x & 1];
    }
    for (; i < NN - 1; ++i) {
      x = (mt[i] & UM) | (mt[i + 1] & LM);
      mt[i] = mt[i + (MM - NN)] ^ (x >> 1) ^ mag01[x & 1];
    }
    x = (mt[NN - 1] & UM) | (mt[0] & LM);
    mt[NN - 1] = mt[MM - 1] ^ (x >> 1) ^ mag01[x & 1];
    mti = 0;
  }
  uint64_t y = mt[mti++];
  y ^= (y >> 29) & 0x5555555555555555ULL;
  y ^= (y << 17) & 0x71D67FFFEDA60000ULL;
  y ^= (y << 37) & 0xFFF7EEE000000000ULL;
  y ^= y >> 43;
  return y;
}

double MT_random::genrand64_real1() {
  return double(genrand64_int64() >> 11) * (1.0 / 9007199254740991.0);
}

double MT_random::genrand64_real2() {
  return double(genrand64_int64() >> 11) * (1.0 / 9007199254740992.0);
}

uint64_t MT_random::genrand_int_range(uint64_t start, uint64_t end) {
  // An empty range has no valid value; answer start without drawing rather
  // than wrap around.
  if (end <= start)
    return start;
  // end - start + 1 in double arithmetic, so the full 64-bit range does not
  // wrap to 0.
  double span = double(end - start) + 1.0;
  double v = genrand64_real2() * span + double(start);
  // Rounding of the product (or of a large start) can reach past either
  // bound; keep the result inside.
  if (v >= 18446744073709551616.0)
    return end;
  uint64_t r = uint64_t(v);
  if (r > end)
    return end;
  if (r < start)
    return start;
  return r;
}

bool MT_random::genrand_bern(double p) { return genrand64_real2() <= p; }

double MT_random::genrand_exp(double mean) {
  return -mean * std::log(1.0 - genrand64_real2());
}

int64_t MT_random::genrand_binom(uint64_t n, double p) {
  if (p < 0.0 || p > 1.0)
    return -1;
  int64_t hits = 0;
  for (uint64_t i = 0; i < n; ++i)
    hits += p > genrand64_real1();
  return hits;
}

double MT_random::genrand_norm() {
  double sum = 0.0;
  for (int i = 0; i < 48; ++i)
    sum += (double(std::rand()) + 1.0) * (1.0 / 2147483648.0);
  return (sum - 24.0) * 0.5;
}

double MT_random::genrand_norm(double mean, double sd) {
  return mean + sd * genrand_norm();
}
