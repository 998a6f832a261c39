#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "platform/file_names.h"
#include "platform/files.h"
#include "platform/posix/posix_system.h"
#include "platform/windows_file_rules.h"

namespace platform {
namespace {

// One open handle. Windows enforces the sharing of every open handle against every new open
// of the same file; the host does not, so the handles of this process are kept in a table
// and checked the same way.
//
// Each handle's descriptor is its own and only this handle's calls move it, so the file
// pointer is known here without asking the host, as Windows keeps it in the handle. So is the
// size while no other handle may write: Windows lets nobody else change such a file.
struct OpenFile {
    int descriptor;
    dev_t device;
    ino_t inode;
    uint32_t access;
    uint32_t share;
    uint64_t position;
    uint64_t size;
};

// The calling thread's last error, as the system keeps it per thread.
thread_local uint32_t lastError = 0;

// The Win32 code for what the host reported in errno.
uint32_t windowsErrorOf(int error) {
    switch (error) {
    case ENOENT: return kErrorFileNotFound;
    case ENOTDIR: return kErrorPathNotFound;
    case EACCES: case EPERM: case EROFS: case EISDIR: return kErrorAccessDenied;
    case EBADF: return kErrorInvalidHandle;
    case EEXIST: return kErrorAlreadyExists;
    case ENOTEMPTY: return kErrorDirNotEmpty;
    case ENOSPC: case EDQUOT: return 112;  // ERROR_DISK_FULL
    case ENAMETOOLONG: return 206;  // ERROR_FILENAME_EXCED_RANGE
    case EINVAL: return 87;       // ERROR_INVALID_PARAMETER
    default: return 31;           // ERROR_GEN_FAILURE
    }
}

// Each failing call stores its code and returns its failure value through these.
bool failed(uint32_t code) {
    lastError = code;
    return false;
}
bool failedWithErrno() { return failed(windowsErrorOf(errno)); }

std::string currentFolder() {
    std::unique_ptr<char, decltype(&free)> cwd(::getcwd(nullptr, 0), &free);
    return cwd ? cwd.get() : "/";
}

class PosixFiles final : public Files {
public:
    FileHandle createFile(const char* path, uint32_t access, uint32_t share, uint32_t disposition) override {
        std::string hostPath = posix::hostPathOf(path);
        if (hostPath.empty()) {
            failed(kErrorInvalidName);
            return kInvalidFileHandle;
        }

        // An updater opens two files for every file it brings, so each open costs as few
        // calls as the checks allow: a file this open creates needs none of them, and an
        // existing one is checked on what the one open found, never looked up by name again.
        int flags = (access & kGenericRead) && (access & kGenericWrite) ? O_RDWR : (access & kGenericWrite) ? O_WRONLY : O_RDONLY;
        flags |= O_CLOEXEC;
        int descriptor = -1;
        bool created = false;
        if (disposition != kOpenExisting) {
            descriptor = ::open(hostPath.c_str(), flags | O_CREAT | O_EXCL, 0666);
            created = descriptor >= 0;
            if (!created && (errno != EEXIST || disposition == kCreateNew)) {
                errno == EEXIST ? failed(kErrorFileExists) : failedWithErrno();
                return kInvalidFileHandle;
            }
        }
        if (!created) {
            descriptor = ::open(hostPath.c_str(), flags);
            if (descriptor < 0) {
                failedWithErrno();
                return kInvalidFileHandle;
            }
        }

        struct stat opened {};
        uint32_t refusal = ::fstat(descriptor, &opened) != 0 ? windowsErrorOf(errno) : 0;
        if (!created && !refusal) {
            // The read-only attribute is the missing owner-write bit. Windows refuses write
            // access to such a file for every user; the host lets root through.
            if (S_ISDIR(opened.st_mode) || ((access & kGenericWrite) && !(opened.st_mode & S_IWUSR))) refusal = kErrorAccessDenied;
            for (const OpenFile* held : open_) {
                if (held->device == opened.st_dev && held->inode == opened.st_ino && !sharingAllows(held->access, held->share, access, share)) {
                    refusal = kErrorSharingViolation;
                }
            }
            // Emptying comes only after the checks, so that a refused open leaves the file whole.
            if (!refusal && disposition == kCreateAlways && opened.st_size != 0 && ::ftruncate(descriptor, 0) != 0) {
                refusal = windowsErrorOf(errno);
            }
        }
        if (refusal) {
            ::close(descriptor);
            failed(refusal);
            return kInvalidFileHandle;
        }
        uint64_t size = disposition == kCreateAlways ? 0 : static_cast<uint64_t>(opened.st_size);
        auto* file = new OpenFile{descriptor, opened.st_dev, opened.st_ino, access, share, 0, size};
        open_.push_back(file);
        return file;
    }

    bool readFile(FileHandle handle, void* buffer, uint32_t count, uint32_t* transferred) override {
        *transferred = 0;
        OpenFile* file = find(handle);
        if (!file) return failed(kErrorInvalidHandle);
        if (!(file->access & kGenericRead)) return failed(kErrorAccessDenied);
        auto* bytes = static_cast<char*>(buffer);
        while (*transferred < count) {
            ssize_t n = ::read(file->descriptor, bytes + *transferred, count - *transferred);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) return failedWithErrno();
            if (n == 0) break;
            *transferred += static_cast<uint32_t>(n);
            file->position += static_cast<uint64_t>(n);
        }
        return true;
    }

    bool writeFile(FileHandle handle, const void* buffer, uint32_t count, uint32_t* transferred) override {
        *transferred = 0;
        OpenFile* file = find(handle);
        if (!file) return failed(kErrorInvalidHandle);
        if (!(file->access & kGenericWrite)) return failed(kErrorAccessDenied);
        auto* bytes = static_cast<const char*>(buffer);
        while (*transferred < count) {
            ssize_t n = ::write(file->descriptor, bytes + *transferred, count - *transferred);
            if (n < 0 && errno == EINTR) continue;
            // A disk that fills up midway: what was stored counts as a short success, and the
            // next write fails, as the system reports it.
            if (n <= 0) return *transferred > 0 || failedWithErrno();
            *transferred += static_cast<uint32_t>(n);
            file->position += static_cast<uint64_t>(n);
            if (file->position > file->size) file->size = file->position;
        }
        return true;
    }

    uint32_t getFileSize(FileHandle handle, uint32_t* high) override {
        OpenFile* file = find(handle);
        bool known = file != nullptr;
        if (known && (file->share & kFileShareWrite)) {
            // Another handle may have written since: only the host knows.
            struct stat status {};
            known = ::fstat(file->descriptor, &status) == 0;
            if (known) file->size = static_cast<uint64_t>(status.st_size);
        }
        if (!known) {
            file ? failedWithErrno() : failed(kErrorInvalidHandle);
            if (high) *high = 0;
            return 0xFFFFFFFFu;
        }
        if (high) *high = static_cast<uint32_t>(file->size >> 32);
        if (static_cast<uint32_t>(file->size) == kInvalidFileSize) lastError = kErrorSuccess;
        return static_cast<uint32_t>(file->size);
    }

    uint32_t setFilePointer(FileHandle handle, int32_t distanceLow, int32_t* distanceHigh, uint32_t method) override {
        OpenFile* file = find(handle);
        if (!file) {
            failed(kErrorInvalidHandle);
            return 0xFFFFFFFFu;
        }
        int64_t distance = seekDistanceOf(distanceLow, distanceHigh);
        off_t position = static_cast<off_t>(file->position);
        if (method != kFileCurrent || distance != 0) {
            int whence = method == kFileBegin ? SEEK_SET : method == kFileCurrent ? SEEK_CUR : SEEK_END;
            position = ::lseek(file->descriptor, static_cast<off_t>(distance), whence);
            if (position < 0) {
                failedWithErrno();
                return 0xFFFFFFFFu;
            }
            file->position = static_cast<uint64_t>(position);
        }
        return reportedPosition(static_cast<uint64_t>(position), distanceHigh);
    }

    bool closeHandle(FileHandle handle) override {
        for (auto it = open_.begin(); it != open_.end(); ++it) {
            if (*it == handle) {
                ::close((*it)->descriptor);
                delete *it;
                open_.erase(it);
                return true;
            }
        }
        return failed(kErrorInvalidHandle);
    }

    // The device and the inode that the open found; fstat would tell no more.
    bool getFileInformationByHandle(FileHandle handle, FileIdentity* identity) override {
        OpenFile* file = find(handle);
        if (!file) return failed(kErrorInvalidHandle);
        identity->volume = static_cast<uint64_t>(file->device);
        identity->index = static_cast<uint64_t>(file->inode);
        return true;
    }

    bool flushFileBuffers(FileHandle handle) override {
        // fsync would take a read-only descriptor too; Windows wants write access.
        OpenFile* file = find(handle);
        if (!file) return failed(kErrorInvalidHandle);
        if (!(file->access & kGenericWrite)) return failed(kErrorAccessDenied);
        return ::fsync(file->descriptor) == 0 || failedWithErrno();
    }

    uint32_t getFileAttributes(const char* path) override {
        struct stat status {};
        std::string hostPath = posix::hostPathOf(path);
        if (hostPath.empty()) {
            failed(kErrorInvalidName);
            return kInvalidFileAttributes;
        }
        if (::stat(hostPath.c_str(), &status) != 0) {
            failedWithErrno();
            return kInvalidFileAttributes;
        }
        uint32_t attributes = 0;
        if (S_ISDIR(status.st_mode)) attributes |= kFileAttributeDirectory;
        if (!(status.st_mode & S_IWUSR)) attributes |= kFileAttributeReadOnly;
        return attributes ? attributes : kFileAttributeNormal;
    }

    bool setFileAttributes(const char* path, uint32_t attributes) override {
        struct stat status {};
        std::string hostPath = posix::hostPathOf(path);
        if (hostPath.empty()) return failed(kErrorInvalidName);
        if (::stat(hostPath.c_str(), &status) != 0) return failedWithErrno();
        mode_t mode = status.st_mode & 07777;
        mode_t wanted = (attributes & kFileAttributeReadOnly) ? mode & ~(S_IWUSR | S_IWGRP | S_IWOTH) : mode | S_IWUSR;
        return wanted == mode || ::chmod(hostPath.c_str(), wanted) == 0 || failedWithErrno();
    }

    bool moveFileReplace(const char* from, const char* to) override {
        std::string hostFrom = posix::hostPathOf(from);
        std::string hostTo = posix::hostPathOf(to);
        if (hostFrom.empty() || hostTo.empty()) return failed(kErrorInvalidName);
        // The system answers a held file with a sharing violation, and a held name to replace
        // with access denied.
        if (heldOpen(hostFrom)) return failed(kErrorSharingViolation);
        if (heldOpen(hostTo)) return failed(kErrorAccessDenied);
        // Most moves go to a free name (a first backup): one call that refuses to replace does
        // those. Only a name that is taken needs Windows's refusals checked: rename(2) would
        // replace a folder or a read-only file. A missing file settles the move; any other
        // refusal goes on to the checks, since a file system or kernel without the flag says
        // EINVAL or ENOSYS, and a sandbox that filters the call may say EPERM.
        if (::renameat2(AT_FDCWD, hostFrom.c_str(), AT_FDCWD, hostTo.c_str(), RENAME_NOREPLACE) == 0) return true;
        if (errno == ENOENT || errno == ENOTDIR) return failedWithErrno();
        struct stat existing {};
        if (::stat(hostTo.c_str(), &existing) == 0 && (S_ISDIR(existing.st_mode) || !(existing.st_mode & S_IWUSR))) {
            return failed(kErrorAccessDenied);
        }
        return ::rename(hostFrom.c_str(), hostTo.c_str()) == 0 || failedWithErrno();
    }

    bool deleteFile(const char* path) override {
        struct stat status {};
        std::string hostPath = posix::hostPathOf(path);
        if (hostPath.empty()) return failed(kErrorInvalidName);
        if (::lstat(hostPath.c_str(), &status) != 0) return failedWithErrno();
        // Windows refuses a read-only file for every user; the host would let anyone with a
        // writable folder unlink it.
        if (S_ISDIR(status.st_mode) || !(status.st_mode & S_IWUSR)) return failed(kErrorAccessDenied);
        if (heldOpen(hostPath)) return failed(kErrorSharingViolation);
        return ::unlink(hostPath.c_str()) == 0 || failedWithErrno();
    }

    bool createDirectory(const char* path) override {
        std::string hostPath = posix::hostPathOf(path);
        if (hostPath.empty()) return failed(kErrorInvalidName);
        return ::mkdir(hostPath.c_str(), 0777) == 0 || failedWithErrno();
    }

    bool removeDirectory(const char* path) override {
        std::string hostPath = posix::hostPathOf(path);
        if (hostPath.empty()) return failed(kErrorInvalidName);
        return ::rmdir(hostPath.c_str()) == 0 || failedWithErrno();
    }
    bool listFolder(const char* folder, std::vector<std::string>& names) override { return listRealFolder(folder, names); }

    // The host resolves "." and ".." through the file system; here they are resolved by their
    // text, which differs only across symbolic links, and an installation holds none.
    std::string fileKeyOf(const char* path) override {
        std::string host = posix::hostPathOf(path);
        if (host.empty()) return {};
        if (host[0] != '/') host = currentFolder() + "/" + host;
        std::vector<std::string> components;
        for (size_t start = 0; start <= host.size();) {
            size_t end = host.find('/', start);
            if (end == std::string::npos) end = host.size();
            std::string component = host.substr(start, end - start);
            if (component == "..") {
                if (!components.empty()) components.pop_back();
            } else if (!component.empty() && component != ".") {
                components.push_back(component);
            }
            start = end + 1;
        }
        std::string key;
        for (const std::string& component : components) key += "/" + component;
        return key.empty() ? "/" : key;
    }
    uint32_t getLastError() override { return lastError; }

private:
    // Whether a handle of this process holds the file. No handle shares deletion, so a held
    // file can be neither renamed nor deleted, as on Windows. With no handle open, nothing is
    // looked up.
    bool heldOpen(const std::string& hostPath) {
        if (open_.empty()) return false;
        struct stat status {};
        if (::stat(hostPath.c_str(), &status) != 0) return false;
        for (const OpenFile* held : open_) {
            if (held->device == status.st_dev && held->inode == status.st_ino) return true;
        }
        return false;
    }

    OpenFile* find(FileHandle handle) {
        for (OpenFile* file : open_) {
            if (file == handle) return file;
        }
        return nullptr;
    }

    std::vector<OpenFile*> open_;
};

}  // namespace

Files& systemFiles() {
    static PosixFiles instance;
    return instance;
}

}  // namespace platform
