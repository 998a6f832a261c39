#pragma once

#include <chrono>
#include <string>

namespace wine_driver {

// UPDATER_E2E_TRACE=1 prints every Wine-side step with the time it took, when the step ends,
// to see where a slow case or benchmark spends its time.
class StepTrace {
public:
    explicit StepTrace(std::string what);
    ~StepTrace();
    StepTrace(const StepTrace&) = delete;
    StepTrace& operator=(const StepTrace&) = delete;

private:
    std::string what_;
    std::chrono::steady_clock::time_point start_;
};

}  // namespace wine_driver
