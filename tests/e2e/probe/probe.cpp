// Looks at and drives the updater's windows from a second process in the same Wine prefix,
// the way a person at the screen would: only through what the window system offers another
// process. It prints what it saw, one record per line, texts as hex of their code page 932
// bytes so that the driver compares bytes and no console code page gets in between.
//
//   probe.exe [--process-id PID] STEP...
//
// The windows looked for are those of the process with that Windows process id (the launcher
// says it), never those of any other process of the same name: a box of an earlier run may
// still be on screen, or going away, when the next run starts.
//
// Steps run in order on the "current" window:
//   use HWND         make the window with that handle (from an earlier dump) current
//   find MS          wait up to MS for a visible dialog of the process and make it current
//   next MS          wait up to MS for a visible dialog other than the current one; polls
//                    without sleeping, since a dialog may live for only a few milliseconds
//   box MS           wait up to MS for a visible dialog other than the current one that
//                    has no progress bar: a message box that comes while the progress
//                    dialog is up, or after it
//   progress ID UNTIL MS   ask the progress bar ID of the current dialog for its position
//                    over and over, printing "progress N" for each change, until it shows
//                    UNTIL or more (-1: until the dialog has gone); the updater answers
//                    only when it pumps
//   gone MS          wait up to MS until the current window has gone
//   dump             print the current window and all of its controls
//   press ID         post WM_COMMAND ID, as a click on that button does
//   key enter|esc    post the key's down and up messages, which the dialog manager handles
//   close            post WM_SYSCOMMAND SC_CLOSE, as the caption's close box does
//   hold MS          suspend the thread of the current window as soon as the window has
//                    painted itself, so that a dialog which the updater would take down at
//                    once stays for a screenshot; prints the thread's id
//   catch MS         `next` and `hold` for a dialog that may live for only a few
//                    milliseconds: the updater is held from the start and let run in slices
//                    between the looks (do the answer that brings the dialog just before)
//                    (thread 0: the dialog went before it could be held; it is
//                    dumped as first seen)
//   release TID      let a held thread go on
//   sleep MS
//   default-caption  show a message box with no caption in the probe itself and print the
//                    caption the system gave it
//   reg-set KEY VALUE DATA   store REG_SZ DATA (all three hex) under HKEY_CURRENT_USER\KEY
//   folder CSIDL     print the path of a shell special folder (SHGetFolderPathA)
//   shortcut PATH    read the shortcut file PATH (hex) through IShellLinkA and
//                    IPersistFile::Load and print its target, arguments, working directory
//                    and show command, or that there is none
//
// The exit code is 0 when every step succeeded, 2 when a step timed out, 1 on bad usage.
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "tests/support/shortcut_file.h"
#include "tests/wine_driver/hex_text.h"

namespace {

using wine_driver::hexDecode;
using wine_driver::hexEncode;

DWORD watchedProcess = 0;
HWND current = nullptr;

std::string windowText(HWND window) {
    // For a window of another process this reads the text the window manager keeps, without
    // sending the window a message, so a busy updater cannot stall the probe here.
    char buffer[1024] = {};
    GetWindowTextA(window, buffer, sizeof buffer);
    return buffer;
}

std::string className(HWND window) {
    char buffer[256] = {};
    GetClassNameA(window, buffer, sizeof buffer);
    return buffer;
}

bool ownedByWatchedProcess(HWND window) {
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    return owner == watchedProcess;
}

// A visible dialog of the watched process other than `except`, or null. Only windows of the
// dialog class are looked at: a tight poll must cost as little as possible per turn.
HWND findDialog(HWND except) {
    for (HWND window = FindWindowExA(nullptr, nullptr, "#32770", nullptr); window;
         window = FindWindowExA(nullptr, window, "#32770", nullptr)) {
        if (window != except && IsWindowVisible(window) && ownedByWatchedProcess(window)) return window;
    }
    return nullptr;
}

bool waitForDialog(HWND except, DWORD timeoutMs, bool tight) {
    DWORD start = GetTickCount();
    for (;;) {
        if (HWND window = findDialog(except)) {
            current = window;
            return true;
        }
        if (GetTickCount() - start > timeoutMs) return false;
        if (!tight) Sleep(20);
    }
}

bool waitUntilGone(DWORD timeoutMs) {
    DWORD start = GetTickCount();
    while (IsWindow(current) && IsWindowVisible(current)) {
        if (GetTickCount() - start > timeoutMs) return false;
        Sleep(5);
    }
    return true;
}

bool hasProgressBar(HWND dialog) { return FindWindowExA(dialog, nullptr, PROGRESS_CLASSA, nullptr) != nullptr; }

bool waitForBox(DWORD timeoutMs) {
    DWORD start = GetTickCount();
    for (;;) {
        for (HWND window = FindWindowExA(nullptr, nullptr, "#32770", nullptr); window;
             window = FindWindowExA(nullptr, window, "#32770", nullptr)) {
            // The progress dialog is not a box, but while it is destroyed it loses its bar:
            // it is hidden before its children go, so visibility is asked after the bar.
            if (window != current && ownedByWatchedProcess(window) && !hasProgressBar(window) && IsWindowVisible(window)) {
                current = window;
                return true;
            }
        }
        if (GetTickCount() - start > timeoutMs) return false;
        Sleep(1);
    }
}

// Every position the bar shows when asked; the question waits in the updater's queue until
// its next pump, so each answer is a position the user saw.
bool watchProgress(int id, long until, DWORD timeoutMs) {
    HWND bar = GetDlgItem(current, id);
    long last = -1;
    DWORD start = GetTickCount();
    while (IsWindow(current) && IsWindowVisible(current)) {
        DWORD_PTR answer = 0;
        if (SendMessageTimeoutA(bar, PBM_GETPOS, 0, 0, SMTO_ABORTIFHUNG, 200, &answer)) {
            long position = static_cast<long>(answer);
            if (position != last) {
                std::printf("progress %ld\n", position);
                last = position;
            }
            if (until >= 0 && position >= until) return true;
        }
        if (GetTickCount() - start > timeoutMs) return false;
    }
    return until < 0;
}

// One record of a window. `askThread` is false while the window's thread is held: questions
// that the thread must answer would only time out then.
std::string describeWindow(const char* kind, HWND window, bool askThread) {
    LONG style = GetWindowLongA(window, GWL_STYLE);
    std::string windowClass = className(window);
    char head[160];
    std::snprintf(head, sizeof head, "%s hwnd=0x%08llx id=%ld class=%s text=", kind,
                  static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(window)), GetWindowLongA(window, GWL_ID),
                  windowClass.c_str());
    char tail[96];
    std::snprintf(tail, sizeof tail, " style=0x%08lx enabled=%d visible=%d", static_cast<unsigned long>(style),
                  IsWindowEnabled(window) ? 1 : 0, IsWindowVisible(window) ? 1 : 0);
    std::string record = head + hexEncode(windowText(window)) + tail;
    // Both questions are messages to the updater's thread, which answers only while it pumps;
    // an updater busy copying gives "busy" instead of stalling the probe.
    DWORD_PTR answer = 0;
    if (windowClass == PROGRESS_CLASSA) {
        if (askThread && SendMessageTimeoutA(window, PBM_GETPOS, 0, 0, SMTO_ABORTIFHUNG, 500, &answer)) {
            record += " pos=" + std::to_string(answer);
        } else {
            record += " pos=busy";
        }
    } else if (windowClass == "Static" && (style & SS_TYPEMASK) == SS_ICON && askThread) {
        if (SendMessageTimeoutA(window, STM_GETICON, 0, 0, SMTO_ABORTIFHUNG, 500, &answer)) {
            record += answer ? " icon=1" : " icon=0";
        }
    }
    return record + "\n";
}

struct Records {
    std::string text;
    bool askThread;
};

BOOL CALLBACK describeControl(HWND window, LPARAM parameter) {
    Records& records = *reinterpret_cast<Records*>(parameter);
    records.text += describeWindow("control", window, records.askThread);
    return TRUE;
}

std::string describeDialog(HWND window, bool askThread) {
    Records records{describeWindow("window", window, askThread), askThread};
    EnumChildWindows(window, describeControl, reinterpret_cast<LPARAM>(&records));
    return records.text + "end\n";
}

// Set while `catch` holds the updater; `dump` then asks its thread nothing. A dialog that
// was gone before it could be held is dumped as it was first seen.
bool holding = false;
std::string seenBeforeItWent;

void dump() {
    std::fputs(seenBeforeItWent.empty() ? describeDialog(current, !holding).c_str() : seenBeforeItWent.c_str(), stdout);
    std::fflush(stdout);
}

void postKey(WPARAM key) {
    // The modal loop hands keyboard messages to the dialog manager, which turns Enter into the
    // default button's command and Esc into IDCANCEL. Posting them to the dialog window
    // takes the same path as a key press while the dialog has the focus.
    UINT scan = MapVirtualKeyA(static_cast<UINT>(key), 0);
    PostMessageA(current, WM_KEYDOWN, key, 1 | (scan << 16));
    PostMessageA(current, WM_KEYUP, key, 1 | (scan << 16) | 0xC0000000u);
}

bool painted(HWND window) {
    if (GetUpdateRect(window, nullptr, FALSE)) return false;
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (IsWindowVisible(child) && GetUpdateRect(child, nullptr, FALSE)) return false;
    }
    return true;
}

// The window's thread is stopped at once and then let run in the shortest slices the system
// gives, until nothing of the window waits to be painted. Caught the moment it appears, a
// dialog has not painted yet; let run freely, it may be gone before the next look.
bool holdOncePainted(DWORD timeoutMs, DWORD& thread) {
    thread = GetWindowThreadProcessId(current, nullptr);
    HANDLE handle = OpenThread(THREAD_SUSPEND_RESUME, FALSE, thread);
    if (!handle) return false;
    bool held = SuspendThread(handle) != static_cast<DWORD>(-1);
    DWORD start = GetTickCount();
    while (held && IsWindow(current) && !painted(current)) {
        if (GetTickCount() - start > timeoutMs) {
            held = false;
            break;
        }
        ResumeThread(handle);
        SuspendThread(handle);
    }
    held = held && IsWindow(current);
    if (!held) ResumeThread(handle);
    CloseHandle(handle);
    return held;
}

// Like `next` and `hold` together, for a dialog that lives for a few milliseconds. The
// thread of the current window is stopped at once, and then let run in the shortest slices
// the system gives while the probe looks between the slices: the updater cannot make, show,
// paint and take down a dialog within one slice, so the next dialog is caught for certain,
// painted, and held.
bool catchNext(DWORD timeoutMs, DWORD& thread) {
    thread = GetWindowThreadProcessId(current, nullptr);
    HANDLE handle = OpenThread(THREAD_SUSPEND_RESUME | SYNCHRONIZE, FALSE, thread);
    if (!handle || SuspendThread(handle) == static_cast<DWORD>(-1)) return false;
    HWND previous = current;
    HWND found = nullptr;
    std::string firstSight;
    DWORD start = GetTickCount();
    for (;;) {
        if (!found) {
            found = findDialog(previous);
            // What it showed is all there when it becomes visible; only the paint may lag.
            if (found) firstSight = describeDialog(found, false);
        }
        if (found && (!IsWindow(found) || !IsWindowVisible(found))) {
            // Shown, painted and taken down (hidden first) within one slice: the record
            // stands, the picture cannot be had.
            ResumeThread(handle);
            CloseHandle(handle);
            thread = 0;
            current = found;
            seenBeforeItWent = firstSight;
            return true;
        }
        if (found && painted(found)) break;
        // A thread that has ended shows nothing more: no need to wait out the time.
        if (GetTickCount() - start > timeoutMs || WaitForSingleObject(handle, 0) == WAIT_OBJECT_0) {
            ResumeThread(handle);
            CloseHandle(handle);
            return false;
        }
        // No yield between the two: on a busy machine a yield can cost the probe a whole
        // time slice, in which the updater would run freely.
        ResumeThread(handle);
        SuspendThread(handle);
    }
    CloseHandle(handle);
    current = found;
    holding = true;
    return true;
}

struct OwnBox {
    HWND window = nullptr;
};

BOOL CALLBACK considerOwnWindow(HWND window, LPARAM parameter) {
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == GetCurrentProcessId() && className(window) == "#32770") {
        reinterpret_cast<OwnBox*>(parameter)->window = window;
        return FALSE;
    }
    return TRUE;
}

DWORD WINAPI showCaptionlessBox(LPVOID) {
    MessageBoxA(nullptr, "", nullptr, MB_OK);
    return 0;
}

bool printDefaultCaption() {
    HANDLE thread = CreateThread(nullptr, 0, showCaptionlessBox, nullptr, 0, nullptr);
    if (!thread) return false;
    OwnBox box;
    for (int i = 0; i < 1000 && !box.window; ++i) {
        EnumWindows(considerOwnWindow, reinterpret_cast<LPARAM>(&box));
        if (!box.window) Sleep(5);
    }
    if (box.window) {
        std::printf("caption text=%s\n", hexEncode(windowText(box.window)).c_str());
        PostMessageA(box.window, WM_COMMAND, IDOK, 0);
    }
    WaitForSingleObject(thread, 5000);
    CloseHandle(thread);
    return box.window != nullptr;
}

bool setRegistryString(const char* keyHex, const char* valueHex, const char* dataHex) {
    std::string key, value, data;
    if (!hexDecode(keyHex, key) || !hexDecode(valueHex, value) || !hexDecode(dataHex, data)) return false;
    HKEY handle = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &handle, nullptr) !=
        ERROR_SUCCESS) {
        return false;
    }
    LONG status = RegSetValueExA(handle, value.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                                 static_cast<DWORD>(data.size() + 1));
    RegCloseKey(handle);
    return status == ERROR_SUCCESS;
}

bool printFolder(int csidl) {
    char path[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path))) return false;
    std::printf("folder path=%s\n", hexEncode(path).c_str());
    return true;
}

bool printShortcut(const char* pathHex) {
    std::string path;
    if (!hexDecode(pathHex, path)) return false;
    testing_support::ShortcutFile file = testing_support::readShortcut(path);
    if (!file.loaded) {
        std::printf("shortcut missing\n");
        return true;
    }
    std::printf("shortcut target=%s arguments=%s directory=%s show=%d\n", hexEncode(file.targetPath).c_str(),
                hexEncode(file.arguments).c_str(), hexEncode(file.workingDirectory).c_str(), file.showCommand);
    return true;
}

int usage(const char* why) {
    std::printf("usage %s\n", why);
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    int i = 1;
    if (i + 1 < argc && std::strcmp(argv[i], "--process-id") == 0) {
        watchedProcess = static_cast<DWORD>(std::strtoul(argv[i + 1], nullptr, 10));
        i += 2;
    }
    auto number = [&](int at) { return static_cast<DWORD>(std::strtoul(argv[at], nullptr, 10)); };
    for (; i < argc; ++i) {
        std::string step = argv[i];
        bool hasArgument = i + 1 < argc;
        bool looksForWindows = step == "find" || step == "next" || step == "box" || step == "catch";
        if (looksForWindows && !watchedProcess) return usage((step + " without --process-id").c_str());
        if ((step == "find" || step == "next") && hasArgument) {
            DWORD timeout = number(++i);
            if (!waitForDialog(step == "next" ? current : nullptr, timeout, step == "next")) {
                std::printf("timeout %s\n", step.c_str());
                return 2;
            }
        } else if (step == "use" && hasArgument) {
            current = reinterpret_cast<HWND>(static_cast<UINT_PTR>(std::strtoull(argv[++i], nullptr, 16)));
        } else if (step == "box" && hasArgument) {
            if (!waitForBox(number(++i))) {
                std::printf("timeout box\n");
                return 2;
            }
        } else if (step == "progress" && i + 3 < argc) {
            int id = std::atoi(argv[i + 1]);
            long until = std::atol(argv[i + 2]);
            if (!watchProgress(id, until, number(i + 3))) {
                std::printf("timeout progress\n");
                return 2;
            }
            i += 3;
        } else if (step == "gone" && hasArgument) {
            if (!waitUntilGone(number(++i))) {
                std::printf("timeout gone\n");
                return 2;
            }
        } else if (step == "dump") {
            if (!current) return usage("dump before find");
            dump();
        } else if (step == "press" && hasArgument) {
            int id = std::atoi(argv[++i]);
            PostMessageA(current, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(current, id)));
        } else if (step == "key" && hasArgument) {
            std::string name = argv[++i];
            if (name != "enter" && name != "esc") return usage("key enter|esc");
            postKey(name == "enter" ? VK_RETURN : VK_ESCAPE);
        } else if (step == "close") {
            PostMessageA(current, WM_SYSCOMMAND, SC_CLOSE, 0);
        } else if (step == "hold" && hasArgument) {
            DWORD thread = 0;
            if (!holdOncePainted(number(++i), thread)) {
                std::printf("timeout hold\n");
                return 2;
            }
            holding = true;
            std::printf("held thread=%lu\n", static_cast<unsigned long>(thread));
        } else if (step == "catch" && hasArgument) {
            DWORD thread = 0;
            if (!catchNext(number(++i), thread)) {
                std::printf("timeout catch\n");
                return 2;
            }
            std::printf("held thread=%lu\n", static_cast<unsigned long>(thread));
        } else if (step == "release" && hasArgument) {
            HANDLE handle = OpenThread(THREAD_SUSPEND_RESUME, FALSE, number(++i));
            if (!handle || ResumeThread(handle) == static_cast<DWORD>(-1)) {
                std::printf("failed release\n");
                return 2;
            }
            CloseHandle(handle);
            holding = false;
        } else if (step == "sleep" && hasArgument) {
            Sleep(number(++i));
        } else if (step == "default-caption") {
            if (!printDefaultCaption()) {
                std::printf("timeout default-caption\n");
                return 2;
            }
        } else if (step == "reg-set" && i + 3 < argc) {
            if (!setRegistryString(argv[i + 1], argv[i + 2], argv[i + 3])) {
                std::printf("failed reg-set\n");
                return 2;
            }
            i += 3;
        } else if (step == "folder" && hasArgument) {
            if (!printFolder(std::atoi(argv[++i]))) {
                std::printf("failed folder\n");
                return 2;
            }
        } else if (step == "shortcut" && hasArgument) {
            if (!printShortcut(argv[++i])) return usage("shortcut HEX");
        } else {
            return usage(step.c_str());
        }
        std::fflush(stdout);
    }
    return 0;
}
