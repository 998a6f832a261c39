#pragma once

#include <cstdint>

namespace platform {

using ResourceInfo = void*;    // HRSRC
using ResourceHandle = void*;  // HGLOBAL of a loaded resource

// The resources of the running executable.
class ModuleResources {
public:
    virtual ~ModuleResources() = default;

    // FindResourceA(no module, MAKEINTRESOURCE(id), MAKEINTRESOURCE(type)); null when absent.
    virtual ResourceInfo findResource(uint32_t id, uint32_t type) = 0;
    virtual ResourceHandle loadResource(ResourceInfo info) = 0;
    virtual const void* lockResource(ResourceHandle handle) = 0;
    virtual uint32_t sizeofResource(ResourceInfo info) = 0;
    virtual bool freeResource(ResourceHandle handle) = 0;

    static ModuleResources* replace(ModuleResources* replacement);
};

ModuleResources& moduleResources();

}  // namespace platform
