#include "tools/patchkit/dump.h"

#include <iomanip>

#include "manifest/text_fields.h"
#include "tools/patchkit/field_text.h"
#include "tools/patchkit/host_paths.h"

namespace patchkit {
namespace {

std::string shown(const char* field, size_t width) {
    std::string utf8;
    displayTextOf(manifest::fieldText(field, width), utf8);
    return utf8;
}

template <size_t Width>
std::string shown(const char (&field)[Width]) {
    return shown(field, Width);
}

template <class Header>
Json carriedJson(const Header& header) {
    Json texts = Json::array();
    for (const auto& text : header.carriedStrings) texts.push_back(shown(text));
    return texts;
}

// An unused slot is null: the updater reads nothing else of it.
template <class Header>
Json shortcutsJson(const Header& header) {
    Json slots = Json::array();
    for (const manifest::ShortcutSlot& slot : header.shortcuts) {
        if (slot.nameTemplate[0] == '\0') {
            slots.push_back(nullptr);
        } else {
            slots.push_back(Json{{"nameTemplate", shown(slot.nameTemplate)}, {"target", shown(slot.target)}});
        }
    }
    return slots;
}

Json headerJson(const ManifestImage& image) {
    if (image.kind == ManifestKind::Update) {
        const manifest::UpdateHeader& h = image.update;
        return Json{{"title", shown(h.title)},
                    {"updateName", shown(h.updateName)},
                    {"note", shown(h.note)},
                    {"productName", shown(h.productName)},
                    {"registryKey", shown(h.registryKey)},
                    {"registryValue", shown(h.registryValue)},
                    {"entryCount", h.entryCount},
                    {"carriedStrings", carriedJson(h)},
                    {"shortcuts", shortcutsJson(h)}};
    }
    const manifest::UninstallHeader& h = image.install;
    return Json{{"templateArgument", shown(h.templateArgument)},
                {"entryCount", h.entryCount},
                {"fileCount", h.fileCount},
                {"totalBytes", h.totalBytes},
                {"shortcutFolderTemplate", shown(h.shortcutFolderTemplate)},
                {"carriedStrings", carriedJson(h)},
                {"shortcuts", shortcutsJson(h)}};
}

// Quoted, so that blanks at either end and empty texts can be seen.
std::string quoted(const std::string& utf8) {
    std::string out = "\"";
    for (char c : utf8) {
        if (c == '"') out += '\\';
        if (static_cast<unsigned char>(c) < 0x20) {
            const char* digits = "0123456789abcdef";
            out += "\\x";
            out += digits[(c >> 4) & 0xF];
            out += digits[c & 0xF];
            continue;
        }
        out += c;
    }
    return out + "\"";
}

void textLine(std::ostream& out, const std::string& label, const std::string& value) {
    out << "  " << std::left << std::setw(24) << label << value << '\n';
}

template <class Header>
void slotLines(std::ostream& out, const Header& header) {
    for (size_t k = 0; k < manifest::kCarriedStringCount; ++k) {
        textLine(out, "carriedStrings[" + std::to_string(k) + "]", quoted(shown(header.carriedStrings[k])));
    }
    bool any = false;
    for (size_t k = 0; k < manifest::kShortcutSlotCount; ++k) {
        const manifest::ShortcutSlot& slot = header.shortcuts[k];
        if (slot.nameTemplate[0] == '\0') continue;
        any = true;
        textLine(out, "shortcuts[" + std::to_string(k) + "]",
                 "nameTemplate " + quoted(shown(slot.nameTemplate)) + "  target " + quoted(shown(slot.target)));
    }
    if (!any) textLine(out, "shortcuts", "(all 8 slots unused)");
}

}  // namespace

Json dumpJson(const ManifestImage& image, const std::string& fileLabel, const std::vector<Finding>& findings) {
    Json document;
    document["file"] = utf8Of(fsPathOf(fileLabel).filename());
    document["kind"] = kindName(image.kind);
    document["fileSize"] = image.fileSize;
    document[kindName(image.kind)] = headerJson(image);
    Json entries = Json::array();
    for (const manifest::ManifestEntry& e : image.entries) {
        entries.push_back(Json{{"name", shown(e.name)}, {"directory", manifest::isDirectoryEntry(e)}, {"size", e.size}, {"extra", e.extra}});
    }
    document["entries"] = entries;
    Json problems = Json::array();
    for (const Finding& f : findings) {
        problems.push_back(Json{{"severity", severityName(f.severity)}, {"field", f.field}, {"reason", f.reason}});
    }
    document["problems"] = problems;
    return document;
}

void dumpText(std::ostream& out, const ManifestImage& image, const std::string& fileLabel, const std::vector<Finding>& findings) {
    bool update = image.kind == ManifestKind::Update;
    out << fileLabel << ": " << (update ? "update manifest" : "installation record") << ", " << image.fileSize << " bytes\n";
    if (update) {
        const manifest::UpdateHeader& h = image.update;
        textLine(out, "title", quoted(shown(h.title)));
        textLine(out, "updateName", quoted(shown(h.updateName)));
        textLine(out, "note", quoted(shown(h.note)));
        textLine(out, "productName", quoted(shown(h.productName)));
        textLine(out, "registryKey", quoted(shown(h.registryKey)));
        textLine(out, "registryValue", quoted(shown(h.registryValue)));
        textLine(out, "entryCount", std::to_string(h.entryCount));
        slotLines(out, h);
    } else {
        const manifest::UninstallHeader& h = image.install;
        textLine(out, "templateArgument", quoted(shown(h.templateArgument)));
        textLine(out, "entryCount", std::to_string(h.entryCount));
        textLine(out, "fileCount", std::to_string(h.fileCount));
        textLine(out, "totalBytes", std::to_string(h.totalBytes));
        textLine(out, "shortcutFolderTemplate", quoted(shown(h.shortcutFolderTemplate)));
        slotLines(out, h);
    }
    out << "entries (a name ending in \\ is a folder):\n";
    for (size_t i = 0; i < image.entries.size(); ++i) {
        const manifest::ManifestEntry& e = image.entries[i];
        out << "  " << std::right << std::setw(6) << i << "  " << std::setw(12) << e.size << "  extra " << std::left << std::setw(10)
            << e.extra << "  " << shown(e.name) << '\n';
    }
    if (image.entries.size() < image.declaredEntryCount()) {
        out << "  (" << image.declaredEntryCount() - image.entries.size() << " declared entries are missing from the file)\n";
    }
    if (findings.empty()) {
        out << "no problems found\n";
    } else {
        out << "problems:\n";
        printFindings(out, findings);
    }
}

}  // namespace patchkit
