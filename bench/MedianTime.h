#pragma once

#include <algorithm>
#include <chrono>
#include <functional>
#include <vector>

// The median wall time of runs calls of work, in milliseconds, after one untimed call that
// warms the page cache, the allocator and the code up.
inline double MedianMs(int runs, const std::function<void()>& work) {
  using Clock = std::chrono::steady_clock;
  work();
  std::vector<double> ms;
  for (int i = 0; i < runs; ++i) {
    const auto t0 = Clock::now();
    work();
    ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
  }
  std::sort(ms.begin(), ms.end());
  return ms[ms.size() / 2];
}
