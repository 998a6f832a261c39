#pragma once

// The progress dialog's status line (IDC_STATUS), which shows the name of the file being
// copied: its width in dialog units, shared by Update.rc (through windres' preprocessor) and
// patchkit's check, which tells a vendor how much of a name the line shows. A plain macro:
// the resource compiler understands nothing else.
#define STATUS_LINE_WIDTH 131
