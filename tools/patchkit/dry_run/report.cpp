#include "tools/patchkit/dry_run/report.h"

#include <cstring>
#include <unordered_map>

#include "engine/backup_name.h"
#include "manifest/layouts.h"
#include "manifest/text_fields.h"
#include "platform/file_path.h"
#include "platform/files.h"
#include "tools/patchkit/entry_names.h"
#include "tools/patchkit/field_text.h"

namespace patchkit {
namespace {

using overlay::Change;

template <size_t Width>
std::string shownField(const char (&field)[Width]) {
    return displayText(manifest::fieldText(field));
}

std::string withoutSeparator(std::string path) {
    if (platform::endsInSeparator(path)) path.pop_back();
    return path;
}

// A record as saved: its header and its entries, or false when the bytes are not one.
struct RecordImage {
    manifest::UninstallHeader header{};
    std::vector<manifest::ManifestEntry> entries;

    bool read(const std::string& bytes) {
        if (bytes.size() < sizeof header || (bytes.size() - sizeof header) % sizeof(manifest::ManifestEntry) != 0) return false;
        std::memcpy(&header, bytes.data(), sizeof header);
        entries.resize((bytes.size() - sizeof header) / sizeof(manifest::ManifestEntry));
        if (!entries.empty()) std::memcpy(entries.data(), bytes.data() + sizeof header, bytes.size() - sizeof header);
        return true;
    }
};

std::string slotText(const manifest::ShortcutSlot& slot) {
    if (slot.nameTemplate[0] == '\0') return "unused";
    return "\"" + shownField(slot.nameTemplate) + "\" for \"" + shownField(slot.target) + "\"";
}

class ObservationReader {
public:
    ObservationReader(const DryRunObservation& seen, DryRunReport& report) : seen_(seen), t_(seen.timeline), report_(report) {}

    void read() {
        report_.removal = seen_.removal;
        for (const RunEvent& event : t_) {
            if (event.kind == RunEvent::MessageBox) report_.messages.push_back({displayText(event.text), event.hasCaption, displayText(event.caption)});
        }
        size_t confirmed = indexOf(RunEvent::Confirmation, 0);
        report_.startedUp = confirmed < t_.size();
        if (!report_.startedUp) {
            if (!report_.messages.empty()) report_.stoppedEarly = report_.messages.front().text;
            return;
        }
        size_t shownAt = indexOf(RunEvent::ProgressShown, confirmed);
        size_t destroyedAt = indexOf(RunEvent::ProgressDestroyed, shownAt);
        applyPhase(shownAt, destroyedAt);
        if (shownAt == t_.size()) {
            // The run ended between the confirmation and the progress dialog.
            size_t message = indexOf(RunEvent::MessageBox, confirmed);
            if (message < t_.size()) report_.stoppedEarly = displayText(t_[message].text);
            return;
        }
        size_t outcome = indexOf(RunEvent::MessageBox, destroyedAt);
        rollbackPhase(destroyedAt, outcome);
        completionPhase(outcome);
        report_.succeeds = seen_.outcome == app::RunOutcome::Succeeded;
        recordChanges();
    }

private:
    size_t indexOf(RunEvent::Kind kind, size_t from) const {
        for (size_t i = from; i < t_.size(); ++i) {
            if (t_[i].kind == kind) return i;
        }
        return t_.size();
    }

    std::string relative(const std::string& path) const {
        const std::string& folder = seen_.installFolder;
        return displayText(path.compare(0, folder.size(), folder) == 0 ? path.substr(folder.size()) : path);
    }

    // A shortcut's path below the Programs folder it lies in, which differs from system to
    // system.
    std::string inPrograms(const std::string& path) const {
        for (const auto& [folder, label] : {std::make_pair(&seen_.userPrograms, "(per-user Programs)\\"),
                                            std::make_pair(&seen_.commonPrograms, "(all-users Programs)\\")}) {
            if (!folder->empty() && path.compare(0, folder->size(), *folder) == 0) return label + displayText(path.substr(folder->size()));
        }
        return displayText(path);
    }

    const Change* changeAt(size_t i, size_t end) const {
        return i < end && t_[i].kind == RunEvent::FileChange ? &t_[i].change : nullptr;
    }

    // A folder that createDirectoryChain makes on its way to `path`: a prefix of it that ends
    // just before a separator, or the path itself.
    static bool onTheWayTo(const std::string& made, const std::string& path) {
        return path.compare(0, made.size(), made) == 0 && (made.size() == path.size() || platform::isPathSeparatorAt(path, made.size()));
    }

    void applyPhase(size_t shownAt, size_t end) {
        size_t at = shownAt + 1;
        if (shownAt < t_.size()) {
            while (const Change* c = changeAt(at, end)) {
                if (c->kind != Change::FolderMade || !onTheWayTo(c->path, seen_.installFolder)) break;
                report_.installFolderMade.push_back(displayText(c->path));
                ++at;
            }
            // The engine checks every path before the first change; a refusal comes first.
            if (at < end && t_[at].kind == RunEvent::MessageBox) {
                report_.stoppedEarly = displayText(t_[at].text);
                at = end;
            }
        }
        bool stopped = shownAt >= t_.size() || !report_.stoppedEarly.empty();
        // The files the run has brought so far, by Windows' key of their names, and the entry
        // that brought each.
        std::unordered_map<std::string, size_t> brought;
        for (size_t i = 0; i < seen_.updateEntries.size(); ++i) {
            const manifest::ManifestEntry& entry = seen_.updateEntries[i];
            EntryStep step;
            step.name = displayText(entry.name);
            if (stopped) {
                report_.entries.push_back(step);
                continue;
            }
            if (manifest::isDirectoryEntry(entry)) {
                folderEntry(entry, seen_.folderBefore[i], at, end, step);
            } else {
                stopped = !fileEntry(entry, at, end, step);
                // What the run brought already it writes again in place: the old file's
                // backup was made for the first spelling.
                auto first = brought.emplace(diskKeyOf(entry.name), i);
                if (!stopped && !seen_.removal && !first.second && step.outcome == EntryStep::FileAdded) {
                    step.outcome = EntryStep::FileWrittenAgain;
                    step.sameFileAs = first.first->second;
                }
            }
            report_.entries.push_back(step);
        }
    }

    void folderEntry(const manifest::ManifestEntry& entry, bool before, size_t& at, size_t end, EntryStep& step) {
        if (seen_.removal) {
            step.outcome = EntryStep::FolderSkipped;
            return;
        }
        std::string folder = withoutSeparator(seen_.installFolder + entry.name);
        bool madeNow = false;
        while (const Change* c = changeAt(at, end)) {
            if (c->kind != Change::FolderMade || !onTheWayTo(c->path, folder)) break;
            if (c->path == folder) {
                madeNow = true;
            } else {
                step.foldersMade.push_back(relative(c->path) + "\\");
            }
            ++at;
        }
        step.outcome = madeNow ? EntryStep::FolderMade : before || madeByRun(folder, at) ? EntryStep::FolderPresent : EntryStep::FolderNotMade;
    }

    bool madeByRun(const std::string& folder, size_t before) const {
        for (size_t i = 0; i < before; ++i) {
            if (t_[i].kind == RunEvent::FileChange && t_[i].change.kind == Change::FolderMade && t_[i].change.path == folder) return true;
        }
        return false;
    }

    // False when the entry failed, which ends the run.
    bool fileEntry(const manifest::ManifestEntry& entry, size_t& at, size_t end, EntryStep& step) {
        std::string target = seen_.installFolder + entry.name;
        if (at < end && t_[at].kind == RunEvent::StatusText) ++at;
        bool replaced = false;
        for (; at < end; ++at) {
            const RunEvent& event = t_[at];
            if (event.kind == RunEvent::MessageBox) {
                step.outcome = EntryStep::Failed;
                step.message = displayText(event.text);
                ++at;
                return false;
            }
            // The older backup's attributes go before the move that replaces it.
            const Change& c = event.change;
            if (event.kind == RunEvent::FileChange && c.kind == Change::AttributesChanged && c.path == engine::backupPathOf(target)) continue;
            if (event.kind != RunEvent::FileChange || c.path != target) break;
            if (c.kind == Change::AttributesChanged) {
                step.readOnlyCleared = (c.before & platform::kFileAttributeReadOnly) && !(c.after & platform::kFileAttributeReadOnly);
            } else if (c.kind == Change::FileMoved && c.to == engine::backupPathOf(target)) {
                replaced = true;
                step.backupReplaced = c.replaced;
            } else if (c.kind == Change::FileWritten) {
                step.size = c.size;
            } else if (c.kind != Change::FileCreated && c.kind != Change::FileEmptied && c.kind != Change::FileDeleted) {
                break;
            }
        }
        step.outcome = seen_.removal ? EntryStep::FileDeleted : replaced ? EntryStep::FileReplaced : EntryStep::FileAdded;
        return true;
    }

    void rollbackPhase(size_t destroyedAt, size_t outcome) {
        for (size_t i = destroyedAt + 1; i < outcome; ++i) {
            const Change* c = changeAt(i, outcome);
            if (!c) continue;
            if (c->kind == Change::FileDeleted) report_.rollback.push_back({RollbackStep::WrittenFileDeleted, relative(c->path)});
            if (c->kind == Change::FileMoved) report_.rollback.push_back({RollbackStep::BackupRestored, relative(c->to)});
            if (c->kind == Change::FolderRemoved) report_.rollback.push_back({RollbackStep::FolderRemoved, relative(c->path) + "\\"});
        }
    }

    // After the outcome's message: the shortcuts, then the record's save. Shortcuts live in
    // the Programs folders, never in the installation, where the record is written.
    void completionPhase(size_t outcome) {
        const std::string& folder = seen_.installFolder;
        for (size_t i = outcome; i < t_.size(); ++i) {
            const RunEvent& event = t_[i];
            if (event.kind == RunEvent::ShortcutLink) {
                report_.shortcuts.push_back({event.made ? ShortcutStep::Made : ShortcutStep::NotMade, inPrograms(event.text),
                                             displayText(event.target), displayText(event.arguments)});
            }
            if (event.kind != RunEvent::FileChange) continue;
            const Change& c = event.change;
            if (c.path == seen_.recordPath || c.to == seen_.recordPath) report_.recordSaved = true;
            if (c.kind == Change::FileDeleted && c.path.compare(0, folder.size(), folder) != 0) {
                report_.shortcuts.push_back({ShortcutStep::Deleted, inPrograms(c.path), "", ""});
            }
        }
    }

    void recordChanges() {
        RecordImage before, after;
        if (!report_.recordSaved || !before.read(seen_.recordBefore) || !after.read(seen_.recordAfter)) return;
        // Entries keep their places; a removal closes the gap. So the two lists walk in step,
        // and a name that is no longer where it was has gone.
        size_t b = 0, a = 0;
        while (b < before.entries.size() || a < after.entries.size()) {
            const manifest::ManifestEntry* old = b < before.entries.size() ? &before.entries[b] : nullptr;
            const manifest::ManifestEntry* now = a < after.entries.size() ? &after.entries[a] : nullptr;
            if (old && now && std::strncmp(old->name, now->name, manifest::kNameWidth) == 0) {
                if (old->size != now->size || old->extra != now->extra) {
                    report_.recordEntries.push_back({RecordEntryChange::Updated, displayText(now->name), old->size, now->size, old->extra, now->extra});
                }
                ++b, ++a;
            } else if (old) {
                report_.recordEntries.push_back({RecordEntryChange::Removed, displayText(old->name), old->size, 0, old->extra, 0});
                ++b;
            } else {
                report_.recordEntries.push_back({RecordEntryChange::Appended, displayText(now->name), 0, now->size, 0, now->extra});
                ++a;
            }
        }
        report_.recordCounters = {{"entryCount", before.header.entryCount, after.header.entryCount},
                                  {"fileCount", before.header.fileCount, after.header.fileCount},
                                  {"totalBytes", before.header.totalBytes, after.header.totalBytes}};
        for (size_t k = 0; k < manifest::kCarriedStringCount; ++k) {
            std::string old = shownField(before.header.carriedStrings[k]), now = shownField(after.header.carriedStrings[k]);
            if (old != now) report_.recordFields.push_back({"carriedStrings[" + std::to_string(k) + "]", old, now, true});
        }
        for (size_t k = 0; k < manifest::kShortcutSlotCount; ++k) {
            std::string old = slotText(before.header.shortcuts[k]), now = slotText(after.header.shortcuts[k]);
            if (old != now) report_.recordFields.push_back({"shortcuts[" + std::to_string(k) + "]", old, now, false});
        }
    }

    const DryRunObservation& seen_;
    const Timeline& t_;
    DryRunReport& report_;
};

}  // namespace

DryRunReport reportOf(const DryRunObservation& seen) {
    DryRunReport report;
    ObservationReader(seen, report).read();
    return report;
}

}  // namespace patchkit
