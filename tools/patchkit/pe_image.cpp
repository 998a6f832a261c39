#include "tools/patchkit/pe_image.h"

#include <algorithm>
#include <cstdio>

#include "tools/patchkit/little_endian.h"

namespace patchkit {
namespace {

constexpr size_t kDosHeaderSize = 64;
constexpr size_t kNewHeaderOffsetAt = 0x3C;
constexpr size_t kFileHeaderSize = 20;
constexpr size_t kSectionHeaderSize = 40;
constexpr uint16_t kMagicPe32 = 0x10B;
constexpr uint16_t kMagicPe32Plus = 0x20B;
constexpr uint32_t kCertificateDirectory = 4;

bool fits(std::string_view bytes, uint64_t at, uint64_t count) { return at <= bytes.size() && count <= bytes.size() - at; }

}  // namespace

std::string machineName(uint16_t machine) {
    switch (machine) {
        case kMachineI386: return "x86";
        case 0x8664: return "x64";
        case 0xAA64: return "ARM64";
        case 0x01C4: return "ARM";
    }
    char number[16];
    std::snprintf(number, sizeof number, "machine 0x%04X", machine);
    return number;
}

bool readPeImage(std::string_view bytes, PeImage& image, std::string& why) {
    image = PeImage{};
    if (bytes.substr(0, 4) == "\x7f" "ELF") {
        why = "is an ELF program (a Linux build), not a Windows program";
        return false;
    }
    if (bytes.size() < kDosHeaderSize || bytes.substr(0, 2) != "MZ") {
        why = "is not a Windows program: it has no whole MZ header";
        return false;
    }
    uint64_t pe = littleEndian32(bytes, kNewHeaderOffsetAt);
    if (!fits(bytes, pe, 4 + kFileHeaderSize) || bytes.substr(pe, 4) != std::string_view("PE\0\0", 4)) {
        why = "is not a Windows program: it has no PE header where its MZ header points";
        return false;
    }
    uint64_t fileHeader = pe + 4;
    image.machine = littleEndian16(bytes, fileHeader);
    uint16_t sections = littleEndian16(bytes, fileHeader + 2);
    uint16_t optionalSize = littleEndian16(bytes, fileHeader + 16);
    image.characteristics = littleEndian16(bytes, fileHeader + 18);

    uint64_t optional = fileHeader + kFileHeaderSize;
    if (!fits(bytes, optional, optionalSize) || optionalSize < 2) {
        why = "is cut short inside its headers";
        return false;
    }
    uint16_t magic = littleEndian16(bytes, optional);
    if (magic != kMagicPe32 && magic != kMagicPe32Plus) {
        why = "has an optional header of neither kind, PE32 nor PE32+";
        return false;
    }
    image.pe32Plus = magic == kMagicPe32Plus;
    // The two kinds differ in the width of a few fields before the data directories.
    uint64_t directoryCountAt = image.pe32Plus ? 108 : 92;
    if (optionalSize < directoryCountAt + 4) {
        why = "has an optional header too short for its kind";
        return false;
    }
    image.subsystem = littleEndian16(bytes, optional + 68);
    uint32_t headersSize = littleEndian32(bytes, optional + 60);
    uint32_t directories = littleEndian32(bytes, optional + directoryCountAt);
    uint64_t certificateAt = optional + directoryCountAt + 4 + 8 * kCertificateDirectory;
    if (directories > kCertificateDirectory && certificateAt + 8 <= optional + optionalSize) {
        image.certificateOffset = littleEndian32(bytes, certificateAt);
        image.certificateSize = littleEndian32(bytes, certificateAt + 4);
    }

    uint64_t sectionTable = optional + optionalSize;
    image.partsEnd = std::max<uint64_t>(headersSize, sectionTable + uint64_t{sections} * kSectionHeaderSize);
    if (!fits(bytes, sectionTable, uint64_t{sections} * kSectionHeaderSize)) return true;
    for (uint16_t k = 0; k < sections; ++k) {
        uint64_t header = sectionTable + uint64_t{k} * kSectionHeaderSize;
        uint32_t rawSize = littleEndian32(bytes, header + 16);
        uint32_t rawAt = littleEndian32(bytes, header + 20);
        if (rawSize > 0) image.partsEnd = std::max(image.partsEnd, uint64_t{rawAt} + rawSize);
    }
    return true;
}

}  // namespace patchkit
