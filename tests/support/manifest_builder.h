#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "manifest/layouts.h"

// Manifest files as bytes, built field by field, for tests that arrange installations and
// updates.
namespace testing_support {

template <size_t Width>
void setText(char (&field)[Width], const std::string& text) {
    std::memset(field, 0, Width);
    std::memcpy(field, text.data(), text.size() < Width ? text.size() : Width);
}

inline manifest::ManifestEntry entry(const std::string& name, uint64_t size = 0, uint32_t extra = 0) {
    manifest::ManifestEntry e{};
    setText(e.name, name);
    e.size = size;
    e.extra = extra;
    return e;
}

template <class Header>
std::string manifestBytes(const Header& header, const std::vector<manifest::ManifestEntry>& entries) {
    std::string bytes(reinterpret_cast<const char*>(&header), sizeof header);
    for (const manifest::ManifestEntry& e : entries) bytes.append(reinterpret_cast<const char*>(&e), sizeof e);
    return bytes;
}

inline manifest::UpdateHeader updateHeader(const std::string& registryKey, const std::string& registryValue, uint32_t entryCount) {
    manifest::UpdateHeader header{};
    setText(header.title, "Title");
    setText(header.updateName, "Update");
    setText(header.productName, "Product");
    setText(header.registryKey, registryKey);
    setText(header.registryValue, registryValue);
    header.entryCount = entryCount;
    return header;
}

}  // namespace testing_support
