// Carry release in several independent chains.
//
// Releasing carries is a serial recurrence, walked from the least significant index (the highest)
// to the most significant: carry out of idx = f(idx, carry into idx). One walk runs at the latency
// of f, an integer division by 10000 of some ten cycles per limb. release_carries cuts the range
// into kChains pieces that start from carry 0 and run interleaved, so that the processor overlaps
// their divisions. Each piece then receives the true carry into it: added to its least significant
// limb and passed up through its limbs, now in 0..9999, until it is absorbed; what leaves the
// piece's top joins the piece's own carry out. A carry into normalised limbs is absorbed within a
// few limbs, except across a run of limbs at the edge of their range (9999 9999 ...), which it
// simply walks through; the result never depends on where the pieces were cut.
#pragma once
#include <cstdint>

#include "core/parallel/work_team.h"

// The carry out of a limb that holds s (either sign): floor(s / 10000), so that s - 10000 carry, the
// limb's digit, lies in 0..9999. Division truncates towards zero, hence the correction below 0.
inline int64_t limb_carry_of(int64_t s) {
  const int64_t q = s / 10000;
  return s - 10000 * q < 0 ? q - 1 : q;
}

// For idx = last, last - 1, ..., first: carry := step(idx, carry), starting from carry_in; step
// stores limb idx (in 0..9999) from the carry into it and returns the carry out of it.
// absorb(idx, carry) adds carry to the stored limb idx, reduces it to 0..9999 again and returns the
// carry out. Returns the carry out of index first. Every limb is stored exactly as by the plain
// serial walk.
template <typename Carry, typename Step, typename Absorb>
Carry release_carries(int32_t first, int32_t last, Carry carry_in, Step step, Absorb absorb) {
  constexpr int kChains = 4;
  constexpr int32_t kShortestPiece = 32;  // below this the serial walk is as fast
  const int32_t piece = (last - first + 1) / kChains;
  Carry carry = carry_in;
  int32_t rest = last;  // the indices not in a piece: all, or the most significant few
  if (piece >= kShortestPiece) {
    // Piece c is last - (c + 1) piece + 1 .. last - c piece; piece 0 starts from the true carry.
    Carry chain[kChains] = {carry_in};
    for (int32_t j = 0; j < piece; ++j)
      for (int c = 0; c < kChains; ++c) chain[c] = step(last - c * piece - j, chain[c]);
    carry = chain[0];
    for (int c = 1; c < kChains; ++c) {
      const int32_t top = last - (c + 1) * piece + 1;
      for (int32_t idx = last - c * piece; carry != 0 && idx >= top; --idx) carry = absorb(idx, carry);
      carry += chain[c];
    }
    rest = last - kChains * piece;
  }
  for (int32_t idx = rest; idx >= first; --idx) carry = step(idx, carry);
  return carry;
}

// Limbs first .. last (>= 1) of release_small_carries (below), `carry` received by limb last from the
// limbs after it; returns the carry out of limb first.
//
// A limb's own carry, floor(raw / 10000), and its digit are computed for a block of limbs at once, in
// vectors; the limb then receives the carry of the limb after it, which leaves it outside 0..9999 only
// rarely (a digit of 9999 or 9998 receiving 1 or 2, a 0 receiving -1). Only a block with such a limb
// is walked serially. out may be an array that raw reads (a block is read whole before it is written).
template <typename Raw>
int32_t release_small_carries_range(int16_t* out, int32_t first_limb, int32_t last_limb, int32_t carry,
                                    Raw raw) {
  constexpr int32_t kBlock = 512;
  for (int32_t last = last_limb; last >= first_limb; last -= kBlock) {
    const int32_t first = last - kBlock + 1 < first_limb ? first_limb : last - kBlock + 1,
                  count = last - first + 1;
    // Sixteen-bit lanes: raw, digit and carry fit, so a vector holds as many limbs as it can.
    int16_t digit[kBlock + 1], up[kBlock + 1];  // up[k]: the carry out of limb first + k
    for (int32_t k = 0; k < count; ++k) {
      const int16_t s = static_cast<int16_t>(raw(first + k));
      up[k] = static_cast<int16_t>((s >= 10000) + (s >= 20000) - (s < 0));
      digit[k] =
          static_cast<int16_t>(s - (s >= 10000 ? 10000 : 0) - (s >= 20000 ? 10000 : 0) + (s < 0 ? 10000 : 0));
    }
    up[count] = static_cast<int16_t>(carry);
    int16_t outside = 0;
    for (int32_t k = 0; k < count; ++k) {
      const int16_t t = static_cast<int16_t>(digit[k] + up[k + 1]);  // -1..10001
      outside |= static_cast<int16_t>((t < 0) | (t > 9999));
      out[first + k] = t;
    }
    if (outside == 0) {
      carry = up[0];
      continue;
    }
    carry = up[count];
    for (int32_t k = count - 1; k >= 0; --k) {
      const int32_t v = digit[k] + 10000 * up[k] + carry;  // raw + carry, -10000..29999
      carry = (v >= 10000) + (v >= 20000) - (v < 0);
      out[first + k] = static_cast<int16_t>(v - 10000 * carry);
    }
  }
  return carry;
}

// Linear passes over fewer limbs run on one thread; longer ones in linear_parts parts (work_team.h).
// Measured with bench_thread_passes (an addition and a halving, two threads): the hand-over costs as
// much as it saves at 2^15 limbs, and pays 1.3 times at 2^16, 1.5 at 2^17.
#ifndef PI_THREADED_LINEAR_LIMBS
#define PI_THREADED_LINEAR_LIMBS (1 << 16)
#endif
constexpr int32_t threaded_linear_limbs = PI_THREADED_LINEAR_LIMBS;
constexpr int32_t linear_parts = 32;

inline bool threaded_linear(const work_team* team, int32_t limbs) {
  return team_threads(team) > 1 && limbs >= threaded_linear_limbs;
}
// Limb `first` of part u of the limbs 1 .. limbs - 1 (part u covers part_limb(u) .. part_limb(u + 1) - 1).
inline int32_t part_limb(int32_t limbs, int32_t u) {
  return 1 + static_cast<int32_t>(unit_first(limbs - 1, linear_parts, u));
}

// Hands each part, from the last (which receives carry_in), the true carry into its last limb, which
// its limbs (in 0..9999) absorb within a few limbs; part_carries[u] is what part u gave out from carry
// 0. Returns the carry into limb 0: the limbs are those of one walk over all of them.
template <typename Carry, typename Absorb>
Carry resolve_part_carries(int32_t limbs, const Carry* part_carries, Carry carry_in, Absorb absorb) {
  Carry carry = carry_in;
  for (int32_t u = linear_parts - 1; u >= 0; --u) {
    for (int32_t idx = part_limb(limbs, u + 1) - 1; carry != 0 && idx >= part_limb(limbs, u); --idx)
      carry = absorb(idx, carry);
    carry += part_carries[u];
  }
  return carry;
}

// For idx = limbs - 1, ..., 1: limb idx := raw(idx) + carry into it, reduced to 0..9999, and limb 0 :=
// raw(0) + carry, unreduced (limb 0 holds the integer part). For steps whose carries stay small:
// raw(idx) in -9999..29997 for idx >= 1, so that with a carry of -1..2 a limb's value stays in
// -10000..29999 and its carry out in -1..2. Every limb is the one of the serial walk. out may be an
// array that raw reads. On threads the parts start from carry 0 and resolve_part_carries joins them.
template <typename Raw>
void release_small_carries(int16_t* out, int32_t limbs, Raw raw, work_team* team = nullptr) {
  int32_t carry = 0;
  if (threaded_linear(team, limbs)) {
    int32_t carries[linear_parts];
    for_each_unit(team, linear_parts, [&](int32_t u) {
      carries[u] = release_small_carries_range(out, part_limb(limbs, u), part_limb(limbs, u + 1) - 1, 0, raw);
    });
    carry = resolve_part_carries(limbs, carries, 0, [out](int32_t idx, int32_t c) {
      const int32_t v = out[idx] + c;
      const int32_t up = static_cast<int32_t>(limb_carry_of(v));
      out[idx] = static_cast<int16_t>(v - 10000 * up);
      return up;
    });
  } else if (limbs > 1) {
    carry = release_small_carries_range(out, 1, limbs - 1, 0, raw);
  }
  out[0] = static_cast<int16_t>(raw(0) + carry);
}
