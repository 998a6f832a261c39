#include "tests/support/patchkit_agreement.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <set>

#include "app/messages.h"
#include "engine/apply_update.h"
#include "engine/engine_messages.h"
#include "manifest/package_names.h"
#include "platform/file_path.h"
#include "platform/posix/posix_system.h"
#include "support/file.h"
#include "tools/patchkit/entry_names.h"
#include "tools/patchkit/field_text.h"
#include "tools/patchkit/install_audit.h"
#include "tools/patchkit/package_check.h"

namespace testing_support {
namespace {

using Run = HostileUpdateRun;
using Kind = patchkit::Disagreement::Kind;

// check's errors not held to the run, by their first words: the run may succeed where they
// stand (the record merges two files, lists one file twice or a folder where a file is, or the
// copy goes under the record's own save), or fails only where the installation holds a file (a
// backup's name). Nor are sizes, shortcut templates and targets, or the program beside the
// manifest: the run copies the whole payload, skips the shortcut, and is not started from it.
const char* const kNotHeldToTheRun[] = {"the updater's record takes it for", "names the same file as", "is at the same path as",
                                        "is where the old file of"};
// check's errors that (a) counts and (b) does not: the run refuses them only where the
// installation has the file whose backup is too long, or lacks the folder that is.
const char* const kHeldOnlyWhereTheRunRefuses[] = {"joined to the installation folder, with the \".bak\"", "makes a folder that"};

bool startsWith(const std::string& text, const std::string& start) { return text.compare(0, start.size(), start) == 0; }
bool endsWith(const std::string& text, const std::string& end) { return text.size() >= end.size() && text.substr(text.size() - end.size()) == end; }

// The entry an error held to the run is about; -2 for the whole payload, -1 when not held.
int heldEntryOf(const patchkit::Finding& finding) {
    if (finding.severity != patchkit::Severity::Error) return -1;
    if (endsWith(finding.file, std::string("/") + manifest::kPayloadFolderName)) return -2;
    bool held = startsWith(finding.field, "entry ") && endsWith(finding.field, " name");
    for (const char* start : kNotHeldToTheRun) held = held && !startsWith(finding.reason, start);
    return held ? std::atoi(finding.field.c_str() + 6) : -1;
}

bool heldOnlyWhereTheRunRefuses(const patchkit::Finding& finding) {
    return std::any_of(std::begin(kHeldOnlyWhereTheRunRefuses), std::end(kHeldOnlyWhereTheRunRefuses),
                       [&](const char* start) { return startsWith(finding.reason, start); });
}

// check's errors held to the run: the entries they are about, and the first in words.
struct Checked {
    std::set<int> atFault;
    std::string firstHeld;
    bool anyError = false;  // the package's own paths among them
};

Checked checked(const patchkit::CheckRequest& request) {
    Checked result;
    patchkit::Findings findings;
    patchkit::checkPackage(request, findings, patchkit::Progress::silent());
    for (const patchkit::Finding& finding : findings.all()) {
        result.anyError = result.anyError || finding.severity == patchkit::Severity::Error;
        if (heldEntryOf(finding) == -1) continue;
        result.atFault.insert(heldEntryOf(finding));
        if (result.firstHeld.empty() && !heldOnlyWhereTheRunRefuses(finding)) result.firstHeld = finding.field + ": " + finding.reason;
    }
    return result;
}

void writeFile(const std::string& path, const std::string& bytes) {
    engine::createDirectoryChain(platform::getParentFolder(path));
    support::CFile file;
    if (file.open(path, support::FileOpenMode::Write)) file.write(bytes.data(), static_cast<uint32_t>(bytes.size()));
}

// A tree of the run's overlay, spelled as the overlay spelled it.
void writeTree(const std::string& folder, const Run::Tree& tree) {
    engine::createDirectoryChain(folder);
    for (const auto& [key, name] : tree.folderNames) engine::createDirectoryChain(folder + name);
    for (const auto& [key, name] : tree.names) writeFile(folder + name, tree.files.at(key));
}

// (c): what audit says of the record's entries against what the run left, and the files left
// that the record does not list, which audit must name.
void auditAgrees(const Run& run, const std::vector<patchkit::Disagreement>& found, std::vector<std::string>& broken) {
    if (!run.recordLoadsAfter) return;
    auto said = [](int kind, const std::string& name) { return (kind == Kind::FileMissing ? "missing " : kind == Kind::SizeDiffers ? "another size " : "no folder ") + name; };
    manifest::UninstallHeader header{};
    std::memcpy(&header, run.recordAfter.data(), sizeof header);
    std::multiset<std::string> expected, saying;
    std::set<std::string> listed, named;
    for (uint32_t i = 0; i < header.entryCount; ++i) {
        manifest::ManifestEntry e{};
        std::memcpy(&e, run.recordAfter.data() + sizeof header + i * sizeof e, sizeof e);
        std::string name = e.name, key = patchkit::diskKeyOf(name);
        auto file = run.installedAfter.files.find(key);
        listed.insert(key);
        if (!name.empty() && name.back() == '\\') {
            if (!run.installedAfter.folders.count(key)) expected.insert(said(Kind::FolderMissing, patchkit::displayText(name)));
        } else if (file == run.installedAfter.files.end() || file->second.size() != e.size) {
            expected.insert(said(file == run.installedAfter.files.end() ? Kind::FileMissing : Kind::SizeDiffers, patchkit::displayText(name)));
        }
    }
    for (patchkit::Disagreement d : found) {
        if (d.kind == Kind::FolderMissing || d.kind == Kind::FileMissing || d.kind == Kind::SizeDiffers) saying.insert(said(d.kind, d.subject));
        std::replace(d.subject.begin(), d.subject.end(), '/', '\\');
        if (d.kind == Kind::NotListed || d.kind == Kind::BackupLeft || d.kind == Kind::Unrecordable) named.insert(d.subject);
    }
    std::vector<std::string> apart;
    std::set_symmetric_difference(saying.begin(), saying.end(), expected.begin(), expected.end(), std::back_inserter(apart));
    if (!apart.empty()) broken.push_back("audit says" + std::string(saying.count(apart[0]) ? " " : " not ") + apart[0] + ", unlike what the run left");
    for (const auto& [key, name] : run.installedAfter.names) {
        if (key != "UNINSTALLINF.DAT" && !listed.count(key) && !named.count(patchkit::displayText(name))) {
            broken.push_back("audit does not name " + patchkit::displayText(name) + ", which the run left and its record does not list");
        }
    }
}

}  // namespace

Agreement patchkitAgreement(const HostileUpdate& update, const HostileUpdateRun& run, const std::string& folder) {
    Agreement agreement;
    writeFile(folder + "update\\" + manifest::kUpdateManifestName, run.updateManifest);
    writeTree(folder + "update\\" + manifest::kPayloadFolderName + "\\", run.payload);
    writeTree(folder + "product\\", run.installedAfter);
    // check with `--install-path`, and apart from it with `--update-path`.
    patchkit::CheckRequest request;
    request.packageDir = platform::posix::hostPathOf((folder + "update").c_str());
    request.hasInstallPath = true;
    request.installPath = run.places.installFolder;  // ASCII, so UTF-8 too
    request.removal = update.removal;
    Checked installOnly = checked(request);
    request.hasInstallPath = false;
    request.hasUpdatePath = true;
    request.updatePath = run.places.updateFolder;
    Checked updateOnly = checked(request);
    const std::set<int>& atFault = installOnly.atFault;

    // (a), from the run's messages; a failed call of the file service tells nothing of the package.
    auto foundByCheck = [&](const Checked& by, const std::string& name, const char* why) {
        agreement.refusedForThePackage = true;
        for (size_t i = 0; i < update.updateEntries.size(); ++i) {
            if (update.updateEntries[i].name == name && by.atFault.count(static_cast<int>(i))) return;
        }
        if (!by.atFault.count(-2)) agreement.broken.push_back("the run stopped at " + patchkit::displayText(name) + " for " + why + ", and check found nothing");
    };
    const std::string data = run.places.dataFolder, tooLong = engine::messages::kPathTooLongSuffix, openFailed = engine::messages::kOpenFailedSuffix;
    for (size_t b = 0; b < run.boxes.size() && !run.faultStruck; ++b) {
        const std::string& text = run.boxes[b].text;
        std::string name = endsWith(text, tooLong) ? text.substr(0, text.size() - tooLong.size()) : "";
        bool folderEntry = !name.empty() && name.back() == '\\';
        if (run.outcome == app::RunOutcome::StartUpRefused && text == app::messages::kUpdateManifestUnreadable) {
            agreement.refusedForThePackage = true;
            // Or its own path is too long: the update folder's, which check judges with --update-path.
            std::set<int> either = atFault;
            either.insert(updateOnly.atFault.begin(), updateOnly.atFault.end());
            if ((either.empty() || *either.rbegin() < 0) && !updateOnly.anyError) {
                agreement.broken.push_back("start-up refused the manifest, and check found no entry at fault");
            }
        } else if (!name.empty()) {
            // Over MAX_PATH less its terminator: the entry's path or its backup's, four bytes
            // longer, in the installation, and a file's payload in the data folder. A folder the
            // run makes leaves twelve bytes more for an 8.3 name below it.
            size_t joined = run.places.installFolder.size() + name.size();
            if (!(update.removal && folderEntry) && (folderEntry ? joined - 1 > 247 : joined + (update.removal ? 0 : 4) > 259)) {
                foundByCheck(installOnly, name, "a path too long in the installation");
            }
            if (!update.removal && !folderEntry && data.size() + name.size() > 259) foundByCheck(updateOnly, name, "a path too long in the data folder");
        } else if (startsWith(text, data) && endsWith(text, openFailed)) {
            foundByCheck(installOnly, text.substr(data.size(), text.size() - data.size() - openFailed.size()), "its payload missing");
        }
    }
    // (b)
    for (const Checked* by : {&installOnly, &updateOnly}) {
        if (by->firstHeld.empty() || run.outcome == app::RunOutcome::Declined) continue;
        agreement.checkFoundFault = true;
        if (run.succeeded()) agreement.broken.push_back("check says \"" + by->firstHeld + "\", and the run succeeded");
    }
    auditAgrees(run, patchkit::auditInstallation(platform::posix::hostPathOf((folder + "product").c_str()), patchkit::Progress::silent()),
                agreement.broken);
    return agreement;
}

}  // namespace testing_support
