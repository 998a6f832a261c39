#include "bench/measurement.h"

#include <algorithm>
#include <cstdio>

namespace bench {

std::vector<Timings> measure(const std::vector<Contender>& contenders, int rounds) {
    std::vector<Timings> timings;
    for (const Contender& contender : contenders) timings.push_back({contender.name, {}});
    for (int round = 0; round < rounds; ++round) {
        for (size_t k = 0; k < contenders.size(); ++k) timings[k].runs.push_back(contenders[k].run());
    }
    return timings;
}

Timings sumOf(const std::string& name, const std::vector<const Timings*>& parts) {
    Timings sum{name, std::vector<Seconds>(parts.front()->runs.size(), 0.0)};
    for (const Timings* part : parts) {
        for (size_t round = 0; round < sum.runs.size(); ++round) sum.runs[round] += part->runs[round];
    }
    return sum;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

void report(std::ostream& out, const std::vector<Timings>& timings, const Timings& baseline, uint64_t bytes) {
    for (const Timings& t : timings) {
        std::vector<double> ratios;
        for (size_t round = 0; round < t.runs.size(); ++round) ratios.push_back(t.runs[round] / baseline.runs[round]);
        auto [fastest, slowest] = std::minmax_element(t.runs.begin(), t.runs.end());
        auto [lowest, highest] = std::minmax_element(ratios.begin(), ratios.end());
        char line[256];
        std::snprintf(line, sizeof line, "  %-44s %9.2f ms (%.2f-%.2f)", t.name.c_str(), median(t.runs) * 1e3, *fastest * 1e3,
                      *slowest * 1e3);
        out << line;
        if (bytes != 0) {
            std::snprintf(line, sizeof line, " %8.0f MB/s", static_cast<double>(bytes) / median(t.runs) / 1e6);
            out << line;
        }
        std::snprintf(line, sizeof line, "   x%.3f (%.3f-%.3f)\n", median(ratios), *lowest, *highest);
        out << line;
    }
}

}  // namespace bench
