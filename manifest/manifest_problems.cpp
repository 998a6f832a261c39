#include "manifest/manifest_problems.h"

#include <cstring>

#include "manifest/name_rule.h"
#include "manifest/package_names.h"

namespace manifest {
namespace {

bool terminated(const char* text, size_t width) { return std::memchr(text, 0, width) != nullptr; }

void checkText(std::vector<ManifestProblem>& problems, const std::string& field, const char* text, size_t width) {
    if (!terminated(text, width)) problems.push_back({field, "text has no terminator within its " + std::to_string(width) + " bytes"});
}

void checkSlots(std::vector<ManifestProblem>& problems, const std::string& header, const ShortcutSlot* slots) {
    for (size_t k = 0; k < kShortcutSlotCount; ++k) {
        std::string field = header + ".shortcuts[" + std::to_string(k) + "]";
        const ShortcutSlot& slot = slots[k];
        if (!terminated(slot.nameTemplate, sizeof slot.nameTemplate)) {
            checkText(problems, field + ".nameTemplate", slot.nameTemplate, sizeof slot.nameTemplate);
        } else if (slot.nameTemplate[0] != '\0') {
            checkText(problems, field + ".target", slot.target, sizeof slot.target);
        }
    }
}

std::vector<ManifestProblem> sizeProblems(uint64_t headerSize, uint32_t entryCount, uint64_t fileSize) {
    // 64-bit arithmetic: 2^32 records of 280 bytes cannot overflow it.
    uint64_t expected = headerSize + static_cast<uint64_t>(entryCount) * sizeof(ManifestEntry);
    if (fileSize == expected) return {};
    return {{"file size", "file is " + std::to_string(fileSize) + " bytes; a header and " + std::to_string(entryCount) +
                              " entries take " + std::to_string(expected)}};
}

std::string entryField(uint32_t index) { return "entry " + std::to_string(index) + " name"; }

bool unterminatedOrEmpty(std::vector<ManifestProblem>& problems, const ManifestEntry& entry, uint32_t index) {
    if (!terminated(entry.name, sizeof entry.name)) {
        checkText(problems, entryField(index), entry.name, sizeof entry.name);
        return true;
    }
    if (entry.name[0] == '\0') {
        problems.push_back({entryField(index), "name is empty"});
        return true;
    }
    return false;
}

}  // namespace

std::vector<ManifestProblem> findUpdateSizeProblems(const UpdateHeader& header, uint64_t fileSize) {
    return sizeProblems(sizeof(UpdateHeader), header.entryCount, fileSize);
}

std::vector<ManifestProblem> findUninstallSizeProblems(const UninstallHeader& header, uint64_t fileSize) {
    return sizeProblems(sizeof(UninstallHeader), header.entryCount, fileSize);
}

std::vector<ManifestProblem> findUpdateHeaderProblems(const UpdateHeader& header) {
    std::vector<ManifestProblem> problems;
    checkText(problems, "UpdateHeader.title", header.title, kHeaderTextWidth);
    checkText(problems, "UpdateHeader.updateName", header.updateName, kHeaderTextWidth);
    checkText(problems, "UpdateHeader.note", header.note, kHeaderTextWidth);
    checkText(problems, "UpdateHeader.productName", header.productName, kHeaderTextWidth);
    checkText(problems, "UpdateHeader.registryKey", header.registryKey, kHeaderTextWidth);
    checkText(problems, "UpdateHeader.registryValue", header.registryValue, kHeaderTextWidth);
    for (size_t k = 0; k < kCarriedStringCount; ++k) {
        checkText(problems, "UpdateHeader.carriedStrings[" + std::to_string(k) + "]", header.carriedStrings[k], kHeaderTextWidth);
    }
    checkSlots(problems, "UpdateHeader", header.shortcuts);
    return problems;
}

std::vector<ManifestProblem> findUninstallHeaderProblems(const UninstallHeader& header) {
    // carriedStrings and the reserved area are only ever overwritten or written back, never read.
    std::vector<ManifestProblem> problems;
    checkText(problems, "UninstallHeader.templateArgument", header.templateArgument, kHeaderTextWidth);
    checkText(problems, "UninstallHeader.shortcutFolderTemplate", header.shortcutFolderTemplate, kHeaderTextWidth);
    checkSlots(problems, "UninstallHeader", header.shortcuts);
    return problems;
}

std::vector<ManifestProblem> findUpdateEntryProblems(const ManifestEntry* entries, uint32_t count) {
    std::vector<ManifestProblem> problems;
    for (uint32_t i = 0; i < count; ++i) {
        if (unterminatedOrEmpty(problems, entries[i], i)) continue;
        if (std::string why = nameProblem(entries[i].name); !why.empty()) problems.push_back({entryField(i), why});
        if (std::string why = recordNameProblem(entries[i].name); !why.empty()) problems.push_back({entryField(i), why});
    }
    return problems;
}

std::vector<ManifestProblem> findUninstallEntryProblems(const ManifestEntry* entries, uint32_t count) {
    std::vector<ManifestProblem> problems;
    for (uint32_t i = 0; i < count; ++i) unterminatedOrEmpty(problems, entries[i], i);
    return problems;
}

std::string recordNameProblem(const std::string& name) {
    if (isRecordName(name)) return "would overwrite the installation's own record";
    if (isRecordTemporaryName(name)) return "is named as a temporary file of the installation's record, which its save writes first";
    return {};
}

}  // namespace manifest
