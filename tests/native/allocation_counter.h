// Counts the heap allocations the calling thread makes while a counter is
// alive, through a replacement of the global operator new: a test's way of
// telling that an operation allocates nothing of a given size.
#pragma once

#include <cstddef>

namespace tora::test {

class AllocationCounter {
 public:
  AllocationCounter();
  ~AllocationCounter();
  AllocationCounter(const AllocationCounter&) = delete;
  AllocationCounter& operator=(const AllocationCounter&) = delete;

  size_t count() const { return count_; }
  size_t bytes() const { return bytes_; }
  size_t largest() const { return largest_; }

  // Called by the replaced operator new.
  void Note(size_t size);

 private:
  AllocationCounter* outer_;
  size_t count_ = 0;
  size_t bytes_ = 0;
  size_t largest_ = 0;
};

}  // namespace tora::test
