#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

// Timing the updater against plain programs doing the same work on the same files in the
// same run. Only ratios between contenders of one run say anything: the machine, its page
// cache and its other load change from run to run.
namespace bench {

using Seconds = double;

class Stopwatch {
public:
    Stopwatch() : start_(std::chrono::steady_clock::now()) {}
    Seconds elapsed() const { return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count(); }

private:
    std::chrono::steady_clock::time_point start_;
};

// One way of doing a job. run does it once and returns how long the job itself took; what it
// needs first (files laid out again, a record loaded) stays outside that time.
struct Contender {
    std::string name;
    std::function<Seconds()> run;
};

struct Timings {
    std::string name;
    std::vector<Seconds> runs;  // one per round
};

// Every contender once per round, in turn, for the given number of rounds, so that a slow
// spell of the machine falls on all of them alike.
std::vector<Timings> measure(const std::vector<Contender>& contenders, int rounds);

// A contender made of others: per round, the sum of their times.
Timings sumOf(const std::string& name, const std::vector<const Timings*>& parts);

double median(std::vector<double> values);

// One line per contender: the median time with the fastest and slowest round, the throughput
// when bytes is not 0, and the time as a multiple of the baseline's: the median of the
// per-round ratios, with the lowest and highest of them.
void report(std::ostream& out, const std::vector<Timings>& timings, const Timings& baseline, uint64_t bytes = 0);

}  // namespace bench
