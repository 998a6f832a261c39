#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace wine_driver {

// The system's IDOK and IDCANCEL: the buttons of a message box and of the dialogs, whose own
// controls are named in resources/resource_ids.h.
inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;

// A window as the probe saw it from outside the updater. Texts are the code page 932 bytes
// that the window holds.
struct Control {
    int id = 0;  // a template's -1 (0xFFFF in a 16-bit id) is reported as -1
    std::string className;
    std::string text;
    uint32_t style = 0;
    bool enabled = false;
    bool visible = false;
    std::optional<int> position;  // progress bars only, when the updater answered in time
    std::optional<bool> hasIcon;  // icon statics only
};

struct Dialog {
    std::string handle;  // the window handle, as the probe takes it back
    std::string className;
    std::string caption;
    uint32_t style = 0;
    bool enabled = false;
    bool visible = false;
    std::vector<Control> controls;

    const Control* control(int id) const;
    std::vector<const Control*> visibleButtons() const;
    // The whole window in readable UTF-8, for failure messages.
    std::string describe() const;
};

// Parses the probe's records: "window ..." and "control ..." lines up to "end". Lines of other
// kinds are left to the caller.
std::vector<Dialog> parseDialogs(const std::string& probeOutput);

// Code page 932 bytes as UTF-8 for a person to read; bytes that are not valid code page 932
// are shown as \xNN.
std::string readable(const std::string& cp932);

}  // namespace wine_driver
