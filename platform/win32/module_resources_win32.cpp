#include <windows.h>

#include "platform/module_resources.h"

namespace platform {
namespace {

class Win32ModuleResources final : public ModuleResources {
public:
    ResourceInfo findResource(uint32_t id, uint32_t type) override {
        return FindResourceA(nullptr, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(type));
    }
    ResourceHandle loadResource(ResourceInfo info) override { return LoadResource(nullptr, static_cast<HRSRC>(info)); }
    const void* lockResource(ResourceHandle handle) override { return LockResource(static_cast<HGLOBAL>(handle)); }
    uint32_t sizeofResource(ResourceInfo info) override { return SizeofResource(nullptr, static_cast<HRSRC>(info)); }
    // FreeResource is a no-op on every 32-bit Windows; it is called all the same, as the
    // resource's owner should.
    bool freeResource(ResourceHandle handle) override { return FreeResource(static_cast<HGLOBAL>(handle)) == FALSE; }
};

}  // namespace

ModuleResources& systemModuleResources() {
    static Win32ModuleResources instance;
    return instance;
}

}  // namespace platform
