#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/seam.h"

namespace fakes {

// Passes every call through to the files service it replaced, records it, and fails the
// calls a test chooses: `failCall("writeFile", 2)` makes the second writeFile fail (0 means
// every one), with access denied as its last error unless the test names another. Every call but closeHandle can be failed: a failed close would leak the real
// handle, and nothing reads its result. While it lives, it is the files service.
class RecordingFiles final : public platform::Files {
public:
    RecordingFiles() : real_(platform::files()), scope_(*this) {}

    void failCall(const std::string& name, int nth = 0, uint32_t error = platform::kErrorAccessDenied) {
        failures_.push_back({name, nth, error});
    }
    // writeFile stores at most this many bytes per call, and reports success, as a disk that
    // fills up midway does.
    void limitWrites(uint32_t bytes) { writeLimit_ = bytes; }
    // moveFileReplace replaces a read-only file too, as Wine's MoveFileExA does.
    void moveOntoReadOnlyAsWine() { wineMoves_ = true; }

    // Told of each call a test chose to fail, as it fails.
    std::function<void(const std::string& name)> whenFailing;

    int count(const std::string& name) const {
        int n = 0;
        for (const Call& call : calls) n += call.name == name;
        return n;
    }

    struct Call {
        std::string name;
        std::string path;
        uint32_t a = 0, b = 0, c = 0;
    };
    std::vector<Call> calls;

    platform::FileHandle createFile(const char* path, uint32_t access, uint32_t share, uint32_t disposition) override {
        if (record("createFile", path, access, share, disposition)) return platform::kInvalidFileHandle;
        platform::FileHandle handle = real_.createFile(path, access, share, disposition);
        if (handle != platform::kInvalidFileHandle) openPaths_[handle] = path;
        return handle;
    }
    bool readFile(platform::FileHandle file, void* buffer, uint32_t count, uint32_t* transferred) override {
        if (record("readFile", "", count)) {
            *transferred = 0;
            return false;
        }
        return real_.readFile(file, buffer, count, transferred);
    }
    bool writeFile(platform::FileHandle file, const void* buffer, uint32_t count, uint32_t* transferred) override {
        if (record("writeFile", "", count)) {
            *transferred = 0;
            return false;
        }
        return real_.writeFile(file, buffer, count < writeLimit_ ? count : writeLimit_, transferred);
    }
    uint32_t getFileSize(platform::FileHandle file, uint32_t* high) override {
        if (record("getFileSize", "")) {
            if (high) *high = 0;
            return platform::kInvalidFileSize;
        }
        return real_.getFileSize(file, high);
    }
    uint32_t setFilePointer(platform::FileHandle file, int32_t low, int32_t* high, uint32_t method) override {
        if (record("setFilePointer", "", static_cast<uint32_t>(low), method)) return 0xFFFFFFFFu;  // INVALID_SET_FILE_POINTER
        return real_.setFilePointer(file, low, high, method);
    }
    bool closeHandle(platform::FileHandle file) override {
        record("closeHandle", openPaths_[file]);
        openPaths_.erase(file);
        return real_.closeHandle(file);
    }
    bool getFileInformationByHandle(platform::FileHandle file, platform::FileIdentity* identity) override {
        if (record("getFileInformationByHandle", openPaths_[file])) return false;
        return real_.getFileInformationByHandle(file, identity);
    }
    bool flushFileBuffers(platform::FileHandle file) override {
        if (record("flushFileBuffers", "")) return false;
        return real_.flushFileBuffers(file);
    }

    uint32_t getFileAttributes(const char* path) override {
        if (record("getFileAttributes", path)) return platform::kInvalidFileAttributes;
        return real_.getFileAttributes(path);
    }
    bool setFileAttributes(const char* path, uint32_t attributes) override {
        if (record("setFileAttributes", path, attributes)) return false;
        return real_.setFileAttributes(path, attributes);
    }
    bool moveFileReplace(const char* from, const char* to) override {
        if (record("moveFileReplace", std::string(from) + " -> " + to)) return false;
        if (wineMoves_ && real_.getFileAttributes(from) != platform::kInvalidFileAttributes) {
            real_.setFileAttributes(to, platform::kFileAttributeNormal);
        }
        return real_.moveFileReplace(from, to);
    }
    bool deleteFile(const char* path) override {
        if (record("deleteFile", path)) return false;
        return real_.deleteFile(path);
    }
    bool createDirectory(const char* path) override {
        if (record("createDirectory", path)) return false;
        return real_.createDirectory(path);
    }
    bool removeDirectory(const char* path) override {
        if (record("removeDirectory", path)) return false;
        return real_.removeDirectory(path);
    }
    bool listFolder(const char* folder, std::vector<std::string>& names) override {
        if (record("listFolder", folder)) return false;
        return real_.listFolder(folder, names);
    }
    std::string fileKeyOf(const char* path) override { return real_.fileKeyOf(path); }
    uint32_t getLastError() override { return chosenError_ ? chosenError_ : real_.getLastError(); }

private:
    struct Failure {
        std::string name;
        int nth;
        uint32_t error;
    };

    // Records the call; true when the test chose to fail it.
    bool record(const std::string& name, const std::string& path, uint32_t a = 0, uint32_t b = 0, uint32_t c = 0) {
        calls.push_back({name, path, a, b, c});
        int seen = count(name);
        chosenError_ = 0;
        for (const Failure& failure : failures_) {
            if (failure.name == name && (failure.nth == 0 || failure.nth == seen)) chosenError_ = failure.error;
        }
        if (chosenError_ != 0 && whenFailing) whenFailing(name);
        return chosenError_ != 0;
    }

    platform::Files& real_;
    platform::ScopedService<platform::Files> scope_;
    std::vector<Failure> failures_;
    std::map<platform::FileHandle, std::string> openPaths_;  // so that a close names its file
    uint32_t writeLimit_ = 0xFFFFFFFFu;
    bool wineMoves_ = false;
    uint32_t chosenError_ = 0;  // the last error of the call a test failed, until the next call
};

}  // namespace fakes
