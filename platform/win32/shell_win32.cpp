#include <windows.h>
#include <shlobj.h>

#include "platform/shell.h"
#include "platform/win32/com_pointer.h"

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
    std::string specialFolderPath(int csidl) override {
        ComPointer<IMalloc> allocator;
        if (FAILED(SHGetMalloc(allocator.receive()))) return {};
        ItemIdList location(*allocator);
        if (FAILED(SHGetSpecialFolderLocation(nullptr, csidl, location.receive()))) return {};
        char path[MAX_PATH] = {};
        SHGetPathFromIDListA(location.get(), path);
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
