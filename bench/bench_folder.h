#pragma once

#include <cstdint>
#include <string>

namespace bench {

// A fresh folder for one benchmark, removed with everything in it when the object goes. All
// benchmarks of a run take theirs from the same parent, so every file lies on one file system.
class BenchFolder {
public:
    explicit BenchFolder(const std::string& parent);
    ~BenchFolder();
    BenchFolder(const BenchFolder&) = delete;
    BenchFolder& operator=(const BenchFolder&) = delete;

    // The host's path, for the plain programs, and the product's ("Z:\...\"), both ending in
    // a separator.
    std::string host(const std::string& name = "") const { return host_ + name; }
    std::string product(const std::string& name = "") const;

private:
    std::string host_;
};

// A file of size bytes that no file system can store sparsely or compress.
void writeFile(const std::string& hostPath, uint64_t size);
void writeBytes(const std::string& hostPath, const void* bytes, uint64_t size);
void makeFolder(const std::string& hostPath);
// Lets what was written on the file system that holds hostPath reach the disk, so that the
// next contender does not pay for the last one's write-back.
void settle(const std::string& hostPath);
void removeTree(const std::string& hostPath);

}  // namespace bench
