#pragma once

#include <cstring>
#include <string>

#include "platform/registry.h"
#include "platform/seam.h"
#include "platform/text.h"

namespace fakes {

// HKEY_CURRENT_USER with one key holding one string value, kept in memory. While it lives, it
// is the registry.
class FixedRegistry final : public platform::Registry {
public:
    FixedRegistry(std::string subKey, std::string valueName, std::string data)
        : subKey_(std::move(subKey)), valueName_(std::move(valueName)), data_(std::move(data)), scope_(*this) {}

    long openKey(platform::RegistryKey root, const char* subKey, uint32_t, platform::RegistryKey* result) override {
        if (root != platform::kHkeyCurrentUser || !platform::equalsIgnoringAsciiCase(subKey, subKey_)) return platform::kErrorFileNotFound;
        *result = this;
        return platform::kErrorSuccess;
    }
    long queryValue(platform::RegistryKey key, const char* valueName, uint32_t* type, uint8_t* data, uint32_t* dataSize) override {
        if (key != this || !platform::equalsIgnoringAsciiCase(valueName, valueName_)) return platform::kErrorFileNotFound;
        if (type) *type = platform::kRegSz;
        uint32_t size = static_cast<uint32_t>(data_.size() + 1);
        bool fits = data && *dataSize >= size;
        if (fits) std::memcpy(data, data_.c_str(), size);
        *dataSize = size;
        return fits || !data ? platform::kErrorSuccess : platform::kErrorMoreData;
    }
    long closeKey(platform::RegistryKey) override { return platform::kErrorSuccess; }

private:
    std::string subKey_, valueName_, data_;
    platform::ScopedService<platform::Registry> scope_;
};

}  // namespace fakes
