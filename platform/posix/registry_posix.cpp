#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/posix/posix_system.h"
#include "platform/registry.h"

// HKEY_CURRENT_USER of the native build: a small text file in the system root, one line per key
// and per value, every name and datum hex-encoded so that any byte survives. Key and value names
// match without regard to ASCII letter case, as in the Windows registry. The file is read on
// every call, so a test or a second process that changes it is seen at once.
namespace platform {
namespace {

struct StoredKey {
    std::string path;
    bool readOnly = false;
};
struct StoredValue {
    std::string key;
    std::string name;
    uint32_t type = 0;
    std::string data;
};
struct Store {
    std::vector<StoredKey> keys;
    std::vector<StoredValue> values;
};

std::string storePath() { return posix::systemRoot() + "/HKEY_CURRENT_USER.reg"; }

std::string hex(const std::string& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string out = "x";  // never empty, so that an empty name still makes a field
    for (unsigned char c : bytes) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

std::string unhex(const std::string& text) {
    std::string out;
    for (size_t i = 1; i + 1 < text.size(); i += 2) {
        out += static_cast<char>(std::stoi(text.substr(i, 2), nullptr, 16));
    }
    return out;
}

bool sameName(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        auto fold = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; };
        if (fold(a[i]) != fold(b[i])) return false;
    }
    return true;
}

// "A\\B\\" and "a\\b" name the same key.
std::string normalizedKey(const char* subKey) {
    std::string key = subKey ? subKey : "";
    while (!key.empty() && key.back() == '\\') key.pop_back();
    while (!key.empty() && key.front() == '\\') key.erase(0, 1);
    return key;
}

Store load() {
    Store store;
    std::ifstream in(storePath());
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string kind;
        fields >> kind;
        if (kind == "K") {
            std::string path;
            int readOnly = 0;
            fields >> path >> readOnly;
            store.keys.push_back({unhex(path), readOnly != 0});
        } else if (kind == "V") {
            std::string key, name, data;
            uint32_t type = 0;
            fields >> key >> name >> type >> data;
            store.values.push_back({unhex(key), unhex(name), type, unhex(data)});
        }
    }
    return store;
}

bool save(const Store& store) {
    ::mkdir(posix::systemRoot().c_str(), 0777);
    std::ofstream out(storePath(), std::ios::trunc);
    for (const StoredKey& key : store.keys) out << "K " << hex(key.path) << ' ' << (key.readOnly ? 1 : 0) << '\n';
    for (const StoredValue& value : store.values) {
        out << "V " << hex(value.key) << ' ' << hex(value.name) << ' ' << value.type << ' ' << hex(value.data) << '\n';
    }
    return static_cast<bool>(out);
}

StoredKey* findKey(Store& store, const std::string& path) {
    for (StoredKey& key : store.keys) {
        if (sameName(key.path, path)) return &key;
    }
    return nullptr;
}

struct OpenKey {
    std::string path;
};

constexpr uint32_t kWriteAccessBits = 0x0002 /*KEY_SET_VALUE*/ | 0x0004 /*KEY_CREATE_SUB_KEY*/ | 0x0020 /*KEY_CREATE_LINK*/ |
                                      0x00010000 /*DELETE*/ | 0x00040000 /*WRITE_DAC*/ | 0x00080000 /*WRITE_OWNER*/;

class PosixRegistry final : public Registry {
public:
    long openKey(RegistryKey root, const char* subKey, uint32_t access, RegistryKey* result) override {
        *result = nullptr;
        if (root != kHkeyCurrentUser) return kErrorInvalidHandle;
        Store store = load();
        std::string path = normalizedKey(subKey);
        StoredKey* key = path.empty() ? nullptr : findKey(store, path);
        if (!path.empty() && !key) return kErrorFileNotFound;
        if (key && key->readOnly && (access & kWriteAccessBits)) return kErrorAccessDenied;
        *result = new OpenKey{path};
        return kErrorSuccess;
    }

    long queryValue(RegistryKey handle, const char* valueName, uint32_t* type, uint8_t* data, uint32_t* dataSize) override {
        auto* key = static_cast<OpenKey*>(handle);
        if (!key) return kErrorInvalidHandle;
        Store store = load();
        std::string name = valueName ? valueName : "";
        for (const StoredValue& value : store.values) {
            if (!sameName(value.key, key->path) || !sameName(value.name, name)) continue;
            if (type) *type = value.type;
            uint32_t size = static_cast<uint32_t>(value.data.size());
            if (!dataSize) return data ? kErrorInvalidHandle : kErrorSuccess;
            uint32_t room = *dataSize;
            *dataSize = size;
            if (!data) return kErrorSuccess;
            if (size > room) return kErrorMoreData;
            std::memcpy(data, value.data.data(), size);
            return kErrorSuccess;
        }
        return kErrorFileNotFound;
    }

    long closeKey(RegistryKey handle) override {
        delete static_cast<OpenKey*>(handle);
        return kErrorSuccess;
    }
};

}  // namespace

Registry& systemRegistry() {
    static PosixRegistry instance;
    return instance;
}

bool writeCurrentUserValue(const char* subKey, const char* valueName, uint32_t type, const void* data, uint32_t size) {
    Store store = load();
    std::string path = normalizedKey(subKey);
    // Parents exist too, as RegCreateKeyExA makes them.
    for (size_t at = path.find('\\'); at != std::string::npos; at = path.find('\\', at + 1)) {
        if (!findKey(store, path.substr(0, at))) store.keys.push_back({path.substr(0, at), false});
    }
    if (!findKey(store, path)) store.keys.push_back({path, false});
    std::string name = valueName ? valueName : "";
    std::string bytes(static_cast<const char*>(data), size);
    for (StoredValue& value : store.values) {
        if (sameName(value.key, path) && sameName(value.name, name)) {
            value.type = type;
            value.data = bytes;
            return save(store);
        }
    }
    store.values.push_back({path, name, type, bytes});
    return save(store);
}

bool deleteCurrentUserKey(const char* subKey) {
    Store store = load();
    std::string path = normalizedKey(subKey);
    store.keys.erase(std::remove_if(store.keys.begin(), store.keys.end(), [&](const StoredKey& key) { return sameName(key.path, path); }),
                     store.keys.end());
    store.values.erase(std::remove_if(store.values.begin(), store.values.end(),
                                      [&](const StoredValue& value) { return sameName(value.key, path); }),
                       store.values.end());
    return save(store);
}

namespace posix {
bool setCurrentUserKeyReadOnly(const char* subKey, bool readOnly) {
    Store store = load();
    StoredKey* key = findKey(store, normalizedKey(subKey));
    if (!key) return false;
    key->readOnly = readOnly;
    return save(store);
}
}  // namespace posix

}  // namespace platform
