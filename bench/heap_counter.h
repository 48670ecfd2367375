#pragma once

#include <cstddef>

// Heap use of the process, counted by replacing the global operator new and delete, to show
// that a run's memory does not grow with its source.
namespace heap {

// Makes the peak the heap's size now, and returns that size.
std::size_t restartPeak();
std::size_t peak();

}  // namespace heap
