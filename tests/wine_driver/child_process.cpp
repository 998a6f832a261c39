#include "tests/wine_driver/child_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <fstream>
#include <sstream>
#include <thread>

extern char** environ;

namespace wine_driver {
namespace {

int exitCodeOf(int status) {
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
    return -1;
}

}  // namespace

ChildProcess::ChildProcess(const std::vector<std::string>& argv, const std::string& outPath, const std::string& errPath,
                           const std::vector<std::string>& extraEnvironment) {
    // Everything the child needs is prepared before fork: after it, only async-signal-safe
    // calls are allowed.
    auto nameOf = [](const std::string& entry) { return entry.substr(0, entry.find('=') + 1); };
    std::vector<std::string> environment = extraEnvironment;
    for (char** variable = environ; *variable; ++variable) {
        std::string entry = *variable;
        bool overridden = false;
        for (const std::string& extra : extraEnvironment) overridden = overridden || nameOf(extra) == nameOf(entry);
        if (!overridden) environment.push_back(entry);
    }
    std::vector<char*> envp;
    for (std::string& entry : environment) envp.push_back(entry.data());
    envp.push_back(nullptr);
    std::vector<std::string> arguments = argv;
    std::vector<char*> args;
    for (std::string& argument : arguments) args.push_back(argument.data());
    args.push_back(nullptr);

    int in = open("/dev/null", O_RDONLY | O_CLOEXEC);
    int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (in >= 0 && out >= 0 && err >= 0) {
        pid_ = fork();
        if (pid_ == 0) {
            setpgid(0, 0);
            dup2(in, 0);
            dup2(out, 1);
            dup2(err, 2);
            // Nothing else of ours may reach the child: a pipe of the test runner held open by
            // a Wine background process would keep the runner waiting.
            for (int fd = 3; fd < 1024; ++fd) close(fd);
            execvpe(args[0], args.data(), envp.data());
            _exit(127);
        }
        if (pid_ > 0) setpgid(pid_, pid_);
    }
    if (in >= 0) close(in);
    if (out >= 0) close(out);
    if (err >= 0) close(err);
}

ChildProcess::~ChildProcess() {
    if (started() && !status_) {
        kill();
        waitForExit(std::chrono::seconds(5));
    }
}

std::optional<int> ChildProcess::waitForExit(std::chrono::milliseconds timeout) {
    if (status_ || !started()) return status_;
    auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        int status = 0;
        pid_t done = waitpid(pid_, &status, WNOHANG);
        if (done == pid_) {
            status_ = exitCodeOf(status);
            return status_;
        }
        if (done < 0) {
            status_ = -1;
            return status_;
        }
        if (std::chrono::steady_clock::now() >= deadline) return std::nullopt;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

void ChildProcess::kill() {
    if (started() && !status_) ::kill(-pid_, SIGKILL);
}

Completed runToCompletion(const std::vector<std::string>& argv, const std::string& scratchFolder,
                          std::chrono::milliseconds timeout, const std::vector<std::string>& extraEnvironment) {
    static std::atomic<int> serial{0};
    std::string stem = scratchFolder + "/run" + std::to_string(++serial);
    Completed result;
    {
        ChildProcess child(argv, stem + ".out", stem + ".err", extraEnvironment);
        std::optional<int> code = child.waitForExit(timeout);
        if (!code) {
            result.timedOut = true;
            child.kill();
            child.waitForExit(std::chrono::seconds(5));
        } else {
            result.exitCode = *code;
        }
    }
    result.out = readWholeFile(stem + ".out");
    result.err = readWholeFile(stem + ".err");
    unlink((stem + ".out").c_str());
    unlink((stem + ".err").c_str());
    return result;
}

std::string readWholeFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

}  // namespace wine_driver
