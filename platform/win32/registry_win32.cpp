#include <windows.h>

#include <string>

#include "platform/registry.h"

namespace platform {
namespace {

class Win32Registry final : public Registry {
public:
    long openKey(RegistryKey root, const char* subKey, uint32_t access, RegistryKey* result) override {
        HKEY key = nullptr;
        LONG status = RegOpenKeyExA(static_cast<HKEY>(root), subKey, 0, access, &key);
        *result = key;
        return status;
    }
    long queryValue(RegistryKey key, const char* valueName, uint32_t* type, uint8_t* data, uint32_t* dataSize) override {
        DWORD valueType = 0;
        DWORD size = dataSize ? *dataSize : 0;
        LONG status = RegQueryValueExA(static_cast<HKEY>(key), valueName, nullptr, &valueType, data, dataSize ? &size : nullptr);
        if (type) *type = valueType;
        if (dataSize) *dataSize = size;
        return status;
    }
    long closeKey(RegistryKey key) override { return RegCloseKey(static_cast<HKEY>(key)); }
};

}  // namespace

Registry& systemRegistry() {
    static Win32Registry instance;
    return instance;
}

bool writeCurrentUserValue(const char* subKey, const char* valueName, uint32_t type, const void* data, uint32_t size) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, subKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS) {
        return false;
    }
    LONG status = RegSetValueExA(key, valueName, 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

bool deleteCurrentUserKey(const char* subKey) {
    // RegDeleteTreeA is not in every system's advapi32 import set under MinGW's headers;
    // SHDeleteKeyA would pull in shlwapi. The fixtures only ever make flat keys, so deleting
    // values-and-key is enough.
    return RegDeleteKeyA(HKEY_CURRENT_USER, subKey) == ERROR_SUCCESS;
}

}  // namespace platform
