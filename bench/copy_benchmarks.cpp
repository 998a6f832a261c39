// The updater's copies against plain copies of the same files: one large file, and many small
// ones in many folders.
#include <sys/stat.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "bench/bench_folder.h"
#include "bench/benchmarks.h"
#include "bench/measurement.h"
#include "bench/plain_copies.h"
#include "bench/updater_run.h"
#include "engine/backup_name.h"
#include "engine/copy_progress.h"
#include "manifest/layouts.h"

namespace bench {
namespace {

using manifest::ManifestEntry;

ManifestEntry entryNamed(const std::string& name, uint64_t size) {
    ManifestEntry e{};
    std::snprintf(e.name, sizeof e.name, "%s", name.c_str());
    e.size = size;
    return e;
}

}  // namespace

void largeFileBenchmark(const Options& options, std::ostream& out) {
    const uint64_t size = options.shortMode ? (8u << 20) : (1u << 30);
    out << "1. One file of " << (size >> 20) << " MiB, into an installation that lacks it\n";
    BenchFolder folder(options.parent);
    makeFolder(folder.host("data"));
    makeFolder(folder.host("install"));
    writeFile(folder.host("data/Large.bin"), size);
    const std::string source = folder.host("data/Large.bin");
    const std::vector<ManifestEntry> update = {entryNamed("Large.bin", size)};
    CountingProgressUi ui;

    std::vector<Contender> contenders = {
        {"read/write loop, 100000-byte chunks",
         [&] {
             removeTree(folder.host("loop.bin"));
             settle(folder.host());
             Stopwatch watch;
             copyInChunks(source, folder.host("loop.bin"), engine::kChunkSize);
             return watch.elapsed();
         }},
        {"cp",
         [&] {
             removeTree(folder.host("cp.bin"));
             settle(folder.host());
             Stopwatch watch;
             runOrFail({"cp", source, folder.host("cp.bin")});
             return watch.elapsed();
         }},
        {"applyUpdate",
         [&] {
             removeTree(folder.host("install/Large.bin"));
             settle(folder.host());
             prepareRun(update, {});
             Stopwatch watch;
             applyOrFail(ui, folder.product("install\\"), folder.product("data\\"));
             return watch.elapsed();
         }},
    };
    std::vector<Timings> timings = measure(contenders, options.rounds);
    report(out, timings, timings[0], size);
    out << "   against cp:\n";
    report(out, {timings[2]}, timings[1], size);
    char line[160];
    std::snprintf(line, sizeof line, "   per chunk: %.2f progress messages, %.2f pumps\n",
                  static_cast<double>(ui.progressMessages) / options.rounds / (size / engine::kChunkSize + 1),
                  static_cast<double>(ui.pumps) / options.rounds / (size / engine::kChunkSize + 1));
    out << line;
}

void smallFilesBenchmark(const Options& options, std::ostream& out) {
    const uint32_t folders = options.shortMode ? 10 : 100, files = options.shortMode ? 200 : 20000;
    const uint64_t size = 4096;
    out << "2. " << files << " files of " << size << " bytes in " << folders << " folders\n";
    BenchFolder folder(options.parent);
    std::vector<ManifestEntry> update;
    for (uint32_t f = 0; f < folders; ++f) {
        std::string name = "Folder" + std::to_string(f);
        makeFolder(folder.host("data/" + name));
        update.push_back(entryNamed(name + "\\", 0));
        for (uint32_t k = f; k < files; k += folders) {
            std::string file = name + "/File" + std::to_string(k) + ".dat";
            writeFile(folder.host("data/" + file), size);
            update.push_back(entryNamed(name + "\\File" + std::to_string(k) + ".dat", size));
        }
    }
    const std::string data = folder.host("data");
    CountingProgressUi ui;
    // Each round writes into folders of its own and nothing is deleted until the end: ext4
    // passes over recently freed inodes when it makes a file, so files made right after
    // thousands were deleted cost far more than others, whoever made them.
    int made = 0;
    auto fresh = [&](const std::string& name) { return name + "." + std::to_string(made++); };
    // What the engine does per entry, with nothing else: a folder made, the old file moved
    // to its backup name (which fails when there is none), the new one copied.
    auto bareLoop = [&](const std::string& into) {
        Stopwatch watch;
        for (const ManifestEntry& e : update) {
            std::string name = e.name;
            for (char& c : name) c = c == '\\' ? '/' : c;
            std::string target = folder.host(into + "/" + name);
            if (name.back() == '/') {
                ::mkdir(target.c_str(), 0777);
                continue;
            }
            ::rename(target.c_str(), engine::backupPathOf(target).c_str());
            copyInChunks(folder.host("data/" + name), target, engine::kChunkSize);
        }
        return watch.elapsed();
    };
    auto installation = [&](const std::string& name) {
        runOrFail({"cp", "-r", data, folder.host(name)});
        settle(folder.host());
    };

    std::vector<Contender> contenders = {
        {"cp -r",
         [&] {
             std::string into = fresh("cp");
             settle(folder.host());
             Stopwatch watch;
             runOrFail({"cp", "-r", data, folder.host(into)});
             return watch.elapsed();
         }},
        {"loop: mkdir, rename, open, read, write",
         [&] {
             std::string into = fresh("loop");
             makeFolder(folder.host(into));
             settle(folder.host());
             return bareLoop(into);
         }},
        {"applyUpdate, empty installation",
         [&] {
             std::string into = fresh("install");
             prepareRun(update, {});
             settle(folder.host());
             Stopwatch watch;
             applyOrFail(ui, folder.product(into + "\\"), folder.product("data\\"));
             return watch.elapsed();
         }},
        {"loop over an installation, with backups",
         [&] {
             std::string into = fresh("existing-loop");
             installation(into);
             return bareLoop(into);
         }},
        {"applyUpdate over an installation",
         [&] {
             std::string into = fresh("existing");
             installation(into);
             prepareRun(update, update);
             Stopwatch watch;
             applyOrFail(ui, folder.product(into + "\\"), folder.product("data\\"));
             return watch.elapsed();
         }},
    };
    std::vector<Timings> timings = measure(contenders, options.rounds);
    report(out, timings, timings[0]);
}

}  // namespace bench
