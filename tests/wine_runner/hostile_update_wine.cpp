// The hostile updates of the unit suite's safety properties, run whole on the real disk under
// Wine with the Win32 backend and judged by what the disk holds (disk_run.h), many cases in one
// process. The same seed draws the same case as in the unit suite, and then its case twins.
//
//   hostile_update_wine [--cases N] [--seed S] [--seconds T] [--no-twins]
//
// UPDATER_PROPERTY_CASES and UPDATER_PROPERTY_SEED choose as they do for the unit suite; the
// flags win over them. --seconds T runs cases until T seconds have passed, whatever the count.
// A failure names its seed and the case; the exit status is 1 when a case broke a promise.
#include <process.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

#include "tests/support/hostile_update.h"
#include "tests/support/safety_properties.h"
#include "tests/wine_runner/case_twins.h"
#include "tests/wine_runner/disk_run.h"
#include "tests/wine_runner/wine_host.h"

namespace {

using namespace testing_support;

uint32_t fromEnvironment(const char* name, uint32_t otherwise) {
    const char* value = std::getenv(name);
    return value && *value ? static_cast<uint32_t>(std::strtoul(value, nullptr, 10)) : otherwise;
}

struct Options {
    uint32_t cases = fromEnvironment("UPDATER_PROPERTY_CASES", 500);
    uint32_t seed = fromEnvironment("UPDATER_PROPERTY_SEED", 1);
    double seconds = 0;  // 0: as many cases as counted
    bool twins = true;
};

bool parse(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        std::string flag = argv[i];
        bool valued = i + 1 < argc;
        if (flag == "--cases" && valued) {
            options.cases = static_cast<uint32_t>(std::strtoul(argv[++i], nullptr, 10));
        } else if (flag == "--seed" && valued) {
            options.seed = static_cast<uint32_t>(std::strtoul(argv[++i], nullptr, 10));
        } else if (flag == "--seconds" && valued) {
            options.seconds = std::strtod(argv[++i], nullptr);
        } else if (flag == "--no-twins") {
            options.twins = false;
        } else {
            std::fprintf(stderr, "usage: hostile_update_wine [--cases N] [--seed S] [--seconds T] [--no-twins]\n");
            return false;
        }
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!parse(argc, argv, options)) return 2;
    std::string wine = wine_runner::wineVersion();
    const char* build = sizeof(void*) == 8 ? "the 64-bit build (windows64)" : "the 32-bit build (windows)";
    std::printf("hostile updates on the disk: %s, %s\n", build, wine.empty() ? "not under Wine" : ("under Wine " + wine).c_str());
    if (wine.empty()) std::printf("no case twins: only Wine's exact paths can make them\n");
    std::fflush(stdout);

    // A root and a registry key of this process's own, so that runs at the same time in one
    // prefix keep apart; the root is as long as the overlay runner's, so that paths near the
    // limits stay so.
    char root[32];
    std::snprintf(root, sizeof root, "C:\\hostile-run-%06u\\", static_cast<unsigned>(_getpid() % 1000000));
    wine_runner::DiskRun disk(root, "Software\\UpdaterHostileRun-" + std::to_string(_getpid()));

    const auto start = std::chrono::steady_clock::now();
    auto elapsed = [&] { return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(); };
    uint32_t ran = 0, succeeded = 0, withTwins = 0, failures = 0;
    for (uint32_t seed = options.seed; failures < 5; ++seed) {
        if (options.seconds > 0 ? elapsed() >= options.seconds : ran >= options.cases) break;
        std::mt19937 random(seed);
        Choices choose = [&](uint32_t n) { return std::uniform_int_distribution<uint32_t>(0, n - 1)(random); };
        HostileUpdate update = drawHostileUpdate(choose);
        std::vector<wine_runner::CaseTwin> twins;
        if (options.twins && !wine.empty()) twins = wine_runner::drawCaseTwins(update, choose);
        HostileUpdateRun run = disk.run(update, twins);
        std::vector<std::string> broken = safetyViolations(update, run);
        ++ran;
        succeeded += run.succeeded();
        withTwins += !twins.empty();
        if (broken.empty()) continue;
        ++failures;
        std::string why;
        for (const std::string& what : broken) why += "\n  - " + what;
        std::printf("FAILED seed %u: %s\n  case twins on the disk:%s%s\n", seed, update.describe().c_str(),
                    twins.empty() ? " none" : wine_runner::describeCaseTwins(twins).c_str(), why.c_str());
        std::fflush(stdout);
    }
    double seconds = elapsed();
    std::printf("hostile updates on the disk: %u cases from seed %u (%u with case twins), %u succeeded, %u failed, in %.1f s (%.1f cases/s)\n",
                ran, options.seed, withTwins, succeeded, failures, seconds, seconds > 0 ? ran / seconds : 0.0);
    return failures ? 1 : 0;
}
