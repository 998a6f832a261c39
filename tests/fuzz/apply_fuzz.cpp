// Arbitrary bytes as Updateinf.dat, applied by the engine to a small fixed installation (the
// worked example's version 1.0, its record made by patchkit) with version 1.1 as the payload.
// The engine runs over the in-memory overlay of the files service, so nothing reaches the
// disk, and every change the overlay is told of must lie in the installation or the data
// folder. A failed run is rolled back, as the run sequence does.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "engine/apply_update.h"
#include "engine/rollback.h"
#include "engine/run_state.h"
#include "platform/posix/posix_system.h"
#include "platform/seam.h"
#include "tests/fakes/recording_ui.h"
#include "tests/fakes/scripted_updater_ui.h"
#include "tests/support/scratch_folder.h"
#include "tools/overlay/files_overlay.h"

namespace {

namespace fs = std::filesystem;

void require(bool holds) {
    if (!holds) std::abort();
}

struct Installation {
    testing_support::ScratchFolder folder;
    std::string install = folder / "install\\";
    std::string data = folder / "data\\";

    Installation() {
        fs::path examples = fs::path(UPDATER_SOURCE_DIR) / "tools" / "patchkit" / "examples";
        fs::copy(examples / "tree-1.0", platform::posix::hostPathOf(install.c_str()), fs::copy_options::recursive);
        fs::copy(examples / "tree-1.1", platform::posix::hostPathOf(data.c_str()), fs::copy_options::recursive);
        fs::copy_file(fs::path(UPDATER_SOURCE_DIR) / "tests" / "tools" / "fixtures" / "Uninstallinf.dat",
                      platform::posix::hostPathOf((install + "Uninstallinf.dat").c_str()));
    }

    // Judged on the host's path, with "." and ".." resolved: a name that only starts with the
    // installation's path may still lead out of it.
    bool inside(const std::string& path) const {
        fs::path where = fs::path(platform::posix::hostPathOf(path.c_str())).lexically_normal();
        for (const std::string& folder : {install, data}) {
            fs::path root = fs::path(platform::posix::hostPathOf(folder.c_str())).lexically_normal();
            auto [mismatch, end] = std::mismatch(root.begin(), root.end(), where.begin(), where.end());
            if (mismatch == root.end() || (mismatch->empty() && std::next(mismatch) == root.end())) return true;
        }
        return false;
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    static const Installation fixture;
    fixture.folder.writeBytes("Updateinf.dat", std::string(reinterpret_cast<const char*>(bytes), size));

    engine::resetRunState();
    engine::RunState& state = engine::runState();
    if (manifest::loadUpdateManifest(fixture.folder / "Updateinf.dat", state.updateManifest) != manifest::LoadResult::Loaded) {
        return 0;
    }
    require(manifest::loadUninstallManifest(fixture.install + "Uninstallinf.dat", state.updateManifest.header.entryCount,
                                            state.uninstallManifest) == manifest::LoadResult::Loaded);

    overlay::FilesOverlay files(platform::files());
    platform::ScopedService<platform::Files> scope(files);
    files.onChange([&](const overlay::Change& change) {
        require(fixture.inside(change.path));
        require(change.kind != overlay::Change::FileMoved || fixture.inside(change.to));
    });
    fakes::ScriptedUpdaterUi ui;
    fakes::RecordingMessageBoxes boxes;
    if (!engine::applyUpdate(ui, ui.showProgressDialog(), fixture.install, fixture.data)) engine::rollbackChanges();
    return 0;
}
