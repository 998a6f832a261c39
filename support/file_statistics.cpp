#include "support/file_statistics.h"

#include "support/diagnostic_windows.h"

namespace support {

// Defined in their order of construction: the lock before the maps it guards.
CCriticalSection statisticsLock;
FileStatistics readStatistics;
FileStatistics writeStatistics;

void recordAccess(FileStatistics& statistics, const std::string& fileName, uint32_t count) {
    if (!diagnosticWindowRegistry().isWindowVisible(FileStatisticsSlot)) return;
    // A failed insertion throws out of the transfer; the guard leaves the lock on the way.
    CLockGuard guard(statisticsLock);
    statistics[fileName] += count;
}

}  // namespace support
