#pragma once

#include <cstdint>
#include <string>
#include <vector>

// HKEY_CURRENT_USER of the native build: a small text file in the system root, one line per
// key and per value, every name and datum hex-encoded so that any byte survives. Key and
// value names match without regard to ASCII letter case, as in the Windows registry. The file
// is read on every call, so a test or a second process that changes it is seen at once.
namespace platform::posix {

struct StoredKey {
    std::string path;
    // A key the user may read but not write: opening it with write access is refused.
    bool readOnly = false;
};

struct StoredValue {
    std::string key;
    std::string name;
    uint32_t type = 0;
    std::string data;
};

struct RegistryStore {
    std::vector<StoredKey> keys;
    std::vector<StoredValue> values;

    StoredKey* findKey(const std::string& path);
    StoredValue* findValue(const std::string& key, const std::string& name);
};

RegistryStore loadRegistryStore();
bool saveRegistryStore(const RegistryStore& store);

// A key's path as the store keeps it: "A\\B\\" and "\\A\\B" are "A\\B".
std::string normalizedKeyPath(const char* subKey);

}  // namespace platform::posix
