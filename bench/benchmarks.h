#pragma once

#include <ostream>
#include <string>

namespace bench {

struct Options {
    bool shortMode = false;  // small sizes: shows that every benchmark runs, measures nothing
    int rounds = 5;
    std::string parent;      // where the benchmarks' folders go
};

// Each prints its contenders' times and ratios to out.
void largeFileBenchmark(const Options& options, std::ostream& out);
void smallFilesBenchmark(const Options& options, std::ostream& out);
void recordUpkeepBenchmark(const Options& options, std::ostream& out);
void recordFilesBenchmark(const Options& options, std::ostream& out);
void wineCopyBenchmark(const Options& options, std::ostream& out);
void dryRunBenchmark(const Options& options, std::ostream& out);

}  // namespace bench
