#pragma once

#include <memory>
#include <string>

#include "tests/wine_driver/child_process.h"

namespace wine_driver {

// An Xvfb of its own while the object lives, on a display number that the server picks itself
// from the free ones, so that parallel runs cannot collide.
class Display {
public:
    Display();
    ~Display();
    Display(const Display&) = delete;
    Display& operator=(const Display&) = delete;

    const std::string& name() const { return name_; }  // ":N", or empty if the server did not start
    const std::string& problem() const { return problem_; }
    // A picture of the whole screen.
    bool screenshot(const std::string& pngPath) const;

private:
    std::unique_ptr<ChildProcess> server_;
    std::string folder_;
    std::string name_;
    std::string problem_;
};

}  // namespace wine_driver
