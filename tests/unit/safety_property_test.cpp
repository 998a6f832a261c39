// The README's safety promises as properties, over hostile updates from a seeded generator (see
// tests/support/safety_properties.h for what is judged), and patchkit's check and audit held to
// the same runs (tests/support/patchkit_agreement.h). UPDATER_PROPERTY_CASES and
// UPDATER_PROPERTY_SEED choose how many cases and from which seed; a failure names the seed
// that reproduces it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <iostream>
#include <random>

#include "tests/support/hostile_update.h"
#include "tests/support/patchkit_agreement.h"
#include "tests/support/safety_properties.h"
#include "tests/support/scratch_folder.h"

namespace {

using namespace testing_support;

uint32_t fromEnvironment(const char* name, uint32_t otherwise) {
    const char* value = std::getenv(name);
    return value && *value ? static_cast<uint32_t>(std::strtoul(value, nullptr, 10)) : otherwise;
}

TEST(SafetyProperties, EveryHostileUpdateKeepsThePromisesAndRefusesOnlyWhatTheyForbid) {
    const uint32_t cases = fromEnvironment("UPDATER_PROPERTY_CASES", 2000), first = fromEnvironment("UPDATER_PROPERTY_SEED", 1);
    int compared = 0, succeeded = 0, failures = 0;
    for (uint32_t seed = first; seed < first + cases && failures < 5; ++seed) {
        std::mt19937 random(seed);
        HostileUpdate update = drawHostileUpdate([&](uint32_t n) { return std::uniform_int_distribution<uint32_t>(0, n - 1)(random); });
        Verdict verdict = judgeHostileUpdate(update);
        compared += verdict.heldToThePlainSteps;
        succeeded += verdict.succeeded;
        if (verdict.broken.empty()) continue;
        std::string why;
        for (const std::string& broken : verdict.broken) why += "\n  - " + broken;
        ADD_FAILURE() << "seed " << seed << ": " << update.describe() << why;
        ++failures;
    }
    std::cout << "safety properties: " << cases << " hostile updates, " << succeeded << " succeeded, " << compared
              << " held to the plain steps\n";
}

// A quarter as many cases: each writes a package and an installation to disk.
TEST(SafetyProperties, PatchkitJudgesEveryHostileUpdateAsTheRunDoes) {
    const uint32_t cases = fromEnvironment("UPDATER_PROPERTY_CASES", 2000) / 4, first = fromEnvironment("UPDATER_PROPERTY_SEED", 1);
    int refused = 0, faulted = 0, failures = 0;
    ScratchFolder disk;
    for (uint32_t seed = first; seed < first + cases && failures < 5; ++seed) {
        std::mt19937 random(seed);
        HostileUpdate update = drawHostileUpdate([&](uint32_t n) { return std::uniform_int_distribution<uint32_t>(0, n - 1)(random); });
        Agreement agreement = patchkitAgreement(update, runHostileUpdate(update, app::runUpdater), disk / (std::to_string(seed) + "\\"));
        refused += agreement.refusedForThePackage;
        faulted += agreement.checkFoundFault;
        for (const std::string& broken : agreement.broken) ADD_FAILURE() << "seed " << seed << ": " << update.describe() << "\n  - " << broken;
        failures += !agreement.broken.empty();
    }
    std::cout << "patchkit agreement: " << cases << " hostile updates checked and audited on disk, " << refused
              << " refused or failed for the package alone, " << faulted << " with errors of check held to the run\n";
}

}  // namespace
