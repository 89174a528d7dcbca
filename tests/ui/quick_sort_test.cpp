#include "ui/detail/quick_sort.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <random>
#include <vector>

namespace {

int Ascending(int a, int b) {
  return (a > b) - (a < b);
}

TEST(QuickSort, OrdersAnyInputLikeStdSort) {
  std::mt19937 random(7);
  for (std::size_t size : {0u, 1u, 2u, 3u, 7u, 64u, 250u, 1000u}) {
    for (int range : {2, 10, 1000000}) {
      std::vector<int> values(size);
      for (int& v : values) v = static_cast<int>(random() % static_cast<unsigned>(range));
      for (int shape = 0; shape < 3; ++shape) {
        std::vector<int> input = values;
        if (shape == 1) std::sort(input.begin(), input.end());
        if (shape == 2) std::sort(input.rbegin(), input.rend());
        std::vector<int> expected = input;
        std::sort(expected.begin(), expected.end());
        ui::detail::QuickSort(input, Ascending);
        EXPECT_EQ(input, expected) << "size " << size << " range " << range << " shape " << shape;
      }
    }
  }
}

TEST(QuickSort, ReversedComparisonSortsDescending) {
  std::vector<int> values = {3, 9, 1, 9, 4, 0, 7};
  ui::detail::QuickSort(values, [](int a, int b) { return -Ascending(a, b); });
  EXPECT_EQ(values, (std::vector<int>{9, 9, 7, 4, 3, 1, 0}));
}

TEST(QuickSort, StaysInRangeAndKeepsEveryElementWithAnIntransitiveComparison) {
  // Rock-paper-scissors over value % 3: no order exists, the sort must still end with a
  // permutation of its input.
  auto cyclic = [](int a, int b) {
    const int x = a % 3;
    const int y = b % 3;
    if (x == y) return Ascending(a, b);
    return (x + 1) % 3 == y ? -1 : 1;
  };
  std::mt19937 random(11);
  for (int round = 0; round < 50; ++round) {
    std::vector<int> values(250);
    std::iota(values.begin(), values.end(), 0);
    std::shuffle(values.begin(), values.end(), random);
    ui::detail::QuickSort(values, cyclic);
    std::vector<int> sorted = values;
    std::sort(sorted.begin(), sorted.end());
    std::vector<int> all(250);
    std::iota(all.begin(), all.end(), 0);
    ASSERT_EQ(sorted, all);
  }
}

}  // namespace
