#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <system_error>

// A fresh host folder for one test, named and filled in UTF-8 through std::filesystem, so that
// the arrangement does not go through the code under test. Removed with everything in it.
namespace patchkit_testing {

class HostTree {
public:
    HostTree() {
        std::random_device seed;
        std::mt19937_64 random(seed());
        root_ = std::filesystem::temp_directory_path() / ("patchkit-test-" + std::to_string(random()));
        std::filesystem::create_directories(root_);
    }
    ~HostTree() {
        std::error_code ignored;
        std::filesystem::remove_all(root_, ignored);
    }
    HostTree(const HostTree&) = delete;
    HostTree& operator=(const HostTree&) = delete;

    // The folder or a path below it, UTF-8 with '/' separators.
    std::string path(const std::string& relative = "") const {
        std::string base = root_.generic_u8string();
        return relative.empty() ? base : base + "/" + relative;
    }

    void write(const std::string& relative, const std::string& bytes) const {
        std::filesystem::path target = at(relative);
        std::filesystem::create_directories(target.parent_path());
        std::ofstream(target, std::ios::binary) << bytes;
    }
    void folder(const std::string& relative) const { std::filesystem::create_directories(at(relative)); }
    std::string read(const std::string& relative) const {
        std::ifstream in(at(relative), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    bool exists(const std::string& relative) const { return std::filesystem::exists(at(relative)); }
    void remove(const std::string& relative) const { std::filesystem::remove_all(at(relative)); }

    std::filesystem::path at(const std::string& relative) const { return std::filesystem::u8path(path(relative)); }

private:
    std::filesystem::path root_;
};

}  // namespace patchkit_testing
