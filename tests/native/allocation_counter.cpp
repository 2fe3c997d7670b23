// The replaced global operator new and delete of the native tests: plain
// malloc and free, and a note to this thread's counter, if any.
#include "tests/native/allocation_counter.h"

#include <cstdlib>
#include <new>

namespace tora::test {

namespace {

thread_local AllocationCounter* active = nullptr;

void* Allocate(size_t size) {
  if (active != nullptr) active->Note(size);
  void* p = std::malloc(size == 0 ? 1 : size);
  if (p == nullptr) throw std::bad_alloc();
  return p;
}

void* AllocateNoThrow(size_t size) noexcept {
  try {
    return Allocate(size);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

}  // namespace

AllocationCounter::AllocationCounter() : outer_(active) { active = this; }

AllocationCounter::~AllocationCounter() { active = outer_; }

void AllocationCounter::Note(size_t size) {
  ++count_;
  bytes_ += size;
  if (size > largest_) largest_ = size;
}

}  // namespace tora::test

void* operator new(size_t size) { return tora::test::Allocate(size); }
void* operator new[](size_t size) { return tora::test::Allocate(size); }
void* operator new(size_t size, const std::nothrow_t&) noexcept { return tora::test::AllocateNoThrow(size); }
void* operator new[](size_t size, const std::nothrow_t&) noexcept { return tora::test::AllocateNoThrow(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }
void operator delete[](void* p, size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }
