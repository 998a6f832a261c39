#include "tools/patchkit/manifest_image.h"

#include <algorithm>
#include <cstring>

#include "manifest/manifest_problems.h"
#include "manifest/manifests.h"
#include "manifest/package_names.h"
#include "manifest/text_fields.h"
#include "support/file.h"
#include "tools/patchkit/entry_totals.h"
#include "tools/patchkit/field_text.h"
#include "tools/patchkit/host_paths.h"

namespace patchkit {
namespace {

constexpr uint64_t kEntrySize = sizeof(manifest::ManifestEntry);

bool kindFromName(const std::string& pathUtf8, ManifestKind& kind) {
    std::string leaf = utf8Of(fsPathOf(pathUtf8).filename());
    if (manifest::namesMatch(leaf.c_str(), manifest::kUpdateManifestName)) {
        kind = ManifestKind::Update;
        return true;
    }
    if (manifest::namesMatch(leaf.c_str(), manifest::kUninstallManifestName)) {
        kind = ManifestKind::Install;
        return true;
    }
    return false;
}

bool kindFromSize(uint64_t size, ManifestKind& kind) {
    // The two header sizes differ by 128, which is no multiple of 280, so at most one fits.
    if (size >= sizeof(manifest::UpdateHeader) && size % kEntrySize == sizeof(manifest::UpdateHeader) % kEntrySize) {
        kind = ManifestKind::Update;
        return true;
    }
    if (size >= sizeof(manifest::UninstallHeader) && size % kEntrySize == sizeof(manifest::UninstallHeader) % kEntrySize) {
        kind = ManifestKind::Install;
        return true;
    }
    return false;
}

// As the loaders read: the header, then the declared entries. A file shorter than its header
// leaves the rest of the header zero; only the entries the file holds are taken.
template <class Header>
bool readHeaderAndEntries(support::CFile& file, Header& header, std::vector<manifest::ManifestEntry>& entries, uint32_t Header::*count) {
    uint32_t headerBytes = static_cast<uint32_t>(std::min<uint64_t>(file.size(), sizeof header));
    if (file.read(&header, headerBytes) != headerBytes) return false;
    uint64_t available = file.size() > sizeof header ? (file.size() - sizeof header) / kEntrySize : 0;
    uint64_t taken = std::min<uint64_t>(header.*count, available);
    entries.resize(static_cast<size_t>(taken));
    for (manifest::ManifestEntry& e : entries) {
        if (file.read(&e, sizeof e) != sizeof e) return false;
    }
    return true;
}

void addProblems(Findings& findings, const std::string& file, const std::vector<manifest::ManifestProblem>& problems) {
    for (const manifest::ManifestProblem& p : problems) findings.error(file, p.field, p.reason);
}

void checkEncoding(Findings& findings, const std::string& file, const std::string& field, const char* text, size_t width) {
    std::string shown;
    if (!displayTextOf(manifest::fieldText(text, width), shown)) findings.warning(file, field, "is not valid code page 932 text");
}

template <class Header>
void checkHeaderEncodings(Findings& findings, const std::string& file, const std::string& headerName, const Header& header) {
    for (size_t k = 0; k < manifest::kCarriedStringCount; ++k) {
        checkEncoding(findings, file, headerName + ".carriedStrings[" + std::to_string(k) + "]", header.carriedStrings[k],
                      manifest::kHeaderTextWidth);
    }
    for (size_t k = 0; k < manifest::kShortcutSlotCount; ++k) {
        const manifest::ShortcutSlot& slot = header.shortcuts[k];
        if (slot.nameTemplate[0] == '\0') continue;
        std::string field = headerName + ".shortcuts[" + std::to_string(k) + "]";
        checkEncoding(findings, file, field + ".nameTemplate", slot.nameTemplate, sizeof slot.nameTemplate);
        checkEncoding(findings, file, field + ".target", slot.target, sizeof slot.target);
    }
}

}  // namespace

const char* kindName(ManifestKind kind) { return kind == ManifestKind::Update ? "update" : "install"; }

bool readManifestImage(const std::string& pathUtf8, KindChoice choice, ManifestImage& image, std::string& why) {
    std::string narrow;
    if (!filePathOf(pathUtf8, narrow, why)) return false;
    support::CFile file;
    if (!file.open(narrow, support::FileOpenMode::Read)) {
        why = "cannot be opened for reading";
        return false;
    }
    image = ManifestImage{};
    image.fileSize = file.size();
    if (choice == KindChoice::Update) {
        image.kind = ManifestKind::Update;
    } else if (choice == KindChoice::Install) {
        image.kind = ManifestKind::Install;
    } else if (!kindFromName(pathUtf8, image.kind) && !kindFromSize(image.fileSize, image.kind)) {
        why = "is neither named nor sized like Updateinf.dat or Uninstallinf.dat; give --kind update or --kind install";
        return false;
    }
    bool read = image.kind == ManifestKind::Update
                    ? readHeaderAndEntries(file, image.update, image.entries, &manifest::UpdateHeader::entryCount)
                    : readHeaderAndEntries(file, image.install, image.entries, &manifest::UninstallHeader::entryCount);
    if (!read) why = "could not be read to its end";
    return read;
}

void findManifestProblems(const ManifestImage& image, const std::string& file, Findings& findings) {
    uint32_t present = static_cast<uint32_t>(image.entries.size());
    if (image.kind == ManifestKind::Update) {
        addProblems(findings, file, manifest::findUpdateSizeProblems(image.update, image.fileSize));
        addProblems(findings, file, manifest::findUpdateHeaderProblems(image.update));
        addProblems(findings, file, manifest::findUpdateEntryProblems(image.entries.data(), present));
        const manifest::UpdateHeader& h = image.update;
        const std::pair<const char*, const char*> texts[] = {{"UpdateHeader.title", h.title},
                                                             {"UpdateHeader.updateName", h.updateName},
                                                             {"UpdateHeader.note", h.note},
                                                             {"UpdateHeader.productName", h.productName},
                                                             {"UpdateHeader.registryKey", h.registryKey},
                                                             {"UpdateHeader.registryValue", h.registryValue}};
        for (const auto& [field, text] : texts) checkEncoding(findings, file, field, text, manifest::kHeaderTextWidth);
        checkHeaderEncodings(findings, file, "UpdateHeader", h);
    } else {
        addProblems(findings, file, manifest::findUninstallSizeProblems(image.install, image.fileSize));
        addProblems(findings, file, manifest::findUninstallHeaderProblems(image.install));
        addProblems(findings, file, manifest::findUninstallEntryProblems(image.entries.data(), present));
        const manifest::UninstallHeader& h = image.install;
        checkEncoding(findings, file, "UninstallHeader.templateArgument", h.templateArgument, manifest::kHeaderTextWidth);
        checkEncoding(findings, file, "UninstallHeader.shortcutFolderTemplate", h.shortcutFolderTemplate, manifest::kHeaderTextWidth);
        checkHeaderEncodings(findings, file, "UninstallHeader", h);
        // The updater trusts these counters and only ever adjusts them, so a wrong start stays
        // wrong in every later record.
        if (present == h.entryCount) {
            EntryTotals totals = totalsOf(image.entries.data(), present);
            if (totals.files != h.fileCount) {
                findings.warning(file, "UninstallHeader.fileCount",
                                 "is " + std::to_string(h.fileCount) + "; the entries hold " + std::to_string(totals.files) + " files");
            }
            if (totals.bytes != h.totalBytes) {
                findings.warning(file, "UninstallHeader.totalBytes",
                                 "is " + std::to_string(h.totalBytes) + "; the file entries' sizes add up to " + std::to_string(totals.bytes));
            }
        }
    }
    // The loader refuses an update entry whose name is not code page 932; a record's is only
    // doubtful.
    for (uint32_t i = 0; i < present && image.kind == ManifestKind::Install; ++i) {
        const char* name = image.entries[i].name;
        if (std::memchr(name, 0, manifest::kNameWidth) == nullptr) continue;
        checkEncoding(findings, file, "entry " + std::to_string(i) + " name", name, manifest::kNameWidth);
    }
}

}  // namespace patchkit
