#include <windows.h>

#include "tests/support/registry_fixture.h"

namespace testing_support {

bool writeCurrentUserValue(const char* subKey, const char* valueName, uint32_t type, const void* data, uint32_t size) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, subKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS) {
        return false;
    }
    LONG status = RegSetValueExA(key, valueName, 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

bool deleteCurrentUserKey(const char* subKey) { return RegDeleteKeyA(HKEY_CURRENT_USER, subKey) == ERROR_SUCCESS; }

}  // namespace testing_support
