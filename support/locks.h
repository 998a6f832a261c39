#pragma once

#include "platform/critical_sections.h"

namespace support {

// A lock of the support library.
class CCriticalSectionBase {
public:
    virtual ~CCriticalSectionBase() = default;
    virtual bool tryEnter() = 0;
    virtual void enter() = 0;
    virtual void leave() = 0;
};

// A system critical section, initialised with the object and deleted with it. The thread
// that holds it may enter it again.
class CCriticalSection final : public CCriticalSectionBase {
public:
    CCriticalSection();
    ~CCriticalSection() override;
    CCriticalSection(const CCriticalSection&) = delete;
    CCriticalSection& operator=(const CCriticalSection&) = delete;

    bool tryEnter() override;
    void enter() override;
    void leave() override;

private:
    platform::CriticalSectionStorage section_;
};

// Holds a lock for one block: entered when made, left when destroyed, on every way out.
class CLockGuard {
public:
    explicit CLockGuard(CCriticalSectionBase& lock) : lock_(lock) { lock_.enter(); }
    ~CLockGuard() { lock_.leave(); }
    CLockGuard(const CLockGuard&) = delete;
    CLockGuard& operator=(const CLockGuard&) = delete;

private:
    CCriticalSectionBase& lock_;
};

}  // namespace support
