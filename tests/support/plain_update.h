#pragma once

// The run as its steps read when written out plainly, with none of the product's guards: no
// check of the paths before the first change, a backup move whose failure is passed over, no
// note of which files the run has brought, no count of the bytes copied, shortcut names joined
// to their folders as they come, every target emptied, the older backup's attributes cleared as
// the target's are. Start-up, the rollback and the record's save are the
// product's own: they have no guard to leave out. The safety properties hold the product to
// it: where these steps lose nothing and stay inside, the product must do exactly what they do,
// and every refusal of the product's must be one that they would have needed.
#include "app/updater.h"

namespace testing_support {

// copiesWhole goes false where a copy came out short and passed for whole: the plain steps
// count no bytes, so such a run may claim what it did not do.
app::RunOutcome runPlainUpdater(bool& copiesWhole);

}  // namespace testing_support
