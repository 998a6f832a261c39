#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/progress_dialog.h"
#include "manifest/layouts.h"

namespace bench {

// Takes the dialogs' place: counts what the engine sends them and shows nothing, so that the
// benchmark can tell how many progress messages and pumps the copies cost.
class CountingProgressUi final : public engine::ProgressDialogUi {
public:
    void setStatusText(engine::ProgressDialog, const char*) override { ++statusTexts; }
    void setProgress(engine::ProgressDialog, uint32_t) override { ++progressMessages; }
    bool pumpOneMessage() override {
        ++pumps;
        return false;
    }

    uint64_t statusTexts = 0;
    uint64_t progressMessages = 0;
    uint64_t pumps = 0;
};

// The run's state as start-up leaves it, from an update's entries and the installation's
// record, with the record's room for the update.
void prepareRun(const std::vector<manifest::ManifestEntry>& update, const std::vector<manifest::ManifestEntry>& recorded,
                bool removal = false);

// applyUpdate between two product folders; a run that fails ends the benchmark.
void applyOrFail(CountingProgressUi& ui, const std::string& installFolder, const std::string& dataFolder);

}  // namespace bench
