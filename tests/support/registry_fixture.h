#pragma once

#include <cstdint>

// Keys and values under HKEY_CURRENT_USER that tests arrange; the updater itself only ever
// reads the registry.
namespace testing_support {

// RegCreateKeyExA (parents included) and RegSetValueExA with the given type and bytes.
bool writeCurrentUserValue(const char* subKey, const char* valueName, uint32_t type, const void* data, uint32_t size);

// RegDeleteKeyA: the key and its values; the tests only ever make keys without subkeys.
bool deleteCurrentUserKey(const char* subKey);

// Native build only: a key the user may read but not write, as Windows makes one with an ACL
// that grants only reading.
bool setCurrentUserKeyReadOnly(const char* subKey, bool readOnly);

}  // namespace testing_support
