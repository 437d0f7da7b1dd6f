// The computation of the stage factors (stage_factors.h), one body for every vector width. The runs of a
// batch ride in the point positions of V, one run per position, so one instruction steps V::points runs;
// lane by lane these are the scalar formulas, so the doubles are those of one run at a time.
#pragma once
#include "core/fft/complex_vector.h"
#include "core/fft/stage_factors.h"
#include "core/fft/unit_root.h"

namespace {

// The factor of point p is a root of unity of turn p/L (plain) or p/(2L) (shifted), L = doubles/2
// points: its denominator, in points.
inline int32_t plain_turn_points(int32_t doubles) { return doubles / 2; }
inline int32_t shifted_turn_points(int32_t doubles) { return doubles; }

inline complex_vector exact_factor(int32_t turn_points, int32_t p) {
  const complex_value z = unit_root(p, turn_points);
  return complex_vector{z.re, z.im};
}

inline complex_value value_of(complex_vector z) { return {re(z), im(z)}; }
inline complex_vector vector_of(complex_value z) { return complex_vector{z.re, z.im}; }

// The factor sets of a stage of `doubles` doubles with no arrays: the step only (e^{2 pi i/L} or e^{i pi/L},
// L = doubles/2 points, from unit_root).
inline plain_stage_factors plain_factors(int32_t doubles) {
  return {nullptr, nullptr, value_of(exact_factor(plain_turn_points(doubles), 1))};
}
inline shifted_stage_factors shifted_factors(int32_t doubles) {
  return {nullptr, nullptr, nullptr, nullptr, value_of(exact_factor(shifted_turn_points(doubles), 1))};
}

// Calls body(p0, count) for the batches of the points 1 .. points - 1: p0 = 0, factor_batch, ..., each
// batch covering the points p0 + 1 .. p0 + count.
// The batches numbered first .. last - 1 only, of factor_batches(points) in all: a stage cut into parts
// (a pass of a threaded transform) runs every batch exactly as the whole stage does.
inline int32_t factor_batches(int32_t points) { return (points - 2 + factor_batch) / factor_batch; }
template <class Body>
inline void for_each_factor_batch(int32_t points, int32_t first, int32_t last, Body&& body) {
  for (int32_t p0 = first * factor_batch; p0 < points - 1 && p0 < last * factor_batch; p0 += factor_batch)
    body(p0, points - 1 - p0 < factor_batch ? points - 1 - p0 : factor_batch);
}
template <class Body>
inline void for_each_factor_batch(int32_t points, Body&& body) {
  for_each_factor_batch(points, 0, factor_batches(points), body);
}

// Point position `lane` of V (a move).
template <class V>
inline complex_vector lane_of(V v, int lane) {
  complex_vector z;
  std::memcpy(&z, reinterpret_cast<const double*>(&v) + 2 * lane, sizeof z);
  return z;
}

// S sequences over the runs of a batch, stepped side by side (runs_per_batch * S independent chains,
// so that their latencies overlap): sequence s of run r starts from the factors at p0 + 64r and
// p0 + 64r + 1 in before[s][r], current[s][r] and steps f_{p+1} = f_{p-1} + i sigma[s] f_p. The factor of
// point p0 + 1 + i goes to out[s][2i], out[s][2i + 1] for i < count.
template <class V, int S>
void recur_batch(const complex_vector (&before0)[S][runs_per_batch],
                 const complex_vector (&current0)[S][runs_per_batch], const double (&sigma)[S], int32_t count,
                 double* const (&out)[S]) {
  constexpr int32_t points = lane_info<V>::points, vectors = runs_per_batch / points;
  V before[S][vectors], current[S][vectors];
  for (int s = 0; s < S; ++s)
    for (int32_t v = 0; v < vectors; ++v) {
      std::memcpy(&before[s][v], &before0[s][v * points], sizeof(V));
      std::memcpy(&current[s][v], &current0[s][v * points], sizeof(V));
    }
  const int32_t runs = (count + factor_run - 1) / factor_run;
  const int32_t used = (runs + points - 1) / points;  // vectors holding a run of this batch
  const int32_t steps = count < factor_run ? count : factor_run;
  for (int32_t k = 0; k < steps; ++k)
    for (int32_t v = 0; v < used; ++v)
      for (int s = 0; s < S; ++s) {
        for (int32_t l = 0; l < points; ++l) {
          const int32_t i = factor_run * (v * points + l) + k;
          if (i < count) store_vector(out[s], i, lane_of(current[s][v], l));
        }
        const V next = before[s][v] + lane_info<V>::splat(sigma[s]) * mul_i(current[s][v]);
        before[s][v] = current[s][v];
        current[s][v] = next;
      }
}

// A sequence of factors: rot alpha^power with alpha = e^{i theta p}, power 1 or 3, rot 1, rho or rho^3
// (rotation 0, 1 or 3 eighths of a turn). A plain stage has F = alpha, G = alpha^3; a shifted one
// A = alpha, A' = rho alpha, B = alpha^3, B' = rho^3 alpha^3.
struct factor_sequence {
  int power;
  int rotation;
};
constexpr factor_sequence plain_sequences[2] = {{1, 0}, {3, 0}};
constexpr factor_sequence shifted_sequences[4] = {{1, 0}, {1, 1}, {3, 0}, {3, 3}};

inline complex_vector sequence_value(factor_sequence sequence, complex_vector alpha) {
  const complex_vector powered = sequence.power == 3 ? triple_angle(alpha) : alpha;
  return sequence.rotation == 1 ? mul_rho(powered) : sequence.rotation == 3 ? mul_rho3(powered) : powered;
}

// The factors of the `count` <= factor_batch points p0 + 1 .. p0 + count (p0 a multiple of factor_run) of
// the S sequences, the first point's at out[s][0], out[s][1]: the runs starting at p0, p0 + 64, .. side
// by side, each seeded with the exact value (unit_root) of alpha at its start and that times the step.
// A sequence of power k steps with sigma = 2 sin(k theta). Runs past the count start from the first
// run's seeds and are never stored.
template <class V, int S, const factor_sequence (&Sequences)[S]>
PI_BATCH_LOOP void compute_factor_batch(int32_t turn_points, complex_value step, int32_t p0, int32_t count,
                                        double* const (&out)[S]) {
  const complex_vector step1 = vector_of(step);
  double sigma[S];
  for (int s = 0; s < S; ++s) sigma[s] = 2.0 * im(sequence_value({Sequences[s].power, 0}, step1));
  complex_vector before[S][runs_per_batch], current[S][runs_per_batch];
  for (int32_t r = 0; r < runs_per_batch; ++r) {
    if (r > 0 && r * factor_run >= count) {
      for (int s = 0; s < S; ++s) before[s][r] = before[s][0], current[s][r] = current[s][0];
      continue;
    }
    const complex_vector seed = exact_factor(turn_points, p0 + factor_run * r);
    const complex_vector seed_next = mul(step1, seed);
    for (int s = 0; s < S; ++s) {
      before[s][r] = sequence_value(Sequences[s], seed);
      current[s][r] = sequence_value(Sequences[s], seed_next);
    }
  }
  recur_batch<V, S>(before, current, sigma, count, out);
}

// The batches of a plain stage (F, G) and of a shifted one (A, A', B, B') of `doubles` doubles.
template <class V>
void plain_factor_batch(int32_t doubles, complex_value step, int32_t p0, int32_t count,
                        double* const (&out)[2]) {
  compute_factor_batch<V, 2, plain_sequences>(plain_turn_points(doubles), step, p0, count, out);
}
template <class V>
void shifted_factor_batch(int32_t doubles, complex_value step, int32_t p0, int32_t count,
                          double* const (&out)[4]) {
  compute_factor_batch<V, 4, shifted_sequences>(shifted_turn_points(doubles), step, p0, count, out);
}

// The factors of every point 1 .. Q/2 - 1 of a stage of `doubles` doubles into the six arrays of
// `doubles`/16 points each (f, g, a, a_rho, b, b_rho3; point p at [2p], [2p + 1], point 0 set to 1 and
// never read), and the sets that read them.
template <class V>
stage_factor_sets fill_stage_factors(int32_t doubles, double* const (&arrays)[6]) {
  const plain_stage_factors plain = plain_factors(doubles);
  const shifted_stage_factors shifted = shifted_factors(doubles);
  for (double* array : arrays) {
    array[0] = 1.0;
    array[1] = 0.0;
  }
  for_each_factor_batch(doubles / 16, [&](int32_t p0, int32_t count) {
    const int32_t at = 2 * (p0 + 1);
    plain_factor_batch<V>(doubles, plain.step, p0, count, {arrays[0] + at, arrays[1] + at});
    shifted_factor_batch<V>(doubles, shifted.step, p0, count,
                            {arrays[2] + at, arrays[3] + at, arrays[4] + at, arrays[5] + at});
  });
  return {{arrays[0], arrays[1], plain.step}, {arrays[2], arrays[3], arrays[4], arrays[5], shifted.step}};
}

}  // namespace
