// chunk_copy [--progress] SOURCE TARGET: what any Windows program must do to copy a file, and
// nothing more: ReadFile and WriteFile of the updater's chunk size, through one buffer, until
// the source ends. With --progress it also does what the updater's copy must do for its
// dialog: the progress dialog up, and per chunk the two positions sent and one message
// pumped, through the updater's own dialog code. The benchmark runs it beside Update.exe in
// the same Wine prefix on the same file.
#include <cstdio>
#include <cstring>
#include <memory>

#include "app/updater_ui.h"
#include "engine/copy_progress.h"
#include "platform/files.h"

namespace {

class Handle {
public:
    explicit Handle(platform::FileHandle handle) : handle_(handle) {}
    ~Handle() {
        if (valid()) platform::files().closeHandle(handle_);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;

    bool valid() const { return handle_ != platform::kInvalidFileHandle; }
    platform::FileHandle get() const { return handle_; }

private:
    platform::FileHandle handle_;
};

// The copy itself; both files are closed when it returns, as the updater closes them before
// its dialog goes.
int copy(const char* sourcePath, const char* targetPath, app::UpdaterUi& ui, engine::ProgressDialog dialog) {
    platform::Files& files = platform::files();
    Handle source(files.createFile(sourcePath, platform::kGenericRead, platform::kFileShareRead, platform::kOpenExisting));
    Handle target(files.createFile(targetPath, platform::kGenericWrite, platform::kFileShareWrite, platform::kCreateAlways));
    if (!source.valid() || !target.valid()) {
        std::fprintf(stderr, "chunk_copy: cannot open %s\n", !source.valid() ? sourcePath : targetPath);
        return 1;
    }
    uint32_t high = 0;
    uint64_t size = files.getFileSize(source.get(), &high);
    size |= static_cast<uint64_t>(high) << 32;
    std::unique_ptr<char[]> buffer(new char[engine::kChunkSize]);
    for (uint64_t copied = 0;;) {
        if (dialog) {
            uint32_t value = engine::progressValue(size, copied);
            ui.setProgress(dialog, value + 1);
            ui.setProgress(dialog, value);
        }
        uint32_t got = 0, put = 0;
        if (!files.readFile(source.get(), buffer.get(), engine::kChunkSize, &got)) return 1;
        if (got > 0 && (!files.writeFile(target.get(), buffer.get(), got, &put) || put != got)) return 1;
        copied += got;
        if (got < engine::kChunkSize) return 0;
        if (dialog) ui.pumpOneMessage();
    }
}

}  // namespace

int main(int argc, char** argv) {
    bool progress = argc == 4 && std::strcmp(argv[1], "--progress") == 0;
    if (argc != 3 && !progress) {
        std::fprintf(stderr, "usage: chunk_copy [--progress] SOURCE TARGET\n");
        return 2;
    }
    app::UpdaterUi& ui = app::updaterUi();
    engine::ProgressDialog dialog = progress ? ui.showProgressDialog() : nullptr;
    if (progress && !dialog) return 1;
    int status = copy(argv[argc - 2], argv[argc - 1], ui, dialog);
    if (dialog) ui.destroyProgressDialog(dialog);
    return status;
}
