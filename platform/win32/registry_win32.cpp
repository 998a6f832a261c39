#include <windows.h>

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

}  // namespace platform
