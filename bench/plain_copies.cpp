#include "bench/plain_copies.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

extern char** environ;

namespace bench {

void copyInChunks(const std::string& sourceHost, const std::string& targetHost, size_t chunkSize) {
    int source = ::open(sourceHost.c_str(), O_RDONLY | O_CLOEXEC);
    int target = ::open(targetHost.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    std::unique_ptr<char[]> buffer(new char[chunkSize]);
    bool failed = source < 0 || target < 0;
    for (ssize_t n; !failed && (n = ::read(source, buffer.get(), chunkSize)) > 0;) {
        failed = ::write(target, buffer.get(), static_cast<size_t>(n)) != n;
    }
    ::close(source);
    ::close(target);
    if (failed) {
        std::perror(targetHost.c_str());
        std::exit(2);
    }
}

void readInChunks(const std::string& hostPath, size_t chunkSize) {
    int source = ::open(hostPath.c_str(), O_RDONLY | O_CLOEXEC);
    std::unique_ptr<char[]> buffer(new char[chunkSize]);
    ssize_t n = -1;
    if (source >= 0) {
        do n = ::read(source, buffer.get(), chunkSize);
        while (n > 0);
        ::close(source);
    }
    if (n < 0) {
        std::perror(hostPath.c_str());
        std::exit(2);
    }
}

void runOrFail(const std::vector<std::string>& arguments) {
    std::vector<char*> argv;
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    pid_t child = 0;
    int status = 0;
    if (::posix_spawnp(&child, argv[0], nullptr, nullptr, argv.data(), environ) != 0 || ::waitpid(child, &status, 0) != child ||
        !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "%s failed\n", arguments[0].c_str());
        std::exit(2);
    }
}

}  // namespace bench
