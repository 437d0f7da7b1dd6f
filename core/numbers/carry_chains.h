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
