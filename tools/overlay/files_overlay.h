#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/files.h"
#include "tools/overlay/file_content.h"
#include "platform/file_names.h"
#include "platform/windows_name_lookup.h"

namespace overlay {

// One change to the file system, as the overlay made it in memory.
struct Change {
    enum Kind {
        FolderMade,         // createDirectory
        FolderRemoved,      // removeDirectory
        FileCreated,        // createFile made a file that was not there
        FileEmptied,        // createFile with CREATE_ALWAYS on a file that was there
        FileWritten,        // the last handle that wrote to the file was closed; size is its length
        FileMoved,          // moveFileReplace; replaced tells whether a file of the new name went
        FolderMoved,        // moveFileReplace of a folder, with everything in it
        FileDeleted,        // deleteFile
        AttributesChanged,  // setFileAttributes that changed them; before and after
    };
    Kind kind = FolderMade;
    std::string path;  // as the caller wrote it
    std::string to;    // FileMoved, FolderMoved: the new name
    bool replaced = false;
    uint64_t size = 0;
    uint32_t before = 0;
    uint32_t after = 0;
};

// A file or folder as the overlay shows it, below a folder.
struct TreeItem {
    std::string name;  // relative, code page 932, '\' between names; a folder's ends in '\'
    bool folder = false;
    uint64_t size = 0;
    std::string digest;  // SHA-256 in hex; empty for a folder or content no longer known
    uint32_t attributes = 0;
};

// The file service over the real one, with every change kept in memory: files created,
// written, moved and deleted, attributes, folders made and removed. What was not changed is
// read from the real file system as it stands; nothing is ever written to it. Each operation
// follows the same rules as the real backends (the files contract suite runs against it), so
// the updater's own code can run over it and show what it would do.
//
// A folder is moved with everything in it, as MoveFileExA renames one on its volume; what a
// real folder holds is then kept as the overlay's own, under the new name, except a name the
// code page cannot hold. Paths are held to Windows' narrow limits, which Wine does not keep
// for folders: MAX_PATH for every call, and CreateDirectoryA's shorter one. A file's identity
// is its node's, from the first call that reaches it; hard links of the real file system are
// not followed.
// A path whose last name is a device opens as a device does, holding nothing (see
// platform::PathKey::device).
class FilesOverlay final : public platform::Files {
public:
    explicit FilesOverlay(platform::Files& real, Limits limits = {});
    ~FilesOverlay() override;
    FilesOverlay(const FilesOverlay&) = delete;
    FilesOverlay& operator=(const FilesOverlay&) = delete;

    platform::FileHandle createFile(const char* path, uint32_t access, uint32_t share, uint32_t disposition) override;
    bool readFile(platform::FileHandle file, void* buffer, uint32_t count, uint32_t* transferred) override;
    bool writeFile(platform::FileHandle file, const void* buffer, uint32_t count, uint32_t* transferred) override;
    uint32_t getFileSize(platform::FileHandle file, uint32_t* high) override;
    uint32_t setFilePointer(platform::FileHandle file, int32_t distanceLow, int32_t* distanceHigh, uint32_t method) override;
    bool closeHandle(platform::FileHandle file) override;
    bool getFileInformationByHandle(platform::FileHandle file, platform::FileIdentity* identity) override;
    // Nothing waits to reach a disk; like FlushFileBuffers it still wants write access.
    bool flushFileBuffers(platform::FileHandle file) override;
    uint32_t getFileAttributes(const char* path) override;
    bool setFileAttributes(const char* path, uint32_t attributes) override;
    bool moveFileReplace(const char* from, const char* to) override;
    bool deleteFile(const char* path) override;
    bool createDirectory(const char* path) override;
    bool removeDirectory(const char* path) override;
    bool listFolder(const char* folder, std::vector<std::string>& names) override;
    // Windows' rule on every host: packages go to Windows.
    std::string fileKeyOf(const char* path) override;
    uint32_t getLastError() override { return lastError_; }

    // Told of every change as it is made, in order.
    void onChange(std::function<void(const Change&)> observer) { observer_ = std::move(observer); }

    // Everything below a folder as the overlay shows it, sorted by name bytes; false when the
    // path names no folder.
    bool tree(const std::string& folder, std::vector<TreeItem>& items);

    // The whole content of the file at path as the overlay has it, whatever handles are open
    // on it; false when no file is there or its bytes are no longer kept.
    bool contentOf(const std::string& path, std::string& bytes);

    // Bytes held in memory for written content.
    uint64_t keptBytes() const { return store_.keptBytes(); }

private:
    enum class State { Missing, File, Folder };
    struct Node {
        State state = State::Missing;
        // A folder the overlay made: nothing of a real folder of that name shows through.
        bool opaque = false;
        uint32_t attributes = 0;
        std::string name;  // the last path component as the caller wrote it
        std::shared_ptr<FileContent> content;
        uint64_t index = 0;  // a file's identity, which moves with it
    };
    struct Found {
        State state = State::Missing;
        uint32_t attributes = 0;
        Node* node = nullptr;  // null: the real file system shows through
        std::string realPath;  // where it does: the real file's path; empty when there is none
    };
    struct Handle;
    struct Child {
        platform::PathKey key;
        std::string leaf;  // empty: a real name the code page cannot hold
        Node* node;        // null: a real file or folder that the overlay has not touched
        std::string realPath;
    };

    Found find(const platform::PathKey& path);
    std::string realPathOf(const platform::PathKey& path);
    static std::string joined(std::string folder, const std::string& name);
    bool hiddenByOverlay(const std::string& key) const;
    bool parentIsFolder(const platform::PathKey& path);
    Node& nodeFor(const platform::PathKey& path, const Found& found);
    bool moveFolder(const platform::PathKey& source, const Found& moving, const platform::PathKey& target, const char* from, const char* to);
    void keepBelow(const platform::PathKey& from, const Found& found, const platform::PathKey& to);
    void forgetBelow(const std::string& key);
    // Whether a path is longer than the narrow calls take; stores the error where it is.
    bool tooLong(const char* path, size_t longest = platform::kMaxPath - 1);
    bool heldOpen(const std::string& key) const;
    Handle* handleOf(platform::FileHandle file) const;
    uint64_t realSizeOf(const std::string& realPath);
    std::vector<Child> visibleChildren(const platform::PathKey& folder, const Found& found);
    void listInto(const platform::PathKey& folder, const Found& found, const std::string& prefix, std::vector<TreeItem>& items);
    void tell(Change change);
    // Stores why the call fails, as the system does for GetLastError, and returns false.
    bool fail(uint32_t code) {
        lastError_ = code;
        return false;
    }

    platform::Files& real_;
    ContentStore store_;
    std::map<std::string, Node> nodes_;  // by key: only what the overlay changed or opened
    // What the real file system shows through, found by Windows' rule.
    platform::WindowsNameLookup realNames_;
    std::vector<std::unique_ptr<Handle>> handles_;
    uint64_t nextIndex_ = 1;
    std::function<void(const Change&)> observer_;
    uint32_t lastError_ = 0;
};

}  // namespace overlay
