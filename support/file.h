#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/module_resources.h"

namespace support {

enum class FileSourceKind : int32_t { None = 0, DiskFile = 1, MemoryBuffer = 2, ModuleResource = 3, ByteVector = 4 };

// WriteNew is Write for a file that is not there yet: it never opens, and so never empties,
// what a name already holds.
enum class FileOpenMode : int32_t { Read = 0, Write = 1, ReadWrite = 2, WriteNew = 3 };

// The byte-stream object through which every manifest and payload file is read and written.
// One object stands for one source at a time; transfers are unbuffered, so one call is one
// transfer on the source, and sizes and positions are 64-bit.
class CFile {
public:
    CFile() = default;
    virtual ~CFile();
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;

    bool open(const std::string& path, FileOpenMode mode);

    // The in-memory sources. A MemoryBuffer that the object owns must come from new[] and is
    // freed by close; a borrowed one is left to its owner. A ByteVector belongs to the caller,
    // who must not shrink it while the object uses it.
    bool openMemoryBuffer(uint8_t* start, uint64_t length, bool ownsBuffer);
    bool openModuleResource(uint32_t id, uint32_t type);
    bool openByteVector(std::vector<uint8_t>& vector);

    bool close();

    uint32_t read(void* destination, uint32_t count);
    uint32_t write(const void* source, uint32_t count);
    uint32_t writeInt(int32_t value);
    uint32_t writeString(const std::string& text);
    uint64_t tell();
    // FlushFileBuffers on a disk file: true once what was written is on the disk. False for
    // the in-memory sources, which have no disk behind them, and when the system refuses.
    bool flush();
    uint64_t size() const { return fileSize; }
    // Which file a disk file is (GetFileInformationByHandle); false for the in-memory sources
    // and where the system cannot tell.
    bool identify(platform::FileIdentity& identity) const;

    // Reads up to count bytes from source and writes them here; the bytes stored. A buffer of
    // count bytes is allocated for the call (the throwing allocation: out of memory propagates).
    uint32_t copyFrom(CFile& source, uint32_t count);

    FileSourceKind sourceKind() const { return kind; }
    const std::string& fileName() const { return name; }

private:
    std::string name;
    platform::FileHandle fileHandle = nullptr;
    platform::ResourceHandle resourceHandle = nullptr;
    const void* resourceData = nullptr;
    std::vector<uint8_t>* byteVector = nullptr;
    uint64_t fileSize = 0;
    uint64_t position = 0;
    uint64_t baseOffset = 0;
    uint64_t limit = 0;
    FileSourceKind kind = FileSourceKind::None;
    uint8_t* cursor = nullptr;
    uint8_t* bufferStart = nullptr;
    uint8_t* bufferEnd = nullptr;
    bool ownsBuffer = false;
};

}  // namespace support
