// The run flag: set while a run plays, cleared by a stop. Workers poll it and
// pauses wait on it, so that a stop wakes a sleeping worker at once. It sits
// under the platform seam because the platform's clock waits on it.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace tora {

class RunFlag {
 public:
  bool IsSet() const { return set_.load(); }
  void Set();
  void Clear();
  // Waits up to ms milliseconds or until the flag is cleared; returns
  // whether the flag is still set.
  bool WaitWhileSet(uint32_t ms);

  // A worker brackets every input step with these, so that a stop can wait
  // until no step is in flight: BeginStep fails once the flag is clear.
  bool BeginStep();
  void EndStep();
  bool StepsIdle() const { return active_steps_.load() == 0; }

 private:
  // Sequentially consistent throughout: a stop stores the flag and then
  // reads the step count, a step stores the count and then reads the flag
  // (store then load on both sides), which only a single total order makes
  // safe; acquire and release alone would let both read the old values.
  std::atomic<bool> set_{false};
  std::atomic<int> active_steps_{0};
  std::mutex mutex_;
  std::condition_variable cleared_;
};

}  // namespace tora
