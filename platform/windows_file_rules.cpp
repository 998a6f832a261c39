#include "platform/windows_file_rules.h"

#include "platform/files.h"

namespace platform {

bool sharingAllows(uint32_t heldAccess, uint32_t heldShare, uint32_t access, uint32_t share) {
    if ((access & kGenericRead) && !(heldShare & kFileShareRead)) return false;
    if ((access & kGenericWrite) && !(heldShare & kFileShareWrite)) return false;
    if ((heldAccess & kGenericRead) && !(share & kFileShareRead)) return false;
    if ((heldAccess & kGenericWrite) && !(share & kFileShareWrite)) return false;
    return true;
}

int64_t seekDistanceOf(int32_t distanceLow, const int32_t* distanceHigh) {
    if (!distanceHigh) return distanceLow;
    return static_cast<int64_t>((uint64_t{static_cast<uint32_t>(*distanceHigh)} << 32) | static_cast<uint32_t>(distanceLow));
}

uint32_t reportedPosition(uint64_t position, int32_t* distanceHigh) {
    if (distanceHigh) *distanceHigh = static_cast<int32_t>(position >> 32);
    return static_cast<uint32_t>(position);
}

}  // namespace platform
