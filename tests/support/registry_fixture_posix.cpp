#include <algorithm>
#include <string>

#include "platform/posix/registry_store.h"
#include "platform/text.h"
#include "tests/support/registry_fixture.h"

namespace testing_support {

using platform::posix::RegistryStore;

bool writeCurrentUserValue(const char* subKey, const char* valueName, uint32_t type, const void* data, uint32_t size) {
    RegistryStore store = platform::posix::loadRegistryStore();
    std::string path = platform::posix::normalizedKeyPath(subKey);
    // Parents exist too, as RegCreateKeyExA makes them.
    for (size_t at = path.find('\\'); at != std::string::npos; at = path.find('\\', at + 1)) {
        if (!store.findKey(path.substr(0, at))) store.keys.push_back({path.substr(0, at), false});
    }
    if (!store.findKey(path)) store.keys.push_back({path, false});
    std::string name = valueName ? valueName : "";
    std::string bytes(static_cast<const char*>(data), size);
    if (platform::posix::StoredValue* value = store.findValue(path, name)) {
        value->type = type;
        value->data = bytes;
    } else {
        store.values.push_back({path, name, type, bytes});
    }
    return platform::posix::saveRegistryStore(store);
}

bool deleteCurrentUserKey(const char* subKey) {
    RegistryStore store = platform::posix::loadRegistryStore();
    std::string path = platform::posix::normalizedKeyPath(subKey);
    store.keys.erase(std::remove_if(store.keys.begin(), store.keys.end(),
                                    [&](const auto& key) { return platform::equalsIgnoringAsciiCase(key.path, path); }),
                     store.keys.end());
    store.values.erase(std::remove_if(store.values.begin(), store.values.end(),
                                      [&](const auto& value) { return platform::equalsIgnoringAsciiCase(value.key, path); }),
                       store.values.end());
    return platform::posix::saveRegistryStore(store);
}

bool setCurrentUserKeyReadOnly(const char* subKey, bool readOnly) {
    RegistryStore store = platform::posix::loadRegistryStore();
    platform::posix::StoredKey* key = store.findKey(platform::posix::normalizedKeyPath(subKey));
    if (!key) return false;
    key->readOnly = readOnly;
    return platform::posix::saveRegistryStore(store);
}

}  // namespace testing_support
