#include "core/parallel/work_team.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>
#include <vector>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define PI_SPIN_PAUSE() _mm_pause()
#else
#define PI_SPIN_PAUSE() ((void)0)
#endif

// A pass follows the last one within microseconds while a product runs, so a thread that ran out of
// units first watches for the next pass (or for the pass's end) for a while before it sleeps on the
// condition: waking a sleeping thread costs tens of microseconds, several of the shorter passes.
namespace {
constexpr int spin_rounds = 20000;  // some 50 to 150 microseconds of pause instructions
}

struct work_team {
  std::mutex lock;
  std::condition_variable wake;      // the workers wait here for a pass or for the end
  std::condition_variable finished;  // the caller waits here for the workers to leave a pass
  // The pass being run: written under the lock before `pass` moves on, read under the lock.
  void (*body)(void*, int32_t) = nullptr;
  void* context = nullptr;
  int32_t units = 0;
  bool ending = false;                 // under the lock
  std::atomic<uint64_t> pass{0};       // moves on (under the lock) when a pass starts
  std::atomic<int32_t> next_unit{0};   // the next unit to take; reset only while no worker is in a pass
  // Workers that took the current pass and have not left it: changed under the lock, read also by the spin.
  std::atomic<int32_t> workers_in_pass{0};
  std::vector<std::thread> threads;
  std::chrono::steady_clock::duration in_passes{};  // the caller's time in run_units, over the team's life
};

namespace {

// Takes units of the current pass until none is left.
void take_units(work_team* team, void (*body)(void*, int32_t), void* context, int32_t units) {
  for (int32_t u = team->next_unit.fetch_add(1, std::memory_order_relaxed); u < units;
       u = team->next_unit.fetch_add(1, std::memory_order_relaxed))
    body(context, u);
}

void work(work_team* team) {
  uint64_t seen = 0;
  for (;;) {
    for (int i = 0; i < spin_rounds && team->pass.load(std::memory_order_acquire) == seen; ++i)
      PI_SPIN_PAUSE();
    void (*body)(void*, int32_t);
    void* context;
    int32_t units;
    {
      std::unique_lock<std::mutex> hold(team->lock);
      team->wake.wait(hold,
                      [&] { return team->ending || team->pass.load(std::memory_order_relaxed) != seen; });
      if (team->ending) return;
      seen = team->pass.load(std::memory_order_relaxed);
      body = team->body, context = team->context, units = team->units;
      team->workers_in_pass.fetch_add(1, std::memory_order_relaxed);
    }
    take_units(team, body, context, units);
    std::lock_guard<std::mutex> hold(team->lock);
    if (team->workers_in_pass.fetch_sub(1, std::memory_order_release) == 1) team->finished.notify_one();
  }
}

}  // namespace

work_team* start_work_team(int32_t threads) {
  work_team* team = new (std::nothrow) work_team;
  if (!team) return nullptr;
  try {
    team->threads.reserve(static_cast<size_t>(threads - 1));
    for (int32_t t = 1; t < threads; ++t) team->threads.emplace_back(work, team);
  } catch (const std::system_error&) {
    end_work_team(team);
    return nullptr;
  } catch (const std::bad_alloc&) {
    end_work_team(team);
    return nullptr;
  }
  return team;
}

void end_work_team(work_team* team) {
  if (!team) return;
  {
    std::lock_guard<std::mutex> hold(team->lock);
    team->ending = true;
  }
  team->wake.notify_all();
  for (std::thread& t : team->threads) t.join();
  delete team;
}

int32_t team_threads(const work_team* team) {
  return team ? static_cast<int32_t>(team->threads.size()) + 1 : 1;
}

void run_units(work_team* team, int32_t units, void (*body)(void*, int32_t), void* context) {
  const auto start = std::chrono::steady_clock::now();
  {
    // A worker that woke late for the last pass may still be in it, finding no unit left; the unit
    // counters are reset only once it has left, so that it cannot take a unit of this pass.
    std::unique_lock<std::mutex> hold(team->lock);
    team->finished.wait(hold, [&] { return team->workers_in_pass == 0; });
    team->body = body, team->context = context, team->units = units;
    team->next_unit.store(0, std::memory_order_relaxed);
    team->pass.fetch_add(1, std::memory_order_release);
  }
  team->wake.notify_all();
  take_units(team, body, context, units);
  // Every unit has been taken, and a worker counts itself in the pass before it takes one: once no
  // worker is in the pass, every unit has returned.
  for (int i = 0; i < spin_rounds && team->workers_in_pass.load(std::memory_order_acquire) != 0; ++i)
    PI_SPIN_PAUSE();
  std::unique_lock<std::mutex> hold(team->lock);
  team->finished.wait(hold, [&] { return team->workers_in_pass == 0; });
  team->in_passes += std::chrono::steady_clock::now() - start;
}

double team_seconds_in_passes(const work_team* team) {
  return team ? std::chrono::duration<double>(team->in_passes).count() : 0.0;
}
