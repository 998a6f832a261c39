// patchkit's dry run of a package against one plain read of that package's payload: the
// least a program that looks at every byte can take.
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "bench/bench_folder.h"
#include "bench/benchmarks.h"
#include "bench/measurement.h"
#include "bench/plain_copies.h"
#include "engine/copy_progress.h"
#include "tools/patchkit/commands.h"

namespace bench {
namespace {

// All a description needs: where the installation is registered.
constexpr char kDescription[] = R"({"update": {"registryKey": "Software\\Bench", "registryValue": "Folder"}, "install": {}})";

void patchkitOrFail(const std::vector<std::string>& arguments) {
    std::ostringstream out, err;
    if (patchkit::runPatchkit(arguments, out, err, false) != patchkit::kAllWell) {
        std::fprintf(stderr, "patchkit %s failed:\n%s%s", arguments[0].c_str(), out.str().c_str(), err.str().c_str());
        std::exit(2);
    }
}

}  // namespace

void dryRunBenchmark(const Options& options, std::ostream& out) {
    const uint64_t size = options.shortMode ? (8u << 20) : (1u << 30);
    out << "6. patchkit dry-run of a package with one file of " << (size >> 20) << " MiB, against one read of its payload\n";
    BenchFolder folder(options.parent);
    makeFolder(folder.host("release"));
    makeFolder(folder.host("install"));
    writeFile(folder.host("release/Large.bin"), size);
    writeBytes(folder.host("description.json"), kDescription, sizeof kDescription - 1);
    patchkitOrFail({"init-install", folder.host("description.json"), folder.host("install")});
    patchkitOrFail({"make", folder.host("description.json"), folder.host("release"), folder.host("package")});
    const std::string payload = folder.host("package/data/Large.bin");

    std::vector<Contender> contenders = {
        {"read loop, 100000-byte chunks",
         [&] {
             Stopwatch watch;
             readInChunks(payload, engine::kChunkSize);
             return watch.elapsed();
         }},
        {"patchkit dry-run",
         [&] {
             Stopwatch watch;
             patchkitOrFail({"dry-run", folder.host("package"), folder.host("install")});
             return watch.elapsed();
         }},
    };
    std::vector<Timings> timings = measure(contenders, options.rounds);
    report(out, timings, timings[0], size);
}

}  // namespace bench
