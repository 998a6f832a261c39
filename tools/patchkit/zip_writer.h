#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "support/file.h"
#include "tools/patchkit/file_transfer.h"
#include "tools/patchkit/zip_layout.h"

namespace patchkit {

// A zip archive written member by member, in the order given, through support::CFile. Names
// are code page 932 bytes with '/' separators and the UTF-8 flag unset, as the built-in
// extractor of a Japanese Windows reads them; a name with a byte over 0x7F also carries its
// UTF-8 form in a Unicode Path field, which Info-ZIP's unzip and 7-Zip read. Files are
// deflated by zlib, and every member has the same time and attributes, so that the same
// members always give the same bytes. Members of 4 GiB or more, an archive that would pass
// that, and more than 65535 members are refused: they need ZIP64, which is not written.
class ZipWriter {
public:
    // `path` as CFile takes it; a file there is replaced.
    bool create(const std::string& path, std::string& why);
    // `name` ends in '/'.
    bool addFolder(const std::string& name, std::string& why);
    // The file at `source` (as CFile takes it), deflated; `onProgress` gets the bytes read so far.
    bool addFile(const std::string& name, const std::string& source, std::string& why, const ByteCounter& onProgress = nullptr);
    // The central directory and the end record: the archive is whole once this succeeds.
    bool finish(std::string& why);

    uint64_t bytesWritten() const { return written_; }
    size_t members() const { return members_.size(); }

private:
    struct Member {
        zip::CentralHeader header;
        std::string name;
        std::string extra;
    };
    bool addMember(const std::string& name, uint16_t method, uint32_t crc, uint64_t size, const std::string& data, uint32_t attributes,
                   std::string& why);
    bool put(const void* bytes, size_t count, std::string& why);

    support::CFile file_;
    std::vector<Member> members_;
    uint64_t written_ = 0;
};

}  // namespace patchkit
