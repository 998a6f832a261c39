#pragma once

namespace app {

// What follows a successful run in either mode, once its message has been dismissed: each
// non-empty carried string of the update replaces the installation's string of the same
// number, which the record then keeps.
void completeUpdate();

}  // namespace app
