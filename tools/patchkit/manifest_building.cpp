#include "tools/patchkit/manifest_building.h"

#include "tools/patchkit/entry_totals.h"
#include "tools/patchkit/field_text.h"

namespace patchkit {
namespace {

template <class Slots, class Described>
void fillShortcuts(Slots& slots, const Described& described) {
    for (size_t k = 0; k < manifest::kShortcutSlotCount; ++k) {
        storeText(slots[k].nameTemplate, described[k].nameTemplate);
        storeText(slots[k].target, described[k].target);
    }
}

template <class Fields, class Texts>
void fillCarried(Fields& fields, const Texts& texts) {
    for (size_t k = 0; k < manifest::kCarriedStringCount; ++k) storeText(fields[k], texts[k]);
}

}  // namespace

manifest::UpdateHeader updateHeaderOf(const UpdateDescription& d, uint32_t entryCount) {
    manifest::UpdateHeader header{};
    storeText(header.title, d.title);
    storeText(header.updateName, d.updateName);
    storeText(header.note, d.note);
    storeText(header.productName, d.productName);
    storeText(header.registryKey, d.registryKey);
    storeText(header.registryValue, d.registryValue);
    header.entryCount = entryCount;
    fillCarried(header.carriedStrings, d.carriedStrings);
    fillShortcuts(header.shortcuts, d.shortcuts);
    return header;
}

manifest::UninstallHeader uninstallHeaderOf(const InstallDescription& d, const std::vector<manifest::ManifestEntry>& entries) {
    manifest::UninstallHeader header{};
    storeText(header.templateArgument, d.templateArgument);
    storeText(header.shortcutFolderTemplate, d.shortcutFolderTemplate);
    header.entryCount = static_cast<uint32_t>(entries.size());
    EntryTotals totals = totalsOf(entries.data(), entries.size());
    header.fileCount = totals.files;
    header.totalBytes = totals.bytes;
    fillCarried(header.carriedStrings, d.carriedStrings);
    fillShortcuts(header.shortcuts, d.shortcuts);
    return header;
}

std::vector<manifest::ManifestEntry> entriesOf(const std::vector<TreeItem>& items, const EntryExtras& extras) {
    std::vector<manifest::ManifestEntry> entries(items.size());
    for (size_t i = 0; i < items.size(); ++i) {
        storeText(entries[i].name, items[i].name);
        entries[i].size = items[i].directory ? 0 : items[i].size;
        entries[i].extra = extras.extraFor(items[i].name);
    }
    return entries;
}

}  // namespace patchkit
