#include "bench/bench_folder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <vector>

#include "platform/posix/posix_system.h"

namespace bench {
namespace {

[[noreturn]] void fail(const std::string& hostPath) {
    std::perror(hostPath.c_str());
    std::exit(2);
}

int createOrFail(const std::string& hostPath) {
    int descriptor = ::open(hostPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (descriptor < 0) fail(hostPath);
    return descriptor;
}

void writeOrFail(int descriptor, const void* bytes, uint64_t size, const std::string& hostPath) {
    const char* next = static_cast<const char*>(bytes);
    while (size > 0) {
        ssize_t n = ::write(descriptor, next, size);
        if (n <= 0) fail(hostPath);
        next += n;
        size -= static_cast<uint64_t>(n);
    }
}

}  // namespace

BenchFolder::BenchFolder(const std::string& parent) {
    std::string pattern = parent + "/updater-bench-XXXXXX";
    if (!::mkdtemp(pattern.data())) fail(pattern);
    host_ = pattern + "/";
}

BenchFolder::~BenchFolder() { removeTree(host_); }

std::string BenchFolder::product(const std::string& name) const { return platform::posix::productPathOf(host_ + name); }

void writeBytes(const std::string& hostPath, const void* bytes, uint64_t size) {
    int descriptor = createOrFail(hostPath);
    writeOrFail(descriptor, bytes, size, hostPath);
    ::close(descriptor);
}

void writeFile(const std::string& hostPath, uint64_t size) {
    // A few MiB of xorshift output, written over and over.
    std::vector<uint64_t> block(std::min<uint64_t>(size / 8 + 1, 1 << 19));
    uint64_t state = 0x9E3779B97F4A7C15u ^ size;
    for (uint64_t& word : block) {
        state ^= state << 13, state ^= state >> 7, state ^= state << 17;
        word = state;
    }
    int descriptor = createOrFail(hostPath);
    for (uint64_t left = size; left > 0;) {
        uint64_t piece = std::min<uint64_t>(left, block.size() * 8);
        writeOrFail(descriptor, block.data(), piece, hostPath);
        left -= piece;
    }
    ::close(descriptor);
}

void makeFolder(const std::string& hostPath) {
    std::error_code error;
    std::filesystem::create_directories(hostPath, error);
    if (error) {
        std::fprintf(stderr, "%s: %s\n", hostPath.c_str(), error.message().c_str());
        std::exit(2);
    }
}

void settle(const std::string& hostPath) {
    int descriptor = ::open(hostPath.c_str(), O_RDONLY | O_CLOEXEC);
    ::syncfs(descriptor);
    ::close(descriptor);
}

void removeTree(const std::string& hostPath) {
    std::error_code ignored;
    std::filesystem::remove_all(hostPath, ignored);
}

}  // namespace bench
