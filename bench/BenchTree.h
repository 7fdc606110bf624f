#pragma once
// A reproducible junk tree for the benchmarks: nested folders, files matching a mix of masks,
// zero-length files and shortcuts, some of them pointing at missing targets.

#include <string>
#include <vector>

#include "scan/ScanResults.h"

struct BenchTree {
    std::string root;
    int files = 0;
    int folders = 0;
};

// Makes the tree under root unless a complete one is already there (a marker file says so).
BenchTree MakeBenchTree(const std::string& root, int fileCount);

// The twenty masks the scan benchmark looks for.
TextMap BenchMasks();

// The middle value of a set of measurements.
inline double Median(std::vector<double> values);

// Median of the given number of runs of a function, in milliseconds.
template <typename F>
double MedianMs(int runs, F&& f);

#include "BenchTree.inl"
