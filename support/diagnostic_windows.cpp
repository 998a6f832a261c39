#include "support/diagnostic_windows.h"

namespace support {
namespace {

bool visible(const DiagnosticWindow* window) { return window && platform::windowState().isWindowVisible(window->handle); }

}  // namespace

bool DiagnosticWindowRegistry::isWindowVisible(int32_t index) const {
    if (index < 0) {
        for (const DiagnosticWindow* window : slots_) {
            if (visible(window)) return true;
        }
        return false;
    }
    return index < kDiagnosticWindowSlots && visible(slots_[index]);
}

const DiagnosticWindow* DiagnosticWindowRegistry::place(int32_t slot, const DiagnosticWindow* window) {
    const DiagnosticWindow* previous = slots_[slot];
    slots_[slot] = window;
    return previous;
}

DiagnosticWindowRegistry& diagnosticWindowRegistry() {
    static DiagnosticWindowRegistry registry;
    return registry;
}

}  // namespace support
