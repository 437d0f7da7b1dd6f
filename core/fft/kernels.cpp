// Fixed-size kernels on one block, each point held in one 16-byte vector (complex_vector.h), both
// parts computed by one instruction; the arithmetic is in kernel_body.h, shared with the kernels that
// take several blocks at once in wider vectors.
#include "core/fft/kernels.h"

#include "core/fft/complex_vector.h"
#include "core/fft/kernel_body.h"

namespace {

template <int Points, class Body>
void on_block(double* a, Body body) {
  complex_vector x[Points], y[Points];
  for (int j = 0; j < Points; ++j) x[j] = load_vector(a, j);
  body(x, y);
  for (int j = 0; j < Points; ++j) store_vector(a, j, y[j]);
}

}  // namespace

void kernel16_plain(double* a) { on_block<16>(a, kernel16_plain_points<complex_vector>); }

void kernel16_shifted(double* a) { on_block<16>(a, kernel16_shifted_points<complex_vector>); }

void kernel8_plain(double* a) { on_block<8>(a, plain8<complex_vector>); }

namespace {

// With u = z0 + z2, u' = z0 - z2, v = z1 + z3, v' = z1 - z3 the transform with e^{+-2 pi i jk/4} is
// (u + v, u' +- i v', u - v, u' -+ i v'): the backward one exchanges points 1 and 3. 16 additions.
template <bool Backward>
void kernel4(double* a) {
  const complex_vector z0 = load_vector(a, 0), z1 = load_vector(a, 1), z2 = load_vector(a, 2),
                       z3 = load_vector(a, 3);
  const complex_vector u = add(z0, z2), u_diff = sub(z0, z2), v = add(z1, z3), v_diff = sub(z1, z3);
  store_vector(a, 0, add(u, v));
  store_vector(a, Backward ? 3 : 1, add_i(u_diff, v_diff));
  store_vector(a, 2, sub(u, v));
  store_vector(a, Backward ? 1 : 3, sub_i(u_diff, v_diff));
}

}  // namespace

void kernel4_forward(double* a) { kernel4<false>(a); }

void kernel4_backward(double* a) { kernel4<true>(a); }

void kernel2(double* a) {
  const complex_vector z0 = load_vector(a, 0), z1 = load_vector(a, 1);
  store_vector(a, 0, add(z0, z1));
  store_vector(a, 1, sub(z0, z1));
}
