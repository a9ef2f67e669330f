// Count of heap allocations through the global operator new in this test
// program, for tests that must show that a call allocates nothing.
#pragma once

namespace vyr::test {

/// Number of calls of the global operator new since the program started.
long HeapAllocations();

}  // namespace vyr::test
