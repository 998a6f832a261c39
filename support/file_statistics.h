#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "support/locks.h"

namespace support {

// Bytes that CFile was asked to transfer, per file name (compared byte for byte, so letter
// case counts; files of one name in different folders share a total).
using FileStatistics = std::map<std::string, uint64_t>;

// Process-wide, made before the entry point in this order and gone at exit in the reverse:
// the lock guards the two maps and nothing else.
extern CCriticalSection statisticsLock;
extern FileStatistics readStatistics;
extern FileStatistics writeStatistics;

// The first step of every CFile read and write: while the window of FileStatisticsSlot is
// visible, adds the requested count (not what the transfer will deliver) to the file name's
// total. Otherwise it costs one test of an empty slot: no lock, no allocation, no system call.
void recordAccess(FileStatistics& statistics, const std::string& fileName, uint32_t count);

}  // namespace support
