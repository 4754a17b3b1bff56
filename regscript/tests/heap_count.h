// This program's heap, counted by its own operator new and delete: the bytes the heap set aside
// for the live blocks (padding included), and the most at once. A program that links
// heap_count.cpp counts every allocation it makes.
#pragma once

#include <cstddef>

namespace tendril::heap_count {

[[nodiscard]] std::size_t LiveBytes() noexcept;
[[nodiscard]] std::size_t PeakBytes() noexcept;
// A new peak starts from what is live now.
void ResetPeak() noexcept;

}  // namespace tendril::heap_count
