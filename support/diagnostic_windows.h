#pragma once

#include <array>
#include <cstdint>

#include "platform/window_state.h"

namespace support {

// A diagnostic window of the support library, as the library sees it: its system handle.
struct DiagnosticWindow {
    platform::WindowHandle handle = nullptr;
};

inline constexpr int32_t kDiagnosticWindowSlots = 12;
// The slot of the window that switches the file access statistics on.
inline constexpr int32_t FileStatisticsSlot = 7;

// The process's diagnostic windows, one slot each; a slot is empty or refers to a window.
class DiagnosticWindowRegistry {
public:
    // For an index below 0, whether any slot's window is visible; otherwise whether the
    // slot's window is. An empty slot, or an index past the last slot, has no visible window.
    bool isWindowVisible(int32_t index) const;

    // Puts a window into a slot (null empties it) and returns what the slot held. Windows are
    // registered by the code that creates them; the updater creates none.
    const DiagnosticWindow* place(int32_t slot, const DiagnosticWindow* window);

private:
    std::array<const DiagnosticWindow*, kDiagnosticWindowSlots> slots_{};
};

// The registry, made with every slot empty on first use and destroyed at process exit, before
// the statistics it switches.
DiagnosticWindowRegistry& diagnosticWindowRegistry();

}  // namespace support
