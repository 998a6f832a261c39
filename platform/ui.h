#pragma once

#include <cstdint>

namespace platform {

inline constexpr uint32_t kMbOk = 0x0;

class Ui {
public:
    virtual ~Ui() = default;

    // MessageBoxA with no owner window. A null caption leaves the system's default caption.
    // Returns the button chosen (IDOK, 1), or 0 when the box could not be shown.
    virtual int messageBox(const char* text, const char* caption, uint32_t type) = 0;

    static Ui* replace(Ui* replacement);
};

Ui& ui();

}  // namespace platform
