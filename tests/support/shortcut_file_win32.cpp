#include <windows.h>
#include <shlobj.h>

#include <cstdint>
#include <cstring>

#include "platform/win32/com_pointer.h"
#include "tests/support/shortcut_file.h"

namespace testing_support {
namespace {

// The show command as saved: the ShowCommand field of the link's 76-byte header, at offset
// 60. Wine's IPersistFile::Load does not take it back (GetShowCmd then answers 1 whatever was
// saved), so it is read where Windows' own loader reads it.
int savedShowCommand(const std::string& linkPath) {
    HANDLE file = CreateFileA(linkPath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    uint8_t header[76] = {};
    DWORD got = 0;
    bool read = file != INVALID_HANDLE_VALUE && ReadFile(file, header, sizeof header, &got, nullptr) && got == sizeof header;
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    int32_t showCommand = 0;
    if (read && header[0] == sizeof header) std::memcpy(&showCommand, header + 60, sizeof showCommand);
    return showCommand;
}

}  // namespace

ShortcutFile readShortcut(const std::string& linkPath) {
    ShortcutFile file;
    if (FAILED(CoInitialize(nullptr))) return file;
    {
        platform::win32::ComPointer<IShellLinkA> link;
        platform::win32::ComPointer<IPersistFile> persist;
        WCHAR widePath[MAX_PATH];
        if (CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, link.receiveVoid()) == S_OK &&
            SUCCEEDED(link->QueryInterface(IID_IPersistFile, persist.receiveVoid())) &&
            MultiByteToWideChar(CP_ACP, 0, linkPath.c_str(), -1, widePath, MAX_PATH) != 0 &&
            persist->Load(widePath, STGM_READ) == S_OK) {
            char text[MAX_PATH] = {};
            // SLGP_RAWPATH: the path as stored, not resolved against the current file system.
            link->GetPath(text, MAX_PATH, nullptr, SLGP_RAWPATH);
            file.targetPath = text;
            link->GetArguments(text, MAX_PATH);
            file.arguments = text;
            link->GetWorkingDirectory(text, MAX_PATH);
            file.workingDirectory = text;
            file.showCommand = savedShowCommand(linkPath);
            file.loaded = true;
        }
    }
    CoUninitialize();
    return file;
}

}  // namespace testing_support
