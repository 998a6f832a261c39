// The registry as start-up uses it: a key opened with full access, a value read into a
// 260-byte buffer that must hold the whole datum.
#include <gtest/gtest.h>

#include <string>

#include "platform/registry.h"
#include "tests/support/registry_fixture.h"

namespace {

using namespace platform;
using testing_support::deleteCurrentUserKey;
using testing_support::writeCurrentUserValue;

class RegistryContract : public ::testing::Test {
protected:
    const char* key = "Software\\UpdaterContractTest";
    Registry& registry = platform::registry();

    void SetUp() override { deleteCurrentUserKey(key); }
    void TearDown() override { deleteCurrentUserKey(key); }

    void store(const char* name, const std::string& data) {
        ASSERT_TRUE(writeCurrentUserValue(key, name, kRegSz, data.data(), static_cast<uint32_t>(data.size())));
    }
};

TEST_F(RegistryContract, AnExistingKeyOpensWithFullAccessAndAMissingOneDoesNot) {
    store("InstallPath", std::string("C:\\Product\\", 12));
    RegistryKey opened = nullptr;
    ASSERT_EQ(registry.openKey(kHkeyCurrentUser, key, kKeyAllAccess, &opened), kErrorSuccess);
    EXPECT_NE(opened, nullptr);
    EXPECT_EQ(registry.closeKey(opened), kErrorSuccess);

    RegistryKey missing = nullptr;
    EXPECT_EQ(registry.openKey(kHkeyCurrentUser, "Software\\UpdaterContractTest\\Absent", kKeyAllAccess, &missing),
              kErrorFileNotFound);
}

TEST_F(RegistryContract, KeyNamesMatchWithoutRegardToLetterCase) {
    store("InstallPath", std::string("x", 2));
    RegistryKey opened = nullptr;
    ASSERT_EQ(registry.openKey(kHkeyCurrentUser, "SOFTWARE\\updatercontracttest", kKeyAllAccess, &opened), kErrorSuccess);
    registry.closeKey(opened);
}

TEST_F(RegistryContract, AValueThatFitsTheBufferIsDeliveredWithItsTerminatorAndSize) {
    std::string data(259, 'a');
    data.push_back('\0');  // 260 bytes: exactly the buffer
    store("InstallPath", data);
    RegistryKey opened = nullptr;
    ASSERT_EQ(registry.openKey(kHkeyCurrentUser, key, kKeyAllAccess, &opened), kErrorSuccess);
    uint8_t buffer[260] = {};
    uint32_t size = sizeof buffer;
    uint32_t type = 0;
    EXPECT_EQ(registry.queryValue(opened, "InstallPath", &type, buffer, &size), kErrorSuccess);
    EXPECT_EQ(size, 260u);
    EXPECT_EQ(type, kRegSz);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), size), data);
    registry.closeKey(opened);
}

TEST_F(RegistryContract, AValueLargerThanTheBufferFailsWithMoreData) {
    std::string data(260, 'a');
    data.push_back('\0');  // 261 bytes
    store("InstallPath", data);
    RegistryKey opened = nullptr;
    ASSERT_EQ(registry.openKey(kHkeyCurrentUser, key, kKeyAllAccess, &opened), kErrorSuccess);
    uint8_t buffer[260] = {};
    uint32_t size = sizeof buffer;
    EXPECT_EQ(registry.queryValue(opened, "InstallPath", nullptr, buffer, &size), kErrorMoreData);
    registry.closeKey(opened);
}

TEST_F(RegistryContract, AMissingValueIsNotFound) {
    store("Other", std::string("x", 2));
    RegistryKey opened = nullptr;
    ASSERT_EQ(registry.openKey(kHkeyCurrentUser, key, kKeyAllAccess, &opened), kErrorSuccess);
    uint8_t buffer[260];
    uint32_t size = sizeof buffer;
    EXPECT_EQ(registry.queryValue(opened, "InstallPath", nullptr, buffer, &size), kErrorFileNotFound);
    registry.closeKey(opened);
}

}  // namespace
