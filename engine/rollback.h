#pragma once

namespace engine {

// Undoes, as far as the file system allows, what a failed or cancelled normal-mode run
// journaled: written files deleted, backups moved back, recorded folders removed. Reports
// nothing; the record in memory is left as the run made it.
void rollbackChanges();

}  // namespace engine
