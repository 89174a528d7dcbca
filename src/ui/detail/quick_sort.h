// Quicksort with the middle element as pivot and Hoare partitioning, as the list sort orders its
// rows. Not stable: rows that compare equal may change their order.
#pragma once

#include <cstddef>
#include <utility>
#include <vector>

namespace ui::detail {

// Orders items so that compare(items[i], items[j]) <= 0 for i < j. compare returns negative,
// zero or positive and must give the same answer for the same pair every time and 0 for an
// element with itself; it need not be transitive (mixed columns are not), the loops stay in range
// regardless.
template <typename T, typename Compare>
void QuickSort(std::vector<T>& items, Compare compare) {
  if (items.size() < 2) return;
  std::ptrdiff_t lo = 0;
  std::ptrdiff_t hi = static_cast<std::ptrdiff_t>(items.size()) - 1;
  // Go on with the smaller part and keep the larger for later, so at most log2(n) ranges wait.
  struct Range {
    std::ptrdiff_t lo, hi;
  };
  std::vector<Range> pending;
  for (;;) {
    while (lo < hi) {
      const T pivot = items[static_cast<std::size_t>(lo + (hi - lo) / 2)];
      std::ptrdiff_t i = lo - 1;
      std::ptrdiff_t j = hi + 1;
      for (;;) {
        do ++i;
        while (compare(items[static_cast<std::size_t>(i)], pivot) < 0);
        do --j;
        while (compare(items[static_cast<std::size_t>(j)], pivot) > 0);
        if (i >= j) break;
        std::swap(items[static_cast<std::size_t>(i)], items[static_cast<std::size_t>(j)]);
      }
      // [lo, j] and [j + 1, hi], both shorter than [lo, hi].
      if (j - lo < hi - j) {
        pending.push_back({j + 1, hi});
        hi = j;
      } else {
        pending.push_back({lo, j});
        lo = j + 1;
      }
    }
    if (pending.empty()) return;
    lo = pending.back().lo;
    hi = pending.back().hi;
    pending.pop_back();
  }
}

}  // namespace ui::detail
