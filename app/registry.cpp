#include "app/registry.h"

namespace app {

CRegistry::~CRegistry() { close(); }

void CRegistry::close() {
    if (key) {
        platform::registry().closeKey(key);
        key = nullptr;
    }
}

bool CRegistry::Open(platform::RegistryKey root, const char* subKey, uint32_t access) {
    close();
    platform::RegistryKey opened = nullptr;
    long status = platform::registry().openKey(root, subKey, access, &opened);
    if (status != platform::kErrorSuccess) return false;
    key = opened;
    return true;
}

bool CRegistry::QueryValue(const char* valueName, uint8_t* buffer, uint32_t bufferSize, uint32_t* dataSize) {
    uint32_t size = bufferSize;
    bool ok = platform::registry().queryValue(key, valueName, nullptr, buffer, &size) == platform::kErrorSuccess;
    if (dataSize) *dataSize = ok ? size : 0;
    return ok;
}

}  // namespace app
