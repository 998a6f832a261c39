#include "tools/patchkit/manifest_building.h"

#include "manifest/text_fields.h"
#include "tools/patchkit/entry_totals.h"

namespace patchkit {
namespace {

template <class Slots, class Described>
void fillShortcuts(Slots& slots, const Described& described) {
    for (size_t k = 0; k < manifest::kShortcutSlotCount; ++k) {
        manifest::storeFieldText(slots[k].nameTemplate, described[k].nameTemplate);
        manifest::storeFieldText(slots[k].target, described[k].target);
    }
}

template <class Fields, class Texts>
void fillCarried(Fields& fields, const Texts& texts) {
    for (size_t k = 0; k < manifest::kCarriedStringCount; ++k) manifest::storeFieldText(fields[k], texts[k]);
}

}  // namespace

manifest::UpdateHeader updateHeaderOf(const UpdateDescription& d, uint32_t entryCount) {
    manifest::UpdateHeader header{};
    manifest::storeFieldText(header.title, d.title);
    manifest::storeFieldText(header.updateName, d.updateName);
    manifest::storeFieldText(header.note, d.note);
    manifest::storeFieldText(header.productName, d.productName);
    manifest::storeFieldText(header.registryKey, d.registryKey);
    manifest::storeFieldText(header.registryValue, d.registryValue);
    header.entryCount = entryCount;
    fillCarried(header.carriedStrings, d.carriedStrings);
    fillShortcuts(header.shortcuts, d.shortcuts);
    return header;
}

manifest::UninstallHeader uninstallHeaderOf(const InstallDescription& d, const std::vector<manifest::ManifestEntry>& entries) {
    manifest::UninstallHeader header{};
    manifest::storeFieldText(header.templateArgument, d.templateArgument);
    manifest::storeFieldText(header.shortcutFolderTemplate, d.shortcutFolderTemplate);
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
        manifest::storeFieldText(entries[i].name, items[i].name);
        entries[i].size = items[i].directory ? 0 : items[i].size;
        entries[i].extra = extras.extraFor(items[i].name);
    }
    return entries;
}

}  // namespace patchkit
