// The threads of one computation, and the one loop that shares a pass among them.
//
// A pass is cut into `units` numbered work units by its caller, from the size of the work alone.
// for_each_unit(team, units, body) calls body(u) once for every u in 0..units-1, on the team's threads
// and on the calling thread, and returns when every call has returned. Which thread takes which unit
// changes from pass to pass; what a unit computes does not, so a pass whose units write disjoint data
// gives the same doubles on any number of threads. A reduction over units that must not depend on the
// order (the largest rounding distance) is a maximum, or is combined in unit order by the caller.
//
// A team belongs to one computation: it starts its threads once and ends them when the computation
// ends; nothing of it lives beyond. Null stands for no team: the caller's thread runs every unit, in
// order. The loop allocates nothing; its units must not throw.
#pragma once
#include <cstdint>
#include <type_traits>

struct work_team;

// A team of `threads` threads counting the caller's (threads - 1 are started here, threads >= 1), or
// null when a thread could not be created or the team not allocated (nothing is left running).
work_team* start_work_team(int32_t threads);
void end_work_team(work_team* team);  // ends and joins the threads; null: nothing

// The number of threads that run a team's passes, the caller's included: 1 for null.
int32_t team_threads(const work_team* team);

// The time the team's passes took from their start to the end of their last unit, summed over the
// team's life: what of a computation ran on its threads (the rest ran on the caller's alone).
double team_seconds_in_passes(const work_team* team);

// The loop behind for_each_unit: body(context, u) for u in 0..units-1.
void run_units(work_team* team, int32_t units, void (*body)(void* context, int32_t unit), void* context);

template <class Body>
void for_each_unit(work_team* team, int32_t units, Body&& body) {
  if (team_threads(team) == 1 || units <= 1) {
    for (int32_t u = 0; u < units; ++u) body(u);
    return;
  }
  typedef std::remove_reference_t<Body> body_type;
  run_units(
      team, units, [](void* context, int32_t unit) { (*static_cast<body_type*>(context))(unit); },
      const_cast<void*>(static_cast<const void*>(&body)));
}

// The units of a range of `count` items cut into `units` units: unit u covers [first(u), first(u + 1)).
// The cut depends on count and units only.
inline int64_t unit_first(int64_t count, int32_t units, int32_t unit) { return count * unit / units; }
