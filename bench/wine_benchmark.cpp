// Update.exe under Wine against a plain Windows copy loop of the project, in the same prefix
// on the same file. Each program's copy is timed from outside, the same way for both: from the
// moment the host sees the target file made to the moment it sees it closed after writing.
// Wine's start, the dialogs and the answers to them fall outside that span.
#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "bench/bench_folder.h"
#include "bench/benchmarks.h"
#include "bench/measurement.h"
#include "manifest/manifests.h"
#include "manifest/package_names.h"
#include "manifest/text_fields.h"
#include "tests/wine_driver/case_prefix.h"
#include "tests/wine_driver/child_process.h"
#include "tests/wine_driver/dialog.h"
#include "tests/wine_driver/display.h"
#include "tests/wine_driver/probe_client.h"
#include "tests/wine_driver/windows_build.h"

namespace bench {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::seconds;

// When one file of a folder is made and when it is next closed after writing, as the host
// saw them: a thread takes each event as it comes.
class CopySpan {
public:
    CopySpan(const std::string& hostFolder, std::string name) : name_(std::move(name)) {
        notify_ = ::inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
        ::inotify_add_watch(notify_, hostFolder.c_str(), IN_CREATE | IN_CLOSE_WRITE);
        reader_ = std::thread([this] { read(); });
    }
    ~CopySpan() {
        stop_ = true;
        reader_.join();
        ::close(notify_);
    }
    CopySpan(const CopySpan&) = delete;
    CopySpan& operator=(const CopySpan&) = delete;

    bool closed() const { return closed_; }
    Seconds seconds() const { return std::chrono::duration<double>(closedAt_ - createdAt_).count(); }

private:
    void read() {
        alignas(inotify_event) char buffer[4096];
        while (!stop_ && !closed_) {
            pollfd ready{notify_, POLLIN, 0};
            if (::poll(&ready, 1, 20) <= 0) continue;
            Clock::time_point now = Clock::now();
            ssize_t length = ::read(notify_, buffer, sizeof buffer);
            for (ssize_t offset = 0; offset < length;) {
                auto* event = reinterpret_cast<const inotify_event*>(buffer + offset);
                offset += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
                if (event->len == 0 || name_ != event->name) continue;
                if ((event->mask & IN_CREATE) && !created_) createdAt_ = now, created_ = true;
                if ((event->mask & IN_CLOSE_WRITE) && created_) closedAt_ = now, closed_ = true;
            }
        }
    }

    std::string name_;
    int notify_ = -1;
    std::thread reader_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> closed_{false};
    bool created_ = false;
    Clock::time_point createdAt_, closedAt_;
};

// A Wine prefix of its own with an installation at C:\install\ registered under
// HKEY_CURRENT_USER, an update at C:\update\ that brings one file into it, the plain copy
// loop and a virtual display. Everything goes with the object, also when the benchmark fails.
class WineStage {
public:
    // Empty when everything is in place; otherwise why the benchmark cannot run.
    std::string problem;

    explicit WineStage(uint64_t size) {
        std::string whereLooked;
        std::optional<wine_driver::WindowsBuild> build = wine_driver::findWindowsBuild(whereLooked);
        std::string loop = build ? build->folder + "/bench/chunk_copy.exe" : "";
        if (!build || ::access(loop.c_str(), R_OK) != 0) {
            problem = "no Update.exe, probe.exe, launcher.exe and chunk_copy.exe in " + whereLooked +
                      " (scripts/setup.sh, then build the preset that Wine runs here)";
            return;
        }
        display_ = std::make_unique<wine_driver::Display>();
        if (!display_->problem().empty()) {
            problem = display_->problem();
            return;
        }
        prefix_ = std::make_unique<wine_driver::CasePrefix>("bench", *build, display_->name());
        if (!prefix_->problem().empty()) {
            problem = prefix_->problem();
            return;
        }
        probe_ = std::make_unique<wine_driver::Probe>(*prefix_);
        drive_ = prefix_->driveC() + "/";
        for (const char* sub : {"install", "update/data", "loop", "bench"}) makeFolder(drive_ + sub);
        writeUpdate(size);
        place(build->updater, drive_ + "update/Update.exe");
        place(loop, drive_ + "bench/chunk_copy.exe");
        std::string why;
        bool registered =
            prefix_->handOver({drive_ + "install", drive_ + "update", drive_ + "loop", drive_ + "bench"}, why) &&
            probe_->setCurrentUserString("Software\\UpdaterBench", "InstallFolder", "C:\\install\\");
        if (!registered) problem = "the installation could not be registered in the prefix: " + (why.empty() ? "reg-set failed" : why);
    }

    ~WineStage() { cleanUp(); }
    WineStage(const WineStage&) = delete;
    WineStage& operator=(const WineStage&) = delete;

    // The plain copy from the update's payload into C:\loop\, how long it took.
    Seconds copyInChunks(bool progress) {
        removeTree(drive_ + "loop/Large.bin");
        settle(drive_);
        CopySpan span(drive_ + "loop", "Large.bin");
        std::vector<std::string> arguments = {"C:\\update\\data\\Large.bin", "C:\\loop\\Large.bin"};
        if (progress) arguments.insert(arguments.begin(), "--progress");
        wine_driver::Completed copy = prefix_->run("C:\\bench\\chunk_copy.exe", arguments, seconds(120));
        for (Stopwatch watch; !span.closed() && watch.elapsed() < 5;) ::usleep(1000);
        if (copy.timedOut || copy.exitCode != 0 || !span.closed()) fail("chunk_copy.exe did not copy the file", copy.err);
        return span.seconds();
    }

    // Update.exe on a fresh installation, its dialogs answered: OK on the confirmation, then,
    // once the copy is over, OK on the closing message. No probe runs while the file is copied,
    // so that nothing else in the prefix takes a core.
    Seconds update() {
        removeTree(drive_ + "install/Large.bin");
        manifest::UninstallHeader record{};
        writeBytes(drive_ + "install/" + manifest::kUninstallManifestName, &record, sizeof record);
        std::string why;
        prefix_->handOver({drive_ + "install"}, why);
        settle(drive_);
        CopySpan span(drive_ + "install", "Large.bin");
        std::unique_ptr<wine_driver::WineProgram> updater = prefix_->start("C:\\update\\Update.exe", {});
        if (!probe_->watch(*updater)) fail("Update.exe did not start", updater->errors());
        std::optional<wine_driver::Dialog> confirmation = probe_->waitForDialog(seconds(60));
        if (!confirmation || !probe_->press(*confirmation, wine_driver::kIdOk)) {
            fail("Update.exe showed no confirmation", updater->errors());
        }
        for (Stopwatch watch; !span.closed() && watch.elapsed() < 120;) ::usleep(2000);
        std::optional<wine_driver::Dialog> closing = probe_->waitForMessageBox(seconds(60));
        if (closing) probe_->press(*closing, wine_driver::kIdOk);
        if (updater->waitForExit(seconds(60)) != 0 || !span.closed()) {
            fail("Update.exe did not bring the file", updater->errors());
        }
        return span.seconds();
    }

private:
    // Ends the run with the prefix, its processes and the display gone.
    [[noreturn]] void fail(const std::string& why, const std::string& errors) {
        std::fprintf(stderr, "benchmark 5: %s; its errors:\n%s\n", why.c_str(), errors.c_str());
        cleanUp();
        std::exit(2);
    }

    void cleanUp() {
        probe_.reset();
        prefix_.reset();
        display_.reset();
    }

    void writeUpdate(uint64_t size) const {
        manifest::UpdateHeader header{};
        manifest::storeFieldText(header.title, "Benchmark");
        manifest::storeFieldText(header.updateName, "Benchmark update");
        manifest::storeFieldText(header.productName, "Benchmark product");
        manifest::storeFieldText(header.registryKey, "Software\\UpdaterBench");
        manifest::storeFieldText(header.registryValue, "InstallFolder");
        header.entryCount = 1;
        manifest::ManifestEntry entry{};
        manifest::storeFieldText(entry.name, "Large.bin");
        entry.size = size;
        std::string bytes(reinterpret_cast<const char*>(&header), sizeof header);
        bytes.append(reinterpret_cast<const char*>(&entry), sizeof entry);
        writeBytes(drive_ + "update/" + manifest::kUpdateManifestName, bytes.data(), bytes.size());
        writeFile(drive_ + "update/data/Large.bin", size);
    }

    static void place(const std::string& program, const std::string& hostPath) {
        std::string bytes = wine_driver::readWholeFile(program);
        writeBytes(hostPath, bytes.data(), bytes.size());
    }

    std::unique_ptr<wine_driver::Display> display_;
    std::unique_ptr<wine_driver::CasePrefix> prefix_;
    std::unique_ptr<wine_driver::Probe> probe_;
    std::string drive_;  // C:\ on the host
};

}  // namespace

void wineCopyBenchmark(const Options& options, std::ostream& out) {
    const uint64_t size = options.shortMode ? (4u << 20) : 200000000u;
    out << "5. Under Wine: Update.exe bringing one file of " << size << " bytes, against chunk_copy.exe, ReadFile/WriteFile "
        << "in 100000-byte chunks, in the same prefix; --progress adds the updater's progress dialog, two positions and "
        << "one pump per chunk\n";
    WineStage stage(size);
    if (!stage.problem.empty()) {
        out << "   not run: " << stage.problem << "\n";
        return;
    }
    std::vector<Contender> contenders = {
        {"chunk_copy.exe", [&] { return stage.copyInChunks(false); }},
        {"chunk_copy.exe --progress", [&] { return stage.copyInChunks(true); }},
        {"Update.exe", [&] { return stage.update(); }},
    };
    std::vector<Timings> timings = measure(contenders, options.rounds);
    report(out, timings, timings[0], size);
    out << "   against chunk_copy.exe --progress:\n";
    report(out, {timings[2]}, timings[1], size);
}

}  // namespace bench
