#include "tools/patchkit/progress.h"

#include <iostream>

namespace patchkit {
namespace {
constexpr auto kQuietStart = std::chrono::milliseconds(400);
constexpr auto kRedrawInterval = std::chrono::milliseconds(100);
}  // namespace

Progress::Progress(std::ostream& out, bool enabled) : out_(out), enabled_(enabled), started_(std::chrono::steady_clock::now()) {}

Progress::~Progress() { finish(); }

Progress& Progress::silent() {
    static Progress none(std::cerr, false);
    return none;
}

void Progress::show(const char* phase, uint64_t done, uint64_t total, const char* unit) {
    if (!enabled_) return;
    auto now = std::chrono::steady_clock::now();
    if (now - started_ < kQuietStart) return;
    if (drawnWidth_ > 0 && now - lastDrawn_ < kRedrawInterval && done != total) return;
    lastDrawn_ = now;

    std::string line = std::string(phase) + " " + std::to_string(done);
    if (total > 0) line += "/" + std::to_string(total) + " " + unit + " (" + std::to_string(done * 100 / total) + "%)";
    else line += std::string(" ") + unit;
    // Padding over the previous line instead of an erase sequence: a Windows console may not
    // understand escape codes.
    std::string padded = line;
    if (padded.size() < drawnWidth_) padded.append(drawnWidth_ - padded.size(), ' ');
    out_ << '\r' << padded << std::flush;
    drawnWidth_ = line.size();
}

void Progress::finish() {
    if (!enabled_ || drawnWidth_ == 0) return;
    out_ << '\r' << std::string(drawnWidth_, ' ') << '\r' << std::flush;
    drawnWidth_ = 0;
}

}  // namespace patchkit
