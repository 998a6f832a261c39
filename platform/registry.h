#pragma once

#include <cstdint>

#include "platform/system_errors.h"

namespace platform {

using RegistryKey = void*;  // HKEY
inline RegistryKey const kHkeyCurrentUser = reinterpret_cast<RegistryKey>(static_cast<intptr_t>(static_cast<int32_t>(0x80000001u)));

inline constexpr uint32_t kKeyAllAccess = 0xF003F;
inline constexpr uint32_t kRegSz = 1;

class Registry {
public:
    virtual ~Registry() = default;

    // RegOpenKeyExA(root, subKey, options 0, access, result).
    virtual long openKey(RegistryKey root, const char* subKey, uint32_t access, RegistryKey* result) = 0;

    // RegQueryValueExA(key, valueName, reserved, type, data, dataSize). *dataSize is the
    // buffer's size on entry and the data's size on return; data that does not fit gives
    // kErrorMoreData. The type is reported, never checked.
    virtual long queryValue(RegistryKey key, const char* valueName, uint32_t* type, uint8_t* data, uint32_t* dataSize) = 0;

    virtual long closeKey(RegistryKey key) = 0;

    static Registry* replace(Registry* replacement);
};

Registry& registry();

}  // namespace platform
