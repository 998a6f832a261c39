#pragma once

// The platform seam. Every system service the product uses is an abstract class with one
// operation per platform call; each operation keeps the call's meaning and its result, so the
// product's algorithms read the same as the system calls they stand for.
//
// The build chooses the implementation (platform/win32 or platform/posix). Tests may put a
// replacement in front of a service for a while; `ScopedService` restores the previous one.

namespace platform {

template <class Service>
class ScopedService {
public:
    explicit ScopedService(Service& replacement) : previous_(Service::replace(&replacement)) {}
    ~ScopedService() { Service::replace(previous_); }
    ScopedService(const ScopedService&) = delete;
    ScopedService& operator=(const ScopedService&) = delete;

private:
    Service* previous_;
};

}  // namespace platform
