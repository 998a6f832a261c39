#include <map>
#include <utility>
#include <vector>

#include "platform/module_resources.h"
#include "platform/posix/posix_system.h"

// The native program has no resource section; resources are registered into this table at
// run time and then behave as loaded module resources do.
namespace platform {
namespace {

struct Resource {
    std::vector<uint8_t> bytes;
    int loads = 0;
};

std::map<std::pair<uint32_t, uint32_t>, Resource>& table() {
    static std::map<std::pair<uint32_t, uint32_t>, Resource> resources;
    return resources;
}

class PosixModuleResources final : public ModuleResources {
public:
    ResourceInfo findResource(uint32_t id, uint32_t type) override {
        auto it = table().find({type, id});
        return it == table().end() ? nullptr : &it->second;
    }
    ResourceHandle loadResource(ResourceInfo info) override {
        if (!info) return nullptr;
        ++static_cast<Resource*>(info)->loads;
        return info;
    }
    const void* lockResource(ResourceHandle handle) override {
        return handle ? static_cast<Resource*>(handle)->bytes.data() : nullptr;
    }
    uint32_t sizeofResource(ResourceInfo info) override {
        return info ? static_cast<uint32_t>(static_cast<Resource*>(info)->bytes.size()) : 0;
    }
    bool freeResource(ResourceHandle handle) override {
        if (!handle) return false;
        --static_cast<Resource*>(handle)->loads;
        return true;
    }
};

}  // namespace

ModuleResources& systemModuleResources() {
    static PosixModuleResources instance;
    return instance;
}

namespace posix {
void registerResource(uint32_t type, uint32_t id, std::vector<uint8_t> bytes) { table()[{type, id}].bytes = std::move(bytes); }
int resourceLoadCount(uint32_t type, uint32_t id) {
    auto it = table().find({type, id});
    return it == table().end() ? 0 : it->second.loads;
}
}  // namespace posix

}  // namespace platform
