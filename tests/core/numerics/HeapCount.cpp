// Replaces the global operator new and delete of the test program to count
// allocations. Kept in a file of its own so that the replacements are never
// inlined into code that sees the matching standard operators.
#include "HeapCount.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {
std::atomic<long> gAllocations{0};
}  // namespace

void* operator new(std::size_t size) {
  ++gAllocations;
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace vyr::test {

long HeapAllocations() { return gAllocations.load(); }

}  // namespace vyr::test
