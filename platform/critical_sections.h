#pragma once

namespace platform {

// Room for one system critical section inside the object that holds it: a CRITICAL_SECTION
// on Windows, a recursive mutex natively. Each backend checks at compile time that its lock
// fits.
struct CriticalSectionStorage {
    alignas(8) unsigned char bytes[64];
};

// Critical sections: locks of one process, which the thread that holds one may enter again.
class CriticalSections {
public:
    virtual ~CriticalSections() = default;

    virtual void initializeCriticalSection(CriticalSectionStorage& section) = 0;  // InitializeCriticalSection
    virtual void deleteCriticalSection(CriticalSectionStorage& section) = 0;      // DeleteCriticalSection
    // TryEnterCriticalSection: true when it returned non-zero, the section then entered.
    virtual bool tryEnterCriticalSection(CriticalSectionStorage& section) = 0;
    virtual void enterCriticalSection(CriticalSectionStorage& section) = 0;  // EnterCriticalSection
    virtual void leaveCriticalSection(CriticalSectionStorage& section) = 0;  // LeaveCriticalSection

    static CriticalSections* replace(CriticalSections* replacement);
};

CriticalSections& criticalSections();

}  // namespace platform
