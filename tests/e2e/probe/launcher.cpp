// Starts the program on its own command line as its child, says the child's process id on its
// error output ("process id=N") as soon as the child exists, waits for it and ends with its
// exit code. A host program that starts a Windows program under Wine learns only a Linux pid,
// which is not the Windows one; started through this, the program's windows can be told from
// those of any other process of the same name, an earlier run's box that is still going away
// among them. The child keeps this program's standard handles, environment and current folder,
// as it would have had started directly.
#include <windows.h>

#include <cstdio>

namespace {

// The rest of the command line after the launcher's own name, as Wine built it from the host's
// arguments: the program and its arguments exactly as given, quoted where they had to be. The
// first word follows the rule for a program name: quotes group, nothing is escaped.
wchar_t* commandAfterOwnName() {
    wchar_t* rest = GetCommandLineW();
    for (bool quoted = false; *rest && (quoted || (*rest != L' ' && *rest != L'\t')); ++rest) {
        if (*rest == L'"') quoted = !quoted;
    }
    while (*rest == L' ' || *rest == L'\t') ++rest;
    return rest;
}

HANDLE inheritable(DWORD which) {
    HANDLE handle = GetStdHandle(which);
    if (handle && handle != INVALID_HANDLE_VALUE) SetHandleInformation(handle, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
    return handle;
}

}  // namespace

int main() {
    wchar_t* command = commandAfterOwnName();
    if (!*command) {
        std::fputs("usage: launcher.exe PROGRAM [ARGUMENT...]\n", stderr);
        return 126;
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = inheritable(STD_INPUT_HANDLE);
    startup.hStdOutput = inheritable(STD_OUTPUT_HANDLE);
    startup.hStdError = inheritable(STD_ERROR_HANDLE);
    PROCESS_INFORMATION child{};
    if (!CreateProcessW(nullptr, command, nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &child)) {
        std::fprintf(stderr, "launcher: cannot start %ls: error %lu\n", command, GetLastError());
        return 127;
    }
    // The id stays the child's while this handle is open, so no later process can take it
    // before the driver has done with the run.
    std::fprintf(stderr, "process id=%lu\n", child.dwProcessId);
    std::fflush(stderr);
    CloseHandle(child.hThread);
    WaitForSingleObject(child.hProcess, INFINITE);
    DWORD exitCode = 0;
    GetExitCodeProcess(child.hProcess, &exitCode);
    CloseHandle(child.hProcess);
    return static_cast<int>(exitCode);
}
