#pragma once

#include <string>
#include <vector>

// What a plain program does with the same files: the floors the updater is measured against.
namespace bench {

// The bare loop: read(2) and write(2) of chunkSize bytes until the source ends, into a
// target created or emptied.
void copyInChunks(const std::string& sourceHost, const std::string& targetHost, size_t chunkSize);

// read(2) of chunkSize bytes until the file ends, the bytes thrown away.
void readInChunks(const std::string& hostPath, size_t chunkSize);

// Runs a program found on PATH and waits for it; one that fails ends the benchmark.
void runOrFail(const std::vector<std::string>& arguments);

}  // namespace bench
