#include "engine/shortcut_links.h"

#include "engine/path_limit.h"
#include "manifest/name_rule.h"
#include "manifest/text_fields.h"
#include "platform/file_path.h"
#include "platform/shell.h"
#include "platform/text.h"
#include "support/text_template.h"

namespace engine {
namespace {

constexpr std::string_view kLinkExtension = ".lnk";

// Empty when the Programs folder cannot be resolved: the paths composed under an empty folder
// would be relative ones, resolved against whatever the current folder is.
std::string folderBelowPrograms(int csidl, const std::string& name) {
    std::string programs = platform::shell().specialFolderPath(csidl);
    platform::ensureTrailingSeparator(programs);
    return programs.empty() ? programs : programs + name;
}

// Code page 932 gives at most one UTF-16 unit per byte, so a link that fits a path also fits
// the 260 wide characters of the shell link's file name.
bool linkIn(const std::string& folder, const std::string& name, std::string& link) {
    link = folder.empty() ? folder : folder + name + std::string(kLinkExtension);
    return fitsPathBuffer(link);
}

// The target's program and its command-line arguments, split at the first ".exe" (ASCII case
// ignored) when a blank follows it. '.' lies below code page 932's trail bytes, so a match
// starts at a character of its own.
void splitArguments(std::string& targetPath, std::string& arguments) {
    arguments.clear();
    for (size_t at = 0; at + 4 <= targetPath.size(); ++at) {
        if (!platform::equalsIgnoringAsciiCase(std::string_view(targetPath).substr(at, 4), ".exe")) continue;
        if (at + 4 < targetPath.size() && targetPath[at + 4] == ' ') {
            arguments = targetPath.substr(at + 5);
            targetPath.resize(at + 4);
        }
        return;
    }
}

}  // namespace

std::string shortcutFolderProblem(std::string_view folderName) {
    return folderName.empty() ? std::string() : manifest::nameProblem(folderName);
}

std::string shortcutNameProblem(std::string_view folderName, std::string_view shortcutName) {
    std::string link(folderName);
    link += shortcutName;
    link += kLinkExtension;
    return manifest::nameProblem(link);
}

bool shortcutFoldersOf(const manifest::UninstallHeader& installed, ShortcutFolders& folders) {
    support::ExpandedTemplate name =
        support::expandTemplate(manifest::fieldText(installed.shortcutFolderTemplate), manifest::fieldText(installed.templateArgument));
    folders = {name.text, {}, {}};
    if (!name.usable() || !shortcutFolderProblem(name.text).empty()) return false;
    folders.user = folderBelowPrograms(platform::kCsidlPrograms, name.text);
    folders.common = folderBelowPrograms(platform::kCsidlCommonPrograms, name.text);
    return true;
}

bool slotLinksOf(const manifest::ShortcutSlot& slot, std::string_view templateArgument, const ShortcutFolders& folders, SlotLinks& links) {
    links = {};
    support::ExpandedTemplate name = support::expandTemplate(manifest::fieldText(slot.nameTemplate), templateArgument);
    if (!name.usable() || !fitsPathBuffer(name.text) || !shortcutNameProblem(folders.name, name.text).empty()) return false;
    return linkIn(folders.user, name.text, links.user) && linkIn(folders.common, name.text, links.common);
}

bool slotTargetOf(const manifest::ShortcutSlot& slot, const std::string& installFolder, std::string& program, std::string& arguments) {
    program = installFolder;
    program += manifest::fieldText(slot.target);
    splitArguments(program, arguments);
    return fitsPathBuffer(program);
}

}  // namespace engine
