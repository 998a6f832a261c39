#pragma once

#include <string>

namespace testing_support {

// A fresh folder for one test, removed with everything in it when the object goes. `path` is
// the folder as the product names it (ANSI code page, backslashes, trailing separator).
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + name; }

    // Host-side helpers for arranging and inspecting files, independent of the seam under test.
    void writeBytes(const std::string& name, const std::string& bytes) const;
    std::string readBytes(const std::string& name) const;
    bool exists(const std::string& name) const;
    void makeReadOnly(const std::string& name) const;
    void makeFolder(const std::string& name) const;

private:
    std::string path_;
    std::string host_;
};

}  // namespace testing_support
