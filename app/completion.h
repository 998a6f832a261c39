#pragma once

#include <string>

namespace app {

// What follows a successful run in either mode, once its message has been dismissed: the
// shortcuts that the update changes are made again and recorded (installFolder, with its
// trailing separator, holds their targets), then each non-empty carried string of the update
// replaces the installation's string of the same number, which the record then keeps.
void completeUpdate(const std::string& installFolder);

}  // namespace app
