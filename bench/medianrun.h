#pragma once

#include <algorithm>
#include <chrono>
#include <functional>
#include <vector>

// Median over repeats of the mean microseconds per call of body, after a
// warm-up of a tenth of the iterations.
inline double medianMicroseconds(const std::function<void()>& body, int iterations, int repeats)
{
    for (int i = 0; i < iterations / 10; ++i)
        body();
    std::vector<double> runs;
    for (int r = 0; r < repeats; ++r) {
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < iterations; ++i)
            body();
        const std::chrono::duration<double, std::micro> spent = std::chrono::steady_clock::now() - start;
        runs.push_back(spent.count() / iterations);
    }
    std::sort(runs.begin(), runs.end());
    return runs[runs.size() / 2];
}
