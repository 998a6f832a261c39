#include "platform/posix/registry_store.h"

#include <sys/stat.h>

#include <fstream>
#include <sstream>

#include "platform/posix/posix_system.h"
#include "platform/text.h"

namespace platform::posix {
namespace {

std::string storePath() { return systemRoot() + "/HKEY_CURRENT_USER.reg"; }

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

}  // namespace

StoredKey* RegistryStore::findKey(const std::string& path) {
    for (StoredKey& key : keys) {
        if (equalsIgnoringAsciiCase(key.path, path)) return &key;
    }
    return nullptr;
}

StoredValue* RegistryStore::findValue(const std::string& key, const std::string& name) {
    for (StoredValue& value : values) {
        if (equalsIgnoringAsciiCase(value.key, key) && equalsIgnoringAsciiCase(value.name, name)) return &value;
    }
    return nullptr;
}

RegistryStore loadRegistryStore() {
    RegistryStore store;
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

bool saveRegistryStore(const RegistryStore& store) {
    ::mkdir(systemRoot().c_str(), 0777);
    std::ofstream out(storePath(), std::ios::trunc);
    for (const StoredKey& key : store.keys) out << "K " << hex(key.path) << ' ' << (key.readOnly ? 1 : 0) << '\n';
    for (const StoredValue& value : store.values) {
        out << "V " << hex(value.key) << ' ' << hex(value.name) << ' ' << value.type << ' ' << hex(value.data) << '\n';
    }
    return static_cast<bool>(out);
}

std::string normalizedKeyPath(const char* subKey) {
    std::string key = subKey ? subKey : "";
    while (!key.empty() && key.back() == '\\') key.pop_back();
    while (!key.empty() && key.front() == '\\') key.erase(0, 1);
    return key;
}

}  // namespace platform::posix
