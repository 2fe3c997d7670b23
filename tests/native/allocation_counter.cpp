// The native tests' global operator new and delete: malloc and free, and a
// note of the largest block this thread asks for while it counts.
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

namespace tora::test {

void StartCountingAllocations() {
  counting = true;
  largest = 0;
}

size_t StopCountingAllocations() {
  counting = false;
  return largest;
}

}  // namespace tora::test

void* operator new(size_t size) { return Allocate(size); }
void* operator new[](size_t size) { return Allocate(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }
void operator delete[](void* p, size_t) noexcept { std::free(p); }
