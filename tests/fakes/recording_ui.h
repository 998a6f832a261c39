#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/seam.h"
#include "platform/ui.h"

namespace fakes {

// Records every message box instead of showing it; answers OK.
class RecordingMessageBoxes final : public platform::Ui {
public:
    RecordingMessageBoxes() : scope_(*this) {}

    struct Box {
        std::string text;
        bool hasCaption = false;
        std::string caption;
        uint32_t type = 0;
    };
    std::vector<Box> boxes;
    // Called with each box while it is up, to look at what the program has done by then.
    std::function<void(const Box&)> whileShown;

    int messageBox(const char* text, const char* caption, uint32_t type) override {
        boxes.push_back({text, caption != nullptr, caption ? caption : "", type});
        if (whileShown) whileShown(boxes.back());
        return 1;
    }

private:
    platform::ScopedService<platform::Ui> scope_;
};

}  // namespace fakes
