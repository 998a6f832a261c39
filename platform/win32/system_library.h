#pragma once

#include <windows.h>

namespace platform::win32 {

// A DLL of the system folder, loaded at run time and freed with the object. Only the system
// folder is searched: LoadLibraryExA(name, no file, LOAD_LIBRARY_SEARCH_SYSTEM32).
class SystemLibrary {
public:
    explicit SystemLibrary(const char* name) : module_(LoadLibraryExA(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32)) {}
    ~SystemLibrary() {
        if (module_) FreeLibrary(module_);
    }
    SystemLibrary(const SystemLibrary&) = delete;
    SystemLibrary& operator=(const SystemLibrary&) = delete;

    // GetProcAddress, typed; null when the DLL or the function is missing.
    template <class Function>
    Function* function(const char* name) const {
        if (!module_) return nullptr;
        return reinterpret_cast<Function*>(reinterpret_cast<void (*)()>(GetProcAddress(module_, name)));
    }

private:
    HMODULE module_;
};

}  // namespace platform::win32
