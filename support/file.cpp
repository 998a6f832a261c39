#include "support/file.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "platform/file_path.h"
#include "support/file_statistics.h"

namespace support {
namespace {

struct ModeRow {
    uint32_t access;
    uint32_t share;
    uint32_t disposition;
    bool takesSize;
};

// Read lets other readers in; Write lets other writers in and empties the file, WriteNew
// likewise but only makes one; ReadWrite shares nothing and keeps the file's content.
ModeRow rowOf(FileOpenMode mode) {
    switch (mode) {
        case FileOpenMode::Read: return {platform::kGenericRead, platform::kFileShareRead, platform::kOpenExisting, true};
        case FileOpenMode::Write: return {platform::kGenericWrite, platform::kFileShareWrite, platform::kCreateAlways, false};
        case FileOpenMode::WriteNew: return {platform::kGenericWrite, platform::kFileShareWrite, platform::kCreateNew, false};
        case FileOpenMode::ReadWrite:
            return {platform::kGenericRead | platform::kGenericWrite, 0, platform::kOpenAlways, true};
    }
    return {0, 0, 0, false};
}

}  // namespace

CFile::~CFile() { close(); }

bool CFile::open(const std::string& path, FileOpenMode mode) {
    close();
    ModeRow row = rowOf(mode);
    platform::Files& files = platform::files();
    platform::FileHandle handle = files.createFile(path.c_str(), row.access, row.share, row.disposition);
    if (handle == platform::kInvalidFileHandle) {
        fileHandle = nullptr;
        return false;
    }
    fileHandle = handle;
    kind = FileSourceKind::DiskFile;
    if (row.takesSize) {
        uint32_t high = 0;
        uint32_t low = files.getFileSize(handle, &high);
        // A size the system could not tell is no size: a copy measured against it would take
        // a short one for whole or a whole one for short. GetFileSize says so only through
        // GetLastError, since a file may be 0xFFFFFFFF bytes long.
        if (low == platform::kInvalidFileSize && files.getLastError() != platform::kErrorSuccess) {
            files.closeHandle(handle);
            fileHandle = nullptr;
            kind = FileSourceKind::None;
            return false;
        }
        fileSize = (static_cast<uint64_t>(high) << 32) | low;
    } else {
        fileSize = 0;
    }
    position = 0;
    baseOffset = 0;
    limit = fileSize;
    name = platform::fileNameOf(path);
    return true;
}

bool CFile::openMemoryBuffer(uint8_t* start, uint64_t length, bool owns) {
    close();
    bufferStart = start;
    bufferEnd = start + length;
    cursor = start;
    ownsBuffer = owns;
    fileSize = length;
    position = 0;
    kind = FileSourceKind::MemoryBuffer;
    return true;
}

bool CFile::openModuleResource(uint32_t id, uint32_t type) {
    close();
    platform::ModuleResources& resources = platform::moduleResources();
    platform::ResourceInfo info = resources.findResource(id, type);
    if (!info) return false;
    platform::ResourceHandle handle = resources.loadResource(info);
    if (!handle) return false;
    const void* data = resources.lockResource(handle);
    if (!data) {
        resources.freeResource(handle);
        return false;
    }
    resourceHandle = handle;
    resourceData = data;
    // Resources are read-only; the pointers are non-const only because the range fields
    // serve MemoryBuffer too, and write refuses this kind before touching them.
    bufferStart = static_cast<uint8_t*>(const_cast<void*>(data));
    bufferEnd = bufferStart + resources.sizeofResource(info);
    cursor = bufferStart;
    fileSize = static_cast<uint64_t>(bufferEnd - bufferStart);
    position = 0;
    kind = FileSourceKind::ModuleResource;
    return true;
}

bool CFile::openByteVector(std::vector<uint8_t>& vector) {
    close();
    byteVector = &vector;
    position = 0;
    limit = vector.size();
    fileSize = vector.size();
    kind = FileSourceKind::ByteVector;
    return true;
}

bool CFile::close() {
    switch (kind) {
        case FileSourceKind::DiskFile:
            if (fileHandle) {
                platform::files().closeHandle(fileHandle);
                fileHandle = nullptr;
            }
            break;
        case FileSourceKind::MemoryBuffer:
            if (ownsBuffer && bufferStart) {
                delete[] bufferStart;
                bufferStart = nullptr;
            }
            break;
        case FileSourceKind::ModuleResource:
            resourceData = nullptr;
            if (resourceHandle) {
                platform::moduleResources().freeResource(resourceHandle);
                resourceHandle = nullptr;
            }
            break;
        case FileSourceKind::ByteVector:
        case FileSourceKind::None:
            break;
    }
    kind = FileSourceKind::None;
    return true;
}

uint32_t CFile::read(void* destination, uint32_t count) {
    recordAccess(readStatistics, name, count);
    switch (kind) {
        case FileSourceKind::DiskFile: {
            uint64_t remaining = position < limit ? limit - position : 0;
            uint32_t wanted = static_cast<uint32_t>(std::min<uint64_t>(count, remaining));
            uint32_t delivered = 0;
            if (!platform::files().readFile(fileHandle, destination, wanted, &delivered)) return 0;
            position += delivered;
            return delivered;
        }
        case FileSourceKind::MemoryBuffer:
        case FileSourceKind::ModuleResource: {
            uint32_t wanted = static_cast<uint32_t>(std::min<uint64_t>(count, static_cast<uint64_t>(bufferEnd - cursor)));
            if (wanted) std::memcpy(destination, cursor, wanted);
            cursor += wanted;
            return wanted;
        }
        case FileSourceKind::ByteVector: {
            uint64_t remaining = position < limit ? limit - position : 0;
            uint32_t wanted = static_cast<uint32_t>(std::min<uint64_t>(count, remaining));
            if (wanted == 0) return 0;
            // Range-tested access: a vector shrunk behind the object's back raises out_of_range
            // here instead of being read past its end.
            const uint8_t& first = byteVector->at(position);
            (void)byteVector->at(position + wanted - 1);
            std::memcpy(destination, &first, wanted);
            position += wanted;
            return wanted;
        }
        case FileSourceKind::None: return 0;
    }
    return 0;
}

uint32_t CFile::write(const void* source, uint32_t count) {
    recordAccess(writeStatistics, name, count);
    switch (kind) {
        case FileSourceKind::DiskFile: {
            uint32_t stored = 0;
            if (!platform::files().writeFile(fileHandle, source, count, &stored)) return 0;
            fileSize += stored;
            position += stored;
            return stored;
        }
        case FileSourceKind::MemoryBuffer: {
            uint32_t wanted = static_cast<uint32_t>(std::min<uint64_t>(count, static_cast<uint64_t>(bufferEnd - cursor)));
            if (wanted) std::memcpy(cursor, source, wanted);
            cursor += wanted;
            position += wanted;
            return wanted;
        }
        case FileSourceKind::ByteVector: {
            if (count == 0) return 0;
            uint64_t newEnd = position + count;
            if (newEnd > byteVector->size()) {
                fileSize = newEnd;
                limit = newEnd;
                byteVector->resize(newEnd);
            }
            uint8_t& first = byteVector->at(position);
            std::memcpy(&first, source, count);
            position += count;
            return count;
        }
        case FileSourceKind::ModuleResource:
        case FileSourceKind::None: return 0;
    }
    return 0;
}

uint32_t CFile::writeInt(int32_t value) {
    uint8_t bytes[4] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value >> 16),
                        static_cast<uint8_t>(value >> 24)};
    return write(bytes, sizeof bytes);
}

uint32_t CFile::writeString(const std::string& text) {
    uint32_t stored = text.empty() ? 0 : write(text.data(), static_cast<uint32_t>(text.size()));
    const uint8_t terminator = 0;
    write(&terminator, 1);
    return stored + 1;
}

uint64_t CFile::tell() {
    switch (kind) {
        case FileSourceKind::DiskFile: {
            int32_t high = 0;
            uint32_t low = platform::files().setFilePointer(fileHandle, 0, &high, platform::kFileCurrent);
            return ((static_cast<uint64_t>(static_cast<uint32_t>(high)) << 32) | low) - baseOffset;
        }
        case FileSourceKind::MemoryBuffer:
        case FileSourceKind::ModuleResource: return static_cast<uint64_t>(cursor - bufferStart);
        case FileSourceKind::ByteVector: return position;
        case FileSourceKind::None: return 0;
    }
    return 0;
}

bool CFile::identify(platform::FileIdentity& identity) const {
    return kind == FileSourceKind::DiskFile && platform::files().getFileInformationByHandle(fileHandle, &identity);
}

bool CFile::flush() { return kind == FileSourceKind::DiskFile && platform::files().flushFileBuffers(fileHandle); }

uint32_t CFile::copyFrom(CFile& source, uint32_t count) {
    std::unique_ptr<uint8_t[]> buffer(new uint8_t[count]);
    uint32_t got = source.read(buffer.get(), count);
    return write(buffer.get(), got);
}

}  // namespace support
