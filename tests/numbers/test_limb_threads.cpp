// The long limb passes on a team of threads give the limbs of one thread (whose results the exact
// integer tests of test_limb.cpp check), for numbers long enough to be cut into parts: random limbs
// biased to 0 and 9999, and numbers whose carry or borrow runs through every part (all 9999 plus 1,
// 1.0000... minus the last unit), so that the pass joining the parts must walk across their borders.
#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <vector>

#include "core/arith/newton_correction.h"
#include "core/numbers/limb.h"
#include "core/parallel/work_team.h"
#include "tests/support/test_seed.h"

namespace {

using Limbs = std::vector<int16_t>;

struct Operands {
  Limbs a, b;
};

Operands operands(int kind, int32_t limbs, std::mt19937_64& rng) {
  Operands o{Limbs(limbs), Limbs(limbs)};
  for (int32_t i = 1; i < limbs; ++i) {
    const auto limb = [&] {
      return static_cast<int16_t>(rng() % 3 == 0 ? 9999 * (rng() % 2) : rng() % 10000);
    };
    o.a[i] = kind == 0 ? limb() : kind == 1 ? 9999 : 0;
    o.b[i] = kind == 0 ? limb() : 0;
  }
  // kind 1: a = 2.9999...9, b = the last unit: a carry through every limb; kind 2: a = 1.0000...,
  // b = the last unit: a borrow through every limb.
  o.a[0] = kind == 2 ? 1 : 2;
  o.b[0] = kind == 0 ? 1 : 0;
  if (kind != 0) o.b[limbs - 1] = 1;
  return o;
}

TEST(LimbThreads, EveryLongPassGivesTheLimbsOfOneThread) {
  // Each pass writes its result into r from the operands (r starts as a copy of a).
  const struct {
    const char* name;
    std::function<void(Limbs& r, const Operands& o, int32_t limbs, work_team* team)> pass;
  } passes[] = {
      {"add", [](Limbs& r, const Operands& o, int32_t n,
                 work_team* t) { limb_add(o.a.data(), o.b.data(), r.data(), n, t); }},
      {"sub", [](Limbs& r, const Operands& o, int32_t n,
                 work_team* t) { limb_sub(o.a.data(), o.b.data(), r.data(), n, t); }},
      {"mul 12345",
       [](Limbs& r, const Operands&, int32_t n, work_team* t) { limb_mul_small(r.data(), 12345, n, t); }},
      {"mul 100",
       [](Limbs& r, const Operands&, int32_t n, work_team* t) { limb_mul_small(r.data(), 100, n, t); }},
      {"half", [](Limbs& r, const Operands&, int32_t n, work_team* t) { limb_half(r.data(), n, t); }},
      {"quarter", [](Limbs& r, const Operands&, int32_t n, work_team* t) { limb_quarter(r.data(), n, t); }},
      {"half into", [](Limbs& r, const Operands& o, int32_t n,
                       work_team* t) { limb_half_into(o.b.data(), r.data(), n, t); }},
      {"copy",
       [](Limbs& r, const Operands& o, int32_t n, work_team* t) { limb_copy(o.b.data(), r.data(), n, t); }},
      {"set", [](Limbs& r, const Operands&, int32_t n, work_team* t) { limb_set(r.data(), 7, n, t); }},
      {"add at 5", [](Limbs& r, const Operands& o, int32_t n,
                      work_team* t) { limb_add_at(r.data(), 5, o.b.data(), n - 5, 1, t); }},
      {"subtract at 0", [](Limbs& r, const Operands& o, int32_t n,
                           work_team* t) { limb_add_at(r.data(), 0, o.b.data(), n, -1, t); }},
      {"distance from 0.0001",
       [](Limbs& r, const Operands&, int32_t n, work_team* t) {
         r[0] = 0;
         distance_from_ten_thousandth(r.data(), n, t);
       }},
      {"distance", [](Limbs& r, const Operands& o, int32_t n,
                      work_team* t) { limb_distance(o.b.data(), r.data(), n, t); }},
  };
  std::mt19937_64 rng(test_seed());
  work_team* team = start_work_team(3);
  ASSERT_NE(team, nullptr);
  for (int32_t limbs : {(1 << 17) + 3, 1 << 18})
    for (int kind = 0; kind < 3; ++kind) {
      const Operands o = operands(kind, limbs, rng);
      for (const auto& p : passes) {
        SCOPED_TRACE(testing::Message() << p.name << ", " << limbs << " limbs, operands " << kind);
        Limbs one = o.a, many = o.a;
        p.pass(one, o, limbs, nullptr);
        p.pass(many, o, limbs, team);
        ASSERT_EQ(one, many);
      }
    }
  end_work_team(team);
}

}  // namespace
