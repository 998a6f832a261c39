#include "tools/patchkit/dry_run/output.h"

#include "engine/backup_name.h"

namespace patchkit {
namespace {

// On one line: a message's line break is shown as \n.
std::string quoted(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '\n') {
            out += "\\n";
        } else {
            out += c;
        }
    }
    return out + "\"";
}

const char* mode(const DryRunReport& report) { return report.removal ? "removal" : "update"; }

std::string entryLine(const EntryStep& step, const DryRunReport& report) {
    std::string line;
    if (step.readOnlyCleared) line += "read-only attribute cleared, ";
    switch (step.outcome) {
        case EntryStep::FolderMade: line += "folder made"; break;
        case EntryStep::FolderPresent: line += "folder already there"; break;
        case EntryStep::FolderNotMade: line += "folder cannot be made"; break;
        case EntryStep::FolderSkipped: line += "folder left alone"; break;
        case EntryStep::FileAdded: line += "added (" + std::to_string(step.size) + " bytes)"; break;
        case EntryStep::FileReplaced:
            line += "replaced (" + std::to_string(step.size) + " bytes); the old file is kept as " + engine::backupPathOf(step.name);
            if (step.backupReplaced) line += ", in place of the backup there";
            break;
        case EntryStep::FileWrittenAgain:
            line += "written again (" + std::to_string(step.size) + " bytes): the same file as entry " + std::to_string(step.sameFileAs) + " (" +
                    report.entries[step.sameFileAs].name + "), which this run has brought already; no second backup";
            break;
        case EntryStep::FileDeleted: line += "deleted"; break;
        case EntryStep::Failed: line += "fails: " + quoted(step.message); break;
        case EntryStep::NotReached: line += "not reached"; break;
    }
    for (size_t i = 0; i < step.foldersMade.size(); ++i) line += (i == 0 ? "; on the way made " : ", ") + step.foldersMade[i];
    return line;
}

const char* outcomeName(EntryStep::Outcome outcome) {
    switch (outcome) {
        case EntryStep::FolderMade: return "folderMade";
        case EntryStep::FolderPresent: return "folderPresent";
        case EntryStep::FolderNotMade: return "folderNotMade";
        case EntryStep::FolderSkipped: return "folderSkipped";
        case EntryStep::FileAdded: return "added";
        case EntryStep::FileReplaced: return "replaced";
        case EntryStep::FileWrittenAgain: return "writtenAgain";
        case EntryStep::FileDeleted: return "deleted";
        case EntryStep::Failed: return "failed";
        case EntryStep::NotReached: return "notReached";
    }
    return "";
}

std::string rollbackLine(const RollbackStep& step) {
    switch (step.kind) {
        case RollbackStep::WrittenFileDeleted: return "deletes the new " + step.path;
        case RollbackStep::BackupRestored: return "puts " + step.path + " back from " + engine::backupPathOf(step.path);
        case RollbackStep::FolderRemoved: return "removes the folder " + step.path;
    }
    return {};
}

const char* rollbackName(RollbackStep::Kind kind) {
    switch (kind) {
        case RollbackStep::WrittenFileDeleted: return "writtenFileDeleted";
        case RollbackStep::BackupRestored: return "backupRestored";
        case RollbackStep::FolderRemoved: return "folderRemoved";
    }
    return "";
}

std::string shortcutLine(const ShortcutStep& step) {
    std::string arguments = step.arguments.empty() ? "" : " with arguments " + quoted(step.arguments);
    switch (step.kind) {
        case ShortcutStep::Deleted: return "deletes " + step.link;
        case ShortcutStep::Made: return "makes " + step.link + " -> " + step.target + arguments;
        case ShortcutStep::NotMade: return "cannot make " + step.link + " (its folder is missing)";
    }
    return {};
}

const char* shortcutName(ShortcutStep::Kind kind) {
    switch (kind) {
        case ShortcutStep::Deleted: return "deleted";
        case ShortcutStep::Made: return "made";
        case ShortcutStep::NotMade: return "notMade";
    }
    return "";
}

std::string recordLine(const RecordEntryChange& change) {
    switch (change.kind) {
        case RecordEntryChange::Appended:
            return "appended " + change.name + ": size " + std::to_string(change.size) + ", extra " + std::to_string(change.extra);
        case RecordEntryChange::Updated:
            return "updated " + change.name + ": size " + std::to_string(change.sizeBefore) + " -> " + std::to_string(change.size) +
                   ", extra " + std::to_string(change.extraBefore) + " -> " + std::to_string(change.extra);
        case RecordEntryChange::Removed: return "removed " + change.name + ": size " + std::to_string(change.sizeBefore);
    }
    return {};
}

const char* recordName(RecordEntryChange::Kind kind) {
    switch (kind) {
        case RecordEntryChange::Appended: return "appended";
        case RecordEntryChange::Updated: return "updated";
        case RecordEntryChange::Removed: return "removed";
    }
    return "";
}

std::string verdict(const DryRunReport& report) {
    if (!report.startedUp) return "the updater would stop at start-up";
    return std::string("the ") + mode(report) + (report.succeeds ? " would succeed" : " would fail");
}

}  // namespace

void dryRunText(std::ostream& out, const DryRunRequest& request, const DryRunReport& report) {
    out << "dry run: " << mode(report) << " from " << request.packageDirUtf8 << " on " << request.installDirUtf8 << '\n';
    if (!report.startedUp) {
        out << "stops at start-up: " << quoted(report.stoppedEarly) << '\n' << verdict(report) << '\n';
        return;
    }
    for (const std::string& folder : report.installFolderMade) out << "makes the installation folder " << folder << '\n';
    if (!report.stoppedEarly.empty()) out << "stops before any change: " << quoted(report.stoppedEarly) << '\n';
    if (!report.entries.empty()) out << "entries:\n";
    for (const EntryStep& step : report.entries) out << "  " << step.name << ": " << entryLine(step, report) << '\n';
    if (!report.rollback.empty()) out << "rollback:\n";
    for (const RollbackStep& step : report.rollback) out << "  " << rollbackLine(step) << '\n';
    if (!report.messages.empty()) out << "messages:\n";
    for (const ShownMessage& message : report.messages) {
        out << "  " << quoted(message.text);
        if (message.hasCaption) out << " (caption " << quoted(message.caption) << ")";
        out << '\n';
    }
    if (!report.shortcuts.empty()) out << "shortcuts:\n";
    for (const ShortcutStep& step : report.shortcuts) out << "  " << shortcutLine(step) << '\n';
    if (report.recordSaved) {
        out << "record Uninstallinf.dat:\n";
        for (const RecordEntryChange& change : report.recordEntries) out << "  " << recordLine(change) << '\n';
        for (const CounterChange& counter : report.recordCounters) {
            out << "  " << counter.field << " " << counter.before << " -> " << counter.after << '\n';
        }
        for (const FieldChange& field : report.recordFields) {
            if (field.isText) {
                out << "  " << field.field << ": " << quoted(field.before) << " -> " << quoted(field.after) << '\n';
            } else {
                out << "  " << field.field << ": " << field.before << " -> " << field.after << '\n';
            }
        }
    } else {
        out << "record Uninstallinf.dat: left as it is\n";
    }
    out << verdict(report) << '\n';
}

Json dryRunJson(const DryRunRequest& request, const DryRunReport& report) {
    Json entries = Json::array();
    for (const EntryStep& step : report.entries) {
        Json entry{{"name", step.name}, {"outcome", outcomeName(step.outcome)}};
        if (step.outcome == EntryStep::FileAdded || step.outcome == EntryStep::FileReplaced || step.outcome == EntryStep::FileWrittenAgain) {
            entry["size"] = step.size;
        }
        if (step.outcome == EntryStep::FileWrittenAgain) entry["sameFileAs"] = step.sameFileAs;
        if (step.outcome == EntryStep::FileReplaced) {
            entry["backup"] = engine::backupPathOf(step.name);
            entry["backupReplaced"] = step.backupReplaced;
        }
        if (step.readOnlyCleared) entry["readOnlyCleared"] = true;
        if (!step.foldersMade.empty()) entry["foldersMade"] = step.foldersMade;
        if (step.outcome == EntryStep::Failed) entry["message"] = step.message;
        entries.push_back(entry);
    }
    Json rollback = Json::array();
    for (const RollbackStep& step : report.rollback) rollback.push_back({{"action", rollbackName(step.kind)}, {"path", step.path}});
    Json messages = Json::array();
    for (const ShownMessage& message : report.messages) {
        messages.push_back({{"text", message.text}, {"caption", message.hasCaption ? Json(message.caption) : Json(nullptr)}});
    }
    Json shortcuts = Json::array();
    for (const ShortcutStep& step : report.shortcuts) {
        Json item{{"action", shortcutName(step.kind)}, {"link", step.link}};
        if (step.kind != ShortcutStep::Deleted) {
            item["target"] = step.target;
            item["arguments"] = step.arguments;
        }
        shortcuts.push_back(item);
    }
    Json record{{"saved", report.recordSaved}};
    if (report.recordSaved) {
        Json changes = Json::array();
        for (const RecordEntryChange& change : report.recordEntries) {
            Json item{{"change", recordName(change.kind)}, {"name", change.name}};
            if (change.kind != RecordEntryChange::Appended) item["sizeBefore"] = change.sizeBefore;
            if (change.kind != RecordEntryChange::Removed) item["size"] = change.size;
            if (change.kind != RecordEntryChange::Appended) item["extraBefore"] = change.extraBefore;
            if (change.kind != RecordEntryChange::Removed) item["extra"] = change.extra;
            changes.push_back(item);
        }
        record["entries"] = changes;
        for (const CounterChange& counter : report.recordCounters) record[counter.field] = {counter.before, counter.after};
        Json fields = Json::object();
        for (const FieldChange& field : report.recordFields) fields[field.field] = {field.before, field.after};
        record["fields"] = fields;
    }
    return Json{{"package", request.packageDirUtf8},
                {"installation", request.installDirUtf8},
                {"mode", mode(report)},
                {"startedUp", report.startedUp},
                {"stoppedEarly", report.stoppedEarly.empty() ? Json(nullptr) : Json(report.stoppedEarly)},
                {"installFolderMade", report.installFolderMade},
                {"entries", entries},
                {"rollback", rollback},
                {"messages", messages},
                {"shortcuts", shortcuts},
                {"record", record},
                {"succeeds", report.succeeds}};
}

}  // namespace patchkit
