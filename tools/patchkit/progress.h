#pragma once

#include <chrono>
#include <cstdint>
#include <ostream>
#include <string>

namespace patchkit {

// One status line for long operations, redrawn in place. It appears only when enabled (a
// terminal is watching) and only once an operation has run long enough to need it, so short
// runs and redirected output stay clean.
class Progress {
public:
    Progress(std::ostream& out, bool enabled);
    ~Progress();
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;

    // `total` 0 means not known yet ("scanning 1200 items").
    void show(const char* phase, uint64_t done, uint64_t total, const char* unit);
    // Clears the line; the next show starts a fresh one.
    void finish();

    // A Progress that never draws, for callers that have no terminal.
    static Progress& silent();

private:
    std::ostream& out_;
    bool enabled_;
    std::chrono::steady_clock::time_point started_;
    std::chrono::steady_clock::time_point lastDrawn_{};
    size_t drawnWidth_ = 0;
};

}  // namespace patchkit
