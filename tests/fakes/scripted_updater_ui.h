#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/progress_cancel.h"
#include "app/updater_ui.h"
#include "platform/seam.h"

namespace fakes {

// The two dialogs without a screen: answers the confirmation as told, records every call,
// status text and progress position, and can click the progress dialog's Cancel at a chosen
// pump. While it lives, it is the updater's UI.
class ScriptedUpdaterUi final : public app::UpdaterUi {
public:
    ScriptedUpdaterUi() : scope_(*this) {}

    // What runConfirmation returns: 1 OK, 0 Cancel, -1 a dialog that could not be made.
    int confirmation = 1;
    // The pump (counting from 1) at which Cancel is clicked; 0 never. The click does what
    // the real dialog's does.
    int cancelAtPump = 0;

    std::vector<std::string> calls;        // operation names, in order
    std::vector<std::string> statusTexts;  // code page 932, as written
    std::vector<uint32_t> positions;
    int pumps = 0;
    // Set when an operation was given a handle other than the one showProgressDialog
    // returned, or used the dialog before it was shown or after it was destroyed.
    bool misusedHandle = false;

    int count(const std::string& name) const {
        int n = 0;
        for (const std::string& call : calls) n += call == name;
        return n;
    }

    int runConfirmation() override {
        calls.push_back("runConfirmation");
        return confirmation;
    }
    app::ProgressDialog showProgressDialog() override {
        calls.push_back("showProgressDialog");
        if (shown_) misusedHandle = true;
        shown_ = true;
        return handle();
    }
    void setStatusText(app::ProgressDialog dialog, const char* text) override {
        calls.push_back("setStatusText");
        check(dialog);
        statusTexts.push_back(text);
    }
    void setProgress(app::ProgressDialog dialog, uint32_t percent) override {
        calls.push_back("setProgress");
        check(dialog);
        positions.push_back(percent);
    }
    bool pumpOneMessage() override {
        calls.push_back("pumpOneMessage");
        ++pumps;
        if (pumps != cancelAtPump || !shown_) return false;
        app::requestCancel();
        return true;
    }
    void destroyProgressDialog(app::ProgressDialog dialog) override {
        calls.push_back("destroyProgressDialog");
        check(dialog);
        shown_ = false;
    }

private:
    app::ProgressDialog handle() { return &shown_; }
    void check(app::ProgressDialog dialog) {
        if (!shown_ || dialog != handle()) misusedHandle = true;
    }

    bool shown_ = false;
    platform::ScopedService<app::UpdaterUi> scope_;
};

}  // namespace fakes
