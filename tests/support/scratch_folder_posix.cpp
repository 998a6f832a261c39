#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "platform/posix/posix_system.h"
#include "tests/support/scratch_folder.h"

namespace testing_support {

ScratchFolder::ScratchFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "updater-test-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    host_ = pattern + "/";
    path_ = platform::posix::productPathOf(host_);
}

ScratchFolder::~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::permissions(host_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(host_, ignored);
}

void ScratchFolder::writeBytes(const std::string& name, const std::string& bytes) const {
    std::ofstream(platform::posix::hostPathOf((path_ + name).c_str()), std::ios::binary) << bytes;
}

std::string ScratchFolder::readBytes(const std::string& name) const {
    std::ifstream in(platform::posix::hostPathOf((path_ + name).c_str()), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

bool ScratchFolder::exists(const std::string& name) const {
    return std::filesystem::exists(platform::posix::hostPathOf((path_ + name).c_str()));
}

void ScratchFolder::makeReadOnly(const std::string& name) const {
    ::chmod(platform::posix::hostPathOf((path_ + name).c_str()).c_str(), 0444);
}

void ScratchFolder::makeFolder(const std::string& name) const {
    std::filesystem::create_directories(platform::posix::hostPathOf((path_ + name).c_str()));
}

}  // namespace testing_support
