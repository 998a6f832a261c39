#include "tools/patchkit/description.h"

#include <initializer_list>
#include <limits>

#include "engine/shortcut_links.h"
#include "manifest/manifests.h"
#include "support/text_template.h"
#include "tools/patchkit/field_text.h"
#include "tools/patchkit/file_transfer.h"
#include "tools/patchkit/host_paths.h"
#include "tools/patchkit/json_text.h"
#include "tools/patchkit/shortcut_templates.h"

namespace patchkit {
namespace {

using manifest::kHeaderTextWidth;
using manifest::kNameWidth;

// Walks one JSON object and files every problem under the field's dotted name.
class DescriptionReader {
public:
    DescriptionReader(const std::string& file, Findings& findings) : file_(file), findings_(findings) {}

    void fail(const std::string& field, const std::string& reason) { findings_.error(file_, field, reason); }

    // Unknown keys are refused: a misspelt "tilte" would otherwise leave the title empty
    // without a word. "comment" is free everywhere.
    void onlyKeys(const Json& object, const std::string& field, std::initializer_list<const char*> known) {
        for (auto it = object.begin(); it != object.end(); ++it) {
            if (it.key() == "comment") continue;
            bool found = false;
            for (const char* k : known) found = found || it.key() == k;
            if (!found) fail(join(field, it.key()), "is not a field of " + (field.empty() ? std::string("a description") : field));
        }
    }

    void text(const Json& object, const std::string& parent, const char* key, size_t width, std::string& out, bool required) {
        std::string field = join(parent, key);
        auto it = object.find(key);
        if (it == object.end()) {
            if (required) fail(field, "is required");
            return;
        }
        textValue(*it, field, width, out);
        if (required && it->is_string() && it->get_ref<const std::string&>().empty()) fail(field, "must not be empty");
    }

    void textValue(const Json& value, const std::string& field, size_t width, std::string& out) {
        if (!value.is_string()) {
            fail(field, "must be a string");
            return;
        }
        std::string why;
        if (!fieldTextOf(value.get_ref<const std::string&>(), width, out, why)) fail(field, why);
    }

    void templateText(const Json& object, const std::string& parent, const char* key, size_t width, std::string& out) {
        text(object, parent, key, width, out, false);
        if (std::string why = templateProblem(out); !why.empty()) fail(join(parent, key), why);
    }

    void nameTemplateText(const Json& object, const std::string& parent, std::string& out) {
        templateText(object, parent, "nameTemplate", sizeof(manifest::ShortcutSlot::nameTemplate), out);
        if (std::string why = linkNameProblem(out); !why.empty()) fail(join(parent, "nameTemplate"), why);
    }

    void carriedStrings(const Json& object, const std::string& parent, std::array<std::string, manifest::kCarriedStringCount>& out) {
        std::string field = join(parent, "carriedStrings");
        auto it = object.find("carriedStrings");
        if (it == object.end()) return;
        if (!it->is_array() || it->size() > out.size()) {
            fail(field, "must be an array of at most " + std::to_string(out.size()) + " strings");
            return;
        }
        for (size_t k = 0; k < it->size(); ++k) textValue((*it)[k], field + "[" + std::to_string(k) + "]", kHeaderTextWidth, out[k]);
    }

    void shortcuts(const Json& object, const std::string& parent, std::array<ShortcutDescription, manifest::kShortcutSlotCount>& out) {
        std::string field = join(parent, "shortcuts");
        auto it = object.find("shortcuts");
        if (it == object.end()) return;
        if (!it->is_array() || it->size() > out.size()) {
            fail(field, "must be an array of at most " + std::to_string(out.size()) + " slots");
            return;
        }
        for (size_t k = 0; k < it->size(); ++k) {
            const Json& slot = (*it)[k];
            std::string slotField = field + "[" + std::to_string(k) + "]";
            // A slot's position is its number in both headers, so unused slots keep their place.
            if (slot.is_null()) continue;
            if (!slot.is_object()) {
                fail(slotField, "must be an object or null");
                continue;
            }
            onlyKeys(slot, slotField, {"nameTemplate", "target"});
            nameTemplateText(slot, slotField, out[k].nameTemplate);
            text(slot, slotField, "target", sizeof(manifest::ShortcutSlot::target), out[k].target, false);
            if (out[k].nameTemplate.empty() && !out[k].target.empty()) {
                fail(slotField + ".nameTemplate", "is empty, which marks the slot unused, yet a target is given");
            } else if (!out[k].nameTemplate.empty() && out[k].target.empty()) {
                fail(slotField + ".target", "is required for a slot in use");
            }
        }
    }

    void extras(const Json& object, const std::string& parent, EntryExtras& out) {
        if (auto it = object.find("extra"); it != object.end()) number(*it, join(parent, "extra"), out.extra);
        auto it = object.find("entryExtra");
        if (it == object.end()) return;
        std::string field = join(parent, "entryExtra");
        if (!it->is_object()) {
            fail(field, "must be an object of names and numbers");
            return;
        }
        for (auto e = it.value().begin(); e != it.value().end(); ++e) {
            std::string entryField = field + "[\"" + e.key() + "\"]";
            EntryExtras::Override o{{}, entryField, 0};
            if (!number(e.value(), entryField, o.value)) continue;
            if (!entryName(e.key(), entryField, o.name)) continue;
            out.overrides.push_back(o);
        }
    }

private:
    static std::string join(const std::string& parent, const std::string& key) { return parent.empty() ? key : parent + "." + key; }

    bool number(const Json& value, const std::string& field, uint32_t& out) {
        if (!value.is_number_unsigned() || value.get<uint64_t>() > std::numeric_limits<uint32_t>::max()) {
            fail(field, "must be a whole number from 0 to 4294967295");
            return false;
        }
        out = static_cast<uint32_t>(value.get<uint64_t>());
        return true;
    }

    // A name as the vendor writes it, with either separator, as the entry will be named.
    bool entryName(const std::string& utf8, const std::string& field, std::string& out) {
        std::string withBackslashes = utf8;
        for (char& c : withBackslashes) {
            if (c == '/') c = '\\';
        }
        std::string why;
        if (withBackslashes.empty()) {
            fail(field, "names nothing");
            return false;
        }
        if (!fieldTextOf(withBackslashes, kNameWidth, out, why)) {
            fail(field, why);
            return false;
        }
        return true;
    }

    const std::string& file_;
    Findings& findings_;
};

void readUpdate(DescriptionReader& r, const Json& object, UpdateDescription& out) {
    const std::string f = "update";
    r.onlyKeys(object, f, {"title", "updateName", "note", "productName", "registryKey", "registryValue", "carriedStrings",
                           "shortcuts", "extra", "entryExtra"});
    r.text(object, f, "title", kHeaderTextWidth, out.title, false);
    r.text(object, f, "updateName", kHeaderTextWidth, out.updateName, false);
    r.text(object, f, "note", kHeaderTextWidth, out.note, false);
    r.text(object, f, "productName", kHeaderTextWidth, out.productName, false);
    // Without these two the updater cannot find the installation at all.
    r.text(object, f, "registryKey", kHeaderTextWidth, out.registryKey, true);
    r.text(object, f, "registryValue", kHeaderTextWidth, out.registryValue, true);
    r.carriedStrings(object, f, out.carriedStrings);
    r.shortcuts(object, f, out.shortcuts);
    r.extras(object, f, out.extras);
}

void readInstall(DescriptionReader& r, const Json& object, InstallDescription& out) {
    const std::string f = "install";
    r.onlyKeys(object, f, {"templateArgument", "shortcutFolderTemplate", "carriedStrings", "shortcuts", "extra", "entryExtra"});
    r.text(object, f, "templateArgument", kHeaderTextWidth, out.templateArgument, false);
    r.templateText(object, f, "shortcutFolderTemplate", kHeaderTextWidth, out.shortcutFolderTemplate);
    support::ExpandedTemplate folder = support::expandTemplate(out.shortcutFolderTemplate, out.templateArgument);
    if (std::string why = engine::shortcutFolderProblem(folder.text); !why.empty()) {
        r.fail(f + ".shortcutFolderTemplate", "gives a shortcut folder the updater refuses (" + why + "); it would make no shortcut");
    }
    r.carriedStrings(object, f, out.carriedStrings);
    r.shortcuts(object, f, out.shortcuts);
    r.extras(object, f, out.extras);
}

}  // namespace

uint32_t EntryExtras::extraFor(const std::string& name) const {
    for (const Override& o : overrides) {
        if (manifest::namesMatch(o.name.c_str(), name.c_str()) || manifest::namesMatch((o.name + "\\").c_str(), name.c_str())) {
            return o.value;
        }
    }
    return extra;
}

void EntryExtras::reportUnused(const std::vector<std::string>& names, const std::string& file, const std::string& what,
                               Findings& findings) const {
    for (const Override& o : overrides) {
        bool used = false;
        for (const std::string& name : names) {
            used = used || manifest::namesMatch(o.name.c_str(), name.c_str()) ||
                   manifest::namesMatch((o.name + "\\").c_str(), name.c_str());
        }
        if (!used) findings.error(file, o.field, "names nothing in " + what);
    }
}

bool parseDescription(const std::string& jsonText, const std::string& fileLabel, PackageDescription& description,
                      Findings& findings) {
    size_t errorsBefore = findings.count(Severity::Error);
    Json document;
    std::string why;
    if (!parseJson(jsonText, document, why)) {
        findings.error(fileLabel, "", why);
        return false;
    }
    if (!document.is_object()) {
        findings.error(fileLabel, "", "must hold one JSON object");
        return false;
    }
    DescriptionReader reader(fileLabel, findings);
    reader.onlyKeys(document, "", {"update", "install"});
    for (const char* section : {"update", "install"}) {
        auto it = document.find(section);
        if (it == document.end()) continue;
        if (!it->is_object()) {
            reader.fail(section, "must be an object");
            continue;
        }
        if (std::string(section) == "update") {
            description.hasUpdate = true;
            readUpdate(reader, *it, description.update);
        } else {
            description.hasInstall = true;
            readInstall(reader, *it, description.install);
        }
    }
    return findings.count(Severity::Error) == errorsBefore;
}

bool readDescription(const std::string& pathUtf8, PackageDescription& description, Findings& findings) {
    std::string narrow, bytes, why;
    if (!filePathOf(pathUtf8, narrow, why) || !readWholeFile(narrow, bytes, why)) {
        findings.error(pathUtf8, "", why);
        return false;
    }
    return parseDescription(bytes, pathUtf8, description, findings);
}

}  // namespace patchkit
