#include <windows.h>

#include "platform/critical_sections.h"

namespace platform {
namespace {

static_assert(sizeof(CRITICAL_SECTION) <= sizeof(CriticalSectionStorage));
static_assert(alignof(CRITICAL_SECTION) <= alignof(CriticalSectionStorage));

CRITICAL_SECTION* systemSection(CriticalSectionStorage& section) { return reinterpret_cast<CRITICAL_SECTION*>(section.bytes); }

class Win32CriticalSections final : public CriticalSections {
public:
    void initializeCriticalSection(CriticalSectionStorage& section) override { InitializeCriticalSection(systemSection(section)); }
    void deleteCriticalSection(CriticalSectionStorage& section) override { DeleteCriticalSection(systemSection(section)); }
    bool tryEnterCriticalSection(CriticalSectionStorage& section) override {
        return TryEnterCriticalSection(systemSection(section)) != FALSE;
    }
    void enterCriticalSection(CriticalSectionStorage& section) override { EnterCriticalSection(systemSection(section)); }
    void leaveCriticalSection(CriticalSectionStorage& section) override { LeaveCriticalSection(systemSection(section)); }
};

}  // namespace

CriticalSections& systemCriticalSections() {
    static Win32CriticalSections instance;
    return instance;
}

}  // namespace platform
