#pragma once

namespace app {

// How a run ended, for the callers that look (patchkit's dry run, tests): the process exit code
// is 0 whatever it is.
enum class RunOutcome {
    StartUpRefused,  // a start-up failure's message was shown; nothing was changed
    Declined,        // the confirmation was answered Cancel, or could not be shown
    FoldersTooLong,  // a folder would not fit the system's paths; nothing was changed
    Succeeded,       // the success message was shown and the completion ran
    Failed,          // a removal failed: what it deleted stays deleted
    RolledBack,      // an update failed or was cancelled, and the rollback ran
};

// The whole run, from the command line to the saved record.
RunOutcome runUpdater();

// What follows a successful start-up, on the run's state: the confirmation, the work under
// the progress dialog, the outcome's message with the rollback before a failure's or the
// completion after a success's, and the installation's record saved.
RunOutcome runSequence();

}  // namespace app
