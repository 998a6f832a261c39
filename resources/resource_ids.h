#pragma once

// Resource and control identifiers, shared by Update.rc (through windres' preprocessor) and
// the dialog code, so that a template and the code that fills it cannot disagree. Plain
// macros: the resource compiler understands nothing else.

#define IDD_CONFIRM 101
#define IDD_PROGRESS 102

// The executable's icon; nothing loads it at run time.
#define IDI_UPDATE 102

#define IDC_PROGRESS 1001
#define IDC_STATUS 1002
#define IDC_MESSAGE 1004
#define IDC_NOTE 1005
