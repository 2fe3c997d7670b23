// The native tests' global operator new and delete: malloc and free, and a
// note of the block's size while this thread counts.
#include "tests/native/allocation_counter.h"

#include <cstdlib>
#include <new>

namespace {

thread_local bool counting = false;
thread_local size_t largest = 0;

void* Allocate(size_t size) {
  if (counting && size > largest) largest = size;
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}

}  // namespace

void tora::test::StartCountingAllocations() {
  counting = true;
  largest = 0;
}

size_t tora::test::StopCountingAllocations() {
  counting = false;
  return largest;
}

void* operator new(size_t size) { return Allocate(size); }
void* operator new[](size_t size) { return Allocate(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }
void operator delete[](void* p, size_t) noexcept { std::free(p); }
