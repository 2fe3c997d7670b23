#include "platform/run_flag.h"

#include <chrono>

namespace tora {

void RunFlag::Set() {
  std::lock_guard<std::mutex> lock(mutex_);
  set_.store(true);
}

void RunFlag::Clear() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    set_.store(false);
  }
  cleared_.notify_all();
}

bool RunFlag::WaitWhileSet(uint32_t ms) {
  std::unique_lock<std::mutex> lock(mutex_);
  cleared_.wait_for(lock, std::chrono::milliseconds(ms), [this] { return !IsSet(); });
  return IsSet();
}

bool RunFlag::BeginStep() {
  active_steps_.fetch_add(1);
  if (IsSet()) return true;
  active_steps_.fetch_sub(1);
  return false;
}

void RunFlag::EndStep() { active_steps_.fetch_sub(1); }

}  // namespace tora
