#include "tools/patchkit/archive_check.h"

#include <algorithm>
#include <filesystem>
#include <random>
#include <system_error>

#include "manifest/name_rule.h"
#include "platform/text.h"
#include "support/file.h"
#include "tools/patchkit/field_text.h"
#include "tools/patchkit/file_transfer.h"
#include "tools/patchkit/host_paths.h"
#include "tools/patchkit/zip_layout.h"
#include "tools/patchkit/zip_reader.h"

namespace patchkit {
namespace {

namespace fs = std::filesystem;

// A folder of its own under the system's temporary folder, removed with everything in it.
class TemporaryFolder {
public:
    TemporaryFolder() = default;
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;
    ~TemporaryFolder() {
        std::error_code error;
        if (!path_.empty()) fs::remove_all(fsPathOf(path_), error);
    }

    bool make(std::string& why) {
        std::error_code error;
        fs::path base = fs::temp_directory_path(error);
        std::random_device random;
        for (int attempt = 0; !error && attempt < 100; ++attempt) {
            fs::path candidate = base / ("patchkit-check-" + std::to_string(random()));
            if (fs::create_directory(candidate, error)) {
                path_ = utf8Of(candidate);
                return true;
            }
        }
        why = "no temporary folder to extract it into" + (error ? ": " + error.message() : std::string());
        return false;
    }
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

// Whether bytes that are not all ASCII have the shape of UTF-8: every sequence a lead byte and
// its continuation bytes. What Debian's zip stores for a name given to it in a UTF-8 locale.
bool looksLikeUtf8(std::string_view text) {
    for (size_t i = 0; i < text.size();) {
        size_t length = platform::utf8SequenceLength(static_cast<uint8_t>(text[i]));
        if (length == 1 && static_cast<unsigned char>(text[i]) >= 0x80) return false;
        if (i + length > text.size()) return false;
        for (size_t k = 1; k < length; ++k) {
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
        }
        i += length;
    }
    return true;
}

// A member's name as the built-in extractor of a Japanese Windows reads it: a name with the
// UTF-8 flag as UTF-8, any other in code page 932 (its OEM code page), where a byte sequence
// that is no character becomes the code page's default character ・, as Windows' conversion
// makes it. The Unicode Path field is not read.
struct WindowsReading {
    std::string utf8;
    std::string cp932;
    std::string written;  // the name as its writer meant it, in UTF-8
    bool readOtherwise = false;
};

// False when the name has no form in code page 932, so that the updater's ANSI calls could
// not open it. What the writer meant is the Unicode Path field where there is one, else the
// stored bytes themselves when they are UTF-8, else the code page 932 reading (with U+FFFD
// where it has no character).
bool readAsWindowsDoes(const ZipMember& member, WindowsReading& reading, std::string& why) {
    if (member.utf8Flag) {
        reading.utf8 = reading.written = member.storedName;
        return cp932Of(reading.utf8, reading.cp932, why);
    }
    bool wellFormed = displayTextOf(member.storedName, reading.utf8);
    reading.written = member.hasUnicodePath ? member.unicodePath : looksLikeUtf8(member.storedName) ? member.storedName : reading.utf8;
    for (size_t at; (at = reading.utf8.find(u8"\uFFFD")) != std::string::npos;) reading.utf8.replace(at, 3, u8"\u30FB");
    reading.readOtherwise = !zip::isAsciiName(member.storedName) && (!wellFormed || reading.written != reading.utf8);
    return cp932Of(reading.utf8, reading.cp932, why);
}

std::string memberField(size_t i) { return "member " + std::to_string(i); }

struct Extraction {
    const std::string& archivePath;
    std::string_view archive;
    const std::string& folder;
    Findings& findings;

    // A member at its place below the folder, or a finding that says why it cannot be there.
    void extract(size_t i, const ZipMember& member, const std::string& cp932Name) {
        std::string entryName = cp932Name;
        std::replace(entryName.begin(), entryName.end(), '/', '\\');  // '/' is never a trail byte
        if (std::string unsafe = manifest::nameProblem(entryName); !unsafe.empty()) {
            findings.error(archivePath, memberField(i) + " name", "is not extracted: " + unsafe);
            return;
        }
        std::string relative = displayText(entryName);
        std::replace(relative.begin(), relative.end(), '\\', '/');
        std::string target = joinPath(folder, relative);
        std::error_code error;
        fs::path host = fsPathOf(target);
        fs::create_directories(member.isFolder() ? host : host.parent_path(), error);
        if (error) {
            findings.error(archivePath, memberField(i) + " name", "cannot be extracted: " + error.message());
            return;
        }
        if (member.isFolder()) return;
        std::string narrow, why;
        support::CFile file;
        if (!filePathOf(target, narrow, why) || !file.open(narrow, support::FileOpenMode::Write)) {
            findings.error(archivePath, memberField(i) + " name", "cannot be extracted: " + (why.empty() ? "its file cannot be created" : why));
            return;
        }
        auto sink = [&](std::string_view piece) {
            if (file.write(piece.data(), static_cast<uint32_t>(piece.size())) == piece.size()) return true;
            why = "cannot be extracted in full";
            return false;
        };
        if (!readZipMember(archive, member, sink, why)) findings.error(archivePath, memberField(i), why);
    }
};

void replaceAll(std::string& text, const std::string& from, const std::string& to) {
    for (size_t at = 0; (at = text.find(from, at)) != std::string::npos; at += to.size()) text.replace(at, from.size(), to);
}

}  // namespace

void checkPackageArchive(const CheckRequest& request, Findings& findings, Progress& progress) {
    const std::string& archivePath = request.packageDir;
    std::string narrow, bytes, why;
    std::vector<ZipMember> members;
    if (!filePathOf(archivePath, narrow, why) || !readWholeFile(narrow, bytes, why) || !readZipDirectory(bytes, members, why)) {
        findings.error(archivePath, "", why);
        return;
    }
    TemporaryFolder folder;
    if (!folder.make(why)) {
        findings.error(archivePath, "", why);
        return;
    }
    Extraction extraction{archivePath, bytes, folder.path(), findings};
    size_t readOtherwise = 0, first = 0;
    WindowsReading firstReadOtherwise;
    for (size_t i = 0; i < members.size(); ++i) {
        progress.show("extracting", i + 1, members.size(), "members");
        WindowsReading reading;
        if (!readAsWindowsDoes(members[i], reading, why)) {
            findings.error(archivePath, memberField(i) + " name", "\"" + reading.utf8 + "\" " + why + ", so the updater could not open it");
            continue;
        }
        if (reading.readOtherwise && readOtherwise++ == 0) first = i, firstReadOtherwise = reading;
        extraction.extract(i, members[i], reading.cp932);
    }
    progress.finish();
    if (readOtherwise > 0) {
        findings.warning(archivePath, "",
                         std::to_string(readOtherwise) + " member name" + (readOtherwise == 1 ? " is" : "s are") +
                             " read otherwise by a Japanese Windows, whose built-in extractor takes a name without the UTF-8 flag in "
                             "code page 932: " + memberField(first) + ", written as \"" + firstReadOtherwise.written + "\", comes out as \"" +
                             firstReadOtherwise.utf8 + "\" (patchkit pack stores names as that Windows reads them)");
    }

    CheckRequest extracted = request;
    extracted.packageDir = folder.path();
    Findings found;
    checkPackage(extracted, found, progress);
    for (Finding finding : found.all()) {
        replaceAll(finding.file, folder.path(), archivePath);
        replaceAll(finding.reason, folder.path(), archivePath);
        findings.add(finding);
    }
}

}  // namespace patchkit
