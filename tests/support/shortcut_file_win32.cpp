#include <windows.h>
#include <shlobj.h>

#include "platform/win32/com_pointer.h"
#include "tests/support/shortcut_file.h"

namespace testing_support {

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
            link->GetShowCmd(&file.showCommand);
            file.loaded = true;
        }
    }
    CoUninitialize();
    return file;
}

}  // namespace testing_support
