#include "tools/patchkit/updater_image_check.h"

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <vector>

#include "platform/text.h"
#include "tools/patchkit/authenticode_signer.h"
#include "tools/patchkit/file_transfer.h"
#include "tools/patchkit/host_paths.h"
#include "tools/patchkit/pe_image.h"

namespace patchkit {
namespace {

namespace fs = std::filesystem;

// Why the image is not the program the updater must be, or empty when it is.
std::string refusalOf(const PeImage& image, uint64_t fileSize) {
    if (image.pe32Plus || image.machine != kMachineI386) {
        return "is a program for " + machineName(image.machine) + (image.pe32Plus ? " (PE32+)" : "") +
               "; the updater is the 32-bit x86 build, which every Windows runs";
    }
    if (image.characteristics & kImageFileDll) return "is a DLL, not a program";
    if (image.subsystem != kSubsystemWindowsGui) {
        return image.subsystem == kSubsystemWindowsConsole ? "is a console program; the updater is a GUI program and opens no console window"
                                                           : "is for Windows subsystem " + std::to_string(image.subsystem) +
                                                                 ", not a GUI program (subsystem 2)";
    }
    if (image.partsEnd > fileSize) {
        return "is cut short: its headers and sections reach byte " + std::to_string(image.partsEnd) + ", and the file has " +
               std::to_string(fileSize);
    }
    if (image.certificateSize > 0 && uint64_t{image.certificateOffset} + image.certificateSize > fileSize) {
        return "is cut short: its certificate table reaches byte " + std::to_string(uint64_t{image.certificateOffset} + image.certificateSize) +
               ", and the file has " + std::to_string(fileSize);
    }
    return {};
}

void checkImage(const std::string& pathUtf8, Findings& findings) {
    std::string narrow, bytes, why;
    if (!filePathOf(pathUtf8, narrow, why) || !readWholeFile(narrow, bytes, why)) {
        findings.error(pathUtf8, "", why);
        return;
    }
    PeImage image;
    if (!readPeImage(bytes, image, why)) {
        findings.error(pathUtf8, "", why);
        return;
    }
    if (std::string refusal = refusalOf(image, bytes.size()); !refusal.empty()) {
        findings.error(pathUtf8, "", refusal);
        return;
    }
    if (image.certificateSize == 0) {
        findings.warning(pathUtf8, "", "carries no Authenticode signature: Windows' elevation prompt names an unknown publisher, and "
                                       "SmartScreen warns before it runs (sign-update.sh signs it)");
        return;
    }
    std::string signer;
    if (!signerNameOf(std::string_view(bytes).substr(image.certificateOffset, image.certificateSize), signer, why)) {
        findings.warning(pathUtf8, "", "carries a certificate table, but no signer can be read from it: " + why);
        return;
    }
    findings.note(pathUtf8, "", "is signed by \"" + signer + "\"; whether the signature holds is for osslsigncode verify to tell");
}

}  // namespace

bool isUpdaterProgramName(const std::string& leafUtf8) {
    return leafUtf8.size() > 4 && platform::foldedAsciiCase(leafUtf8.substr(leafUtf8.size() - 4)) == ".exe";
}

void checkUpdaterImages(const std::string& packageDirUtf8, Findings& findings) {
    std::error_code error;
    std::vector<std::string> programs;
    for (fs::directory_iterator it(fsPathOf(packageDirUtf8), error), end; !error && it != end; it.increment(error)) {
        std::string leaf = utf8Of(it->path().filename());
        if (isUpdaterProgramName(leaf) && it->is_regular_file(error)) {
            programs.push_back(joinPath(packageDirUtf8, leaf));
        }
    }
    std::sort(programs.begin(), programs.end());
    for (const std::string& program : programs) checkImage(program, findings);
}

}  // namespace patchkit
