#include <pthread.h>

#include "platform/critical_sections.h"

namespace platform {
namespace {

static_assert(sizeof(pthread_mutex_t) <= sizeof(CriticalSectionStorage));
static_assert(alignof(pthread_mutex_t) <= alignof(CriticalSectionStorage));

pthread_mutex_t* systemMutex(CriticalSectionStorage& section) { return reinterpret_cast<pthread_mutex_t*>(section.bytes); }

// A critical section is a recursive mutex: its owner may enter it again, and must leave it
// as often as it entered.
class PosixCriticalSections final : public CriticalSections {
public:
    void initializeCriticalSection(CriticalSectionStorage& section) override {
        pthread_mutexattr_t attributes;
        pthread_mutexattr_init(&attributes);
        pthread_mutexattr_settype(&attributes, PTHREAD_MUTEX_RECURSIVE);
        pthread_mutex_init(systemMutex(section), &attributes);
        pthread_mutexattr_destroy(&attributes);
    }
    void deleteCriticalSection(CriticalSectionStorage& section) override { pthread_mutex_destroy(systemMutex(section)); }
    bool tryEnterCriticalSection(CriticalSectionStorage& section) override {
        return pthread_mutex_trylock(systemMutex(section)) == 0;
    }
    void enterCriticalSection(CriticalSectionStorage& section) override { pthread_mutex_lock(systemMutex(section)); }
    void leaveCriticalSection(CriticalSectionStorage& section) override { pthread_mutex_unlock(systemMutex(section)); }
};

}  // namespace

CriticalSections& systemCriticalSections() {
    static PosixCriticalSections instance;
    return instance;
}

}  // namespace platform
