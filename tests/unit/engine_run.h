#pragma once

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "engine/apply_update.h"
#include "engine/run_state.h"
#include "platform/posix/posix_system.h"
#include "tests/fakes/recording_ui.h"
#include "tests/fakes/scripted_updater_ui.h"
#include "tests/support/manifest_builder.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/fresh_run_state.h"

namespace testing_support {

// One engine run on a scratch installation: the update and the installation's record in the
// run's state, the dialog and the message boxes recorded.
struct EngineRun {
    FreshRunState runState;
    ScratchFolder folder;
    std::string install = folder / "install\\";
    std::string data = folder / "data\\";
    fakes::ScriptedUpdaterUi ui;
    fakes::RecordingMessageBoxes boxes;

    EngineRun(const std::vector<manifest::ManifestEntry>& update, const std::vector<manifest::ManifestEntry>& record,
              bool removal = false) {
        folder.makeFolder("install");
        folder.makeFolder("data");
        engine::RunState& state = engine::runState();
        state.RemovalMode = removal;
        state.updateManifest.header.entryCount = static_cast<uint32_t>(update.size());
        state.updateManifest.entries.reset(new manifest::ManifestEntry[update.size()]);
        std::copy(update.begin(), update.end(), state.updateManifest.entries.get());
        manifest::UninstallHeader header{};
        auto slots = std::make_unique<manifest::ManifestEntry[]>(update.size() + record.size());
        for (const manifest::ManifestEntry& e : record) {
            slots[header.entryCount++] = e;
            if (!manifest::isDirectoryEntry(e)) header.fileCount++, header.totalBytes += e.size;
        }
        state.uninstallManifest.assign(header, std::move(slots), update.size() + record.size());
    }

    bool apply() { return engine::applyUpdate(ui, ui.showProgressDialog(), install, data); }

    // The record's entries as name, size and extra.
    static std::vector<std::tuple<std::string, uint64_t, uint32_t>> recordEntries() {
        const manifest::UninstallManifest& record = engine::runState().uninstallManifest;
        std::vector<std::tuple<std::string, uint64_t, uint32_t>> entries;
        for (uint32_t i = 0; i < record.header.entryCount; ++i) {
            entries.emplace_back(record.entries()[i].name, record.entries()[i].size, record.entries()[i].extra);
        }
        return entries;
    }

    std::string host(const std::string& path) const { return platform::posix::hostPathOf(path.c_str()); }
    // A payload file of any size, cheaply: the gap is sparse.
    void payloadOfSize(const std::string& name, uint64_t size) const {
        folder.writeBytes("data\\" + name, "");
        std::filesystem::resize_file(host(data + name), size);
    }
    // Every file below the installation folder, by its path there, with its content.
    std::map<std::string, std::string> installedFiles() const {
        std::map<std::string, std::string> files;
        for (const auto& item : std::filesystem::recursive_directory_iterator(host(install))) {
            if (!item.is_regular_file()) continue;
            std::ifstream in(item.path(), std::ios::binary);
            files[std::filesystem::relative(item.path(), host(install)).string()] = {std::istreambuf_iterator<char>(in), {}};
        }
        return files;
    }
};

}  // namespace testing_support
