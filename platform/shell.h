#pragma once

#include <cstdint>
#include <string>

namespace platform {

// The special folders the product asks for (CSIDL values), and the show command it gives
// its shortcuts.
inline constexpr int kCsidlPrograms = 0x02;
inline constexpr int kCsidlCommonPrograms = 0x17;
inline constexpr int kSwShowNormal = 1;

// The shell: where the Start menu's folders are, and shortcut files.
class Shell {
public:
    virtual ~Shell() = default;

    // The file-system path of a special folder, without a trailing separator; empty when it
    // cannot be resolved. On Windows: SHGetMalloc; SHGetSpecialFolderLocation(no owner,
    // csidl); SHGetPathFromIDListA into a zero-filled buffer of 260 bytes (its result is not
    // tested, so a failure leaves the path empty); IMalloc::Free of the identifier list;
    // IMalloc::Release. When SHGetMalloc fails nothing else is called; when the location
    // fails only the release follows.
    virtual std::string specialFolderPath(int csidl) = 0;

    // Writes one shortcut file at linkPath; true only when it was saved. arguments and
    // workingDirectory may be null, and are then not set. On Windows, in this order:
    // CoInitialize; CoCreateInstance(CLSID_ShellLink, in-process, IID_IShellLinkA);
    // IShellLinkA::SetPath, SetArguments, SetWorkingDirectory, SetShowCmd (their results are
    // not tested); QueryInterface(IID_IPersistFile); linkPath from the ANSI code page to
    // UTF-16 in 260 wide characters; IPersistFile::Save(path, TRUE); the two interfaces
    // released; CoUninitialize. Fails when the link's folder is missing.
    virtual bool createShellLink(const char* linkPath, const char* targetPath, const char* arguments,
                                 const char* workingDirectory, int showCommand) = 0;

    static Shell* replace(Shell* replacement);
};

Shell& shell();

}  // namespace platform
