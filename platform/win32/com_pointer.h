#pragma once

// Owns one reference to a COM interface and releases it when it goes, so that every early
// return of a COM sequence releases exactly what was acquired so far. Objects declared in the
// order of acquisition are released in the reverse order.
namespace platform::win32 {

template <class Interface>
class ComPointer {
public:
    ComPointer() = default;
    ~ComPointer() { reset(); }
    ComPointer(const ComPointer&) = delete;
    ComPointer& operator=(const ComPointer&) = delete;

    // Where a creating call stores the new reference; whatever was held is released first.
    Interface** receive() {
        reset();
        return &pointer_;
    }
    void** receiveVoid() { return reinterpret_cast<void**>(receive()); }

    Interface* operator->() const { return pointer_; }
    Interface& operator*() const { return *pointer_; }
    explicit operator bool() const { return pointer_ != nullptr; }

    void reset() {
        if (pointer_) {
            pointer_->Release();
            pointer_ = nullptr;
        }
    }

private:
    Interface* pointer_ = nullptr;
};

}  // namespace platform::win32
