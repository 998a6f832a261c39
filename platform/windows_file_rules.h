#pragma once

#include <cstdint>

// What the file services that stand in for Windows' own (the native backend, the in-memory
// overlay) take from Windows' file calls, written once for both.
namespace platform {

// Whether an open with `access` and `share` may join a handle held with heldAccess and
// heldShare on the same file: each side must share what the other asks for.
bool sharingAllows(uint32_t heldAccess, uint32_t heldShare, uint32_t access, uint32_t share);

// SetFilePointer's distance: *distanceHigh:distanceLow as one signed 64-bit value, or
// distanceLow sign-extended when distanceHigh is null.
int64_t seekDistanceOf(int32_t distanceLow, const int32_t* distanceHigh);
// SetFilePointer's answer for a new position: its low word, with its high word stored in
// *distanceHigh when given.
uint32_t reportedPosition(uint64_t position, int32_t* distanceHigh);

}  // namespace platform
