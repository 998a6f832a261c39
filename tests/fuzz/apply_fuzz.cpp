// Arbitrary bytes as the choices of the hostile-update generator: an installation with its
// record, an update with its payload and shortcuts, a cancel and a failed call, each run whole
// over the in-memory overlay (see tests/support/safety_properties.h). A broken promise, or a
// refusal the plain steps did not need, aborts with the case described.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "tests/support/hostile_update.h"
#include "tests/support/safety_properties.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    size_t at = 0;
    testing_support::HostileUpdate update = testing_support::drawHostileUpdate([&](uint32_t n) {
        uint32_t value = 0;
        for (uint64_t span = 1; span < n && at < size; span <<= 8) value = (value << 8) | bytes[at++];
        return value % n;
    });
    testing_support::Verdict verdict = testing_support::judgeHostileUpdate(update);
    if (verdict.broken.empty()) return 0;
    std::fprintf(stderr, "%s\n", update.describe().c_str());
    for (const std::string& broken : verdict.broken) std::fprintf(stderr, "  - %s\n", broken.c_str());
    std::abort();
}
