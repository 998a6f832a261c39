// Update.exe under Wine against a plain Windows copy loop of the project, in the same prefix
// on the same file. Each program's copy is timed from outside, the same way for both: from the
// moment the host sees the target file made to the moment it sees it closed after writing.
// Wine's start, the dialogs and the answers to them fall outside that span.
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/inotify.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "bench/bench_folder.h"
#include "bench/benchmarks.h"
#include "bench/measurement.h"
#include "manifest/manifests.h"

extern char** environ;

namespace bench {
namespace {

using Clock = std::chrono::steady_clock;

const std::string kSourceDir = UPDATER_BENCH_SOURCE_DIR;
const std::string kWineCase = kSourceDir + "/scripts/wine-case.sh";

std::string readWhole(const std::string& hostPath) {
    std::ifstream in(hostPath, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// A program whose output goes to files: Wine's background processes keep inherited pipes
// open long after the program has ended.
class Child {
public:
    Child(const std::vector<std::string>& arguments, const std::string& outputPath, const std::string& errorPath = "") {
        std::vector<char*> argv;
        for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 1, outputPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (errorPath.empty()) {
            posix_spawn_file_actions_adddup2(&actions, 1, 2);
        } else {
            posix_spawn_file_actions_addopen(&actions, 2, errorPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        }
        if (::posix_spawnp(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
    }
    ~Child() {
        if (pid_ > 0 && !exited_) {
            ::kill(pid_, SIGTERM);
            ::waitpid(pid_, nullptr, 0);
        }
    }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    // The exit status, or nothing when the program is still running after the timeout.
    std::optional<int> wait(Seconds timeout) {
        if (pid_ <= 0) return -1;
        for (Stopwatch watch; !exited_; ::usleep(2000)) {
            int status = 0;
            if (::waitpid(pid_, &status, WNOHANG) == pid_) {
                exited_ = true;
                status_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            } else if (watch.elapsed() > timeout) {
                return std::nullopt;
            }
        }
        return status_;
    }
    pid_t pid() const { return pid_; }

private:
    pid_t pid_ = -1;
    bool exited_ = false;
    int status_ = -1;
};

// Runs a command to its end; its output, or nothing when it failed.
std::optional<std::string> run(const std::vector<std::string>& arguments, const std::string& outputPath, Seconds timeout = 120) {
    Child child(arguments, outputPath);
    std::optional<int> status = child.wait(timeout);
    if (status != 0) return std::nullopt;
    return readWhole(outputPath);
}

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

std::string hexOf(const std::string& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (unsigned char c : bytes) out += {digits[c >> 4], digits[c & 15]};
    return out;
}

template <size_t Width>
void setText(char (&field)[Width], const char* text) {
    std::snprintf(field, Width, "%s", text);
}

// A Wine prefix of its own with an installation at C:\install\ registered under
// HKEY_CURRENT_USER, an update at C:\update\ that brings one file into it, the helper programs
// and a virtual display. Everything goes with the object, also when the benchmark fails.
class WineStage {
public:
    // Empty when everything is in place; otherwise why the benchmark cannot run.
    std::string problem;

    WineStage(const BenchFolder& scratch, uint64_t size) {
        std::optional<std::string> which = run({"bash", kWineCase, "windows-build"}, scratch.host("build.txt"));
        if (!which) {
            problem = "Wine is not set up (scripts/setup.sh)";
            return;
        }
        std::string build = kSourceDir + "/build/" + which->substr(0, which->find('\n'));
        const std::vector<std::string> programs = {build + "/app/Update.exe", build + "/tests/e2e/probe/probe.exe",
                                                   build + "/bench/chunk_copy.exe"};
        for (const std::string& program : programs) {
            if (::access(program.c_str(), R_OK) != 0) {
                problem = "no " + program + " (build the " + build.substr(build.rfind('/') + 1) + " preset)";
                return;
            }
        }
        std::optional<std::string> made = run({"bash", kWineCase, "new", "bench"}, scratch.host("new.txt"));
        if (!made) {
            problem = "no Wine prefix could be made";
            return;
        }
        folder_ = made->substr(0, made->find('\n'));
        drive_ = folder_ + "/prefix/drive_c/";
        for (const char* sub : {"install", "update/data", "loop"}) makeFolder(drive_ + sub);
        writeUpdate(size);
        place(programs[0], drive_ + "update/Update.exe");
        place(programs[1], folder_ + "/probe.exe");
        place(programs[2], folder_ + "/chunk_copy.exe");

        // -displayfd: the server takes a free display and says which.
        display_ = std::make_unique<Child>(std::vector<std::string>{"Xvfb", "-displayfd", "1", "-nolisten", "tcp", "-screen", "0",
                                                                    "1024x768x24"},
                                           folder_ + "/display.txt", folder_ + "/display.log");
        std::string number;
        for (Stopwatch watch; number.find('\n') == std::string::npos && watch.elapsed() < 20; ::usleep(10000)) {
            number = readWhole(folder_ + "/display.txt");
        }
        ::setenv("DISPLAY", (":" + number.substr(0, number.find('\n'))).c_str(), 1);
        // The prefix's server stays up from the first program to the last, so that no round
        // pays for starting it.
        bool registered = run({"bash", kWineCase, "own", folder_}, folder_ + "/own.log") &&
                          run({"bash", kWineCase, "start-server", folder_ + "/prefix"}, folder_ + "/server.log") &&
                          wine({folder_ + "/probe.exe", "reg-set", hexOf("Software\\UpdaterBench"), hexOf("InstallFolder"),
                                hexOf("C:\\install\\")});
        if (!registered) problem = "the installation could not be registered in the prefix";
    }

    ~WineStage() { cleanUp(); }
    WineStage(const WineStage&) = delete;
    WineStage& operator=(const WineStage&) = delete;

    // C:\ on the host.
    const std::string& drive() const { return drive_; }

    // The plain copy from the update's payload into C:\loop\, how long it took.
    Seconds copyInChunks(bool progress) {
        removeTree(drive_ + "loop/Large.bin");
        settle(drive_);
        CopySpan span(drive_ + "loop", "Large.bin");
        std::vector<std::string> program = {folder_ + "/chunk_copy.exe", "C:\\update\\data\\Large.bin", "C:\\loop\\Large.bin"};
        if (progress) program.insert(program.begin() + 1, "--progress");
        bool copied = wine(program);
        for (Stopwatch watch; !span.closed() && watch.elapsed() < 5;) ::usleep(1000);
        if (!copied || !span.closed()) fail("chunk_copy.exe did not copy the file");
        return span.seconds();
    }

    // Update.exe on a fresh installation, its dialogs answered: OK on the confirmation, then,
    // once the copy is over, OK on the closing message (the progress dialog ignores OK). No
    // probe runs while the file is copied, so that nothing else in the prefix takes a core.
    Seconds update() {
        removeTree(drive_ + "install/Large.bin");
        manifest::UninstallHeader record{};
        writeBytes(drive_ + "install/Uninstallinf.dat", &record, sizeof record);
        run({"bash", kWineCase, "own", drive_ + "install"}, folder_ + "/own.log");
        settle(drive_);
        CopySpan span(drive_ + "install", "Large.bin");
        Child updater({"bash", kWineCase, "run", folder_ + "/prefix", "C:\\update\\Update.exe"}, folder_ + "/update.log");
        if (!wine({folder_ + "/probe.exe", "find", "60000", "press", "1"})) fail("Update.exe showed no confirmation");
        for (Stopwatch watch; !span.closed() && watch.elapsed() < 120;) ::usleep(2000);
        for (int attempt = 0; attempt < 20; ++attempt) {
            if (updater.wait(0).has_value()) break;
            wine({folder_ + "/probe.exe", "find", "3000", "press", "1"});
        }
        if (updater.wait(0) != 0 || !span.closed()) fail("Update.exe did not bring the file");
        return span.seconds();
    }

private:
    // Ends the run with the prefix, its processes and the display gone.
    [[noreturn]] void fail(const std::string& why) {
        std::fprintf(stderr, "benchmark 5: %s; its logs:\n", why.c_str());
        for (const char* log : {"update.log", "probe.log", "wine.log"}) {
            std::fprintf(stderr, "--- %s\n%s", log, readWhole(folder_ + "/" + log).c_str());
        }
        cleanUp();
        std::exit(2);
    }

    void cleanUp() {
        if (folder_.empty()) return;
        run({"bash", kWineCase, "kill", folder_ + "/prefix"}, folder_ + "/kill.log");
        display_.reset();
        ::unsetenv("DISPLAY");
        run({"bash", kWineCase, "remove", folder_}, "/dev/null");
        folder_.clear();
    }

    void writeUpdate(uint64_t size) const {
        manifest::UpdateHeader header{};
        setText(header.title, "Benchmark");
        setText(header.updateName, "Benchmark update");
        setText(header.productName, "Benchmark product");
        setText(header.registryKey, "Software\\UpdaterBench");
        setText(header.registryValue, "InstallFolder");
        header.entryCount = 1;
        manifest::ManifestEntry entry{};
        setText(entry.name, "Large.bin");
        entry.size = size;
        std::string bytes(reinterpret_cast<const char*>(&header), sizeof header);
        bytes.append(reinterpret_cast<const char*>(&entry), sizeof entry);
        writeBytes(drive_ + "update/Updateinf.dat", bytes.data(), bytes.size());
        writeFile(drive_ + "update/data/Large.bin", size);
    }

    static void place(const std::string& program, const std::string& hostPath) {
        std::string bytes = readWhole(program);
        writeBytes(hostPath, bytes.data(), bytes.size());
    }

    bool wine(const std::vector<std::string>& program) const {
        std::vector<std::string> arguments = {"bash", kWineCase, "run", folder_ + "/prefix"};
        arguments.insert(arguments.end(), program.begin(), program.end());
        return run(arguments, folder_ + "/wine.log").has_value();
    }

    std::string folder_;  // the case folder: prefix/, the helper programs, the logs
    std::string drive_;
    std::unique_ptr<Child> display_;
};

}  // namespace

void wineCopyBenchmark(const Options& options, std::ostream& out) {
    const uint64_t size = options.shortMode ? (4u << 20) : 200000000u;
    out << "5. Under Wine: Update.exe bringing one file of " << size << " bytes, against chunk_copy.exe, ReadFile/WriteFile "
        << "in 100000-byte chunks, in the same prefix; --progress adds the updater's progress dialog, two positions and "
        << "one pump per chunk\n";
    BenchFolder scratch(options.parent);
    WineStage stage(scratch, size);
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
