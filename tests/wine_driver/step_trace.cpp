#include "tests/wine_driver/step_trace.h"

#include <cstdlib>
#include <iostream>

namespace wine_driver {

StepTrace::StepTrace(std::string what) : what_(std::move(what)), start_(std::chrono::steady_clock::now()) {}

StepTrace::~StepTrace() {
    static const bool enabled = std::getenv("UPDATER_E2E_TRACE") != nullptr;
    if (!enabled) return;
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start_);
    std::cout << "[ trace    ] " << ms.count() << " ms  " << what_ << std::endl;
}

}  // namespace wine_driver
