#include <windows.h>
#include <shlobj.h>

#include "platform/shell.h"
#include "platform/win32/com_pointer.h"
#include "platform/win32/system_library.h"

namespace platform {
namespace {

using win32::ComPointer;

// The single-threaded apartment for one shortcut file. CoInitialize's result decides nothing
// else, but only an initialisation that took place is undone: a thread already in another
// apartment (RPC_E_CHANGED_MODE) keeps it, rather than losing it to our CoUninitialize.
class ComApartment {
public:
    ComApartment() : entered_(SUCCEEDED(CoInitialize(nullptr))) {}
    ~ComApartment() {
        if (entered_) CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    bool entered_;
};

// An item identifier list that the shell allocated, given back to the shell's allocator.
class ItemIdList {
public:
    explicit ItemIdList(IMalloc& allocator) : allocator_(allocator) {}
    ~ItemIdList() {
        if (list_) allocator_.Free(list_);
    }
    ItemIdList(const ItemIdList&) = delete;
    ItemIdList& operator=(const ItemIdList&) = delete;

    LPITEMIDLIST* receive() { return &list_; }
    LPCITEMIDLIST get() const { return list_; }

private:
    IMalloc& allocator_;
    LPITEMIDLIST list_ = nullptr;
};

class Win32Shell final : public Shell {
public:
    // shell32 is loaded here, after WinMain has restricted the DLL search, and not imported:
    // an imported DLL is loaded before the program's first statement, and so are the DLLs it
    // needs. Where the system does not protect those (Wine has no KnownDLLs: shell32 brings
    // shlwapi, which brings shcore), one planted beside Update.exe would be taken.
    std::string specialFolderPath(int csidl) override {
        win32::SystemLibrary shell("shell32.dll");
        auto getMalloc = shell.function<HRESULT WINAPI(IMalloc**)>("SHGetMalloc");
        auto getLocation = shell.function<HRESULT WINAPI(HWND, int, LPITEMIDLIST*)>("SHGetSpecialFolderLocation");
        auto getPath = shell.function<BOOL WINAPI(LPCITEMIDLIST, LPSTR)>("SHGetPathFromIDListA");
        if (!getMalloc || !getLocation || !getPath) return {};
        ComPointer<IMalloc> allocator;
        if (FAILED(getMalloc(allocator.receive()))) return {};
        ItemIdList location(*allocator);
        if (FAILED(getLocation(nullptr, csidl, location.receive()))) return {};
        char path[MAX_PATH] = {};
        getPath(location.get(), path);
        return path;
    }

    bool createShellLink(const char* linkPath, const char* targetPath, const char* arguments, const char* workingDirectory,
                         int showCommand) override {
        ComApartment apartment;
        ComPointer<IShellLinkA> link;
        if (CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, link.receiveVoid()) != S_OK) {
            return false;
        }
        link->SetPath(targetPath);
        if (arguments) link->SetArguments(arguments);
        if (workingDirectory) link->SetWorkingDirectory(workingDirectory);
        link->SetShowCmd(showCommand);

        ComPointer<IPersistFile> file;
        if (FAILED(link->QueryInterface(IID_IPersistFile, file.receiveVoid()))) return false;
        // A path that does not convert whole would save the link under another name.
        WCHAR widePath[MAX_PATH];
        if (MultiByteToWideChar(CP_ACP, 0, linkPath, -1, widePath, MAX_PATH) == 0) return false;
        return file->Save(widePath, TRUE) == S_OK;
    }
};

}  // namespace

Shell& systemShell() {
    static Win32Shell instance;
    return instance;
}

}  // namespace platform
