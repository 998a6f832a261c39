// The installation's record at scale: its upkeep during an update, and its loading and saving.
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "bench/bench_folder.h"
#include "bench/benchmarks.h"
#include "bench/measurement.h"
#include "engine/record_upkeep.h"
#include "manifest/manifests.h"
#include "manifest/package_names.h"

namespace bench {
namespace {

using manifest::ManifestEntry;
using manifest::UninstallManifest;

constexpr uint32_t kFolders = 100;

ManifestEntry entryNamed(const char* format, uint32_t folder, uint32_t number, uint64_t size) {
    ManifestEntry e{};
    std::snprintf(e.name, sizeof e.name, format, folder, number);
    e.size = size;
    e.extra = number % 7;
    return e;
}

// A record of recordSize entries (a hundred folders, then files spread over them) and an
// update of a quarter as many file entries: every other one names a recorded file in upper
// case, the rest are new.
struct RecordAtScale {
    std::string fileBytes;
    std::vector<ManifestEntry> update;

    explicit RecordAtScale(uint32_t recordSize) {
        manifest::UninstallHeader header{};
        std::vector<ManifestEntry> recorded;
        for (uint32_t k = 0; k < kFolders; ++k) recorded.push_back(entryNamed("Folder%02u\\", k, 0, 0));
        for (uint32_t k = kFolders; k < recordSize; ++k) {
            recorded.push_back(entryNamed("Folder%02u\\Item%07u.dat", k % kFolders, k, 1000 + k % 5000));
            header.fileCount += 1;
            header.totalBytes += recorded.back().size;
        }
        header.entryCount = recordSize;
        fileBytes.assign(reinterpret_cast<const char*>(&header), sizeof header);
        fileBytes.append(reinterpret_cast<const char*>(recorded.data()), recorded.size() * sizeof(ManifestEntry));

        uint32_t updateSize = recordSize / 4;
        uint32_t stride = (recordSize - kFolders) / (updateSize / 2 + 1);
        for (uint32_t k = 0; k < updateSize; ++k) {
            if (k % 2 == 0) {
                ManifestEntry e = recorded[kFolders + (k / 2) * stride];
                for (char* c = e.name; *c; ++c) *c = static_cast<char>(std::toupper(static_cast<unsigned char>(*c)));
                e.size += 3;
                update.push_back(e);
            } else {
                update.push_back(entryNamed("Folder%02u\\New%07u.dat", k % kFolders, k, 2000));
            }
        }
    }
};

// The engine's own upkeep of the record for each file entry of an update, and the closing up
// that saving would otherwise do.
void keepRecord(UninstallManifest& record, const std::vector<ManifestEntry>& update, bool removal) {
    for (const ManifestEntry& e : update) engine::keepRecordInStep(record, e, removal);
    record.entries();
}

void load(const BenchFolder& folder, const RecordAtScale& scale, UninstallManifest& record) {
    uint32_t updateEntries = static_cast<uint32_t>(scale.update.size());
    if (manifest::loadUninstallManifest(folder.product(manifest::kUninstallManifestName), updateEntries, record) != manifest::LoadResult::Loaded) {
        std::fprintf(stderr, "the benchmark's record did not load\n");
        std::exit(2);
    }
}

std::vector<Contender> upkeepContenders(const BenchFolder& folder, const RecordAtScale& scale) {
    auto upkeep = [&](bool removal) {
        return [&folder, &scale, removal] {
            UninstallManifest record;
            load(folder, scale, record);
            Stopwatch watch;
            keepRecord(record, scale.update, removal);
            return watch.elapsed();
        };
    };
    return {
        {"load + save (baseline)",
         [&] {
             Stopwatch watch;
             UninstallManifest record;
             load(folder, scale, record);
             manifest::saveUninstallManifest(folder.product("Saved.dat"), record);
             return watch.elapsed();
         }},
        {"upkeep, update mode", upkeep(false)},
        {"upkeep, removal mode", upkeep(true)},
    };
}

}  // namespace

void recordUpkeepBenchmark(const Options& options, std::ostream& out) {
    uint32_t size = options.shortMode ? 2000 : 200000;
    out << "3. Record upkeep: a record of " << size << " entries, an update of " << size / 4
        << " file entries (half recorded, in upper case; half new), no file copied\n";
    {
        BenchFolder folder(options.parent);
        RecordAtScale scale(size);
        writeBytes(folder.host(manifest::kUninstallManifestName), scale.fileBytes.data(), scale.fileBytes.size());
        std::vector<Timings> timings = measure(upkeepContenders(folder, scale), options.rounds);
        report(out, timings, timings[0]);
    }

    out << "   growth: time per recorded entry, the update a quarter of the record each time\n";
    std::vector<uint32_t> sizes = options.shortMode ? std::vector<uint32_t>{1000, 10000} : std::vector<uint32_t>{10000, 100000, 1000000};
    for (uint32_t recordSize : sizes) {
        BenchFolder folder(options.parent);
        RecordAtScale scale(recordSize);
        writeBytes(folder.host(manifest::kUninstallManifestName), scale.fileBytes.data(), scale.fileBytes.size());
        std::vector<Timings> timings = measure(upkeepContenders(folder, scale), options.rounds);
        char line[160];
        std::snprintf(line, sizeof line, "  %8u entries: load + save %6.1f ns, update mode %6.1f ns, removal mode %6.1f ns per entry\n",
                      recordSize, median(timings[0].runs) / recordSize * 1e9, median(timings[1].runs) / recordSize * 1e9,
                      median(timings[2].runs) / recordSize * 1e9);
        out << line;
    }
}

void recordFilesBenchmark(const Options& options, std::ostream& out) {
    uint32_t size = options.shortMode ? 2000 : 200000;
    out << "4. Loading and saving a record of " << size << " entries, against one read(2) and one write(2) of its bytes\n";
    BenchFolder folder(options.parent);
    RecordAtScale scale(size);
    const std::string& bytes = scale.fileBytes;
    writeBytes(folder.host(manifest::kUninstallManifestName), bytes.data(), bytes.size());

    // One write of the record's bytes; durable: to a temporary file, flushed, then moved into
    // place, as the saving does.
    auto plainWrite = [&](bool durable) {
        std::string path = folder.host(durable ? "Written.tmp" : "Written.dat");
        Stopwatch watch;
        int descriptor = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        bool whole = ::write(descriptor, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size()) &&
                     (!durable || ::fsync(descriptor) == 0);
        ::close(descriptor);
        whole = whole && (!durable || ::rename(path.c_str(), folder.host("Written.dat").c_str()) == 0);
        Seconds elapsed = watch.elapsed();
        if (!whole) std::exit(2);
        return elapsed;
    };
    std::vector<Contender> contenders = {
        {"read(2), one call",
         [&] {
             Stopwatch watch;
             int descriptor = ::open(folder.host(manifest::kUninstallManifestName).c_str(), O_RDONLY | O_CLOEXEC);
             std::unique_ptr<char[]> buffer(new char[bytes.size()]);
             bool whole = ::read(descriptor, buffer.get(), bytes.size()) == static_cast<ssize_t>(bytes.size());
             ::close(descriptor);
             Seconds elapsed = watch.elapsed();
             if (!whole) std::exit(2);
             return elapsed;
         }},
        {"loadUninstallManifest",
         [&] {
             UninstallManifest record;
             Stopwatch watch;
             load(folder, scale, record);
             return watch.elapsed();
         }},
        {"write(2), one call", [&] { return plainWrite(false); }},
        {"write(2), fsync(2), rename(2)", [&] { return plainWrite(true); }},
        {"saveUninstallManifest",
         [&] {
             UninstallManifest record;
             load(folder, scale, record);
             Stopwatch watch;
             manifest::saveUninstallManifest(folder.product("Saved.dat"), record);
             return watch.elapsed();
         }},
    };
    std::vector<Timings> timings = measure(contenders, options.rounds);
    report(out, {timings[0], timings[1]}, timings[0], bytes.size());
    report(out, {timings[2], timings[4]}, timings[2], bytes.size());
    out << "   saving replaces the record whole, flushed to the disk first, so also against what that takes:\n";
    report(out, {timings[3], timings[4]}, timings[3], bytes.size());
    Timings plain = sumOf("read(2) + write(2)", {&timings[0], &timings[2]});
    Timings safe = sumOf("read(2) + write(2), fsync(2), rename(2)", {&timings[0], &timings[3]});
    Timings product = sumOf("load + save", {&timings[1], &timings[4]});
    report(out, {plain, product}, plain, bytes.size());
    report(out, {safe, product}, safe, bytes.size());
}

}  // namespace bench
