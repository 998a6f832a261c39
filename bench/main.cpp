// The updater's copies and record upkeep against plain programs doing the same work on the
// same files, in one run:
//
//   updater_bench [--short] [--rounds N] [--folder DIR] [BENCHMARK...]
//
// BENCHMARK is a number from the list below; all of them when none is given. --folder is
// where the files go (default: $TMPDIR, else /tmp); --short takes small sizes, to show that
// everything runs, not to measure.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <map>
#include <string>
#include <vector>

#include "bench/benchmarks.h"

namespace {

using Benchmark = void (*)(const bench::Options&, std::ostream&);

const std::map<std::string, Benchmark> kBenchmarks = {
    {"1", bench::largeFileBenchmark},
    {"2", bench::smallFilesBenchmark},
    {"3", bench::recordUpkeepBenchmark},
    {"4", bench::recordFilesBenchmark},
    {"5", bench::wineCopyBenchmark},
    {"6", bench::dryRunBenchmark},
};

int usage() {
    std::cerr << "usage: updater_bench [--short] [--rounds N] [--folder DIR] [BENCHMARK...]\n"
                 "benchmarks:";
    for (const auto& [number, run] : kBenchmarks) std::cerr << " " << number;
    std::cerr << "\n";
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    bench::Options options;
    const char* temporary = std::getenv("TMPDIR");
    options.parent = temporary && *temporary ? temporary : "/tmp";
    std::vector<std::string> chosen;
    for (int k = 1; k < argc; ++k) {
        std::string argument = argv[k];
        if (argument == "--short") {
            options.shortMode = true;
        } else if (argument == "--rounds" && k + 1 < argc) {
            options.rounds = std::atoi(argv[++k]);
            if (options.rounds < 1) return usage();
        } else if (argument == "--folder" && k + 1 < argc) {
            options.parent = argv[++k];
        } else if (kBenchmarks.count(argument)) {
            chosen.push_back(argument);
        } else {
            return usage();
        }
    }
    if (chosen.empty()) {
        for (const auto& [number, run] : kBenchmarks) chosen.push_back(number);
    }
    if (options.shortMode) options.rounds = 1;

    std::cout << "rounds: " << options.rounds << "; every time the median (fastest-slowest); ratios to the baseline "
              << "measured in the same rounds, median (lowest-highest)\n\n";
    for (const std::string& number : chosen) {
        kBenchmarks.at(number)(options, std::cout);
        std::cout << std::endl;
    }
    return 0;
}
