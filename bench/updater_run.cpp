#include "bench/updater_run.h"

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "engine/apply_update.h"
#include "engine/run_state.h"

namespace bench {

void prepareRun(const std::vector<manifest::ManifestEntry>& update, const std::vector<manifest::ManifestEntry>& recorded,
                bool removal) {
    // Each run starts from what a new process starts with.
    engine::RunState& state = engine::runState();
    state = engine::RunState{};
    state.RemovalMode = removal;
    state.updateManifest.header.entryCount = static_cast<uint32_t>(update.size());
    state.updateManifest.entries = std::make_unique<manifest::ManifestEntry[]>(update.size());
    std::copy(update.begin(), update.end(), state.updateManifest.entries.get());

    manifest::UninstallHeader header{};
    auto slots = std::make_unique<manifest::ManifestEntry[]>(update.size() + recorded.size());
    for (const manifest::ManifestEntry& e : recorded) {
        slots[header.entryCount++] = e;
        if (!manifest::isDirectoryEntry(e)) header.fileCount += 1, header.totalBytes += e.size;
    }
    state.uninstallManifest.assign(header, std::move(slots), update.size() + recorded.size());
}

void applyOrFail(CountingProgressUi& ui, const std::string& installFolder, const std::string& dataFolder) {
    if (!engine::applyUpdate(ui, nullptr, installFolder, dataFolder)) {
        std::fprintf(stderr, "applyUpdate failed on the benchmark's installation\n");
        std::exit(2);
    }
}

}  // namespace bench
