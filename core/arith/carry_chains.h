// Carry release in several independent chains.
//
// Releasing carries is a serial recurrence, walked from the least significant index (the highest)
// to the most significant: carry out of idx = f(idx, carry into idx). One walk runs at the latency
// of f, an integer division by 10000 of some ten cycles per limb. release_carries cuts the range
// into kChains pieces that start from carry 0 and run interleaved, so that the processor overlaps
// their divisions; it then repairs each piece from the true carry into it. The repair walks up from
// the piece's least significant index only until the carry out of an index equals that of the
// first pass: from there on nothing changes. A carry into normalised limbs is absorbed within a few
// limbs, except across a run of limbs at the edge of their range (9999 9999 ...), which the repair
// simply walks through; the result never depends on where the pieces were cut.
#pragma once
#include <cstdint>

// For idx = last, last - 1, ..., first: carry := step(idx, carry), starting from carry_in; step
// stores what index idx receives and returns the carry out of it. next(idx, carry) returns the same
// carry as step without storing anything. Returns the carry out of index first. Every index is
// stored exactly as by the plain serial walk.
template <typename Carry, typename Step, typename Next>
Carry release_carries(int32_t first, int32_t last, Carry carry_in, Step step, Next next) {
  constexpr int kChains = 4;
  constexpr int32_t kShortestPiece = 32;  // below this the serial walk is as fast
  const int32_t piece = (last - first + 1) / kChains;
  if (piece < kShortestPiece) {
    Carry carry = carry_in;
    for (int32_t idx = last; idx >= first; --idx) carry = step(idx, carry);
    return carry;
  }

  // Piece c is last - (c + 1) piece + 1 .. last - c piece; the (last - first + 1) % kChains most
  // significant indices, first .. last - kChains piece, are walked after the repairs.
  Carry chain[kChains] = {carry_in};
  for (int32_t j = 0; j < piece; ++j)
    for (int c = 0; c < kChains; ++c) chain[c] = step(last - c * piece - j, chain[c]);

  Carry carry = chain[0];  // piece 0 started from the true carry
  for (int c = 1; c < kChains; ++c) {
    const int32_t bottom = last - c * piece, top = bottom - piece + 1;
    Carry was = 0, now = carry;  // carries into idx: first pass, and true
    for (int32_t idx = bottom; idx >= top && was != now; --idx) {
      was = next(idx, was);
      now = step(idx, now);
    }
    // Once the two agree the rest of the piece is as the first pass left it, carry out included.
    carry = was == now ? chain[c] : now;
  }
  for (int32_t idx = last - kChains * piece; idx >= first; --idx) carry = step(idx, carry);
  return carry;
}
