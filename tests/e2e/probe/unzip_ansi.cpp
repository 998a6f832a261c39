// Extracts a zip as the built-in extractor of a Japanese Windows does: every member under the
// bytes of its stored name, which the ANSI calls (CreateDirectoryA, CreateFileA) take in the
// process's code page, 932 in the prefix's Japanese locale. The Unicode Path field is not read;
// a name with the UTF-8 flag is refused, since the zips it is for never carry one. Deflated
// data is inflated by zlib. Written apart from patchkit's own reader, which it judges: it
// walks the central directory and nothing else. Says each member made, one a line, and ends
// with 0 once all are.
//
//   unzip_ansi.exe ARCHIVE.zip FOLDER (a Windows path that ends in a backslash)
#include <windows.h>
#include <zlib.h>

#include <cstdint>
#include <cstdio>
#include <string>

namespace {

uint32_t field(const std::string& bytes, size_t at, int width) {
    uint32_t value = 0;
    for (int i = width - 1; i >= 0; --i) value = value << 8 | static_cast<uint8_t>(bytes.at(at + i));
    return value;
}

bool readWhole(const char* path, std::string& bytes) {
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    bytes.resize(GetFileSize(file, nullptr));
    DWORD read = 0;
    bool whole = ReadFile(file, &bytes[0], static_cast<DWORD>(bytes.size()), &read, nullptr) && read == bytes.size();
    CloseHandle(file);
    return whole;
}

bool makeFolder(const std::string& path) { return CreateDirectoryA(path.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS; }

bool writeNew(const std::string& path, const std::string& bytes) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    bool whole = bytes.empty() || (WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) && written == bytes.size());
    return CloseHandle(file) && whole;
}

// The member's data as stored, or inflated from raw deflate; empty and false when it fails its
// size or CRC-32.
bool dataOf(const std::string& archive, size_t local, uint32_t method, uint32_t packed, uint32_t size, uint32_t crc, std::string& data) {
    size_t start = local + 30 + field(archive, local + 26, 2) + field(archive, local + 28, 2);
    std::string raw = archive.substr(start, packed);
    data.assign(size, '\0');
    if (method == 0) {
        data = raw;
    } else {
        z_stream stream{};
        if (method != 8 || inflateInit2(&stream, -MAX_WBITS) != Z_OK) return false;
        stream.next_in = reinterpret_cast<Bytef*>(&raw[0]);
        stream.avail_in = static_cast<uInt>(raw.size());
        stream.next_out = reinterpret_cast<Bytef*>(&data[0]);
        stream.avail_out = size;
        int result = inflate(&stream, Z_FINISH);
        inflateEnd(&stream);
        if (result != Z_STREAM_END || stream.total_out != size) return false;
    }
    return data.size() == size && crc32(0, reinterpret_cast<const Bytef*>(data.data()), size) == crc;
}

int fail(const char* what, const std::string& name) {
    std::fprintf(stderr, "unzip_ansi: %s: %s\n", name.c_str(), what);
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) return fail("usage: unzip_ansi.exe ARCHIVE.zip FOLDER", "unzip_ansi");
    std::string archive;
    if (!readWhole(argv[1], archive) || archive.size() < 22) return fail("cannot be read", argv[1]);
    size_t end = archive.size() - 22;
    while (end > 0 && field(archive, end, 4) != 0x06054B50) --end;
    std::string folder = argv[2];
    if (!makeFolder(folder)) return fail("cannot be made", folder);
    size_t at = field(archive, end + 16, 4);
    for (uint32_t i = 0, count = field(archive, end + 10, 2); i < count; ++i) {
        if (field(archive, at, 4) != 0x02014B50) return fail("no central directory header", std::to_string(i));
        uint32_t nameLength = field(archive, at + 28, 2);
        std::string name = archive.substr(at + 46, nameLength);
        if (field(archive, at + 8, 2) & 0x800) return fail("has the UTF-8 flag", name);
        std::string path = folder + name;
        // A '/' is never the trail byte of a double-byte character: every one is a separator.
        for (size_t slash = folder.size(); (slash = path.find('/', slash)) != std::string::npos; ++slash) {
            if (!makeFolder(path.substr(0, slash))) return fail("its folder cannot be made", name);
        }
        if (name.back() != '/') {
            std::string data;
            if (!dataOf(archive, field(archive, at + 42, 4), field(archive, at + 10, 2), field(archive, at + 20, 4),
                        field(archive, at + 24, 4), field(archive, at + 16, 4), data)) {
                return fail("does not inflate to its size and CRC-32", name);
            }
            if (!writeNew(path, data)) return fail("cannot be created", name);
        }
        std::puts(name.c_str());
        at += 46 + nameLength + field(archive, at + 30, 2) + field(archive, at + 32, 2);
    }
    return 0;
}
