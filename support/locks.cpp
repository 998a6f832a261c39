#include "support/locks.h"

namespace support {

CCriticalSection::CCriticalSection() { platform::criticalSections().initializeCriticalSection(section_); }

CCriticalSection::~CCriticalSection() { platform::criticalSections().deleteCriticalSection(section_); }

bool CCriticalSection::tryEnter() { return platform::criticalSections().tryEnterCriticalSection(section_); }

void CCriticalSection::enter() { platform::criticalSections().enterCriticalSection(section_); }

void CCriticalSection::leave() { platform::criticalSections().leaveCriticalSection(section_); }

}  // namespace support
