#pragma once

#include <cstdint>

#include "platform/registry.h"

namespace app {

// One open registry key, closed by the destructor.
class CRegistry {
public:
    CRegistry() = default;
    virtual ~CRegistry();
    CRegistry(const CRegistry&) = delete;
    CRegistry& operator=(const CRegistry&) = delete;

    // Closes a key still open, then RegOpenKeyExA; true on ERROR_SUCCESS.
    bool Open(platform::RegistryKey root, const char* subKey, uint32_t access);
    // RegQueryValueExA into the buffer; data that does not fit fails. The type is not looked at.
    // *dataSize, when asked for, receives the number of bytes the value delivered.
    bool QueryValue(const char* valueName, uint8_t* buffer, uint32_t bufferSize, uint32_t* dataSize = nullptr);

private:
    void close();
    platform::RegistryKey key = nullptr;
};

}  // namespace app
