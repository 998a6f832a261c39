#include "tools/overlay/files_overlay.h"

#include <algorithm>
#include <cstring>

#include "platform/file_path.h"
#include "platform/windows_file_rules.h"

namespace overlay {
namespace {

using namespace platform;

// Codes only the overlay's own refusals give.
constexpr uint32_t kErrorReadFault = 30;      // a real file's bytes could not be read
constexpr uint32_t kErrorNegativeSeek = 131;  // ERROR_NEGATIVE_SEEK

std::string leafOf(std::string path) {
    while (endsInSeparator(path)) path.pop_back();
    return fileNameOf(path);
}

// The bits GetFileAttributesA reports: a folder says so, and a file with none says normal.
uint32_t shown(uint32_t attributes, bool folder) {
    uint32_t bits = attributes & ~kFileAttributeNormal;
    if (folder) bits |= kFileAttributeDirectory;
    return bits ? bits : kFileAttributeNormal;
}

Change changeOf(Change::Kind kind, const char* path) {
    Change change;
    change.kind = kind;
    change.path = path;
    return change;
}

}  // namespace

struct FilesOverlay::Handle {
    std::string key;
    std::string path;
    uint32_t access;
    uint32_t share;
    std::shared_ptr<FileContent> content;
    uint64_t index;
    uint64_t position = 0;
    bool wrote = false;
};

FilesOverlay::FilesOverlay(Files& real, Limits limits) : real_(real), store_(real, limits), realNames_(real) {}

FilesOverlay::~FilesOverlay() = default;

void FilesOverlay::tell(Change change) {
    if (observer_) observer_(change);
}

bool FilesOverlay::hiddenByOverlay(const std::string& key) const {
    for (std::string parent = parentKeyOf(key); !parent.empty(); parent = parentKeyOf(parent)) {
        auto it = nodes_.find(parent);
        if (it != nodes_.end() && (it->second.state != State::Folder || it->second.opaque)) return true;
    }
    return false;
}

FilesOverlay::Found FilesOverlay::find(const PathKey& path) {
    Found found;
    auto it = nodes_.find(path.key);
    if (it != nodes_.end()) {
        found.node = &it->second;
        found.state = it->second.state;
        found.attributes = it->second.attributes;
    } else if (!hiddenByOverlay(path.key)) {
        found.realPath = realPathOf(path);
        uint32_t attributes = found.realPath.empty() ? kInvalidFileAttributes : real_.getFileAttributes(found.realPath.c_str());
        if (attributes != kInvalidFileAttributes) {
            found.state = (attributes & kFileAttributeDirectory) ? State::Folder : State::File;
            found.attributes = attributes;
        }
    }
    // "file\" names nothing: a path ending in a separator can only be a folder.
    if (found.state == State::File && path.trailingSeparator) return Found{};
    return found;
}

// Nothing the overlay does changes the real file system, so each real folder is listed once.
std::string FilesOverlay::realPathOf(const PathKey& path) { return realNames_.realPathOf(path); }

std::string FilesOverlay::joined(std::string folder, const std::string& name) {
    ensureTrailingSeparator(folder);
    return folder + name;
}

bool FilesOverlay::parentIsFolder(const PathKey& path) {
    PathKey parent;
    return parentOf(path, parent) && find(parent).state == State::Folder;
}

FilesOverlay::Node& FilesOverlay::nodeFor(const PathKey& path, const Found& found) {
    if (found.node) return *found.node;
    Node& node = nodes_[path.key];
    node.state = found.state;
    node.attributes = found.attributes;
    // A real file keeps the name it has on disk, as Windows keeps it whatever spelling opens it.
    node.name = leafOf(found.realPath.empty() ? path.path : found.realPath);
    if (found.state == State::File) {
        node.content = std::make_shared<FileContent>(store_, found.realPath, realSizeOf(found.realPath));
        node.index = nextIndex_++;
    }
    return node;
}

bool FilesOverlay::tooLong(const char* path, size_t longest) {
    if (std::strlen(path) <= longest) return false;
    fail(kErrorFilenameExcedRange);
    return true;
}

uint64_t FilesOverlay::realSizeOf(const std::string& realPath) {
    FileHandle file = real_.createFile(realPath.c_str(), kGenericRead, kFileShareRead | kFileShareWrite, kOpenExisting);
    if (file == kInvalidFileHandle) return 0;
    uint32_t high = 0;
    uint32_t low = real_.getFileSize(file, &high);
    real_.closeHandle(file);
    return (uint64_t{high} << 32) | low;
}

bool FilesOverlay::heldOpen(const std::string& key) const {
    return std::any_of(handles_.begin(), handles_.end(), [&](const std::unique_ptr<Handle>& h) { return h->key == key; });
}

FilesOverlay::Handle* FilesOverlay::handleOf(FileHandle file) const {
    for (const std::unique_ptr<Handle>& handle : handles_) {
        if (handle.get() == file) return handle.get();
    }
    return nullptr;
}

FileHandle FilesOverlay::createFile(const char* path, uint32_t access, uint32_t share, uint32_t disposition) {
    PathKey key;
    auto refused = [&](uint32_t code) {
        fail(code);
        return kInvalidFileHandle;
    };
    if (tooLong(path)) return kInvalidFileHandle;
    if (!windowsPathKeyOf(path, key) || key.trailingSeparator) return refused(kErrorInvalidName);
    // A last name that is a device ("nul.txt", below whatever folder) opens the device: the
    // open succeeds and what is written goes there, into no file. The write is told at the
    // close, at the caller's path, whose key is the device's.
    if (key.device) {
        handles_.push_back(std::unique_ptr<Handle>(new Handle{key.key, path, access, share, std::make_shared<FileContent>(store_)}));
        return handles_.back().get();
    }
    Found found = find(key);
    if (disposition == kCreateNew && found.state != State::Missing) return refused(kErrorFileExists);
    if (found.state == State::Folder) return refused(kErrorAccessDenied);
    bool exists = found.state == State::File;
    if (!exists && !parentIsFolder(key)) return refused(kErrorPathNotFound);
    if (!exists && disposition == kOpenExisting) return refused(kErrorFileNotFound);
    // The read-only attribute refuses write access to everyone, as Windows does.
    if (exists && (access & kGenericWrite) && (found.attributes & kFileAttributeReadOnly)) return refused(kErrorAccessDenied);
    for (const std::unique_ptr<Handle>& held : handles_) {
        if (held->key == key.key && !sharingAllows(held->access, held->share, access, share)) return refused(kErrorSharingViolation);
    }

    Node& node = nodeFor(key, found);
    if (!exists) {
        node.state = State::File;
        node.opaque = false;
        node.attributes = 0;
        node.name = leafOf(key.path);
        node.content = std::make_shared<FileContent>(store_);
        node.index = nextIndex_++;
        tell(changeOf(Change::FileCreated, path));
    } else if (disposition == kCreateAlways) {
        node.content->truncate();
        tell(changeOf(Change::FileEmptied, path));
    }
    handles_.push_back(std::unique_ptr<Handle>(new Handle{key.key, path, access, share, node.content, node.index}));
    return handles_.back().get();
}

bool FilesOverlay::readFile(FileHandle file, void* buffer, uint32_t count, uint32_t* transferred) {
    *transferred = 0;
    Handle* handle = handleOf(file);
    if (!handle) return fail(kErrorInvalidHandle);
    if (!(handle->access & kGenericRead)) return fail(kErrorAccessDenied);
    uint64_t size = handle->content->size();
    uint32_t available = handle->position >= size ? 0 : static_cast<uint32_t>(std::min<uint64_t>(count, size - handle->position));
    if (available > 0 && !handle->content->read(handle->position, buffer, available)) return fail(kErrorReadFault);
    handle->position += available;
    *transferred = available;
    return true;
}

bool FilesOverlay::writeFile(FileHandle file, const void* buffer, uint32_t count, uint32_t* transferred) {
    *transferred = 0;
    Handle* handle = handleOf(file);
    if (!handle) return fail(kErrorInvalidHandle);
    if (!(handle->access & kGenericWrite)) return fail(kErrorAccessDenied);
    handle->content->write(handle->position, buffer, count);
    handle->position += count;
    handle->wrote = true;
    *transferred = count;
    return true;
}

uint32_t FilesOverlay::getFileSize(FileHandle file, uint32_t* high) {
    Handle* handle = handleOf(file);
    if (!handle) fail(kErrorInvalidHandle);
    uint64_t size = handle ? handle->content->size() : 0;
    if (high) *high = static_cast<uint32_t>(size >> 32);
    if (!handle) return kInvalidFileSize;
    if (static_cast<uint32_t>(size) == kInvalidFileSize) lastError_ = kErrorSuccess;
    return static_cast<uint32_t>(size);
}

uint32_t FilesOverlay::setFilePointer(FileHandle file, int32_t distanceLow, int32_t* distanceHigh, uint32_t method) {
    Handle* handle = handleOf(file);
    if (!handle) {
        fail(kErrorInvalidHandle);
        return 0xFFFFFFFFu;
    }
    int64_t distance = seekDistanceOf(distanceLow, distanceHigh);
    int64_t origin = method == kFileBegin ? 0 : method == kFileCurrent ? static_cast<int64_t>(handle->position)
                                                                       : static_cast<int64_t>(handle->content->size());
    int64_t position = origin + distance;
    if (position < 0) {
        fail(kErrorNegativeSeek);
        return 0xFFFFFFFFu;
    }
    handle->position = static_cast<uint64_t>(position);
    return reportedPosition(handle->position, distanceHigh);
}

bool FilesOverlay::closeHandle(FileHandle file) {
    for (auto it = handles_.begin(); it != handles_.end(); ++it) {
        if (it->get() != file) continue;
        std::unique_ptr<Handle> handle = std::move(*it);
        handles_.erase(it);
        // Reported once no handle writes any more, so that a file written through several
        // handles is told with its final length.
        if (handle->wrote) {
            Change written = changeOf(Change::FileWritten, handle->path.c_str());
            written.size = handle->content->size();
            tell(written);
        }
        return true;
    }
    return fail(kErrorInvalidHandle);
}

bool FilesOverlay::getFileInformationByHandle(FileHandle file, FileIdentity* identity) {
    Handle* handle = handleOf(file);
    if (!handle) return fail(kErrorInvalidHandle);
    identity->volume = 0;
    identity->index = handle->index;
    return true;
}

bool FilesOverlay::flushFileBuffers(FileHandle file) {
    Handle* handle = handleOf(file);
    if (!handle) return fail(kErrorInvalidHandle);
    return (handle->access & kGenericWrite) || fail(kErrorAccessDenied);
}

uint32_t FilesOverlay::getFileAttributes(const char* path) {
    PathKey key;
    if (tooLong(path)) return kInvalidFileAttributes;
    if (!windowsPathKeyOf(path, key)) {
        fail(kErrorInvalidName);
        return kInvalidFileAttributes;
    }
    Found found = find(key);
    if (found.state == State::Missing) {
        fail(kErrorFileNotFound);
        return kInvalidFileAttributes;
    }
    return shown(found.attributes, found.state == State::Folder);
}

bool FilesOverlay::setFileAttributes(const char* path, uint32_t attributes) {
    PathKey key;
    if (tooLong(path)) return false;
    if (!windowsPathKeyOf(path, key)) return fail(kErrorInvalidName);
    Found found = find(key);
    if (found.state == State::Missing) return fail(kErrorFileNotFound);
    bool folder = found.state == State::Folder;
    Node& node = nodeFor(key, found);
    uint32_t before = shown(node.attributes, folder);
    node.attributes = shown(attributes & kSettableFileAttributes, folder);
    if (node.attributes != before) {
        Change change = changeOf(Change::AttributesChanged, path);
        change.before = before;
        change.after = node.attributes;
        tell(change);
    }
    return true;
}

bool FilesOverlay::moveFileReplace(const char* from, const char* to) {
    PathKey source, target;
    if (tooLong(from) || tooLong(to)) return false;
    if (!windowsPathKeyOf(from, source) || !windowsPathKeyOf(to, target) || target.trailingSeparator) return fail(kErrorInvalidName);
    Found moving = find(source);
    if (moving.state == State::Missing) return fail(kErrorFileNotFound);
    if (moving.state == State::Folder) return moveFolder(source, moving, target, from, to);
    if (heldOpen(source.key)) return fail(kErrorSharingViolation);
    Found replaced = find(target);
    // Windows refuses to replace a folder or a read-only file.
    if (replaced.state == State::Folder) return fail(kErrorAccessDenied);
    if (replaced.state == State::File && (replaced.attributes & kFileAttributeReadOnly)) return fail(kErrorAccessDenied);
    // As the system answers: access denied for a held name to replace.
    if (replaced.state == State::File && heldOpen(target.key)) return fail(kErrorAccessDenied);
    if (source.key == target.key) {
        // The same file under another spelling: only the name's letter case changes.
        nodeFor(source, moving).name = leafOf(target.path);
        return true;
    }
    if (replaced.state == State::Missing && !parentIsFolder(target)) return fail(kErrorPathNotFound);

    Node& old = nodeFor(source, moving);
    Node moved = old;
    moved.name = leafOf(target.path);
    old.state = State::Missing;
    old.attributes = 0;
    old.content.reset();
    nodes_[target.key] = moved;
    Change change = changeOf(Change::FileMoved, from);
    change.to = to;
    change.replaced = replaced.state == State::File;
    tell(change);
    return true;
}

// Windows renames a folder in one step, onto a name that nothing has. Nothing below may be
// held open, since no handle of the product shares deletion; nor may a folder go below itself.
bool FilesOverlay::moveFolder(const PathKey& source, const Found& moving, const PathKey& target, const char* from, const char* to) {
    if (source.key == target.key) {
        nodeFor(source, moving).name = leafOf(target.path);
        return true;
    }
    const std::string below = source.key.back() == '/' ? source.key : source.key + "/";
    if (find(target).state != State::Missing || target.key.compare(0, below.size(), below) == 0) return fail(kErrorAccessDenied);
    for (const std::unique_ptr<Handle>& held : handles_) {
        if (held->key.compare(0, below.size(), below) == 0) return fail(kErrorAccessDenied);
    }
    if (!parentIsFolder(target)) return fail(kErrorPathNotFound);

    forgetBelow(target.key);
    keepBelow(source, moving, target);
    forgetBelow(source.key);
    Node& old = nodeFor(source, moving);
    Node moved = old;
    moved.name = leafOf(target.path);
    moved.opaque = true;
    old.state = State::Missing;
    old.opaque = false;
    old.attributes = 0;
    nodes_[target.key] = moved;
    Change change = changeOf(Change::FolderMoved, from);
    change.to = to;
    tell(change);
    return true;
}

// Everything a folder shows, as the overlay's own nodes below another folder's key: what
// shows through from a real folder there would be the real folder of the new name.
void FilesOverlay::keepBelow(const PathKey& from, const Found& found, const PathKey& to) {
    for (const Child& child : visibleChildren(from, found)) {
        if (child.leaf.empty()) continue;
        Found childFound;
        if (child.node) {
            childFound.state = child.node->state;
            childFound.attributes = child.node->attributes;
            childFound.node = child.node;
        } else {
            childFound = find(child.key);
        }
        PathKey moved;
        windowsPathKeyOf(joined(to.path, child.leaf), moved);
        Node node = nodeFor(child.key, childFound);
        if (node.state == State::Folder) {
            node.opaque = true;
            keepBelow(child.key, childFound, moved);
        }
        nodes_[moved.key] = node;
    }
}

void FilesOverlay::forgetBelow(const std::string& key) {
    const std::string prefix = key.back() == '/' ? key : key + "/";
    nodes_.erase(nodes_.lower_bound(prefix), std::find_if(nodes_.lower_bound(prefix), nodes_.end(), [&](const auto& node) {
                     return node.first.compare(0, prefix.size(), prefix) != 0;
                 }));
}

bool FilesOverlay::deleteFile(const char* path) {
    PathKey key;
    if (tooLong(path)) return false;
    if (!windowsPathKeyOf(path, key)) return fail(kErrorInvalidName);
    Found found = find(key);
    if (found.state == State::Missing) return fail(kErrorFileNotFound);
    if (found.state == State::Folder || (found.attributes & kFileAttributeReadOnly)) return fail(kErrorAccessDenied);
    if (heldOpen(key.key)) return fail(kErrorSharingViolation);
    Node& node = nodeFor(key, found);
    node.state = State::Missing;
    node.attributes = 0;
    node.content.reset();
    tell(changeOf(Change::FileDeleted, path));
    return true;
}

bool FilesOverlay::createDirectory(const char* path) {
    PathKey key;
    if (tooLong(path, kLongestFolderPath)) return false;
    if (!windowsPathKeyOf(path, key)) return fail(kErrorInvalidName);
    key.trailingSeparator = false;
    Found found = find(key);
    if (found.state != State::Missing) return fail(kErrorAlreadyExists);
    if (!parentIsFolder(key)) return fail(kErrorPathNotFound);
    Node& node = nodeFor(key, found);
    node.state = State::Folder;
    node.opaque = true;
    node.attributes = 0;
    node.name = leafOf(key.path);
    tell(changeOf(Change::FolderMade, path));
    return true;
}

bool FilesOverlay::removeDirectory(const char* path) {
    PathKey key;
    if (tooLong(path)) return false;
    if (!windowsPathKeyOf(path, key)) return fail(kErrorInvalidName);
    Found found = find(key);
    if (found.state != State::Folder) return fail(kErrorFileNotFound);
    if (!visibleChildren(key, found).empty()) return fail(kErrorDirNotEmpty);
    Node& node = nodeFor(key, found);
    node.state = State::Missing;
    node.opaque = false;
    node.attributes = 0;
    tell(changeOf(Change::FolderRemoved, path));
    return true;
}

std::vector<FilesOverlay::Child> FilesOverlay::visibleChildren(const PathKey& folder, const Found& found) {
    std::vector<Child> children;
    std::string realFolder = found.node ? (found.node->opaque || hiddenByOverlay(folder.key) ? "" : realPathOf(folder)) : found.realPath;
    std::vector<std::string> real;
    if (!realFolder.empty()) listRealFolder(realFolder, real);
    for (const std::string& name : real) {
        PathKey child;
        // A name the code page cannot hold is still there: the folder is not empty.
        if (name.empty()) {
            children.push_back({{}, {}, nullptr, {}});
        } else if (windowsPathKeyOf(joined(realFolder, name), child) && nodes_.count(child.key) == 0) {
            children.push_back({child, name, nullptr, joined(realFolder, name)});
        }
    }
    std::string prefix = folder.key.back() == '/' ? folder.key : folder.key + "/";
    for (auto it = nodes_.lower_bound(prefix); it != nodes_.end() && it->first.compare(0, prefix.size(), prefix) == 0; ++it) {
        if (it->first.find('/', prefix.size()) == std::string::npos && it->second.state != State::Missing) {
            PathKey child;
            windowsPathKeyOf(joined(folder.path, it->second.name), child);
            children.push_back({child, it->second.name, &it->second, {}});
        }
    }
    return children;
}

void FilesOverlay::listInto(const PathKey& folder, const Found& found, const std::string& prefix, std::vector<TreeItem>& items) {
    for (const Child& child : visibleChildren(folder, found)) {
        if (child.leaf.empty()) continue;
        TreeItem item;
        std::shared_ptr<FileContent> content;
        Found childFound;
        if (child.node) {
            item.folder = child.node->state == State::Folder;
            item.attributes = shown(child.node->attributes, item.folder);
            content = child.node->content;
            childFound.node = child.node;
        } else {
            item.attributes = real_.getFileAttributes(child.realPath.c_str());
            item.folder = (item.attributes & kFileAttributeDirectory) != 0;
            if (!item.folder) content = std::make_shared<FileContent>(store_, child.realPath, realSizeOf(child.realPath));
            childFound.realPath = child.realPath;
        }
        item.name = prefix + child.leaf + (item.folder ? "\\" : "");
        if (content) {
            item.size = content->size();
            item.digest = content->digest();
        }
        items.push_back(item);
        if (item.folder) listInto(child.key, childFound, item.name, items);
    }
}

// A real folder's twins (a.txt beside A.txt on Linux) are listed both, as Wine lists them.
bool FilesOverlay::listFolder(const char* folder, std::vector<std::string>& names) {
    PathKey key;
    if (!windowsPathKeyOf(folder, key)) return false;
    Found found = find(key);
    if (found.state != State::Folder) return false;
    for (const Child& child : visibleChildren(key, found)) names.push_back(child.leaf);
    return true;
}

std::string FilesOverlay::fileKeyOf(const char* path) {
    PathKey key;
    return windowsPathKeyOf(path, key) ? key.key : std::string();
}

bool FilesOverlay::contentOf(const std::string& path, std::string& bytes) {
    PathKey key;
    if (!windowsPathKeyOf(path, key)) return false;
    Found found = find(key);
    if (found.state != State::File) return false;
    std::shared_ptr<FileContent> content = found.node ? found.node->content : nullptr;
    if (!content) content = std::make_shared<FileContent>(store_, found.realPath, realSizeOf(found.realPath));
    bytes.assign(content->size(), '\0');
    for (uint64_t at = 0; at < bytes.size(); at += FileContent::kPageSize) {
        uint32_t count = static_cast<uint32_t>(std::min<uint64_t>(FileContent::kPageSize, bytes.size() - at));
        if (!content->read(at, &bytes[at], count)) return false;
    }
    return true;
}

bool FilesOverlay::tree(const std::string& folder, std::vector<TreeItem>& items) {
    PathKey key;
    if (!windowsPathKeyOf(folder, key)) return false;
    Found found = find(key);
    if (found.state != State::Folder) return false;
    items.clear();
    listInto(key, found, "", items);
    std::sort(items.begin(), items.end(), [](const TreeItem& a, const TreeItem& b) { return a.name < b.name; });
    return true;
}

}  // namespace overlay
