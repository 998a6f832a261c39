#include <cstring>
#include <string>

#include "platform/posix/registry_store.h"
#include "platform/registry.h"

namespace platform {
namespace {

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
        posix::RegistryStore store = posix::loadRegistryStore();
        std::string path = posix::normalizedKeyPath(subKey);
        posix::StoredKey* key = path.empty() ? nullptr : store.findKey(path);
        if (!path.empty() && !key) return kErrorFileNotFound;
        if (key && key->readOnly && (access & kWriteAccessBits)) return kErrorAccessDenied;
        *result = new OpenKey{path};
        return kErrorSuccess;
    }

    long queryValue(RegistryKey handle, const char* valueName, uint32_t* type, uint8_t* data, uint32_t* dataSize) override {
        auto* key = static_cast<OpenKey*>(handle);
        if (!key) return kErrorInvalidHandle;
        posix::RegistryStore store = posix::loadRegistryStore();
        const posix::StoredValue* value = store.findValue(key->path, valueName ? valueName : "");
        if (!value) return kErrorFileNotFound;
        if (type) *type = value->type;
        uint32_t size = static_cast<uint32_t>(value->data.size());
        if (!dataSize) return data ? kErrorInvalidHandle : kErrorSuccess;
        uint32_t room = *dataSize;
        *dataSize = size;
        if (!data) return kErrorSuccess;
        if (size > room) return kErrorMoreData;
        std::memcpy(data, value->data.data(), size);
        return kErrorSuccess;
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

}  // namespace platform
