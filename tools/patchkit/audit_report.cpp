#include "tools/patchkit/audit_report.h"

namespace patchkit {
namespace {

const char* kindName(Disagreement::Kind kind) {
    switch (kind) {
        case Disagreement::RecordUnusable: return "recordUnusable";
        case Disagreement::CountDiffers: return "countDiffers";
        case Disagreement::NamesClash: return "namesClash";
        case Disagreement::FileMissing: return "fileMissing";
        case Disagreement::SizeDiffers: return "sizeDiffers";
        case Disagreement::FolderMissing: return "folderMissing";
        case Disagreement::BackupLeft: return "backupLeft";
        case Disagreement::NotListed: return "notListed";
        case Disagreement::Unrecordable: return "unrecordable";
        case Disagreement::ShortcutMissing: return "shortcutMissing";
        case Disagreement::ShortcutFolderLeaves: return "shortcutFolderLeaves";
    }
    return "";
}

bool isFolderName(const std::string& name) { return !name.empty() && name.back() == '\\'; }

std::string line(const Disagreement& d) {
    std::string because = d.reason.empty() ? "" : ": " + d.reason;
    switch (d.kind) {
        case Disagreement::RecordUnusable: return "record: " + d.subject + because;
        case Disagreement::CountDiffers:
            return "counts differ: " + d.subject + " is " + std::to_string(d.inRecord) + " in the record; the entries add up to " +
                   std::to_string(d.onDisk);
        case Disagreement::NamesClash: return "names clash: " + d.subject + because;
        case Disagreement::FileMissing:
            return "missing file: " + d.subject + " (" + std::to_string(d.inRecord) + " bytes in the record)" + because;
        case Disagreement::SizeDiffers:
            return "size differs: " + d.subject + ": " + std::to_string(d.onDisk) + " bytes on disk, " + std::to_string(d.inRecord) +
                   " in the record";
        case Disagreement::FolderMissing: return "missing folder: " + d.subject + because;
        case Disagreement::BackupLeft: return "backup left: " + d.subject + " beside " + d.other;
        case Disagreement::NotListed:
            return "not listed: " + d.subject + (isFolderName(d.subject) ? "" : " (" + std::to_string(d.onDisk) + " bytes)") + because;
        case Disagreement::Unrecordable: return "cannot be listed: " + d.subject + because;
        case Disagreement::ShortcutMissing: return "missing shortcut: " + d.subject + ": " + d.other + " is not there";
        case Disagreement::ShortcutFolderLeaves: return "shortcut folder leaves the Programs folders: " + d.subject + " gives " + d.other + because;
    }
    return {};
}

}  // namespace

void auditText(std::ostream& out, const std::string& installDirUtf8, const std::vector<Disagreement>& found) {
    for (const Disagreement& d : found) out << line(d) << '\n';
    if (found.empty()) {
        out << installDirUtf8 << ": agrees with its record\n";
    } else {
        out << installDirUtf8 << ": " << found.size() << (found.size() == 1 ? " disagreement" : " disagreements") << '\n';
    }
}

Json auditJson(const std::string& installDirUtf8, const std::vector<Disagreement>& found) {
    Json list = Json::array();
    for (const Disagreement& d : found) {
        Json item{{"kind", kindName(d.kind)}, {"name", d.subject}};
        if (!d.other.empty()) item["other"] = d.other;
        if (d.kind == Disagreement::CountDiffers || d.kind == Disagreement::FileMissing || d.kind == Disagreement::SizeDiffers) {
            item["inRecord"] = d.inRecord;
        }
        if (d.kind == Disagreement::CountDiffers || d.kind == Disagreement::SizeDiffers ||
            ((d.kind == Disagreement::NotListed || d.kind == Disagreement::BackupLeft) && !isFolderName(d.subject))) {
            item["onDisk"] = d.onDisk;
        }
        if (!d.reason.empty()) item["reason"] = d.reason;
        list.push_back(item);
    }
    return Json{{"installation", installDirUtf8}, {"agrees", found.empty()}, {"disagreements", list}};
}

}  // namespace patchkit
