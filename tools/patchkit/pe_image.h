#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// What check reads of a Windows program's image: which Windows runs it and how, where its
// parts end, and where its certificate table lies.
namespace patchkit {

constexpr uint16_t kMachineI386 = 0x014C;
constexpr uint16_t kSubsystemWindowsGui = 2;
constexpr uint16_t kSubsystemWindowsConsole = 3;
constexpr uint16_t kImageFileDll = 0x2000;

struct PeImage {
    uint16_t machine = 0;
    bool pe32Plus = false;  // the optional header of a 64-bit image
    uint16_t subsystem = 0;
    uint16_t characteristics = 0;
    // The furthest byte that the headers or a section's raw data reach.
    uint64_t partsEnd = 0;
    // The certificate table's file offset and size (not an address once loaded, unlike every
    // other data directory); a size of 0 means the image carries none.
    uint32_t certificateOffset = 0;
    uint32_t certificateSize = 0;
};

// "x86", "x64", "ARM64", or the number of a machine less heard of.
std::string machineName(uint16_t machine);

// The headers of the image in `bytes`; false (with `why`) when they are not there whole.
bool readPeImage(std::string_view bytes, PeImage& image, std::string& why);

}  // namespace patchkit
