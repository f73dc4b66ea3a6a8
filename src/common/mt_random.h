#pragma once
#include <cstdint>

// MT19937-64; default construction seeds with 0 so every run repeats.
class MT_random {
public:
  static const int NN = 312;
  static const int MM = 156;
  static const uint64_t MATRIX_A = 0xB5026F5AA96619E9ULL;
  static const uint64_t UM = 0xFFFFFFFF80000000ULL;
  static const uint64_t LM = 0x7FFFFFFFULL;

  uint64_t mt[NN];
  uint64_t mti;

  MT_random();
  void init_genrand64(uint64_t seed);
  uint64_t genrand64_int64();
  double genrand64_real1();
  double genrand64_real2();
  // Inclusive range; start == end returns start without drawing.
  uint64_t genrand_int_range(uint64_t start, uint64_t end);
  bool genrand_bern(double p);
  double genrand_exp(double mean);
  int64_t genrand_binom(uint64_t n, double p);
  // Uses the C library's rand(), not the twister.
  double genrand_norm();
  double genrand_norm(double mean, double sd);
};
