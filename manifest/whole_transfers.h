#pragma once

#include <cstdint>

#include "support/file.h"

namespace manifest {

// CFile moves at most a 32-bit count per call, so an array of any size goes in pieces. True
// only when every byte was moved.
bool readAll(support::CFile& file, void* destination, uint64_t count);
bool writeAll(support::CFile& file, const void* source, uint64_t count);

}  // namespace manifest
