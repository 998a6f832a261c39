#pragma once

#include <cstdint>

#include "support/diagnostic_windows.h"

namespace support {

// Puts a diagnostic window into a slot of the process's registry for as long as it lives,
// then gives the slot back as it was. Only tests register windows: the updater makes none.
class DiagnosticWindowRegistration {
public:
    DiagnosticWindowRegistration(int32_t slot, const DiagnosticWindow& window)
        : slot_(slot), previous_(diagnosticWindowRegistry().place(slot, &window)) {}
    ~DiagnosticWindowRegistration() { diagnosticWindowRegistry().place(slot_, previous_); }
    DiagnosticWindowRegistration(const DiagnosticWindowRegistration&) = delete;
    DiagnosticWindowRegistration& operator=(const DiagnosticWindowRegistration&) = delete;

private:
    int32_t slot_;
    const DiagnosticWindow* previous_;
};

}  // namespace support
