#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "tools/patchkit/dry_run/run.h"

// What a dry run showed, in the order of the run: each entry of the update and what happened
// to it, the messages, what a rollback put back, the shortcuts, and the record's changes.
// Texts are UTF-8; paths in the installation are relative to it.
namespace patchkit {

struct EntryStep {
    enum Outcome {
        FolderMade,
        FolderPresent,
        FolderNotMade,
        FolderSkipped,
        FileAdded,
        FileReplaced,
        FileWrittenAgain,  // a file an earlier entry of the run brought (the same name, or another spelling): no second backup
        FileDeleted,
        Failed,
        NotReached,
    };
    std::string name;
    Outcome outcome = NotReached;
    std::vector<std::string> foldersMade;  // above the entry, made on the way to it
    bool readOnlyCleared = false;
    bool backupReplaced = false;           // FileReplaced: an older backup of that name went
    uint64_t size = 0;                     // FileAdded, FileReplaced, FileWrittenAgain: bytes written
    size_t sameFileAs = 0;                 // FileWrittenAgain: the entry that brought the file
    std::string message;                   // Failed: the updater's message
};

struct RollbackStep {
    enum Kind { WrittenFileDeleted, BackupRestored, FolderRemoved };
    Kind kind;
    std::string path;
};

struct ShownMessage {
    std::string text;
    bool hasCaption = false;
    std::string caption;
};

struct ShortcutStep {
    enum Kind { Deleted, Made, NotMade };
    Kind kind;
    std::string link;  // full path
    std::string target;
    std::string arguments;
};

struct RecordEntryChange {
    enum Kind { Appended, Updated, Removed };
    Kind kind;
    std::string name;
    uint64_t sizeBefore = 0, size = 0;
    uint32_t extraBefore = 0, extra = 0;
};

struct FieldChange {
    std::string field;  // "carriedStrings[0]", "shortcuts[1]"
    std::string before, after;
    bool isText;        // a text, shown quoted; else a slot, shown as it is
};

struct CounterChange {
    const char* field;
    uint64_t before, after;
};

struct DryRunReport {
    bool removal = false;
    bool startedUp = false;
    // Folders made for the installation folder itself, before the first entry.
    std::vector<std::string> installFolderMade;
    std::vector<EntryStep> entries;
    // The message that ended the run before any entry was worked on, if one did.
    std::string stoppedEarly;
    std::vector<RollbackStep> rollback;
    std::vector<ShownMessage> messages;  // every message box, in order
    std::vector<ShortcutStep> shortcuts;
    bool recordSaved = false;
    std::vector<RecordEntryChange> recordEntries;
    std::vector<CounterChange> recordCounters;
    std::vector<FieldChange> recordFields;
    bool succeeds = false;
};

// Reads the timeline as the run sequence produces it: start-up, confirmation, the progress
// dialog while the engine works through the entries, then the rollback or the completion
// around the outcome's message, and the record saved last.
DryRunReport reportOf(const DryRunObservation& seen);

}  // namespace patchkit
